#include "app/FocusExitFilter.h"

#include <QFocusEvent>
#include <QWidget>

FocusExitFilter::FocusExitFilter(QWidget* control) : QObject(control)
{
    control->installEventFilter(this);
}

FocusExitFilter* FocusExitFilter::install(QWidget* control)
{
    return new FocusExitFilter(control);
}

bool FocusExitFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    // The control handles its focus loss first (an edit drops its selection
    // there), so what the handler sets is what remains.
    watched->event(event);
    emit exited();
    return true;
}
