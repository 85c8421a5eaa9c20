#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/window/Main.h"
#include "tests/support/ScriptedPrompts.h"

// A fresh program folder and scripted prompts for each test (call Reset from init()), and main
// windows opened on them; every test that opens a main window uses it. Log records every
// message, question and desktop hand-over of the windows and of any other window given
// Prompts().
class TMainWindowFixture {
  public:
    TScriptedPrompts::TLog Log;

    void Reset() {
        folder_ = std::make_unique<QTemporaryDir>();
        Log = {};
    }
    QString Folder() const { return folder_->path(); }
    QString FilePath(const QString& name) const { return folder_->filePath(name); }
    TPrompts& Prompts() { return prompts_; }

    // A main window on the folder, resized and shown.
    std::unique_ptr<TMainForm> NewWindow(QSize size = QSize(900, 600)) {
        auto form = NewUnshownWindow();
        form->resize(size);
        form->show();
        form->FinishOpening();  // the document is read on a background job
        return form;
    }
    // A main window on the folder that is not shown yet.
    std::unique_ptr<TMainForm> NewUnshownWindow() {
        return std::make_unique<TMainForm>(Folder(), prompts_);
    }

    bool WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile file(FilePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QByteArray ReadFile(const QString& name) const {
        QFile file(FilePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    std::unique_ptr<QTemporaryDir> folder_ = std::make_unique<QTemporaryDir>();
    TScriptedPrompts prompts_{Log};
};
