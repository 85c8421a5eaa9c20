#include "app/patterns/SearchPresenter.h"

#include <QElapsedTimer>
#include <QTimer>
#include <span>

#include "app/patterns/PatternListController.h"
#include "app/patterns/PatternListModel.h"
#include "app/window/StatusPanels.h"
#include "search/OptionRules.h"
#include "search/SearchTexts.h"
#include "ui/Prompts.h"

TSearchPresenter::TSearchPresenter(TGui2RegMgr& manager, TPatternListModel& list,
                                   TStatusPanels& status, QObject* parent)
    : QObject(parent), manager_(manager), list_(list), status_(status) {
    manager_.SetListener(this);
}

TSearchPresenter::~TSearchPresenter() {
    manager_.SetListener(nullptr);  // from here on no search thread posts to this object
}

void TSearchPresenter::SearchEventsPending() {
    // On the search's thread: only post; the queue is drained on the window's thread.
    QMetaObject::invokeMethod(
        this, [this] { manager_.ProcessEvents(); }, Qt::QueuedConnection);
}

void TSearchPresenter::DropPendingRows() {
    pendingRows_.clear();
    pendingDone_ = 0;
}

void TSearchPresenter::ListPendingRows() {
    if (pendingDone_ < pendingRows_.size()) {
        const std::span<TGui2Reg* const> rest(pendingRows_.data() + pendingDone_,
                                              pendingRows_.size() - pendingDone_);
        list_.Append(std::span<const TGui2Reg* const>(rest.data(), rest.size()));
    }
    DropPendingRows();  // a slice still scheduled finds nothing left to do
}

void TSearchPresenter::WhenSettled(std::function<void()> action) {
    if (manager_.HandingOver()) {
        settledActions_.push_back(std::move(action));
        return;
    }
    ListPendingRows();
    action();
}

void TSearchPresenter::RunSettledActions() {
    if (manager_.HandingOver()) return;  // a new search started meanwhile and dropped them
    ListPendingRows();
    // Run in the order asked; an action may ask for more, which then run at once.
    std::vector<std::function<void()>> actions;
    actions.swap(settledActions_);
    for (auto& action : actions) action();
}

bool TSearchPresenter::CanStart(const SearchOptions& options, TPrompts& prompts,
                                QWidget* parent) const {
    if (manager_.Running()) {
        prompts.ShowMessage(parent, QString::fromUtf8(SearchRunningText));
        return false;
    }
    const std::string problems = SearchOptionMessage(options);
    if (!problems.empty()) prompts.ShowError(parent, QString::fromStdString(problems));
    return problems.empty();
}

TListContents TSearchPresenter::StartSearch(TPatternListController& list, const TCodes& draws) {
    ListPendingRows();
    settledActions_.clear();
    TListContents before = list.TakeAll();
    before.Set.SearchDraws = manager_.SharedSearchDraws();
    try {
        manager_.Start(draws);
    } catch (...) {
        list.SwapAll(before);
        throw;
    }
    return before;
}

void TSearchPresenter::SearchEventTaken(const TSearchNotice& notice) {
    if (notice.Kind == sekFound && notice.NewCount > 0) {
        for (int32_t i = notice.FirstIndex; i < notice.FirstIndex + notice.NewCount; ++i)
            pendingRows_.push_back(&manager_.Get(i));
        if (!appendScheduled_) {
            appendScheduled_ = true;
            QMetaObject::invokeMethod(this, &TSearchPresenter::AppendPendingRows,
                                      Qt::QueuedConnection);
        }
        emit PatternsFound();
    }
    const int64_t milliseconds = TGui2RegMgr::NowTick() - manager_.StartTick();
    status_.SetText(2, QString::fromStdString(
                           SearchProgressText(notice.CandidateCount, manager_.Count(), milliseconds,
                                              manager_.Running(), notice.Kind == sekFinished)));
    if (notice.Kind == sekFinished && !notice.Error.empty())
        emit SearchFailed(QString::fromStdString(notice.Error));
    // Not from inside the manager's event handling: an undo replaces the manager's patterns.
    if (notice.Kind == sekFinished && !settledActions_.empty())
        QMetaObject::invokeMethod(this, &TSearchPresenter::RunSettledActions, Qt::QueuedConnection);
    emit SearchEventHandled(notice.Kind);
}

void TSearchPresenter::AppendPendingRows() {
    appendScheduled_ = false;
    if (list_.Sorting()) {  // adding rows would wait for the sort: list them once it has ended
        appendScheduled_ = true;
        QTimer::singleShot(50, this, &TSearchPresenter::AppendPendingRows);
        return;
    }
    QElapsedTimer budget;
    budget.start();
    constexpr size_t Slice = 4096;
    while (pendingDone_ < pendingRows_.size() && budget.elapsed() < 25) {
        const size_t n = std::min(Slice, pendingRows_.size() - pendingDone_);
        const std::span<TGui2Reg* const> slice(pendingRows_.data() + pendingDone_, n);
        list_.Append(std::span<const TGui2Reg* const>(slice.data(), slice.size()));
        pendingDone_ += n;
    }
    if (pendingDone_ < pendingRows_.size()) {
        appendScheduled_ = true;
        QTimer::singleShot(0, this, &TSearchPresenter::AppendPendingRows);
        return;
    }
    DropPendingRows();
    emit PendingRowsListed();
}
