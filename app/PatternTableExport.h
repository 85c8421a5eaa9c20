#pragma once

#include <QString>
#include <vector>

class QWidget;
class TGui2Reg;
class TPatternListModel;
class TPrompts;

// The command "导出规律表格": the list's rows in their current order, or only the selected
// ones when the user says so, written as a spreadsheet table (search/PatternExport) behind a
// progress dialog that can be cancelled. A cancelled export leaves no file behind.
class TPatternTableExport {
  public:
    TPatternTableExport(QWidget& window, TPrompts& prompts, QString folder)
        : window_(window), prompts_(prompts), folder_(std::move(folder)) {}

    // selected: the selected rows' patterns in list order (may be empty). Returns the file
    // written, or the empty text when nothing was written.
    QString Run(const TPatternListModel& list, const std::vector<const TGui2Reg*>& selected);

  private:
    QWidget& window_;
    TPrompts& prompts_;
    QString folder_;
};
