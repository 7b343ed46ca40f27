#include "widgets/ChildConnections.h"

#include <QObject>

void disconnectChildren(QObject& owner)
{
    // All descendants: a toolbar's edit or an edit's event filter as well.
    for (const QObject* child : owner.findChildren<QObject*>())
        QObject::disconnect(child, nullptr, &owner, nullptr);
}
