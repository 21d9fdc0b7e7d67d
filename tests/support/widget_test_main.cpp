// Entry point of the widget tests. CTest discovery runs the binaries at build time without a
// display, so the offscreen platform is chosen unless one was asked for.
#include <QApplication>
#include <gtest/gtest.h>

#include "temp_dir.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    lextest::setTestEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
