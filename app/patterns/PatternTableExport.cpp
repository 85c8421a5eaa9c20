#include "app/patterns/PatternTableExport.h"

#include <QPointer>
#include <QProgressDialog>

#include "app/patterns/PatternListModel.h"
#include "search/PatternExport.h"
#include "ui/BackgroundJob.h"
#include "ui/Failure.h"
#include "ui/Prompts.h"

void TPatternTableExport::Run(const TPatternListModel& list,
                              const std::vector<const TGui2Reg*>& selected,
                              std::function<void(const QString& written)> done) {
    const auto finish = [done](const QString& written) {
        if (done) done(written);
    };
    std::vector<const TGui2Reg*> rows;
    if (!selected.empty() && static_cast<int>(selected.size()) < list.RowCount()) {
        const auto answer = prompts_.Ask(
            &window_,
            QStringLiteral("只导出选中的%1个规律吗？\r\n选“否”导出全部%2个规律。")
                .arg(selected.size())
                .arg(list.RowCount()),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel) return finish({});
        if (answer == QMessageBox::Yes) rows = selected;
    }
    if (rows.empty()) {
        rows.reserve(static_cast<size_t>(list.RowCount()));
        for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.PatternAt(r));
    }
    if (rows.empty()) {
        prompts_.ShowMessage(&window_, QStringLiteral("没有可以导出的规律。"));
        return finish({});
    }
    QString path = prompts_.SaveFileName(&window_, QStringLiteral("导出规律表格"), folder_,
                                         QStringLiteral("表格 (*.csv)"));
    if (path.isEmpty()) return finish({});

    // Window-modal: while it shows, no command can free the patterns being written.
    const int count = static_cast<int>(rows.size());
    QPointer<QProgressDialog> progress = new QProgressDialog(
        QStringLiteral("正在导出规律表格..."), QStringLiteral("取消"), 0, count, &window_);
    progress->setObjectName(QStringLiteral("PatternTableProgress"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(300);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);  // modal from now on, shown once the export takes long
    job_.FollowIn(*progress);
    const auto closeProgress = [progress] {
        delete progress.data();  // at once: a dialog left for later could still show itself
    };
    QWidget* window = &window_;
    TPrompts* prompts = &prompts_;
    job_.Start(
        [rows = std::move(rows), path](TJobControl& control) {
            return ExportPatternTable(path.toStdString(), rows, &control);
        },
        [window, prompts, path, count, finish, closeProgress](bool completed) {
            closeProgress();
            if (!completed) return finish({});
            prompts->ShowMessage(window, QStringLiteral("已经导出%1个规律。").arg(count));
            finish(path);
        },
        [window, prompts, finish, closeProgress](std::exception_ptr failure) {
            closeProgress();
            ShowFailure(*prompts, window, failure);
            finish({});
        });
}
