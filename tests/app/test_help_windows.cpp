#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/AboutUs.h"
#include "app/Application.h"
#include "app/Main.h"
#include "app/UserGuide.h"
#include "app/Web.h"
#include "tests/app/ScriptedPrompts.h"

namespace {

const QString Site = QStringLiteral("https://www.bexmoor.example/");

QString ArtifactsDir() {
    QString dir = qEnvironmentVariable("TOLVANE_ARTIFACTS_DIR");
    if (dir.isEmpty()) dir = QStringLiteral(TOLVANE_ARTIFACTS_DIR);
    QDir().mkpath(dir);
    return dir;
}

void SaveShot(QWidget& widget, const QString& name) {
    QVERIFY(widget.grab().save(QDir(ArtifactsDir()).filePath(name)));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> folder_;
    TScriptedPrompts::TLog log_;

    std::unique_ptr<TMainForm> NewWindow(const QRect& frame) {
        auto form =
            std::make_unique<TMainForm>(folder_->path(), std::make_unique<TScriptedPrompts>(log_));
        form->setGeometry(frame);
        form->show();
        log_.Messages.clear();  // the first start's "no document" message
        return form;
    }
    static TGuideForm* Guide(TMainForm& form) { return form.findChild<TGuideForm*>(); }
    QString Readme() const { return folder_->filePath(QStringLiteral("readme.txt")); }

  private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        log_ = {};
    }

