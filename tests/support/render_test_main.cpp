#include <gtest/gtest.h>

#include <QGuiApplication>

#include "tests/support/TestPlatform.h"

// Rendering tests need fonts, hence an application object; no window is ever shown.
int main(int argc, char** argv) {
    UseTestPlatform();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
