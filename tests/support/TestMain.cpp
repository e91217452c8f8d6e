#include <QApplication>
#include <gtest/gtest.h>

#include "platform/FontSetup.h"
#include "platform/MessageBox.h"

// Every suite runs with a real QApplication (offscreen in CTest) so that posted
// window messages, timers and widgets behave as in the station.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The same fonts as the station: fontconfig is configured before Qt starts.
    SetupFonts();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No test may block on a modal box: record them instead.
    MessageBoxRecorder recorder;
    return RUN_ALL_TESTS();
}
