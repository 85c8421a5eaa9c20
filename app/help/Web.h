#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class TPrompts;

// The help page viewer: pages below the help page's address come from the copy shipped with
// the program, so nothing is fetched from the network. Links that lead elsewhere go to the
// desktop's browser through the prompts.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT

  public:
    THelpBrowser(TPrompts& prompts, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

  private:
    void FollowLink(const QUrl& link);

    TPrompts& prompts_;
};

// The help window: a resizable window filled by the help page viewer.
class TWebForm : public QWidget {
    Q_OBJECT

  public:
    TWebForm(const QString& makerName, TPrompts& prompts, QWidget* parent = nullptr);

    THelpBrowser* WebBrowserSite = nullptr;

    // Shows the page at address in the viewer.
    void Navigate(const QUrl& address);
};

// The help page's address (its shipped copy answers it).
QUrl HelpPageUrl();

// The read-me file of the program folder; written from the shipped copy when it is missing,
// never over a file that is there. Returns the file's path.
QString EnsureReadmeFile(const QString& programFolder);
