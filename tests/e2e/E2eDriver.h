#pragma once

// Drives the real program on an X display (started by xvfb-run) with xdotool, reads its status
// and message trace (TOLVANE_STATUS_TRACE) from stderr and takes screenshots from the X server.

#include <sys/prctl.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QThread>
#include <csignal>
#include <cstdio>

#include "data/ProgramIdentity.h"

namespace e2e {

// The start of the main window's title, "<product> v<version>", as an xdotool name pattern;
// read from the program's identity, so a new release needs no change here.
inline QString MainTitlePattern() {
    QString title = QStringLiteral("^%1 v%2").arg(QString::fromUtf8(ProductName),
                                                  QString::fromUtf8(ReleaseVersion));
    return title.replace(QLatin1Char('.'), QStringLiteral("\\."));
}

inline int failures = 0;

// The start of every end-to-end run: three arguments (the program, a helper program, the
// artifacts folder) and an X display to read screenshots from. False after telling why.
inline bool ReadyForRun(int argc, char** argv, const char* usage) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "no X display: run under xvfb-run\n");
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");  // screenshots are read from the X server
    QDir().mkpath(argv[3]);
    return true;
}

inline void Check(bool condition, const QString& what) {
    if (!condition) {
        ++failures;
        std::fprintf(stderr, "FAILED: %s\n", what.toUtf8().constData());
    }
}

inline QString Run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

inline void Sleep(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

// Polls condition every 100 ms until it holds or ms have passed; returns whether it held.
template <typename Condition>
bool Poll(int ms, Condition condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= ms) return false;
        Sleep(100);
    }
    return true;
}

inline void XdoKey(const QString& window, const QString& keys) {
    Run("xdotool", {"windowfocus", "--sync", window});
    Run("xdotool", {"key", "--clearmodifiers", keys});
}

inline void XdoClick(int x, int y) {
    Run("xdotool", {"mousemove", "--sync", QString::number(x), QString::number(y)});
    Run("xdotool", {"click", "1"});
}

// The first visible window whose title matches the regular expression, or the empty text.
inline QString VisibleWindow(const QString& title) {
    return Run("xdotool", {"search", "--onlyvisible", "--name", title}).section('\n', 0, 0);
}

inline QString WaitForWindow(const QString& title, int ms) {
    QString window;
    Poll(ms, [&] { return !(window = VisibleWindow(title)).isEmpty(); });
    return window;
}

inline bool WaitUntilGone(const QString& title, int ms) {
    return Poll(ms, [&] { return VisibleWindow(title).isEmpty(); });
}

// The window's place on the screen (no window manager: no frame around it).
inline QRect WindowRect(const QString& window) {
    const QString geometry = Run("xdotool", {"getwindowgeometry", "--shell", window});
    int x = 0, y = 0, width = 0, height = 0;
    for (const QString& line : geometry.split('\n')) {
        const int value = line.section('=', 1).toInt();
        if (line.startsWith("X=")) x = value;
        if (line.startsWith("Y=")) y = value;
        if (line.startsWith("WIDTH=")) width = value;
        if (line.startsWith("HEIGHT=")) height = value;
    }
    return QRect(x, y, width, height);
}

// A part of the X screen (the whole screen for a null rectangle), read through the X
// connection of this process.
inline QImage Grab(const QRect& area = QRect()) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return QImage();
    const QPixmap pixmap =
        area.isNull() ? screen->grabWindow(0)
                      : screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return pixmap.toImage();
}

inline bool Screenshot(const QString& path, const QRect& area = QRect()) {
    const QImage image = Grab(area);
    return !image.isNull() && image.save(path, "PNG");
}

// The program under test with its status trace, read from its stderr or, when traceFile is
// given, from that file as it grows (a Windows window program under Wine has no stderr to read;
// it is told the file's name as nameForProgram, its Windows name); killed when this object goes,
// and by the kernel should the test itself die.
class TTracedProgram {
  public:
    explicit TTracedProgram(const QProcessEnvironment& environment,
                            const QString& traceFile = QString(),
                            const QString& nameForProgram = QString())
        : traceFile_(traceFile) {
        QProcessEnvironment env = environment;
        if (traceFile.isEmpty()) {
            env.insert("TOLVANE_STATUS_TRACE", "1");
        } else {
            env.insert("TOLVANE_STATUS_TRACE_FILE", nameForProgram);
        }
        env.remove("QT_QPA_PLATFORM");
        process_.setProcessEnvironment(env);
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        QObject::connect(&process_, &QProcess::readyReadStandardError,
                         [this] { trace_ += process_.readAllStandardError(); });
    }
    TTracedProgram(const TTracedProgram&) = delete;
    TTracedProgram& operator=(const TTracedProgram&) = delete;
    ~TTracedProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    void Start(const QString& program, const QStringList& args = {}) {
        process_.start(program, args);
    }
    QProcess& Process() { return process_; }
    const QByteArray& Trace() const { return trace_; }
    qsizetype TraceSize() const { return trace_.size(); }

    // Waits for a trace text written at or after byte `from` of the trace.
    bool WaitFor(const QString& text, int ms, qsizetype from = 0) {
        const QByteArray bytes = text.toUtf8();
        QElapsedTimer timer;
        timer.start();
        while (trace_.indexOf(bytes, from) < 0 && timer.elapsed() < ms) {
            if (process_.state() == QProcess::NotRunning) break;
            process_.waitForReadyRead(100);
            QGuiApplication::processEvents();
            ReadTraceFile();
        }
        ReadTraceFile();
        return trace_.indexOf(bytes, from) >= 0;
    }
    // Reads what the program has written so far without waiting.
    void Drain() {
        process_.waitForReadyRead(0);
        QGuiApplication::processEvents();
        ReadTraceFile();
    }

  private:
    // The lines added to the trace file since the last look.
    void ReadTraceFile() {
        if (traceFile_.isEmpty()) return;
        QFile file(traceFile_);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(traceRead_)) return;
        const QByteArray added = file.readAll();
        trace_ += added;
        traceRead_ += added.size();
    }

    QString traceFile_;
    qint64 traceRead_ = 0;
    QProcess process_;
    QByteArray trace_;
};

}  // namespace e2e
