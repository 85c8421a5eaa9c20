#pragma once

#include <QWidget>
#include <vector>

#include "stats/StatTally.h"

class QAction;
class QScrollArea;
class QToolBar;
class TGraphPilarNet;
class TGui2RegMgr;
class TPrompts;

// The statistics window: counts the document's patterns by the digit each one forecasts and
// shows the counts as a column of bar charts. It reads the patterns and never changes them.
class TStatForm : public QWidget {
    Q_OBJECT

  public:
    // prompts answers the charts' messages (the real message box when null) and must outlive
    // the window.
    explicit TStatForm(QWidget* parent = nullptr, TPrompts* prompts = nullptr);
    ~TStatForm() override;

    // The patterns the statistics read; not owned. Null counts nothing.
    void SetRegMgr(const TGui2RegMgr* manager) { regMgr_ = manager; }
    const TGui2RegMgr* RegMgr() const { return regMgr_; }
    // Shows the window (centred on the screen the first time) and brings it to the front.
    void OpenWindow();

    QToolBar* StatTbr = nullptr;
    QAction* StatTbrStat1 = nullptr;
    QAction* StatTbrStat2 = nullptr;
    QAction* StatTbrStat3 = nullptr;
    QAction* StatTbrClose = nullptr;
    QScrollArea* StatGrphScrollBox = nullptr;

    // The charts of the last statistic run, top to bottom.
    const std::vector<TGraphPilarNet*>& Charts() const { return charts_; }

  public slots:
    void StatTbrStat1Click();
    void StatTbrStat2Click();
    void StatTbrStat3Click();
    void StatTbrCloseClick();

  private:
    void RunStat(TStatKind kind);
    void FreeCharts();

    QWidget* chartBox_ = nullptr;  // the scroll box's contents, parent of the charts
    std::vector<TGraphPilarNet*> charts_;
    const TGui2RegMgr* regMgr_ = nullptr;
    TPrompts* prompts_ = nullptr;
    bool placed_ = false;
};
