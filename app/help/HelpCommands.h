#pragma once

#include <QObject>
#include <QString>

class QWidget;
class TGuideForm;
class TPrompts;
class TWebForm;

// The help menu's commands: the help page (and the read-me handed to the desktop), the
// support site, the about box and the quick-start guide.
class THelpCommands : public QObject {
    Q_OBJECT

  public:
    THelpCommands(QWidget& window, TPrompts& prompts, QString programFolder);

    void ShowTopics();
    void OpenSupportSite();
    void ShowAbout();
    void ToggleGuide();

  private:
    QWidget& window_;
    TPrompts& prompts_;
    QString programFolder_;
    TGuideForm* guide_ = nullptr;  // created on first use, a child of the window
    TWebForm* web_ = nullptr;      // likewise
};
