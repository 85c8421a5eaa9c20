#include "app/draws/DocumentOpening.h"

#include <QPointer>
#include <QProgressDialog>
#include <cstdio>
#include <memory>

#include "data/Error.h"
#include "data/ProgramIdentity.h"
#include "search/DocumentSession.h"
#include "search/Gui2RegMgr.h"
#include "search/SearchTexts.h"
#include "ui/BackgroundJob.h"
#include "ui/Failure.h"
#include "ui/Prompts.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

struct TOpenedDocument {
    TWorkDocumentContent Content;
    TPatternListModel::TRows Rows;
};

}  // namespace

void OpenDocumentInBackground(TBackgroundJob& job, TDocumentSession& session, TCodes& draws,
                              TGui2RegMgr& manager, QWidget* parent,
                              std::function<void(bool opened, TPatternListModel::TRows rows)> done,
                              std::function<void(std::exception_ptr failure)> failed) {
    constexpr int Steps = 1000;
    // A window of its own: the main window is disabled while the document opens, and a child
    // would be disabled with it. It goes when the job goes (the main window closed first).
    QPointer<QProgressDialog> progress = new QProgressDialog(
        QStringLiteral("正在打开文档..."), QStringLiteral("取消"), 0, Steps, nullptr);
    QObject::connect(&job, &QObject::destroyed, progress, &QObject::deleteLater);
    progress->setWindowTitle(QStringLiteral("打开文档"));
    progress->setWindowModality(Qt::ApplicationModal);
    progress->setMinimumDuration(500);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    if (parent != nullptr) progress->move(parent->geometry().center() - progress->rect().center());
    job.FollowIn(*progress);
    const auto closeProgress = [progress] {
        delete progress.data();  // at once: a dialog left for later could still show itself
    };

    job.Start(
        [&session](TJobControl& control) {
            TOpenedDocument opened;
            opened.Content = session.Read(&control);
            std::vector<const TGui2Reg*> rows;
            rows.reserve(opened.Content.Piece.Patterns.size());
            for (const auto& pattern : opened.Content.Piece.Patterns) rows.push_back(pattern.get());
            opened.Rows = TPatternListModel::RowsInPointsOrder(std::move(rows));
            return opened;
        },
        [&session, &draws, &manager, done, closeProgress](TOpenedDocument opened) {
            closeProgress();
            if (opened.Content.Empty) {
                // An empty file changes nothing: the rows are those of the patterns held.
                std::vector<const TGui2Reg*> rows;
                for (const auto& pattern : manager.Patterns()) rows.push_back(pattern.get());
                opened.Rows = TPatternListModel::RowsInPointsOrder(std::move(rows));
            }
            session.Take(std::move(opened.Content), draws, manager);
            done(true, std::move(opened.Rows));
        },
        [&session, done, failed, closeProgress](std::exception_ptr failure) {
            closeProgress();
            session.OpenFailed();
            if (FailureIs<TReadCancelled>(failure))
                done(false, {});
            else
                failed(failure);
        });
}

void OpenWorkDocument(TBackgroundJob& job, TDocumentSession& session, TGui2RegNet& grid,
                      TGui2RegMgr& manager, TPrompts& prompts, QWidget* parent,
                      std::function<void(TPatternListModel::TRows& rows)> listRows,
                      std::function<void()> ended) {
    // All or nothing: a damaged document leaves the draws and the patterns as they were.
    OpenDocumentInBackground(
        job, session, grid.Draws(), manager, parent,
        [&session, &grid, &prompts, parent, listRows, ended](bool opened,
                                                             TPatternListModel::TRows rows) {
            if (!opened) {
                prompts.ShowMessage(parent, QString::fromUtf8(DocumentNotOpenedText));
                return ended();
            }
            grid.Register() = session.OpenRegister(grid.Draws());
            if (!session.RegisterMessage().empty())
                prompts.ShowError(parent, QString::fromStdString(session.RegisterMessage()));
            grid.Pattern().Clear();
            grid.LayoutGrid();
            grid.DrawsReplaced();
            listRows(rows);
            ended();
        },
        [&prompts, parent, ended](std::exception_ptr) {
            prompts.ShowError(parent, QStringLiteral("打开文档失败：\r\n") +
                                          QString::fromUtf8(WorkDocumentFileName));
            ended();
        });
}

bool SaveWorkDocument(TDocumentSession& session, const TGui2RegNet& grid,
                      const TGui2RegMgr& manager, TPrompts& prompts, QWidget* parent) {
    std::exception_ptr failure;
    try {
        session.Save(grid.Draws(), manager, grid.Register());
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    if (!session.BackupPath().empty())  // told first, whether or not the save went well
        prompts.ShowMessage(parent, QStringLiteral("原文档无法读取，已备份为：\r\n") +
                                        QString::fromStdString(session.BackupPath()));
    if (failure) ShowFailure(prompts, parent, failure);
    return !failure;
}

bool OfferRecoveryCopy(TDocumentSession& session, TPrompts& prompts, QWidget* parent) {
    if (!session.HasRecoveryCopy()) return false;
    const auto answer = prompts.Ask(parent, QString::fromUtf8(RecoveryQuestionText),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        session.DiscardRecoveryCopy();
        return false;
    }
    session.OpenRecoveryCopyNext();
    return true;
}

void KeepRecoveryCopy(TDocumentSession& session, const TGui2RegNet& grid,
                      const TGui2RegMgr& manager) {
    try {
        session.SaveRecoveryCopy(grid.Draws(), manager, grid.Register());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}
