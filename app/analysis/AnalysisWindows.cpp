#include "app/analysis/AnalysisWindows.h"

#include <QWidget>

#include "app/analysis/BacktestForm.h"
#include "app/analysis/TrendForm.h"
#include "stats/ui/StatMgr.h"

TAnalysisWindows::TAnalysisWindows(QWidget& window, TPrompts& prompts, const TCodes& draws,
                                   int issueBase, TGui2RegMgr& manager, SearchOptions& options,
                                   std::function<void()> editOptions)
    : QObject(&window),
      window_(window),
      prompts_(prompts),
      draws_(draws),
      manager_(manager),
      options_(options),
      editOptions_(std::move(editOptions)) {
    stat_ = new TStatForm(&window_, prompts_);
    stat_->SetDraws(&draws_);
    trend_ = new TTrendForm(&window_, prompts_);
    trend_->SetDraws(&draws_, issueBase);
}

TAnalysisWindows::~TAnalysisWindows() = default;

void TAnalysisWindows::SetRegister(const TDrawRegister* reg) {
    register_ = reg;
    trend_->SetRegister(reg);
    if (backtest_) backtest_->SetRegister(reg);
}

void TAnalysisWindows::ShowStatistics() {
    stat_->SetRegMgr(&manager_);
    stat_->OpenWindow();
}

void TAnalysisWindows::ShowTrend() {
    trend_->DrawsChanged();  // the document may have been opened or cleared since
    trend_->OpenWindow();
}

void TAnalysisWindows::ShowBacktest() {
    if (!backtest_) {
        backtest_ = new TBacktestForm(&window_, prompts_);
        backtest_->SetSource(&draws_, &options_, editOptions_);
        backtest_->SetRegister(register_);
    }
    backtest_->OpenWindow();
}

void TAnalysisWindows::DrawsChanged() {
    trend_->DrawsChanged();
    stat_->DrawsChanged();
}

void TAnalysisWindows::Detach() {
    delete backtest_;
    backtest_ = nullptr;
    stat_->SetRegMgr(nullptr);
}
