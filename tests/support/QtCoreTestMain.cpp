// Test entry for tests that need an event loop but no widgets: a
// QCoreApplication, so that linking widgets into such a test fails to
// compile rather than go unnoticed.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
