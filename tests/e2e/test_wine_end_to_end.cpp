// Drives the Windows program under Wine on an X display (started by xvfb-run): a portable
// folder (tolvane.exe with its settings and document beside it), the import of a draw file
// through the File menu, F5, a screenshot, Ctrl+S and the File menu's exit. The saved
// document must hold the very bytes the native tolvane-search writes for the same draws,
// options and seed.
//
// usage: test_wine_end_to_end WINE PORTABLE_FOLDER TOLVANE_SEARCH ARTIFACTS_DIR
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "tests/e2e/E2eDriver.h"
#include "tests/support/RandomDraws.h"

using namespace e2e;

namespace {

const QString FileDialogTitle = QStringLiteral("^从文本文件中的开奖数据导入号码$");
const QString PreviewTitle = QStringLiteral("^导入开奖号码$");
const QString MessageTitle = QStringLiteral("^Tolvane$");
constexpr char Seed[] = "20240917";

// Opens the File menu and presses the item's key until happened() holds (the first key can
// reach a window that is still being mapped).
bool MenuCommand(const QString& window, const QString& itemKey,
                 const std::function<bool()>& happened) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        XdoKey(window, "alt+f");
        Sleep(500);
        Run("xdotool", {"key", itemKey});
        if (happened()) return true;
        XdoKey(window, "Escape");
    }
    return false;
}

