#include "app/SearchPresenter.h"

#include <QElapsedTimer>
#include <QTimer>
#include <span>

#include "app/PatternListController.h"
#include "app/PatternListModel.h"
#include "app/StatusPanels.h"
#include "search/SearchTexts.h"

TSearchPresenter::TSearchPresenter(TGui2RegMgr& manager, TPatternListModel& list,
                                   TStatusPanels& status, QObject* parent)
    : QObject(parent), manager_(manager), list_(list), status_(status) {
    manager_.OnSearchEvent = [this](const TSearchNotice& notice) { OnSearchEvent(notice); };
    // Runs on the search thread: only post; the queue is drained here, on the window's thread.
    manager_.OnEventsPending = [this] {
        QMetaObject::invokeMethod(
            this, [this] { manager_.ProcessEvents(); }, Qt::QueuedConnection);
    };
}

TSearchPresenter::~TSearchPresenter() {
    manager_.OnSearchEvent = nullptr;
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

bool TSearchPresenter::SettleRows() {
    if (manager_.Running()) return false;
    ListPendingRows();
    return true;
}

TListContents TSearchPresenter::StartSearch(TPatternListController& list, const TCodes& draws) {
    ListPendingRows();
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

void TSearchPresenter::OnSearchEvent(const TSearchNotice& notice) {
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
    const int64_t seconds = (TGui2RegMgr::NowTick() - manager_.StartTick()) / 1000;
    status_.SetText(2, QString::fromStdString(
                           SearchProgressText(notice.CandidateCount, manager_.Count(), seconds,
                                              manager_.Running(), notice.Kind == sekFinished)));
    if (notice.Kind == sekFinished && !notice.Error.empty())
        emit SearchFailed(QString::fromStdString(notice.Error));
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
