// Test entry point. CTest discovery runs test binaries at build time without a display, so a
// QGuiApplication must never be required here; a QCoreApplication is enough for the core.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "temp_dir.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    lextest::setTestEnvironment();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
