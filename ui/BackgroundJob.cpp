#include "ui/BackgroundJob.h"

#include <QProgressDialog>

TBackgroundJob::TBackgroundJob(QObject* owner) : QObject(owner) {}

TBackgroundJob::~TBackgroundJob() {
    Abandon();
}

void TBackgroundJob::Launch(std::unique_ptr<TTask> task) {
    Abandon();
    task->Serial = ++serial_;
    task_ = std::move(task);
    shown_ = {};
    TTask* running = task_.get();
    // A report wakes the window once; the next report after its look wakes it again, so a busy
    // worker keeps at most one call waiting in the window's queue.
    running->Control.SetWake([this, serial = running->Serial] {
        QMetaObject::invokeMethod(
            this, [this, serial] { ReportProgressOf(serial); }, Qt::QueuedConnection);
    });
    running->Worker = std::thread([this, running] {
        running->Run();
        // This object outlives the thread (its destructor joins it), and a call queued to an
        // object that is then destroyed is dropped with it.
        QMetaObject::invokeMethod(
            this, [this, serial = running->Serial] { DeliverOf(serial); }, Qt::QueuedConnection);
    });
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
}

void TBackgroundJob::Finish() {
    if (task_) DeliverOf(task_->Serial);
}

void TBackgroundJob::DeliverOf(uint64_t serial) {
    if (!task_ || task_->Serial != serial) return;  // abandoned, replaced or finished already
    std::unique_ptr<TTask> task = std::move(task_);
    task->Worker.join();
    ShowProgress(task->Control.Progress());
    task->Deliver();
    // The hand-over may have started the next job; only an idle job says it ended.
    if (!task_) emit RunningChanged(false);
}

void TBackgroundJob::ReportProgressOf(uint64_t serial) {
    if (!task_ || task_->Serial != serial) return;
    task_->Control.Looked();  // before reading: a report from now on wakes the window again
    // Every report is news, even with the same figures (a run that started its next row).
    shown_ = task_->Control.Progress();
    emit ProgressChanged(shown_.Done, shown_.Total);
}

void TBackgroundJob::ShowProgress(TJobControl::TProgress now) {
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
