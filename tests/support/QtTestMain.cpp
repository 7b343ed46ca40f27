// Test entry for tests that need a QApplication. The platform defaults to
// offscreen so the tests run without a display; the Windows face names of
// the design map to installed fonts as in the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>

#include <dlfcn.h>

namespace {

// Qt unloads its print-support plugins, and with them the printing system's
// client libraries, when the application ends. LeakSanitizer then walks the
// thread-local storage those libraries left behind and crashes at exit, so a
// test that created a printer fails although it passed. Loading the plugins
// once for the life of the process keeps their storage valid.
void keepPrintSupportPluginsLoaded()
{
    const QDir dir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/printsupport"));
    for (const QFileInfo& plugin : dir.entryInfoList({QStringLiteral("*.so")}, QDir::Files))
        dlopen(QFile::encodeName(plugin.absoluteFilePath()).constData(), RTLD_NOW | RTLD_NODELETE);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    keepPrintSupportPluginsLoaded();
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    return RUN_ALL_TESTS();
}
