// A new user's first session with the real program on an X display (started by xvfb-run): an
// empty program folder whose settings name a local draw service, a quiet first start, the
// download from the File menu, Ctrl+S, a search (F5), the statistics window (F8, "定位定数"),
// the about box and the draw editor, each with a screenshot, then the File menu's exit. The saved
// document must hold the served draws digit for digit, and the patterns the program said it found.
//
// usage: test_download_stats TOLVANE TOLVANE_DRAWSVC ARTIFACTS_DIR
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

#include "search/OptionsIni.h"
#include "tests/e2e/E2eDocument.h"
#include "tests/e2e/E2eDriver.h"
#include "tests/support/DrawServiceProcess.h"
#include "tests/support/RandomDraws.h"

using namespace e2e;

namespace {

const QString MainTitle = MainTitlePattern();
const QString MessageTitle = QStringLiteral("^Tolvane$");
const QString StatTitle = QStringLiteral("^规律统计分析$");
const QString AboutTitle = QStringLiteral("^关于$");
const QString EditorTitle = QStringLiteral("^开奖号码编辑$");

// 320 draws; every fifth starts with one zero, every eleventh with two, one is all zeros.
QStringList MakeDraws() {
    QStringList draws;
    int i = 0;
    for (const std::string& line : RandomDrawLines(8, 320)) {
        QString draw = QString::fromStdString(line);
        if (i % 5 == 0) draw[0] = '0';
        if (i % 11 == 0) draw[0] = draw[1] = '0';
        if (i == 100) draw = "0000000";
        draws << draw;
        ++i;
    }
    return draws;
}

// Reports the first draw that differs, which says more than two lists of 320 texts.
void CheckSameDraws(const QStringList& saved, const QStringList& served, const QString& when) {
    Check(saved.size() == served.size(),
          QString("%1: %2 draws saved, %3 served").arg(when).arg(saved.size()).arg(served.size()));
    for (qsizetype i = 0; i < std::min(saved.size(), served.size()); ++i)
        if (saved[i] != served[i]) {
            Check(false, QString("%1: draw %2 is %3, served %4")
                             .arg(when)
                             .arg(i + 1)
                             .arg(saved[i], served[i]));
            return;
        }
}

// Pixels painted in one of the chart colours (bars, value bars, grid lines).
int ChartPixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(0, 0, 255), qRgb(255, 98, 84), qRgb(128, 128, 0)};
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, y) & 0xffffff;
            for (QRgb c : colours)
                if (pixel == (c & 0xffffff)) ++count;
        }
    return count;
}

// Opens a menu with alt+letter and picks an item by its letter, up to three times: a key that
// arrives before the menu has opened is lost, so when `happened` (which waits a few seconds)
// does not see the command's effect, the menu is closed and the keys are sent again.
bool MenuCommand(const QString& window, const QString& menuKey, const QString& itemKey,
                 const std::function<bool()>& happened) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        XdoKey(window, menuKey);
        Sleep(300);
        Run("xdotool", {"key", itemKey});
        if (happened()) return true;
        XdoKey(window, "Escape");
    }
    return false;
}

// Presses Return in the message box and waits until it has gone.
bool DismissMessage() {
    const QString box = WaitForWindow(MessageTitle, 10000);
    if (box.isEmpty()) return false;
    XdoKey(box, "Return");
    return WaitUntilGone(MessageTitle, 10000);
}

bool WaitForNewerFile(const QString& path, const QDateTime& before, int ms) {
    return Poll(ms, [&] {
        const QFileInfo info(path);
        return info.exists() && (!before.isValid() || info.lastModified() != before);
    });
}

