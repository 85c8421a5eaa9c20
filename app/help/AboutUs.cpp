#include "app/help/AboutUs.h"

#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>

#include "data/HelpTexts.h"
#include "ui/Prompts.h"
#include "view/paint/PaintBasics.h"

namespace {

QUrl SiteUrl() {
    return QUrl(QString::fromStdString(SupportSiteAddress()));
}

}  // namespace

TAboutForm::TAboutForm(const QString& productName, const QString& version,
                       const QString& releaseDate, TPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("关于"));
    setFont(SongFont(14));

    CompanyImg = new QLabel(this);
    CompanyImg->setObjectName(QStringLiteral("CompanyImg"));
    CompanyImg->setPixmap(CompanyPicture());
    CompanyImg->setGeometry(20, 16, 128, 96);
    CompanyImg->setCursor(Qt::PointingHandCursor);
    CompanyImg->setToolTip(QString::fromStdString(ProductImageHint()));

    SoftNameLbl = new QLabel(productName, this);
    SoftNameLbl->setObjectName(QStringLiteral("SoftNameLbl"));
    SoftNameLbl->setFont(SongFont(20, true));
    SoftNameLbl->setStyleSheet(QStringLiteral("color: #ff0000;"));
    SoftNameLbl->setGeometry(172, 18, 250, 28);

    VersionLbl = new QLabel(QStringLiteral("发行版本:") + version, this);
    VersionLbl->setObjectName(QStringLiteral("VersionLbl"));
    VersionLbl->setGeometry(172, 56, 250, 22);

    DateLbl = new QLabel(QString::fromStdString(ReleaseDateText(releaseDate.toStdString())), this);
    DateLbl->setObjectName(QStringLiteral("DateLbl"));
    DateLbl->setGeometry(172, 84, 250, 22);

    WebSiteLbl = new QLabel(SiteUrl().toString(), this);
    WebSiteLbl->setObjectName(QStringLiteral("WebSiteLbl"));
    WebSiteLbl->setStyleSheet(QStringLiteral("color: #0000ff;"));
    WebSiteLbl->setCursor(Qt::PointingHandCursor);
    WebSiteLbl->setGeometry(20, 128, 300, 22);

    CloseBt = new QPushButton(QStringLiteral("关闭"), this);
    CloseBt->setObjectName(QStringLiteral("CloseBt"));
    CloseBt->setGeometry(340, 124, 80, 28);
    CloseBt->setDefault(true);
    CloseBt->setCursor(Qt::PointingHandCursor);
    // Escape rejects a QDialog already, so the button is the cancel button too.
    connect(CloseBt, &QPushButton::clicked, this, &QDialog::accept);

    CompanyImg->installEventFilter(this);
    WebSiteLbl->installEventFilter(this);
    setFixedSize(439, 165);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const auto* label = qobject_cast<QLabel*>(watched);
        // Only a release inside the label counts as a click.
        if (label &&
            label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            if (label == WebSiteLbl) {
                prompts_.OpenUrl(this, SiteUrl());
                return true;
            }
            if (label == CompanyImg) {
                prompts_.OpenUrl(this, QUrl(QString::fromStdString(ProductPageAddress())));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

QPixmap TAboutForm::CompanyPicture() {
    QPixmap picture(128, 96);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 96);
    sky.setColorAt(0, QColor(0x2f, 0x6f, 0xd0));
    sky.setColorAt(1, QColor(0x14, 0x3a, 0x80));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 127, 95), 12, 12);

    // A small grid of cells with a two-line figure over it, as the program paints patterns.
    const auto cell = [](int col, int row) { return QPointF(22 + col * 21, 16 + row * 15); };
    painter.setBrush(QColor(255, 255, 255, 70));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col) painter.drawEllipse(cell(col, row), 3.5, 3.5);
    const auto line = [&](const QColor& color, std::initializer_list<QPoint> cells) {
        QPainterPath path;
        bool first = true;
        for (const QPoint& c : cells) {
            const QPointF at = cell(c.x(), c.y());
            if (first)
                path.moveTo(at);
            else
                path.lineTo(at);
            first = false;
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(color, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (const QPoint& c : cells) painter.drawEllipse(cell(c.x(), c.y()), 5.5, 5.5);
    };
    line(QColor(0xff, 0x5a, 0x4a), {QPoint(0, 0), QPoint(1, 1), QPoint(0, 2), QPoint(1, 3)});
    line(QColor(0xff, 0xd2, 0x3c), {QPoint(3, 0), QPoint(4, 1), QPoint(3, 2), QPoint(4, 3)});

    painter.setPen(Qt::white);
    QFont logoFont(QStringLiteral("Noto Sans CJK SC"));
    logoFont.setPixelSize(16);
    logoFont.setBold(true);
    painter.setFont(logoFont);
    painter.drawText(QRectF(0, 68, 128, 26), Qt::AlignCenter, QStringLiteral("Bexmoor"));
    return picture;
}
