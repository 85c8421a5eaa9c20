#include "app/analysis/AnalysisWindows.h"

#include <QWidget>

#include "app/analysis/BacktestForm.h"
#include "app/analysis/TrendForm.h"
#include "stats/ui/StatMgr.h"
#include "ui/DocumentFeed.h"
#include "ui/WidgetBuild.h"

TAnalysisWindows::TAnalysisWindows(QWidget& window, TPrompts& prompts, TDocumentFeed& document)
    : QObject(&window), window_(window), prompts_(prompts), document_(document) {
    stat_ = new TStatForm(&window_, prompts_, document_);
    trend_ = new TTrendForm(&window_, prompts_, document_);
    CloseOnEscape(*stat_);
    CloseOnEscape(*trend_);
}

TAnalysisWindows::~TAnalysisWindows() = default;

void TAnalysisWindows::ShowStatistics() {
    stat_->OpenWindow();
}

void TAnalysisWindows::ShowTrend() {
    trend_->DrawsChanged();  // the document may have been opened or cleared since
    trend_->OpenWindow();
}

void TAnalysisWindows::ShowBacktest() {
    if (!backtest_) {
        backtest_ = new TBacktestForm(&window_, prompts_, document_);
        CloseOnEscape(*backtest_);
    }
    backtest_->OpenWindow();
}

void TAnalysisWindows::Detach() {
    delete backtest_;
    backtest_ = nullptr;
    delete stat_;
    stat_ = nullptr;
    delete trend_;
    trend_ = nullptr;
}
