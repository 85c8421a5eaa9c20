#include "app/Prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPushButton>
#include <QUrl>

void TDialogPrompts::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text,
                    QMessageBox::Ok, parent);
    // Messages may quote text from outside (a download reply, a file): never read it as HTML.
    box.setTextFormat(Qt::PlainText);
    if (auto* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("确定"));
    box.exec();
}

QMessageBox::StandardButton TDialogPrompts::Ask(QWidget* parent, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text, buttons, parent);
    box.setDefaultButton(defaultButton);
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

void TDialogPrompts::OpenUrl(QWidget*, const QUrl& url) {
    // A missing file or an absent browser is the desktop's to report.
    QDesktopServices::openUrl(url);
}
