#include "app/CommandLine.h"
#include "app/TFCOMM.h"
#include "app/UserDialogs.h"
#include "sim/MeterMessages.h"
#include "usb/platform/HidPlatform.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[])
{
    // The options are read before the toolkit starts, so that help and
    // mistakes need no display; the toolkit gets no arguments of its own.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine options;
    QString error;
    std::unique_ptr<MeterMessages> meter;
    if (!CommandLine::parse(arguments, options, error) ||
        (!options.help && !options.version && !options.loadMeter(meter, error))) {
        std::fprintf(stderr, "thermologger: %s\nTry 'thermologger --help'.\n", qPrintable(error));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", qPrintable(CommandLine::versionText()));
        return 0;
    }

    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationDisplayName(QString());
    // The icon rendered from the program's SVG at build time; the desktop
    // file name lets Wayland desktops match the window to the menu entry.
    QIcon icon;
    for (int size : {48, 256})
        icon.addFile(QStringLiteral(":/icons/%1/thermologger.png").arg(size));
    QApplication::setWindowIcon(icon);
    QApplication::setDesktopFileName(QStringLiteral("io.github.thermologger.thermologger"));
    // The design names Windows faces; map them to the installed ones.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    // Declared before the window, so it outlives the window's devices.
    const std::unique_ptr<hid::Platform> platform = options.makePlatform(std::move(meter));
    WidgetDialogs dialogs;
    TFCOMMServices services;
    services.dialogs = &dialogs;
    services.hidPlatform = platform.get();
    services.journalFolder = options.journalFolderInUse();
    TFCOMM window(services);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
