// The main of every test binary: GoogleTest under the least Qt application
// its tests need, on the offscreen platform so widget and drawing tests
// render without a display. Logic tests get a QCoreApplication (timers,
// queued calls, the serial port's notifications), drawing tests a
// QGuiApplication (fonts), widget tests a QApplication.
#if defined(VEXALOG_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(VEXALOG_TEST_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (std::getenv("TZ") == nullptr)
        setenv("TZ", "Europe/Berlin", 1);
    tzset();
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
