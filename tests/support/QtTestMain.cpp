// Test entry for tests that need a QApplication. The platform defaults to
// offscreen so the tests run without a display; the Windows face names of
// the design map to installed fonts as in the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    return RUN_ALL_TESTS();
}
