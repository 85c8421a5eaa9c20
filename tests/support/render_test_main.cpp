#include <gtest/gtest.h>

#include <QGuiApplication>

// Rendering tests need fonts, hence an application object; no window is ever shown. The Windows
// build's Qt has no offscreen platform: there the default one (windows) serves, and Wine would
// not pass QT_QPA_PLATFORM from the environment anyway (it keeps QT_* to itself).
int main(int argc, char** argv) {
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
