// Runs the real program several times on one program folder (an X display of xvfb-run): a
// second start while the first runs opens nothing and says so; SIGTERM with unsaved changes
// keeps them in a recovery copy that the next start offers (是 opens it modified); a lock left
// by a killed program is taken over; 否 removes the copy; a clean end releases the lock.
//
// usage: test_one_program TOLVANE TOLVANE_SEARCH ARTIFACTS_DIR
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>

#include "data/ProgramIdentity.h"
#include "tests/e2e/E2eDriver.h"
#include "tests/support/RandomDraws.h"

using namespace e2e;

namespace {

// Waits until the program has ended; its exit code, or -1 when it still runs or crashed.
int EndOf(TTracedProgram& program, int ms) {
    if (!program.Process().waitForFinished(ms)) return -1;
    program.Drain();
    return program.Process().exitStatus() == QProcess::NormalExit ? program.Process().exitCode()
                                                                  : -1;
}

// Answers the message box or question on the screen with a key.
void AnswerBox(const QString& key) {
    const QString box = WaitForWindow(QStringLiteral("^Tolvane$"), 10000);
    Check(!box.isEmpty(), "the box " + key + " answers is shown");
    XdoKey(box, key);
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadyForRun(argc, argv, "test_one_program TOLVANE TOLVANE_SEARCH ARTIFACTS_DIR")) return 2;
    QGuiApplication app(argc, argv);
    const QString tolvane = argv[1];
    QTemporaryDir temp;
    const QString folder = temp.filePath("data/Tolvane");
    QDir().mkpath(folder);
    const QString document = folder + "/" + QString::fromUtf8(WorkDocumentFileName);
    const QString recovery = document + ".recovery";
    const QString lock = folder + "/" + QString::fromUtf8(FolderLockFileName);
    {
        QFile draws(temp.filePath("draws.txt"));
        draws.open(QIODevice::WriteOnly);
        draws.write(QByteArray::fromStdString(RandomDrawFile(2025, 150)));
        QFile ini(folder + "/pavolen.ini");
        ini.open(QIODevice::WriteOnly);
        ini.write(
            "[TGui2Options]\r\nSecCountSe=4\r\nRefTailChk=0\r\n[TDataDown]\r\nAutoUpdate=0\r\n");
    }
    int exitCode = -1;
    Run(argv[2],
        {"--ini", folder + "/pavolen.ini", "--quiet", "--document", document,
         temp.filePath("draws.txt")},
        &exitCode);
    Check(exitCode == 0, "tolvane-search writes the document");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", temp.filePath("data"));

    TTracedProgram first(env);
    first.Start(tolvane);
    const QString window = WaitForWindow(MainTitlePattern(), 20000);
    Check(!window.isEmpty(), "the first program's window appears");
    Check(first.WaitFor(QStringLiteral("status2: 总共"), 20000), "the document opens");

    {
        TTracedProgram second(env);
        second.Start(tolvane);
        Check(second.WaitFor(QStringLiteral("message: ") + QString::fromUtf8(AlreadyRunningText),
                             20000),
              "a second start on the folder says the program runs");
        Screenshot(QString(argv[3]) + "/second-start.png");
        AnswerBox(QStringLiteral("Return"));
        Check(EndOf(second, 10000) == 1, "the second start ends without a window");
        Check(!second.Trace().contains("status2:"), "the second start opened no document");
    }

    // Unsaved changes: a search's patterns; then the system ends the run.
    XdoKey(window, "F5");
    Check(first.WaitFor(QStringLiteral("status2: 结束搜索，花费"), 120000), "the search finishes");
    ::kill(static_cast<pid_t>(first.Process().processId()), SIGTERM);
    Check(EndOf(first, 10000) == 0, "SIGTERM ends the program");
    Check(QFileInfo::exists(recovery), "the unsaved changes are kept in a recovery copy");
    Check(!QFileInfo::exists(lock), "the lock goes with the program");

    {
        TTracedProgram again(env);
        again.Start(tolvane);
        Check(again.WaitFor(QStringLiteral("question: ") +
                                QString::fromUtf8(RecoveryQuestionText).section('\r', 0, 0),
                            20000),
              "the next start offers the recovery copy");
        AnswerBox(QStringLiteral("Return"));  // 是
        Check(!WaitForWindow(MainTitlePattern() + QStringLiteral(".*[*]"), 20000).isEmpty(),
              "the recovered changes open as a modified document");
        Screenshot(QString(argv[3]) + "/recovered.png");
        ::kill(static_cast<pid_t>(again.Process().processId()), SIGKILL);
        EndOf(again, 10000);
    }
    Check(QFileInfo::exists(lock), "a killed program leaves its lock");

    TTracedProgram last(env);
    last.Start(tolvane);
    Check(last.WaitFor(QStringLiteral("question: "), 20000),
          "the stale lock is taken over and the copy offered again");
    AnswerBox(QStringLiteral("Escape"));  // 否
    Check(!WaitForWindow(MainTitlePattern(), 20000).isEmpty(), "the window appears");
    Check(last.WaitFor(QStringLiteral("status2: 总共"), 20000), "the document opens");
    Check(!QFileInfo::exists(recovery), "否 removes the recovery copy");
    ::kill(static_cast<pid_t>(last.Process().processId()), SIGTERM);
    Check(EndOf(last, 10000) == 0, "SIGTERM ends an unmodified program");
    Check(!QFileInfo::exists(recovery), "nothing unsaved: no recovery copy");
    Check(!QFileInfo::exists(lock), "the lock is released");
    if (failures == 0) std::fprintf(stderr, "test_one_program: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
