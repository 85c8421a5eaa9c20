#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;
class TBackgroundJob;
class TGui2Reg;
class TPatternListModel;
class TPrompts;

// The command "导出规律表格": the list's rows in their current order, or only the selected
// ones when the user says so, written as a spreadsheet table (search/PatternExport) on a
// background job behind a progress dialog that can be cancelled. A cancelled export leaves no
// file behind.
class TPatternTableExport {
  public:
    TPatternTableExport(QWidget& window, TPrompts& prompts, QString folder, TBackgroundJob& job)
        : window_(window), prompts_(prompts), folder_(std::move(folder)), job_(job) {}

    // selected: the selected rows' patterns in list order (may be empty). When the export
    // ends, done gets the file written, or the empty text when nothing was written (also at
    // once when the user gave no file). The patterns must stay while the job runs: the
    // window-modal progress dialog keeps every command that could free them away.
    void Run(const TPatternListModel& list, const std::vector<const TGui2Reg*>& selected,
             std::function<void(const QString& written)> done = {});

  private:
    QWidget& window_;
    TPrompts& prompts_;
    QString folder_;
    TBackgroundJob& job_;
};
