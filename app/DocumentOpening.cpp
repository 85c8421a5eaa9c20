#include "app/DocumentOpening.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <exception>
#include <thread>

#include "data/Error.h"
#include "search/DocumentSession.h"
#include "search/Gui2RegMgr.h"

bool OpenDocumentWithProgress(TDocumentSession& session, TCodes& draws, TGui2RegMgr& manager,
                              TPatternListModel::TRows& listRows, QWidget* parent) {
    std::atomic<size_t> position{0};
    std::atomic<size_t> size{1};
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    TWorkDocumentContent content;
    std::exception_ptr failure;
    std::thread reader([&] {
        try {
            content = session.Read([&](size_t at, size_t total) {
                position = at;
                size = total == 0 ? 1 : total;
                return !stop.load();
            });
            std::vector<const TGui2Reg*> rows;
            rows.reserve(content.Piece.Patterns.size());
            for (const auto& pattern : content.Piece.Patterns) rows.push_back(pattern.get());
            listRows = TPatternListModel::RowsInPointsOrder(std::move(rows));
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });

    constexpr int Steps = 1000;
    QProgressDialog progress(QStringLiteral("正在打开文档..."), QStringLiteral("取消"), 0, Steps,
                             parent);
    progress.setWindowTitle(QStringLiteral("打开文档"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(30);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done) return loop.quit();
        if (progress.wasCanceled()) stop = true;
        progress.setValue(static_cast<int>(static_cast<double>(position) / size * (Steps - 1)));
    });
    tick.start();
    if (!done) loop.exec();
    reader.join();
    progress.reset();

    if (failure) {
        session.OpenFailed();
        try {
            std::rethrow_exception(failure);
        } catch (const TReadCancelled&) {
            return false;
        }
    }
    if (content.Empty) {  // an empty file changes nothing: the rows are those of the patterns held
        std::vector<const TGui2Reg*> rows;
        for (const auto& pattern : manager.Patterns()) rows.push_back(pattern.get());
        listRows = TPatternListModel::RowsInPointsOrder(std::move(rows));
    }
    session.Take(std::move(content), draws, manager);
    return true;
}
