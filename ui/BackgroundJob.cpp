#include "ui/BackgroundJob.h"

#include <QProgressDialog>

namespace {

// How often the window looks at the progress: often enough for a moving bar, seldom enough
// that a busy worker does not flood the window with events.
constexpr int ProgressIntervalMs = 50;

}  // namespace

TBackgroundJob::TBackgroundJob(QObject* owner) : QObject(owner) {
    progressTimer_.setInterval(ProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, &TBackgroundJob::ReportProgress);
}

TBackgroundJob::~TBackgroundJob() {
    Abandon();
}

void TBackgroundJob::Launch(std::unique_ptr<TTask> task) {
    Abandon();
    task->Serial = ++serial_;
    task_ = std::move(task);
    shown_ = {};
    TTask* running = task_.get();
    running->Worker = std::thread([this, running] {
        running->Run();
        // This object outlives the thread (its destructor joins it), and a call queued to an
        // object that is then destroyed is dropped with it.
        QMetaObject::invokeMethod(
            this, [this, serial = running->Serial] { DeliverOf(serial); }, Qt::QueuedConnection);
    });
    progressTimer_.start();
    emit RunningChanged(true);
}

void TBackgroundJob::Cancel() {
    if (task_) task_->Control.Cancel();
}

void TBackgroundJob::Abandon() {
    if (!task_) return;
    std::unique_ptr<TTask> task = std::move(task_);
    task->Control.Cancel();
    task->Worker.join();
    progressTimer_.stop();
}

void TBackgroundJob::Finish() {
    if (task_) DeliverOf(task_->Serial);
}

void TBackgroundJob::DeliverOf(uint64_t serial) {
    if (!task_ || task_->Serial != serial) return;  // abandoned, replaced or finished already
    std::unique_ptr<TTask> task = std::move(task_);
    task->Worker.join();
    progressTimer_.stop();
    ReportProgressOf(task->Control);
    task->Deliver();
    // The hand-over may have started the next job; only an idle job says it ended.
    if (!task_) {
        emit RunningChanged(false);
        if (deleteWhenDone_) deleteLater();
    }
}

void TBackgroundJob::ReportProgress() {
    if (task_) ReportProgressOf(task_->Control);
}

void TBackgroundJob::ReportProgressOf(const TJobControl& control) {
    const TJobControl::TProgress now = control.Progress();
    if (now.Done == shown_.Done && now.Total == shown_.Total) return;
    shown_ = now;
    emit ProgressChanged(now.Done, now.Total);
}

void TBackgroundJob::FollowIn(QProgressDialog& dialog) {
    QProgressDialog* shown = &dialog;
    connect(this, &TBackgroundJob::ProgressChanged, shown, [shown](qint64 done, qint64 total) {
        if (total <= 0) return;
        const qint64 range = shown->maximum() - shown->minimum();
        shown->setValue(shown->minimum() + static_cast<int>(done * range / total));
    });
    connect(shown, &QProgressDialog::canceled, this, &TBackgroundJob::Cancel);
}
