#include "app/help/Web.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>

#include "data/HelpTexts.h"
#include "ui/Prompts.h"

namespace {

const QString ShippedHelpFolder = QStringLiteral(":/help/");
const QString ReadmeName = QStringLiteral("readme.txt");

// The address prefix that the shipped help pages answer: the help page's folder.
QString HelpBase() {
    const QString page = HelpPageUrl().toString();
    return page.left(page.lastIndexOf(QLatin1Char('/')) + 1);
}

// The shipped file for an address below the help page's folder; empty for any other address.
QString ShippedFileFor(const QUrl& address) {
    const QString plain = address.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery).toString();
    const QString base = HelpBase();
    if (!plain.startsWith(base)) return {};
    const QString relative = plain.mid(base.size());
    // Stay inside the shipped folder.
    if (relative.isEmpty() || relative.contains(QStringLiteral(".."))) return {};
    return ShippedHelpFolder + relative;
}

}  // namespace

QUrl HelpPageUrl() {
    return QUrl(QString::fromStdString(HelpPageAddress()));
}

THelpBrowser::THelpBrowser(TPrompts& prompts, QWidget* parent)
    : QTextBrowser(parent), prompts_(prompts) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &THelpBrowser::FollowLink);
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl address = name.isRelative() ? source().resolved(name) : name;
    const QString file = ShippedFileFor(address);
    if (file.isEmpty()) return {};  // never fetched from the network
    QFile shipped(file);
    if (!shipped.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = shipped.readAll();
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(bytes);
    return bytes;
}

void THelpBrowser::FollowLink(const QUrl& link) {
    const QUrl address = link.isRelative() ? source().resolved(link) : link;
    if (!ShippedFileFor(address).isEmpty())
        setSource(address);
    else
        prompts_.OpenUrl(window(), address);
}

TWebForm::TWebForm(const QString& makerName, TPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("WebForm"));
    setWindowTitle(makerName + QStringLiteral("软件帮助"));
    WebBrowserSite = new THelpBrowser(prompts, this);
    WebBrowserSite->setObjectName(QStringLiteral("WebBrowserSite"));
    WebBrowserSite->document()->setDocumentMargin(14);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowserSite);
    resize(544, 375);
}

void TWebForm::Navigate(const QUrl& address) {
    WebBrowserSite->setSource(address, QTextDocument::HtmlResource);
}

QString EnsureReadmeFile(const QString& programFolder) {
    QString path = QDir(programFolder).filePath(ReadmeName);
    if (QFileInfo::exists(path)) return path;
    QFile shipped(ShippedHelpFolder + ReadmeName);
    if (!shipped.open(QIODevice::ReadOnly)) return path;
    const QByteArray text = shipped.readAll();
    // NewOnly: a file that appeared meanwhile is left as it is.
    QFile readme(path);
    if (!readme.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
    const bool written = readme.write(text) == text.size() && readme.flush();
    readme.close();
    if (!written) readme.remove();  // no half-written read-me for the desktop to show
    return path;
}
