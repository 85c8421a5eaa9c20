// A race of our own on purpose, for the tsan-gui tree: a worker thread and a slot run from Qt's
// event loop write the same int. ThreadSanitizer must report it, so the test is expected to
// fail; should it pass, the suppressions of Qt's reports hide races in our code as well.
#include <QCoreApplication>
#include <QTimer>
#include <thread>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int shared = 0;
    std::thread worker([&shared] { shared = 1; });
    QTimer::singleShot(0, &app, [&] {
        shared = 2;
        app.quit();
    });
    const int status = app.exec();
    worker.join();
    return status;
}
