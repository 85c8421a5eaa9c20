#pragma once

#include <QObject>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

#include "data/JobControl.h"

class QProgressDialog;

// The one way the windows run long work: the work runs on a worker thread of its own, reports
// its progress and polls its cancel request through a TJobControl, and its result is handed to
// done on the thread of this object (the window's). Destroying the job (or its owner, whose
// child it is) cancels the work, waits for its thread and hands nothing over. Like KDAB
// Hotspot's JobTracker, each start has a serial number, so a result that arrives after its job
// was abandoned or replaced is dropped.
//
// The work must not touch widgets; it gets copies or things no one changes while it runs. An
// owner whose members the work reads deletes the job first in its destructor: Qt deletes the
// children only after the owner's members.
class TBackgroundJob : public QObject {
    Q_OBJECT

  public:
    explicit TBackgroundJob(QObject* owner);
    ~TBackgroundJob() override;

    // Runs work(TJobControl&) on a new thread; then, on this object's thread, done(result) (or
    // done() when the work returns nothing), or failed(exception) when the work threw. A job
    // still running is abandoned first. A cancelled work's result is still handed over: the
    // work decides what a stop returns. Without failed, a failure is dropped: give it for work
    // that can throw.
    template <class Work, class Done>
    void Start(Work work, Done done, std::function<void(std::exception_ptr)> failed = {});

    // Started and its result not yet handed over.
    bool Running() const { return task_ != nullptr; }
    // Asks the work to stop; its result still arrives.
    void Cancel();
    // Cancels the work, waits for its thread and hands nothing over.
    void Abandon();
    // Waits for the work and hands its result over now, before returning.
    void Finish();

    // The dialog follows the job's progress (scaled to its maximum) and its 取消 cancels.
    void FollowIn(QProgressDialog& dialog);

  signals:
    // On this object's thread, soon after the work reported (reports that come faster than
    // the window looks are seen together), and at the end when the last figures were not shown.
    void ProgressChanged(qint64 done, qint64 total);
    // A job started, or it ended (after its result was handed over).
    void RunningChanged(bool running);

  private:
    struct TTask {
        virtual ~TTask() = default;
        virtual void Run() = 0;      // on the worker thread
        virtual void Deliver() = 0;  // on this object's thread
        TJobControl Control;
        std::thread Worker;
        uint64_t Serial = 0;
    };
    template <class Work, class Done>
    struct TTaskOf;

    void Launch(std::unique_ptr<TTask> task);
    void DeliverOf(uint64_t serial);
    // On this object's thread: the progress of the job of that serial number, when it runs.
    void ReportProgressOf(uint64_t serial);
    void ShowProgress(TJobControl::TProgress now);

    std::unique_ptr<TTask> task_;
    uint64_t serial_ = 0;
    TJobControl::TProgress shown_;
};

template <class Work, class Done>
struct TBackgroundJob::TTaskOf : TBackgroundJob::TTask {
    using TResult = std::invoke_result_t<Work&, TJobControl&>;
    using TStored = std::conditional_t<std::is_void_v<TResult>, bool, TResult>;

    TTaskOf(Work w, Done d, std::function<void(std::exception_ptr)> f)
        : work(std::move(w)), done(std::move(d)), failed(std::move(f)) {}

    void Run() override {
        try {
            if constexpr (std::is_void_v<TResult>) {
                work(Control);
                result.emplace(true);
            } else {
                result.emplace(work(Control));
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    void Deliver() override {
        if (failure) {
            if (failed) failed(failure);
        } else if constexpr (std::is_void_v<TResult>) {
            done();
        } else {
            done(std::move(*result));
        }
    }

    Work work;
    Done done;
    std::function<void(std::exception_ptr)> failed;
    std::optional<TStored> result;
    std::exception_ptr failure;
};

template <class Work, class Done>
void TBackgroundJob::Start(Work work, Done done, std::function<void(std::exception_ptr)> failed) {
    Launch(
        std::make_unique<TTaskOf<Work, Done>>(std::move(work), std::move(done), std::move(failed)));
}
