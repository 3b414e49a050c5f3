#include "TestEnv.h"

#include <QApplication>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Tests run with their own HOME and XDG folders, and offscreen unless the caller chose a platform.
int main(int argc, char** argv)
{
    jvztest::isolateProcessEnvironment();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
