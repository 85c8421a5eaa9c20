#pragma once

#include <QStringList>
#include <QUrl>
#include <deque>

#include "ui/Prompts.h"

// Answers the main window's dialogs from a script and records every message shown.
class TScriptedPrompts : public TPrompts {
  public:
    struct TLog {
        QStringList Messages;
        QStringList Questions;
        std::deque<QMessageBox::StandardButton> Answers;
        std::deque<QString> FileNames;
        // The path every save dialog was opened on.
        QStringList SavePaths;
        // Every address handed to the desktop: local files as paths, others as URLs.
        QStringList Opened;
        // What the desktop answers when asked to open a folder.
        bool FolderOpens = true;
    };

    explicit TScriptedPrompts(TLog& log) : log_(log) {}

    void ShowMessage(QWidget*, const QString& text) override { log_.Messages << text; }
    QMessageBox::StandardButton Ask(QWidget*, const QString& text, QMessageBox::StandardButtons,
                                    QMessageBox::StandardButton defaultButton) override {
        log_.Questions << text;
        if (log_.Answers.empty()) return defaultButton;
        const auto answer = log_.Answers.front();
        log_.Answers.pop_front();
        return answer;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        if (log_.FileNames.empty()) return {};
        const QString name = log_.FileNames.front();
        log_.FileNames.pop_front();
        return name;
    }

    // Save dialogs take their answers from the same queue as open dialogs.
    QString SaveFileName(QWidget* parent, const QString& title, const QString& path,
                         const QString& filter) override {
        log_.SavePaths << path;
        return OpenFileName(parent, title, path, filter);
    }

    void OpenUrl(QWidget*, const QUrl& url) override {
        log_.Opened << (url.isLocalFile() ? url.toLocalFile() : url.toString());
    }
    bool OpenFolder(QWidget* parent, const QUrl& url) override {
        OpenUrl(parent, url);
        return log_.FolderOpens;
    }

  private:
    TLog& log_;
};