int LastPatternCount(const QByteArray& trace) {
    // "总共N个规律" and the finish text "...总共搜索到N个规律".
    static const QRegularExpression count(
        QStringLiteral("status2: \\S*总共(?:搜索到)?(\\d+)个规律"));
    int last = -1;
    for (auto it = count.globalMatch(QString::fromUtf8(trace)); it.hasNext();)
        last = it.next().captured(1).toInt();
    return last;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadyForRun(argc, argv, "test_download_stats TOLVANE TOLVANE_DRAWSVC ARTIFACTS_DIR"))
        return 2;
    qputenv("no_proxy", "*");  // the service runs on 127.0.0.1
    QGuiApplication app(argc, argv);
    const QString tolvane = argv[1];
    const QString drawsvc = argv[2];
    const QString artifacts = argv[3];
    for (const char* name :
         {"first-start.png", "download.png", "statistics.png", "about.png", "draw-editor.png"})
        QFile::remove(artifacts + "/" + name);

    QTemporaryDir temp;
    const QString folder = temp.filePath("data/Tolvane");
    QDir().mkpath(folder);
    const QString document = folder + "/工作文档.gtmq";
    const QString settings = folder + "/pavolen.ini";

    const QStringList served = MakeDraws();
    {
        QFile file(temp.filePath("served.txt"));
        Check(file.open(QIODevice::WriteOnly), "the draw file is written");
        file.write(served.join("\r\n").toLatin1() + "\r\n");
    }
    const std::string member = "测试 会员#1";
    const std::string password = "p&w d=2";
    TDrawServiceProcess service(
        drawsvc.toStdString(),
        {"--draws", temp.filePath("served.txt").toStdString(), "--first-issue", "2026001",
         "--member", member, "--password", password});
    if (service.Url.empty()) {
        std::fprintf(stderr, "FAILED: tolvane-drawsvc does not start\n");
        return 1;
    }
    // The settings the options dialog would write: the member, the address, default options.
    SearchOptions options;
    options.MemberName = member;
    options.MemberPassword = password;
    options.ServiceUrl = service.Url;
    options.AutoUpdateChk = false;  // the download here is the command's
    SaveSearchOptions(settings.toStdString(), options);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", temp.filePath("data"));
    env.insert("no_proxy", "*");
    TTracedProgram program(env);
    program.Start(tolvane);

    // No document yet is a first start: the window opens empty, without a message.
    const QString window = WaitForWindow(MainTitle, 20000);
    Check(!window.isEmpty(), "the main window appears");
    Check(program.WaitFor(QStringLiteral("status2: 总共0个规律"), 10000),
          "the empty pattern list shows");
    program.Drain();
    Check(!program.Trace().contains("message: "), "the first start shows no message");
    Check(Screenshot(artifacts + "/first-start.png"), "a screenshot of the first start");

    // 文件 > 下载数据: the worker waits a few seconds before it asks the service.
    qsizetype mark = program.TraceSize();
    Check(MenuCommand(window, "alt+f", "d",
                      [&] {
                          return program.WaitFor(QStringLiteral("status0: 正在下载开奖数据..."),
                                                 5000, mark);
                      }),
          "the File menu starts the download");
    Check(program.WaitFor(QStringLiteral("message: 下载开奖数据"), 30000, mark),
          "the download ends with a message");
    Check(
        program.Trace().indexOf(QStringLiteral("message: 下载开奖数据成功！").toUtf8(), mark) >= 0,
        "the download succeeds: " + QString::fromUtf8(program.Trace().mid(mark)));
    Check(!WaitForWindow(MessageTitle, 10000).isEmpty(), "the success message shows");
    Check(Screenshot(artifacts + "/download.png"), "a screenshot of the downloaded draws");
    Check(DismissMessage(), "the success message is dismissed");

    XdoKey(window, "ctrl+s");
    Check(WaitForNewerFile(document, QDateTime(), 10000), "Ctrl+S writes the document");
    {
        TDocument saved;
        if (Load(document, saved))
            CheckSameDraws(saved.DrawTexts(), served, "after the download");
        else
            Check(false, "the document after the download reads");
    }

    mark = program.TraceSize();
    XdoKey(window, "F5");
    Check(program.WaitFor(QStringLiteral("status2: 开始搜索规律,请稍候..."), 10000, mark),
          "the search starts");
    Check(program.WaitFor(QStringLiteral("status2: 结束搜索，花费"), 120000, mark),
          "the search finishes");
    const qsizetype finished =
        program.Trace().indexOf(QStringLiteral("status2: 结束搜索").toUtf8(), mark);
    Check(program.WaitFor(QStringLiteral("个规律\n"), 10000, std::max<qsizetype>(finished, 0)),
          "the finish text names the pattern count");

    // F8 opens the statistics window with the charts of the chosen statistic ("定位定数" at
    // first); its button runs it again.
    XdoKey(window, "F8");
    const QString stat = WaitForWindow(StatTitle, 10000);
    Check(!stat.isEmpty(), "F8 opens the statistics window");
    if (!stat.isEmpty()) {
        const QRect area = WindowRect(stat);
        Check(area.width() >= 600 && area.height() >= 300,
              QString("the statistics window is %1x%2").arg(area.width()).arg(area.height()));
        Check(Poll(10000, [&] { return ChartPixels(Grab(area)) > 500; }),
              "the statistics window opens with charts");
        // The first button of the tool bar along the top edge.
        XdoClick(area.x() + 36, area.y() + 13);
        Check(Poll(10000, [&] { return ChartPixels(Grab(area)) > 500; }),
              "\"定位定数\" paints charts");
        Check(Screenshot(artifacts + "/statistics.png", area),
              "a screenshot of the statistics window");
    }

    // 帮助 > 关于 shows the about box over the main window; Escape closes it.
    QString about;
    Check(MenuCommand(window, "alt+h", "a",
                      [&] { return !(about = WaitForWindow(AboutTitle, 5000)).isEmpty(); }),
          "the Help menu opens the about box");
    if (!about.isEmpty()) {
        Sleep(300);  // let it paint once
        Check(Screenshot(artifacts + "/about.png", WindowRect(about)),
              "a screenshot of the about box");
        XdoKey(about, "Escape");
        Check(WaitUntilGone(AboutTitle, 5000), "Escape closes the about box");
    }

    // 文件 > 数据编辑 shows the draws as text; Escape leaves them as they are.
    QString editor;
    Check(MenuCommand(window, "alt+f", "e",
                      [&] { return !(editor = WaitForWindow(EditorTitle, 5000)).isEmpty(); }),
          "the File menu opens the draw editor");
    if (!editor.isEmpty()) {
        Sleep(300);  // let it paint once
        Check(Screenshot(artifacts + "/draw-editor.png", WindowRect(editor)),
              "a screenshot of the draw editor");
        XdoKey(editor, "Escape");
        Check(WaitUntilGone(EditorTitle, 5000), "Escape closes the draw editor");
    }

    const QDateTime before = QFileInfo(document).lastModified();
    mark = program.TraceSize();
    XdoKey(window, "ctrl+s");
    Check(WaitForNewerFile(document, before, 10000), "Ctrl+S writes the patterns");
    const int shown = LastPatternCount(program.Trace());

    const bool ended =
        MenuCommand(window, "alt+f", "x", [&] { return program.Process().waitForFinished(5000); });
    Check(ended, "the program closes from the File menu");
    program.Drain();
    Check(program.Trace().indexOf("question: ", mark) < 0,
          "the saved document needs no question at exit");
    Check(ended && program.Process().exitStatus() == QProcess::NormalExit &&
              program.Process().exitCode() == 0,
          "the program exits normally");

    TDocument saved;
    if (Load(document, saved)) {
        CheckSameDraws(saved.DrawTexts(), served, "at exit");
        Check(saved.Manager->Count() > 0, "the search finds patterns");
        Check(saved.Manager->Count() == shown, QString("%1 patterns saved, the status said %2")
                                                   .arg(saved.Manager->Count())
                                                   .arg(shown));
        std::printf("patterns: %d\n", saved.Manager->Count());
    } else {
        Check(false, "the document at exit reads");
    }
    // The member and the address survive the program's own writing of its settings.
    try {
        const SearchOptions kept = LoadSearchOptions(settings.toStdString());
        Check(kept.MemberName == member && kept.MemberPassword == password &&
                  kept.ServiceUrl == service.Url,
              "the settings keep the member, the password and the address");
    } catch (const std::exception& e) {
        Check(false, QString("the settings read: ") + e.what());
    }
    std::printf("%s\n", failures == 0 ? "download-and-statistics: passed"
                                      : "download-and-statistics: FAILED");
    return failures == 0 ? 0 : 1;
}
