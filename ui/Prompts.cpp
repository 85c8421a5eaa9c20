#include "ui/Prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPushButton>
#include <QUrl>

#include "ui/StatusTrace.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include <QDir>
#endif

namespace {

// The desktop hand-over: the user's browser for an address, Explorer or the file's program
// for a local file or folder.
bool HandToDesktop(const QUrl& url) {
#ifdef _WIN32
    // Windows: the shell itself, with the file's wide name (never the code page's narrow one).
    const QString target = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile())
                                             : url.toString(QUrl::FullyEncoded);
    const auto answer = reinterpret_cast<intptr_t>(
        ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(target.utf16()), nullptr,
                      nullptr, SW_SHOWNORMAL));
    return answer > 32;  // a number of 32 or less is the shell's error
#else
    return QDesktopServices::openUrl(url);
#endif
}

}  // namespace

void TDialogPrompts::ShowMessage(QWidget* parent, const QString& text) {
    ShowBox(parent, QMessageBox::Information, text);
}

void TDialogPrompts::ShowError(QWidget* parent, const QString& text) {
    ShowBox(parent, QMessageBox::Warning, text);
}

void TDialogPrompts::ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    // Messages may quote text from outside (a download reply, a file): never read it as HTML.
    box.setTextFormat(Qt::PlainText);
    TraceStatusLine("message", text);
    if (auto* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("确定"));
    box.exec();
}

QMessageBox::StandardButton TDialogPrompts::Ask(QWidget* parent, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    TraceStatusLine("question", text);
    if (auto* b = box.button(QMessageBox::Save)) b->setText(QStringLiteral("保存"));
    if (auto* b = box.button(QMessageBox::Discard)) b->setText(QStringLiteral("不保存"));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("取消"));
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("是"));
    if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("否"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString TDialogPrompts::OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString TDialogPrompts::SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, folder, filter);
}

void TDialogPrompts::OpenUrl(QWidget*, const QUrl& url) {
    // A missing file or an absent browser is the desktop's to report.
    HandToDesktop(url);
}

bool TDialogPrompts::OpenFolder(QWidget*, const QUrl& url) {
    return HandToDesktop(url);
}

QString TPrompts::SaveFileName(QWidget*, const QString&, const QString&, const QString&) {
    return {};
}