// A file's name as a Windows program under Wine sees it (drive Z: is the root).
QString WindowsName(const QString& path) {
    QString name = QStringLiteral("Z:") + path;
    return name.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: test_wine_end_to_end WINE PORTABLE TOLVANE_SEARCH ARTIFACTS\n");
        return 2;
    }
    // ReadyForRun wants the artifacts folder third: shift the arguments by one.
    char* shifted[] = {argv[0], argv[1], argv[2], argv[4]};
    int shiftedCount = 4;
    if (!ReadyForRun(shiftedCount, shifted, "test_wine_end_to_end")) return 2;
    QGuiApplication app(argc, argv);
    const QString wine = argv[1];
    const QString folder = QDir(argv[2]).absolutePath();
    const QString search = argv[3];
    const QString artifacts = argv[4];

    QTemporaryDir temp;
    const QString document = folder + "/工作文档.gtmq";
    const QString reference = temp.filePath("reference.gtmq");
    // The draw file's name is typed into Wine's file dialog, and xdotool's typing reaches Wine
    // only for ASCII (a Chinese character arrives as one unknown key); the portable folder
    // keeps its Chinese name.
    const QString drawFile = temp.filePath("draws.txt");
    // 150 draws and options that find a few thousand patterns in a few seconds; no automatic
    // update, so that the program asks no real service. An empty document opens quietly.
    {
        QFile draws(drawFile);
        draws.open(QIODevice::WriteOnly);
        draws.write(QByteArray::fromStdString(RandomDrawFile(2024, 150)));
        QFile ini(folder + "/pavolen.ini");
        ini.open(QIODevice::WriteOnly);
        ini.write(
            "[TGui2Options]\r\nSecCountSe=4\r\nRefTailChk=0\r\n"
            "[TDataDown]\r\nAutoUpdate=0\r\n");
        QFile(document).open(QIODevice::WriteOnly);
    }
    int exitCode = -1;
    Run(search,
        {"--ini", folder + "/pavolen.ini", "--quiet", "--seed", Seed, "--document", reference,
         drawFile},
        &exitCode);
    Check(exitCode == 0, "the native tolvane-search writes the reference document");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOLVANE_SEARCH_SEED", Seed);
    // tolvane.exe is a window program: its trace goes to a file (its Windows name: drive Z: is
    // the root).
    const QString traceFile = temp.filePath("trace.txt");
    TTracedProgram program(env, traceFile, WindowsName(traceFile));
    program.Start(wine, {folder + "/tolvane.exe"});
    const QString window = WaitForWindow(MainTitlePattern(), 60000);
    Check(!window.isEmpty(), "the main window appears");
    Check(program.WaitFor(QStringLiteral("status2: 总共"), 20000), "the pattern count shows");
    Sleep(1000);

    // The import: Wine's file dialog takes the file's Windows name.
    QString dialog;
    Check(MenuCommand(window, "i",
                      [&] { return !(dialog = WaitForWindow(FileDialogTitle, 10000)).isEmpty(); }),
          "the import opens the file dialog");
    Sleep(1000);
    const QString windowsName = WindowsName(drawFile);
    Run("xdotool", {"windowfocus", "--sync", dialog});
    Run("xdotool", {"type", "--delay", "20", windowsName});
    Run("xdotool", {"key", "Return"});
    // A file of bare draws is read at once; a table would first show its preview.
    const QByteArray success = QStringLiteral("message: 导入开奖号码成功！").toUtf8();
    QString preview;
    Poll(20000, [&] {
        program.Drain();
        return program.Trace().contains(success) ||
               !(preview = VisibleWindow(PreviewTitle)).isEmpty();
    });
    if (!preview.isEmpty()) XdoKey(preview, "Return");
    Check(program.WaitFor(QStringLiteral("message: 导入开奖号码成功！"), 20000),
          "the import reports success");
    const QString box = WaitForWindow(MessageTitle, 10000);
    if (!box.isEmpty()) XdoKey(box, "Return");
    Check(WaitUntilGone(MessageTitle, 10000), "the message closes");

    const qsizetype imported = program.TraceSize();
    XdoKey(window, "F5");
    Check(program.WaitFor(QStringLiteral("status2: 结束搜索，花费"), 180000, imported),
          "the search finishes");
    Sleep(1000);
    Check(Screenshot(artifacts + "/wine-main-window.png", WindowRect(window)),
          "a screenshot of the main window");

    // The ticket book (Ctrl+T) opens with its entry focused and stores a typed ticket in its
    // database beside the document (SQLite keeps the numbers as text).
    XdoKey(window, "ctrl+t");
    const QString book = WaitForWindow(QStringLiteral("^投注与兑奖$"), 15000);
    Check(!book.isEmpty(), "the ticket book opens");
    if (!book.isEmpty()) {
        Sleep(1000);
        Run("xdotool", {"windowfocus", "--sync", book});
        Run("xdotool", {"type", "--delay", "50", "1234567"});
        Run("xdotool", {"key", "Return"});
    }
    Check(Poll(15000, [&] { return Bytes(document + ".tickets.db").contains("1234567"); }),
          "the ticket book stores a ticket");
    // Closed again (Alt+F4, handled by Windows itself), so that the keys go to the main window.
    if (!book.isEmpty()) XdoKey(book, "alt+F4");
    Check(WaitUntilGone(QStringLiteral("^投注与兑奖$"), 10000), "the ticket book closes");

    const QDateTime before = QFileInfo(document).lastModified();
    Sleep(1100);  // a newer time stamp than the empty file's
    XdoKey(window, "ctrl+s");
    Check(Poll(20000, [&] { return QFileInfo(document).lastModified() != before; }),
          "Ctrl+S writes the document");

    MenuCommand(window, "x", [&] { return program.Process().waitForFinished(15000); });
    Check(program.Process().state() == QProcess::NotRunning,
          "the program closes from the File menu");
    Check(QFile::exists(folder + "/pavolen.ini"), "the settings stay beside the program");

    const QByteArray saved = Bytes(document);
    const QByteArray expected = Bytes(reference);
    Check(!expected.isEmpty(), "the reference document reads");
    Check(saved == expected,
          QStringLiteral("the saved document (%1 bytes) is the native tool's (%2 bytes)")
              .arg(saved.size())
              .arg(expected.size()));
    if (saved != expected) QFile::copy(document, artifacts + "/wine-saved.gtmq");
    std::printf("%s\n", failures == 0 ? "wine end-to-end: passed" : "wine end-to-end: FAILED");
    return failures == 0 ? 0 : 1;
}
