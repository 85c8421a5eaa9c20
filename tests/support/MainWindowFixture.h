#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "app/draws/AutoUpdate.h"
#include "app/draws/DrawCommands.h"
#include "app/draws/MergeDialog.h"
#include "app/window/Main.h"
#include "tests/support/ScriptedPrompts.h"

// A fresh program folder and scripted prompts for each test (call Reset from init()), and main
// windows opened on them; every test that opens a main window uses it. Log records every
// message, question and desktop hand-over of the windows and of any other window given
// Prompts().
class TMainWindowFixture {
  public:
    TScriptedPrompts::TLog Log;
    // The plans the merge dialog showed, and its answers in turn (添加 when none is left).
    QStringList MergePlans;
    QStringList MergeTitles;
    std::deque<TMergeChoice> MergeAnswers;

    void Reset() {
        folder_ = std::make_unique<QTemporaryDir>();
        Log = {};
        MergePlans.clear();
        MergeTitles.clear();
        MergeAnswers.clear();
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
        auto form = std::make_unique<TMainForm>(Folder(), prompts_);
        // Automatic updates would ask the real service; tests check by hand.
        form->AutoUpdate().SetSuspended(true);
        form->DrawCommands().SetMergeRunner([this](TMergeDialog& dialog) {
            MergePlans << dialog.PlanText();
            MergeTitles << dialog.windowTitle();
            if (MergeAnswers.empty()) return TMergeChoice::Add;
            const TMergeChoice answer = MergeAnswers.front();
            MergeAnswers.pop_front();
            return answer;
        });
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
    std::unique_ptr<QTemporaryDir> folder_ = std::make_unique<QTemporaryDir>();
    TScriptedPrompts prompts_{Log};
};
