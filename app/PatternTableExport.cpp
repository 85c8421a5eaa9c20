#include "app/PatternTableExport.h"

#include <QApplication>
#include <QProgressDialog>
#include <atomic>

#include "app/PatternListModel.h"
#include "search/PatternExport.h"
#include "ui/Prompts.h"

QString TPatternTableExport::Run(const TPatternListModel& list,
                                 const std::vector<const TGui2Reg*>& selected) {
    std::vector<const TGui2Reg*> rows;
    if (!selected.empty() && static_cast<int>(selected.size()) < list.RowCount()) {
        const auto answer = prompts_.Ask(
            &window_,
            QStringLiteral("只导出选中的%1个规律吗？\r\n选“否”导出全部%2个规律。")
                .arg(selected.size())
                .arg(list.RowCount()),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel) return {};
        if (answer == QMessageBox::Yes) rows = selected;
    }
    if (rows.empty()) {
        rows.reserve(static_cast<size_t>(list.RowCount()));
        for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.PatternAt(r));
    }
    if (rows.empty()) {
        prompts_.ShowMessage(&window_, QStringLiteral("没有可以导出的规律。"));
        return {};
    }
    QString path = prompts_.SaveFileName(&window_, QStringLiteral("导出规律表格"), folder_,
                                         QStringLiteral("表格 (*.csv)"));
    if (path.isEmpty()) return {};

    // Window-modal: while it shows, no command can free the patterns being written.
    QProgressDialog progress(QStringLiteral("正在导出规律表格..."), QStringLiteral("取消"), 0,
                             static_cast<int>(rows.size()), &window_);
    progress.setObjectName(QStringLiteral("PatternTableProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    std::atomic<bool> stop{false};
    TExportControl control;
    control.Stop = &stop;
    control.Progress = [&](int64_t written) {
        progress.setValue(static_cast<int>(written));
        QApplication::processEvents();
        if (progress.wasCanceled()) stop = true;
    };
    bool completed = false;
    try {
        completed = ExportPatternTable(path.toStdString(), rows, control);
    } catch (const std::exception& e) {
        progress.reset();
        prompts_.ShowMessage(&window_, QString::fromStdString(e.what()));
        return {};
    }
    progress.reset();
    if (!completed) return {};
    prompts_.ShowMessage(&window_, QStringLiteral("已经导出%1个规律。").arg(rows.size()));
    return path;
}
