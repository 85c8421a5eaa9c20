// Runs the real program on an X display (started by xvfb-run): a prepared program folder, 确定 in
// an untouched 搜索设置, F5, the finish text, a pattern selected in the list, a screenshot, Ctrl+S
// and the File menu's exit. The saved document must hold exactly the patterns tolvane-search finds
// for the same draws and options.
//
// usage: test_end_to_end TOLVANE TOLVANE_SEARCH ARTIFACTS_DIR
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "search/OptionsIni.h"
#include "tests/e2e/E2eDocument.h"
#include "tests/e2e/E2eDriver.h"
#include "tests/support/RandomDraws.h"

using namespace e2e;

namespace {

// Same figure, steps, sums, layout and predictions. The digit of the high line, when both
// lines predict, comes from a random source whose seed the program takes from the clock.
bool SamePattern(TGui2Reg& a, TGui2Reg& b) {
    a.OrderByShortestPath();
    b.OrderByShortestPath();
    for (int l = 0; l < 2; ++l) {
        if (a.Line(l).Count() != b.Line(l).Count()) return false;
        for (int i = 0; i < a.Line(l).Count(); ++i)
            if (!(a.Line(l).Get(i) == b.Line(l).Get(i))) return false;
    }
    if (a.Layout != b.Layout || a.StepTotal != b.StepTotal || a.BaseRow != b.BaseRow ||
        a.ContrastKind != b.ContrastKind || a.StepSums != b.StepSums)
        return false;
    const bool bothPredict = a.PositionCount(0) > 0 && a.PositionCount(1) > 0;
    for (int l = 0; l < 2; ++l) {
        if (a.LineResults[l].Positions != b.LineResults[l].Positions) return false;
        if (!(bothPredict && l == 1) && a.GetResult(l) != b.GetResult(l)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadyForRun(argc, argv, "test_end_to_end TOLVANE TOLVANE_SEARCH ARTIFACTS_DIR")) return 2;
    QGuiApplication app(argc, argv);
    const QString tolvane = argv[1];
    const QString search = argv[2];
    const QString artifacts = argv[3];

    QTemporaryDir temp;
    const QString folder = temp.filePath("data/Tolvane");
    QDir().mkpath(folder);
    const QString document = folder + "/工作文档.gtmq";
    const QString reference = temp.filePath("reference.gtmq");

    // 150 draws and options that find a few thousand patterns in a few seconds.
    {
        QFile draws(temp.filePath("draws.txt"));
        draws.open(QIODevice::WriteOnly);
        draws.write(QByteArray::fromStdString(RandomDrawFile(2024, 150)));
        QFile ini(folder + "/pavolen.ini");
        ini.open(QIODevice::WriteOnly);
        // No automatic update: the program must not ask a real service.
        ini.write(
            "[TGui2Options]\r\nSecCountSe=4\r\nRefTailChk=0\r\n"
            "[TDataDown]\r\nAutoUpdate=0\r\n");
    }
    int exitCode = -1;
    Run(search,
        {"--ini", folder + "/pavolen.ini", "--quiet", "--document", reference,
         temp.filePath("draws.txt")},
        &exitCode);
    Check(exitCode == 0, "tolvane-search writes the reference document");
    QFile::copy(reference, document);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", temp.filePath("data"));
    env.insert("TOLVANE_STATUS_TRACE", "1");
    env.remove("QT_QPA_PLATFORM");
    program.setProcessEnvironment(env);
    QByteArray trace;
    QObject::connect(&program, &QProcess::readyReadStandardError,
                     [&] { trace += program.readAllStandardError(); });
    program.start(tolvane, {});
    // Waits for a status text written at or after byte `from` of the trace.
    auto waitFor = [&](const QByteArray& text, int ms, qsizetype from = 0) {
        QElapsedTimer timer;
        timer.start();
        while (trace.indexOf(text, from) < 0 && timer.elapsed() < ms) {
            program.waitForReadyRead(100);
            QGuiApplication::processEvents();
        }
        return trace.indexOf(text, from) >= 0;
    };

    QString window;
    for (int i = 0; i < 100 && window.isEmpty(); ++i) {
        window = Run("xdotool", {"search", "--name", MainTitlePattern()}).section('\n', 0, 0);
        if (window.isEmpty()) Sleep(100);
    }
    Check(!window.isEmpty(), "the main window appears");
    Check(waitFor(QStringLiteral("status2: 总共").toUtf8(), 10000), "the pattern count shows");
    Sleep(500);

    // 确定 in an untouched 搜索设置 must leave the search as it was.
    const SearchOptions started = LoadSearchOptions((folder + "/pavolen.ini").toStdString());
    XdoKey(window, "F12");
    const QString optionsDialog = WaitForWindow("^搜索设置$", 10000);
    Check(!optionsDialog.isEmpty(), "搜索设置 opens");
    XdoKey(optionsDialog, "Return");
    Check(WaitUntilGone("^搜索设置$", 10000), "确定 closes 搜索设置");

    XdoKey(window, "F5");
    Check(waitFor(QStringLiteral("status2: 开始搜索规律,请稍候...").toUtf8(), 10000),
          "the search starts");
    Check(waitFor(QStringLiteral("status2: 结束搜索，花费").toUtf8(), 120000),
          "the search finishes");

    // Focus the list with a click on its right part and select a row with the keyboard: the
    // grid paints its pattern and the status shows the pattern count again.
    const qsizetype finishedAt = trace.size();
    const QRect frame = WindowRect(window);
    QFile::remove(artifacts + "/end-to-end.png");
    Run("xdotool", {"mousemove", "--sync", QString::number(frame.right() - 60),
                    QString::number(frame.center().y())});
    Run("xdotool", {"click", "1"});
    XdoKey(window, "Down");
    Check(waitFor(QStringLiteral("status2: 总共").toUtf8(), 10000, finishedAt),
          "a row of the list is selected and painted");
    Sleep(500);
    Check(Screenshot(artifacts + "/end-to-end.png"), "a screenshot is taken");

    const QDateTime before = QFileInfo(document).lastModified();
    XdoKey(window, "ctrl+s");
    for (int i = 0; i < 100 && QFileInfo(document).lastModified() == before; ++i) Sleep(100);
    Check(QFileInfo(document).lastModified() != before, "Ctrl+S writes the document");

    XdoKey(window, "alt+f");
    Sleep(300);
    Run("xdotool", {"key", "x"});
    const bool ended = program.waitForFinished(15000);
    Check(ended, "the program closes from the File menu");
    if (!ended) program.kill();
    Check(QFile::exists(folder + "/pavolen.ini"), "the settings are written at exit");
    Check(LoadSearchOptions((folder + "/pavolen.ini").toStdString()) == started,
          "the search options written at exit are those the program started with");

    TDocument saved;
    TDocument expected;
    if (Load(document, saved) && Load(reference, expected)) {
        Check(saved.Draws.Count() == 150, "the saved document holds the draws");
        const int32_t n = expected.Manager->Count();
        Check(n > 0, "the reference search finds patterns");
        Check(saved.Manager->Count() == n,
              QString("pattern count %1, expected %2").arg(saved.Manager->Count()).arg(n));
        int different = 0;
        for (int32_t i = 0; i < std::min(n, saved.Manager->Count()); ++i)
            if (!SamePattern(saved.Manager->Get(i), expected.Manager->Get(i))) ++different;
        Check(different == 0, QString("%1 patterns differ from the reference").arg(different));
        std::printf("patterns: %d\n", n);
    } else {
        Check(false, "both documents read");
    }
    std::printf("%s\n", failures == 0 ? "end-to-end: passed" : "end-to-end: FAILED");
    return failures == 0 ? 0 : 1;
}
