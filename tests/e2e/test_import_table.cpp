// Imports a results site's table with the real program on an X display (started by xvfb-run):
// the File menu's import, the file dialog, the preview's "导入", the success message, Ctrl+S and
// the File menu's exit. The saved document must hold the table's draws, oldest first.
//
// usage: test_import_table TOLVANE UNUSED ARTIFACTS_DIR
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "tests/e2e/E2eDocument.h"
#include "tests/e2e/E2eDriver.h"
#include "tests/support/RandomDraws.h"

using namespace e2e;

namespace {

const QString MainTitle = MainTitlePattern();
const QString FileDialogTitle = QStringLiteral("^从文本文件中的开奖数据导入号码$");
const QString PreviewTitle = QStringLiteral("^导入开奖号码$");
const QString MessageTitle = QStringLiteral("^Tolvane$");

// Opens the File menu and picks an item by its letter, up to three times: keys that arrive
// before the menu has opened are lost.
bool MenuCommand(const QString& window, const QString& itemKey,
                 const std::function<bool()>& happened) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        XdoKey(window, "alt+f");
        Sleep(300);
        Run("xdotool", {"key", itemKey});
        if (happened()) return true;
        XdoKey(window, "Escape");
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadyForRun(argc, argv, "test_import_table TOLVANE UNUSED ARTIFACTS_DIR")) return 2;
    QGuiApplication app(argc, argv);
    const QString tolvane = argv[1];
    const QString artifacts = argv[3];

    QTemporaryDir temp;
    const QString folder = temp.filePath("data/Tolvane");
    QDir().mkpath(folder);
    const QString document = folder + "/工作文档.gtmq";
    // An empty document opens without a message.
    QFile(document).open(QIODevice::WriteOnly);
    // No automatic update: the program must not ask a real service.
    {
        QFile ini(folder + "/pavolen.ini");
        ini.open(QIODevice::WriteOnly);
        ini.write("[TDataDown]\r\nAutoUpdate=0\r\n");
    }

    // 60 draws, newest first, issue numbers across a new year, a header, CRLF, UTF-8 with BOM.
    QStringList draws;
    for (const std::string& line : RandomDrawLines(13, 60)) draws << QString::fromStdString(line);
    const QString table = temp.filePath("history.csv");
    {
        QFile file(table);
        file.open(QIODevice::WriteOnly);
        file.write("\xEF\xBB\xBF期号,开奖日期,开奖号码\r\n");
        for (int i = 59; i >= 0; --i) {
            const int issue = i < 30 ? 2023121 + i : 2024001 + i - 30;
            file.write(QStringLiteral("%1,2024-02-%2,%3\r\n")
                           .arg(issue)
                           .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                           .arg(draws[i])
                           .toUtf8());
        }
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", temp.filePath("data"));
    TTracedProgram program(env);
    program.Start(tolvane);
    const QString window = WaitForWindow(MainTitle, 20000);
    Check(!window.isEmpty(), "the main window appears");
    Check(program.WaitFor(QStringLiteral("status2: 总共"), 10000), "the pattern count shows");
    Sleep(500);

    QString dialog;
    Check(MenuCommand(window, "i",
                      [&] { return !(dialog = WaitForWindow(FileDialogTitle, 5000)).isEmpty(); }),
          "the import opens the file dialog");
    Sleep(500);
    Run("xdotool", {"windowfocus", "--sync", dialog});
    Run("xdotool", {"type", "--delay", "20", table});
    Run("xdotool", {"key", "Return"});

    const QString preview = WaitForWindow(PreviewTitle, 10000);
    Check(!preview.isEmpty(), "the preview shows the table");
    Sleep(500);
    Check(Screenshot(artifacts + "/import-preview.png", WindowRect(preview)),
          "a screenshot of the preview");
    XdoKey(preview, "Return");
    Check(program.WaitFor(QStringLiteral("message: 导入开奖号码成功！"), 10000),
          "the import reports success");
    const QString box = WaitForWindow(MessageTitle, 10000);
    if (!box.isEmpty()) XdoKey(box, "Return");
    Check(WaitUntilGone(MessageTitle, 10000), "the message closes");

    const QDateTime before = QFileInfo(document).lastModified();
    Sleep(1100);  // a newer time stamp than the empty file's
    XdoKey(window, "ctrl+s");
    Check(Poll(10000, [&] { return QFileInfo(document).lastModified() != before; }),
          "Ctrl+S writes the document");

    MenuCommand(window, "x", [&] { return program.Process().waitForFinished(5000); });
    Check(program.Process().state() == QProcess::NotRunning, "the program closes");

    TDocument saved;
    if (Load(document, saved)) {
        const QStringList texts = saved.DrawTexts();
        Check(
            texts == draws,
            QString("the saved draws are the table's, oldest first (%1 saved)").arg(texts.size()));
    } else {
        Check(false, "the saved document reads");
    }
    std::printf("%s\n", failures == 0 ? "import-table: passed" : "import-table: FAILED");
    return failures == 0 ? 0 : 1;
}