    void guideTogglesAtTheLowerRightCorner() {
        auto form = NewWindow(QRect(20, 30, 700, 480));
        form->HelpMenuGuideBt->trigger();
        TGuideForm* guide = Guide(*form);
        QVERIFY(guide);
        QVERIFY(guide->isVisible());
        QVERIFY(guide->windowFlags().testFlag(Qt::Tool));
        QVERIFY(guide->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(guide->windowTitle(), QStringLiteral("用户操作入门"));
        QCOMPARE(guide->size(), QSize(496, 290));
        QCOMPARE(guide->frameGeometry().bottomRight(),
                 form->frameGeometry().bottomRight() - QPoint(8, 8));

        form->HelpMenuGuideBt->trigger();
        QVERIFY(!guide->isVisible());

        // After a resize the guide comes back at the new corner.
        form->setGeometry(40, 20, 740, 560);
        QTRY_COMPARE(form->size(), QSize(740, 560));
        form->HelpMenuGuideBt->trigger();
        QVERIFY(guide->isVisible());
        QCOMPARE(guide->frameGeometry().bottomRight(),
                 form->frameGeometry().bottomRight() - QPoint(8, 8));
        QCOMPARE(form->findChildren<TGuideForm*>().size(), 1);
        SaveShot(*guide, QStringLiteral("help_guide.png"));
        guide->GuideMemo->verticalScrollBar()->setValue(
            guide->GuideMemo->verticalScrollBar()->maximum());
        SaveShot(*guide, QStringLiteral("help_guide_end.png"));
    }

    void guideStaysOnTheScreenBesideASmallWindow() {
        auto form = NewWindow(QRect(0, 0, 320, 300));
        form->HelpMenuGuideBt->trigger();
        TGuideForm* guide = Guide(*form);
        QVERIFY(guide && guide->isVisible());
        const QRect screen = form->screen()->availableGeometry();
        QVERIFY2(screen.contains(guide->frameGeometry()), "guide pushed off the screen");
    }

    void guideTextNamesTheKeysAndNoAddress() {
        const QString text = TGuideForm::GuideText();
        for (const char* key :
             {"F5", "F6", "F8", "F9", "F12", "下载", "搜索", "导入号码", "编辑", "保存关闭"})
            QVERIFY2(text.contains(QString::fromUtf8(key)), key);
        QVERIFY(!text.contains(QStringLiteral("http")));
        QVERIFY(!text.contains(QStringLiteral("www.")));
        TGuideForm guide;
        QVERIFY(guide.GuideMemo->isReadOnly());
        QCOMPARE(guide.GuideMemo->toPlainText(), text);
    }

    void helpShowsThePageAndOpensAFreshReadme() {
        auto form = NewWindow(QRect(10, 10, 700, 500));
        QVERIFY(!QFile::exists(Readme()));
        form->HelpMenuTopic->trigger();

        auto* web = form->findChild<TWebForm*>();
        QVERIFY(web);
        QVERIFY(web->isVisible());
        QVERIFY(web->windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(web->windowTitle(), QStringLiteral("Bexmoor软件帮助"));
        THelpBrowser* browser = web->WebBrowserSite;
        QCOMPARE(browser->source(), HelpPageUrl());
        QCOMPARE(browser->documentTitle(), QStringLiteral("Tolvane 使用帮助"));
        const QString page = browser->toPlainText();
        for (const char* words : {"低线", "高线", "流水", "隔一", "隔二", "隔版", "全明", "全对",
                                  "明对", "GifExport", "F5", "F6", "F8", "F9", "F12"})
            QVERIFY2(page.contains(QString::fromUtf8(words)), words);

        // The read-me was written from the shipped copy and handed to the desktop.
        QCOMPARE(log_.Opened, QStringList{Readme()});
        QFile shipped(QStringLiteral(":/help/readme.txt"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(ReadAll(Readme()), shipped.readAll());
        QVERIFY(log_.Messages.isEmpty());

        // A second F1 reuses the window.
        form->HelpMenuTopic->trigger();
        QCOMPARE(form->findChildren<TWebForm*>().size(), 1);
        QCOMPARE(log_.Opened.size(), 2);

        web->showNormal();
        web->resize(900, 650);
        SaveShot(*web, QStringLiteral("help_window.png"));
        for (const char* part : {"read", "options", "files"}) {
            browser->scrollToAnchor(QString::fromUtf8(part));
            SaveShot(*web, QStringLiteral("help_window_%1.png").arg(QString::fromUtf8(part)));
        }
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
    }

    void readmeInAFolderThatCannotHoldItIsLeftToTheDesktop() {
        const QString missing = folder_->filePath(QStringLiteral("gone"));
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
        QVERIFY(browser->loadResource(QTextDocument::HtmlResource, QUrl(Site)).isNull());
        QVERIFY(
            browser->loadResource(QTextDocument::HtmlResource, base.resolved(QUrl("nothing.html")))
                .isNull());
        QVERIFY(browser
                    ->loadResource(QTextDocument::HtmlResource,
                                   QUrl(base.toString() + QStringLiteral("../../x")))
                    .isNull());
        QVERIFY(!browser->loadResource(QTextDocument::HtmlResource, base).isNull());
    }

    void supportSiteOpensTheSite() {
        auto form = NewWindow(QRect(10, 10, 700, 500));
        form->HelpMenuSite->trigger();
        QCOMPARE(log_.Opened, QStringList{Site});
        QVERIFY(log_.Messages.isEmpty());
    }

  private:
    // Checks the about box while it runs modally; the caller closes it whatever happens.
    void CheckAboutBox(TAboutForm* about) {
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        QCOMPARE(about->size(), QSize(439, 165));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QCOMPARE(about->SoftNameLbl->text(), QStringLiteral("Tolvane"));
        QVERIFY(about->SoftNameLbl->font().bold());
        QCOMPARE(about->SoftNameLbl->font().pixelSize(), 20);
        QCOMPARE(about->SoftNameLbl->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(about->VersionLbl->text(), QStringLiteral("发行版本:3.08"));
        QCOMPARE(about->DateLbl->text(), QStringLiteral("发行日期:2019年07月25日"));
        QCOMPARE(about->WebSiteLbl->text(), Site);
        QCOMPARE(about->WebSiteLbl->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(about->WebSiteLbl->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(about->CompanyImg->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(about->CompanyImg->toolTip().contains(QStringLiteral("Tolvane")));
        QCOMPARE(about->CloseBt->text(), QStringLiteral("关闭"));
        QVERIFY(about->CloseBt->isDefault());

        QTest::mouseClick(about->WebSiteLbl, Qt::LeftButton);
        QTest::mouseClick(about->CompanyImg, Qt::LeftButton);
        QTest::mouseClick(about->CompanyImg, Qt::RightButton);  // opens nothing
        QCOMPARE(log_.Opened.size(), 2);
        QCOMPARE(log_.Opened[0], Site);
        QVERIFY(log_.Opened[1].startsWith(Site));
        QVERIFY(log_.Opened[1] != Site);
        SaveShot(*about, QStringLiteral("help_about.png"));
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

    void aboutBoxClosesWithEscape() {
        TScriptedPrompts prompts(log_);
        TAboutForm about(QStringLiteral("Tolvane"), QStringLiteral("3.08"),
                         QStringLiteral("20190725"), prompts);
        QTimer::singleShot(0, &about, [&] { QTest::keyClick(&about, Qt::Key_Escape); });
        about.exec();
        QVERIFY(!about.isVisible());
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TestHelpWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_help_windows.moc"
