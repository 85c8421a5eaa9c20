#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "view/paint/PaintBasics.h"

// Widget tests run on the offscreen platform; no window reaches a screen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SongFont();  // maps the program's face to an installed CJK serif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
