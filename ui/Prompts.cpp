#include "ui/Prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPushButton>
#include <QUrl>
#include <cstdio>

namespace {

// With TOLVANE_STATUS_TRACE set, every message and question is also written to stderr on one
// line, so that a script driving the program can tell which box it is looking at.
void TraceBox(const char* kind, const QString& text) {
    if (!qEnvironmentVariableIsSet("TOLVANE_STATUS_TRACE")) return;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s: %s\n", kind, line.toUtf8().constData());
    std::fflush(stderr);
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
    TraceBox("message", text);
    if (auto* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("确定"));
    box.exec();
}

QMessageBox::StandardButton TDialogPrompts::Ask(QWidget* parent, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    TraceBox("question", text);
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
    QDesktopServices::openUrl(url);
}

bool TDialogPrompts::OpenFolder(QWidget*, const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

QString TPrompts::SaveFileName(QWidget*, const QString&, const QString&, const QString&) {
    return {};
}
