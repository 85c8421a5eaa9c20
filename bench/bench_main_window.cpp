#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "app/draws/AutoUpdate.h"
#include "app/patterns/PatternListModel.h"
#include "app/window/Application.h"
#include "app/window/Main.h"
#include "bench/BenchDraws.h"
#include "data/ProgramIdentity.h"
#include "search/WorkDocument.h"
#include "tests/support/PatternFactory.h"

namespace {

// Runs the search command in loop until the search has ended and every pattern stands in the
// list.
void SearchUntilListed(TMainForm& form, QEventLoop& loop) {
    QTimer done;
    done.setInterval(20);
    QObject::connect(&done, &QTimer::timeout, &loop, [&] {
        if (!form.RegMgr().Running() && form.ListModel().RowCount() == form.RegMgr().Count())
            loop.quit();
    });
    done.start();
    form.RegMenuSearchClick();
    loop.exec();
}

// A 5 ms timer on the window's thread: the longest gap between its ticks is how long the window
// could not answer input.
class TPauseMeter {
  public:
    explicit TPauseMeter(const QElapsedTimer& clock) : clock_(clock) {
        ticker_.setInterval(5);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void Start() { ticker_.start(); }
    // Forgets the gaps so far.
    void Restart() {
        longest_ = 0;
        last_ = clock_.elapsed();
    }
    qint64 Longest() const { return longest_; }

  private:
    const QElapsedTimer& clock_;
    QTimer ticker_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

class TSilentPrompts : public TPrompts {
  public:
    void ShowMessage(QWidget*, const QString&) override {}
    QMessageBox::StandardButton Ask(QWidget*, const QString&, QMessageBox::StandardButtons,
                                    QMessageBox::StandardButton) override {
        return QMessageBox::Discard;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    void OpenUrl(QWidget*, const QUrl&) override {}
};

// A whole search in the main window (about 1 and 2.3 million patterns from 3000 draws) until
// every pattern stands in the list, with a 5 ms timer on the window's thread: the longest gap
// between its ticks is how long the window could not answer input.
void BM_SearchIntoTheWindow(benchmark::State& state) {
    QTemporaryDir folder;
    {
        QFile draws(folder.filePath("draws.txt"));
        draws.open(QIODevice::WriteOnly);
        draws.write(QByteArray::fromStdString(RandomDrawFile(5, 3000, "\n")));
    }
    TSilentPrompts prompts;
    TMainForm form(folder.path(), prompts);
    form.AutoUpdate().SetSuspended(true);  // no real service is asked
    form.resize(1200, 800);
    form.show();
    form.ImportDrawFile(folder.filePath("draws.txt"));
    form.Options.SecCountSe = 3;
    form.Options.LinedPtMaxSe = 4;
    form.Options.LinegPtMaxSe = 4;
    form.Options.LinegDistMaxSe = static_cast<int32_t>(state.range(0));

    for (auto _ : state) {
        QElapsedTimer clock;
        TPauseMeter pauses(clock);
        QEventLoop loop;
        qint64 searchMs = 0;
        QObject::connect(&form, &TMainForm::SearchEventHandled, &loop, [&](int kind) {
            if (kind == 2) searchMs = clock.elapsed();
        });
        clock.start();
        pauses.Start();
        SearchUntilListed(form, loop);
        const qint64 total = clock.elapsed();
        // The sort runs on its own thread; the ticker keeps measuring the window's answers.
        QElapsedTimer sortClock;
        sortClock.start();
        pauses.Restart();
        form.ListViewColumnClick(5);
        while (form.ListModel().Sorting())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 sortMs = sortClock.elapsed();
        const qint64 sortGap = pauses.Longest();
        // 清空 and its undo and redo: the patterns are moved aside and back, never copied.
        QElapsedTimer changeClock;
        changeClock.start();
        form.RegMenuClearClick();
        const qint64 clearMs = changeClock.restart();
        form.EditMenuUndoClick();
        const qint64 undoMs = changeClock.restart();
        form.EditMenuRedoClick();
        const qint64 redoMs = changeClock.restart();
        form.EditMenuUndoClick();
        state.SetIterationTime(static_cast<double>(total) / 1000.0);
        state.counters["patterns"] = form.RegMgr().Count();
        state.counters["rows"] = form.ListModel().RowCount();
        state.counters["max_gap_ms"] = static_cast<double>(pauses.Longest());
        state.counters["search_ms"] = static_cast<double>(searchMs);
        state.counters["sort_sums_ms"] = static_cast<double>(sortMs);
        state.counters["sort_max_gap_ms"] = static_cast<double>(sortGap);
        state.counters["clear_ms"] = static_cast<double>(clearMs);
        state.counters["undo_clear_ms"] = static_cast<double>(undoMs);
        state.counters["redo_clear_ms"] = static_cast<double>(redoMs);
    }
}
BENCHMARK(BM_SearchIntoTheWindow)
    ->Arg(5)
    ->Arg(6)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Resident bytes of the process, from /proc/self/statm.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The heavy option set on 300 draws (about 1.76 million patterns): resident bytes the window
// holds per pattern once every pattern stands in the list, above its size before the search.
void BM_HeavySearchResidentBytes(benchmark::State& state) {
    QTemporaryDir folder;
    {
        const auto draws = BenchDraws();
        QFile file(folder.filePath("draws.txt"));
        file.open(QIODevice::WriteOnly);
        for (int32_t row = 0; row < draws->Count(); ++row) {
            QByteArray line;
            for (int32_t position = 1; position <= 7; ++position)
                line += char('0' + draws->GetNum(position, row));
            file.write(line + "\n");
        }
    }
    TSilentPrompts prompts;
    TMainForm form(folder.path(), prompts);
    form.AutoUpdate().SetSuspended(true);  // no real service is asked
    form.resize(1200, 800);
    form.show();
    form.ImportDrawFile(folder.filePath("draws.txt"));
    form.Options = HeavyOptions();
    for (auto _ : state) {
        const double idle = ResidentBytes();
        QEventLoop loop;
        SearchUntilListed(form, loop);
        const double patterns = form.RegMgr().Count();
        state.counters["patterns"] = patterns;
        state.counters["resident_bytes_per_pattern"] = (ResidentBytes() - idle) / patterns;
    }
}
BENCHMARK(BM_HeavySearchResidentBytes)->Iterations(1)->Unit(benchmark::kMillisecond);

// Starting on a document of range(0) patterns: how long the open takes and the longest pause of
// the window's thread meanwhile (the file is read on a thread of its own; before, the whole
// open was one pause).
void BM_OpenLargeDocument(benchmark::State& state) {
    QTemporaryDir folder;
    TSilentPrompts prompts;
    {
        SearchOptions options;
        TGui2RegMgr manager(options);
        for (int64_t i = 0; i < state.range(0); ++i)
            manager.Add(MakePattern(2 + static_cast<int>(i % 3), 2, 3 + static_cast<int>(i % 9)));
        SaveWorkDocument(folder.filePath(QString::fromUtf8(WorkDocumentFileName)).toStdString(),
                         *BenchDraws(), manager);
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        TPauseMeter pauses(clock);
        clock.start();
        pauses.Start();
        auto form = std::make_unique<TMainForm>(folder.path(), prompts);
        form->AutoUpdate().SetSuspended(true);  // no real service is asked
        while (form->Opening())                 // read on a background job while the window answers
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 openMs = clock.elapsed();
        QTimer::singleShot(20, [] {});
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);  // the tick after the open
        state.SetIterationTime(static_cast<double>(openMs) / 1000.0);
        state.counters["patterns"] = form->RegMgr().Count();
        state.counters["max_gap_ms"] = static_cast<double>(pauses.Longest());
        QElapsedTimer closeClock;
        closeClock.start();
        form.reset();
        state.counters["close_ms"] = static_cast<double>(closeClock.elapsed());
    }
}
BENCHMARK(BM_OpenLargeDocument)
    ->Arg(2000000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
