#include "app/help/HelpCommands.h"

#include <QUrl>
#include <QWidget>

#include "app/help/AboutUs.h"
#include "app/help/UserGuide.h"
#include "app/help/Web.h"
#include "data/HelpTexts.h"
#include "data/ProgramIdentity.h"
#include "ui/Prompts.h"

THelpCommands::THelpCommands(QWidget& window, TPrompts& prompts, QString programFolder)
    : QObject(&window),
      window_(window),
      prompts_(prompts),
      programFolder_(std::move(programFolder)) {}

void THelpCommands::ShowTopics() {
    if (!web_) web_ = new TWebForm(QString::fromUtf8(MakerName), prompts_, &window_);
    web_->showMaximized();
    web_->raise();
    web_->activateWindow();
    web_->Navigate(HelpPageUrl());
    // The desktop gets a read-me to open even when the user deleted it.
    prompts_.OpenUrl(&window_, QUrl::fromLocalFile(EnsureReadmeFile(programFolder_)));
}

void THelpCommands::OpenSupportSite() {
    prompts_.OpenUrl(&window_, QUrl(QString::fromStdString(SupportSiteAddress())));
}

void THelpCommands::ShowAbout() {
    TAboutForm about(QString::fromUtf8(ProductName), QString::fromUtf8(ReleaseVersion),
                     QString::fromUtf8(ReleaseDate), prompts_, &window_);
    about.exec();
}

void THelpCommands::ToggleGuide() {
    if (!guide_) guide_ = new TGuideForm(&window_);
    guide_->PlaceAtLowerRight(window_);
    guide_->setVisible(!guide_->isVisible());
}
