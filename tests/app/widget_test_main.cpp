#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

// Widget tests run on the offscreen platform; no window reaches a screen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
