#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/Main.h"
#include "tests/support/ScriptedPrompts.h"

// A fresh program folder and scripted prompts for each test (call Reset from init()), and main
// windows opened on them. Log records every message, question and desktop hand-over.
class TMainWindowFixture {
  public:
    TScriptedPrompts::TLog Log;

    void Reset() {
        folder_ = std::make_unique<QTemporaryDir>();
        Log = {};
    }
    QString Folder() const { return folder_->path(); }
    QString FilePath(const QString& name) const { return folder_->filePath(name); }

    std::unique_ptr<TMainForm> NewWindow(QSize size = QSize(900, 600)) {
        auto form = std::make_unique<TMainForm>(Folder(), std::make_unique<TScriptedPrompts>(Log));
        form->resize(size);
        form->show();
        form->FinishOpening();  // the document is read on a background job
        return form;
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
    std::unique_ptr<QTemporaryDir> folder_;
};
