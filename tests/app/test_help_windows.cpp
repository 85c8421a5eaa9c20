#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/help/AboutUs.h"
#include "app/help/UserGuide.h"
#include "app/help/Web.h"
#include "app/window/Application.h"
#include "app/window/Main.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPlatform.h"

namespace {

const QString Site = QStringLiteral("https://www.bexmoor.example/");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

    std::unique_ptr<TMainForm> NewWindow(const QRect& frame) {
        auto form = fixture_.NewUnshownWindow();
        form->setGeometry(frame);
        form->show();
        form->FinishOpening();
        log_.Messages.clear();  // the first start's "no document" message
        return form;
    }
    QString Readme() const { return fixture_.FilePath(QStringLiteral("readme.txt")); }

  private slots:
    void init() { fixture_.Reset(); }

    void guideTogglesAtTheLowerRightCorner() {
        auto form = NewWindow(QRect(20, 30, 700, 480));
        form->HelpMenuGuideBt->trigger();
        auto* guide = form->findChild<TGuideForm*>();
        QVERIFY(guide && guide->isVisible());
        QCOMPARE(guide->windowTitle(), QStringLiteral("用户操作入门"));
        QVERIFY(guide->windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint));
        QCOMPARE(guide->GuideMemo->toPlainText(), TGuideForm::GuideText());
        QVERIFY(TGuideForm::GuideText().contains(QStringLiteral("保存关闭")));
        QVERIFY(!TGuideForm::GuideText().contains(QStringLiteral("http")));
        QCOMPARE(guide->frameGeometry().bottomRight(),
                 form->frameGeometry().bottomRight() - QPoint(8, 8));

        form->HelpMenuGuideBt->trigger();
        QVERIFY(!guide->isVisible());

