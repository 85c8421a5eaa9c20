#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
class TPrompts;

// The about box: product name, version, release date, the maker's site and picture. Clicking
// the site address or the picture asks the desktop to open the site or the product page.
class TAboutForm : public QDialog {
    Q_OBJECT

  public:
    TAboutForm(const QString& productName, const QString& version, const QString& releaseDate,
               TPrompts& prompts, QWidget* parent = nullptr);

    QLabel* SoftNameLbl = nullptr;
    QLabel* VersionLbl = nullptr;
    QLabel* DateLbl = nullptr;
    QLabel* WebSiteLbl = nullptr;
    QLabel* CompanyImg = nullptr;
    QPushButton* CloseBt = nullptr;

    // The maker's picture, painted rather than shipped as a file.
    static QPixmap CompanyPicture();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TPrompts& prompts_;
};
