#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>

#include "ui/BackgroundJob.h"

namespace {

// Longer than any test: only a cancel ends such a wait.
constexpr std::chrono::milliseconds Forever = std::chrono::hours(1);

}  // namespace

class TestBackgroundJob : public QObject {
    Q_OBJECT

  private slots:
    void deliversTheResultOnTheWindowThreadAfterWorkingOnAnother() {
        QObject owner;
        auto* job = new TBackgroundJob(&owner);
        QThread* workedOn = nullptr;
        QThread* deliveredOn = nullptr;
        std::unique_ptr<int> result;  // a result that can only be moved
        job->Start(
            [&](TJobControl&) {
                workedOn = QThread::currentThread();
                return std::make_unique<int>(42);
            },
            [&](std::unique_ptr<int> value) {
                deliveredOn = QThread::currentThread();
                result = std::move(value);
            });
        QVERIFY(job->Running());
        QTRY_VERIFY(result != nullptr);
        QCOMPARE(*result, 42);
        QCOMPARE(deliveredOn, owner.thread());
        QVERIFY(workedOn != nullptr && workedOn != owner.thread());
        QVERIFY(!job->Running());
    }

    void progressReachesTheWindowAndADialogWhileTheWorkRuns() {
        QObject owner;
        auto* job = new TBackgroundJob(&owner);
        QProgressDialog dialog(QStringLiteral("..."), QStringLiteral("取消"), 0, 1000);
        job->FollowIn(dialog);
        QSignalSpy progress(job, &TBackgroundJob::ProgressChanged);
        std::atomic<bool> release{false};
        bool done = false;
        job->Start(
            [&](TJobControl& control) {
                control.Report(250, 1000);
                while (!release && control.WaitFor(std::chrono::milliseconds(1))) {
                }
            },
            [&] { done = true; });
        QTRY_VERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toLongLong(), 250);
        QCOMPARE(progress.last().at(1).toLongLong(), 1000);
        QCOMPARE(dialog.value(), 250);
        QVERIFY(!done);
        release = true;
        QTRY_VERIFY(done);
    }

    void cancelStopsTheWorkWhoseResultStillArrives() {
        QObject owner;
        auto* job = new TBackgroundJob(&owner);
        QProgressDialog dialog(QStringLiteral("..."), QStringLiteral("取消"), 0, 10);
        job->FollowIn(dialog);
        std::string result;
        job->Start(
            [](TJobControl& control) {
                return control.WaitFor(Forever) ? std::string("ran out") : std::string("stopped");
            },
            [&](std::string value) { result = value; });
        auto* cancel = dialog.findChild<QPushButton*>();
        QVERIFY(cancel != nullptr);
        cancel->click();  // the dialog's 取消 cancels the job
        QTRY_COMPARE(result, std::string("stopped"));
    }

    void destroyingTheOwnerCancelsWaitsAndHandsNothingOver() {
        auto owner = std::make_unique<QObject>();
        auto* job = new TBackgroundJob(owner.get());
        std::atomic<bool> started{false};
        std::atomic<bool> ended{false};
        bool delivered = false;
        job->Start(
            [&](TJobControl& control) {
                started = true;
                control.WaitFor(Forever);
                ended = true;
            },
            [&] { delivered = true; });
        QTRY_VERIFY(started);
        owner.reset();
        QVERIFY(ended);  // joined before the owner was gone
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(!delivered);
    }

    void finishHandsOverAtOnceAndOnlyOnce() {
        QObject owner;
        auto* job = new TBackgroundJob(&owner);
        QSignalSpy running(job, &TBackgroundJob::RunningChanged);
        int deliveries = 0;
        job->Start([](TJobControl&) { return 7; }, [&](int value) { deliveries += value; });
        job->Finish();
        QCOMPARE(deliveries, 7);
        QVERIFY(!job->Running());
        QCoreApplication::processEvents();  // the queued hand-over finds nothing left to do
        QCoreApplication::processEvents();
        QCOMPARE(deliveries, 7);
        QCOMPARE(running.count(), 2);
        QCOMPARE(running.at(0).at(0).toBool(), true);
        QCOMPARE(running.at(1).at(0).toBool(), false);
    }

    void aFailureReachesFailedNotDone() {
        QObject owner;
        auto* job = new TBackgroundJob(&owner);
        bool done = false;
        QString failure;
        job->Start([](TJobControl&) -> int { throw std::runtime_error("unreadable"); },
                   [&](int) { done = true; },
                   [&](std::exception_ptr error) {
                       try {
                           std::rethrow_exception(error);
                       } catch (const std::exception& e) {
                           failure = QString::fromUtf8(e.what());
                       }
                   });
        job->Finish();
        QCOMPARE(failure, QStringLiteral("unreadable"));
        QVERIFY(!done);
    }

    void aNewStartAbandonsTheRunningWork() {
        QObject owner;
        auto* job = new TBackgroundJob(&owner);
        std::atomic<bool> firstCancelled{false};
        QStringList delivered;
        job->Start(
            [&](TJobControl& control) {
                firstCancelled = !control.WaitFor(Forever);
                return 1;
            },
            [&](int) { delivered << QStringLiteral("first"); });
        job->Start([](TJobControl&) { return 2; },
                   [&](int) { delivered << QStringLiteral("second"); });
        QVERIFY(firstCancelled);
        QTRY_COMPARE(delivered, QStringList{QStringLiteral("second")});
        QCoreApplication::processEvents();
        QCOMPARE(delivered, QStringList{QStringLiteral("second")});
    }

    void aJobOfOneCommandDeletesItselfAfterHandingOver() {
        QObject owner;
        QPointer<TBackgroundJob> job = new TBackgroundJob(&owner);
        job->SetDeleteWhenDone(true);
        bool done = false;
        job->Start([](TJobControl&) {}, [&] { done = true; });
        QTRY_VERIFY(done);
        QTRY_VERIFY(job.isNull());
    }
};

QTEST_MAIN(TestBackgroundJob)
#include "test_background_job.moc"