        // After a resize the same guide comes back at the new corner.
        form->setGeometry(40, 20, 740, 560);
        QTRY_COMPARE(form->size(), QSize(740, 560));
        form->HelpMenuGuideBt->trigger();
        QVERIFY(guide->isVisible());
        QCOMPARE(guide->frameGeometry().bottomRight(),
                 form->frameGeometry().bottomRight() - QPoint(8, 8));
        QCOMPARE(form->findChildren<TGuideForm*>().size(), 1);
        QVERIFY(SaveScreenshot(*guide, QStringLiteral("help_guide.png")));
    }

    void guideStaysOnTheScreenBesideASmallWindow() {
        auto form = NewWindow(QRect(0, 0, 320, 300));
        form->HelpMenuGuideBt->trigger();
        auto* guide = form->findChild<TGuideForm*>();
        QVERIFY(guide && guide->isVisible());
        const QRect screen = form->screen()->availableGeometry();
        QVERIFY2(screen.contains(guide->frameGeometry()), "guide pushed off the screen");
    }

    void helpShowsThePageAndOpensAFreshReadme() {
        auto form = NewWindow(QRect(10, 10, 700, 500));
        QVERIFY(!QFile::exists(Readme()));
        form->HelpMenuTopic->trigger();

        auto* web = form->findChild<TWebForm*>();
        QVERIFY(web && web->isVisible());
        QCOMPARE(web->windowTitle(), QStringLiteral("Bexmoor软件帮助"));
        QCOMPARE(web->WebBrowserSite->source(), HelpPageUrl());
        QCOMPARE(web->WebBrowserSite->documentTitle(), QStringLiteral("Tolvane 使用帮助"));

        // The read-me was written from the shipped copy and handed to the desktop.
        QCOMPARE(log_.Opened, QStringList{Readme()});
        QFile shipped(QStringLiteral(":/help/readme.txt"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(ReadAll(Readme()), shipped.readAll());

        // A second F1 reuses the window; the support site goes to the desktop's browser.
        form->HelpMenuTopic->trigger();
        QCOMPARE(form->findChildren<TWebForm*>().size(), 1);
        form->HelpMenuSite->trigger();
        QCOMPARE(log_.Opened, (QStringList{Readme(), Readme(), Site}));
        QVERIFY(log_.Messages.isEmpty());

        web->showNormal();
        web->resize(900, 650);
        QVERIFY(SaveScreenshot(*web, QStringLiteral("help_window.png")));
    }

    void helpNeverOverwritesTheUsersReadme() {
        {
            QFile mine(Readme());
            QVERIFY(mine.open(QIODevice::WriteOnly));
            mine.write("my own notes\n");
        }
        auto form = NewWindow(QRect(10, 10, 700, 500));
        form->HelpMenuTopicClick();
        QCOMPARE(ReadAll(Readme()), QByteArray("my own notes\n"));
        QCOMPARE(log_.Opened, QStringList{Readme()});

        // A folder that cannot hold the file: the path is still handed on, nothing is made.
        const QString missing = fixture_.FilePath(QStringLiteral("gone"));
        const QString path = EnsureReadmeFile(missing);
        QCOMPARE(path, QDir(missing).filePath(QStringLiteral("readme.txt")));
        QVERIFY(!QFile::exists(path));
    }

    void helpLinksStayInsideOrGoToTheDesktop() {
        TScriptedPrompts prompts(log_);
        TWebForm web(QStringLiteral("Bexmoor"), prompts);
        web.Navigate(HelpPageUrl());
        THelpBrowser* browser = web.WebBrowserSite;
        QVERIFY(!browser->toPlainText().isEmpty());

        // A link within the page stays in the viewer.
        emit browser->anchorClicked(QUrl(QStringLiteral("#pictures")));
        QCOMPARE(browser->source().adjusted(QUrl::RemoveFragment), HelpPageUrl());
        QVERIFY(log_.Opened.isEmpty());

        // A link to the site goes to the desktop's browser; the viewer keeps its page.
        emit browser->anchorClicked(QUrl(Site));
        QCOMPARE(log_.Opened, QStringList{Site});
        QCOMPARE(browser->source().adjusted(QUrl::RemoveFragment), HelpPageUrl());

        // Nothing outside the shipped help folder is ever loaded.
        const QUrl base = HelpPageUrl();
        for (const QUrl& outside : {QUrl(Site), base.resolved(QUrl("nothing.html")),
                                    QUrl(base.toString() + QStringLiteral("../../x"))})
            QVERIFY2(browser->loadResource(QTextDocument::HtmlResource, outside).isNull(),
                     qPrintable(outside.toString()));
        QVERIFY(!browser->loadResource(QTextDocument::HtmlResource, base).isNull());
    }

  private:
    // Checks the about box while it runs modally; the caller closes it whatever happens.
    void CheckAboutBox(TAboutForm* about) {
        QVERIFY(about);
        const QStringList texts = {about->windowTitle(),      about->SoftNameLbl->text(),
                                   about->VersionLbl->text(), about->DateLbl->text(),
                                   about->WebSiteLbl->text(), about->CloseBt->text()};
        QCOMPARE(texts, (QStringList{"关于", "Tolvane", "发行版本:3.08", "发行日期:2019年07月25日",
                                     Site, "关闭"}));
        QTest::mouseClick(about->WebSiteLbl, Qt::LeftButton);
        QTest::mouseClick(about->CompanyImg, Qt::LeftButton);
        QTest::mouseClick(about->CompanyImg, Qt::RightButton);  // opens nothing
        QCOMPARE(log_.Opened.size(), 2);
        QCOMPARE(log_.Opened[0], Site);
        QVERIFY(log_.Opened[1].startsWith(Site) && log_.Opened[1] != Site);
        QVERIFY(SaveScreenshot(*about, QStringLiteral("help_about.png")));
    }

  private slots:
    void aboutBoxShowsTheIdentityAndOpensTheSite() {
        auto form = NewWindow(QRect(10, 10, 700, 500));
        bool closedByButton = false;
        QTimer::singleShot(0, this, [&] {
            auto* about = qobject_cast<TAboutForm*>(QApplication::activeModalWidget());
            CheckAboutBox(about);
            if (!about) return;
            if (QTest::currentTestFailed()) {
                about->reject();
                return;
            }
            QTest::mouseClick(about->CloseBt, Qt::LeftButton);
            closedByButton = !about->isVisible();
        });
        form->HelpMenuAbout->trigger();
        QVERIFY(closedByButton);
        QTRY_COMPARE(form->findChildren<TAboutForm*>().size(), 0);  // freed once closed
        QVERIFY(log_.Messages.isEmpty());
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    TApplication app(argc, argv);
    TestHelpWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_help_windows.moc"
