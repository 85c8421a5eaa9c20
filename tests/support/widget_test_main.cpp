#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "tests/support/TestPlatform.h"
#include "view/paint/PaintBasics.h"

// Widget tests run on the offscreen platform (see UseTestPlatform); no window reaches a screen.
int main(int argc, char** argv) {
    UseTestPlatform();
    QApplication app(argc, argv);
    SongFont();  // maps the program's face to an installed CJK serif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
