#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("Tolvane：主窗口尚在建设中。"));
    placeholder.setMinimumSize(480, 160);
    placeholder.setAlignment(Qt::AlignCenter);
    placeholder.setWindowTitle(QStringLiteral("Tolvane"));
    placeholder.show();
    return app.exec();
}
