#include "app/TFCOMM.h"
#include "app/UserDialogs.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    // The design names Windows faces; map them to the installed ones.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    WidgetDialogs dialogs;
    TFCOMMServices services;
    services.dialogs = &dialogs;
    TFCOMM window(services);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
