#pragma once

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

// The rows a long run scores on its threads and the row it works on, handed to a window
// between two looks: the run reports each progress, the window takes what came since.
template <typename Row>
class TRowNews {
  public:
    // A progress report with CurrentRow and, when a row was scored, Scored (an optional row).
    template <typename Progress>
    void Report(const Progress& progress) {
        std::lock_guard lock(mutex_);
        currentRow_ = progress.CurrentRow;
        if (progress.Scored) rows_.push_back(*progress.Scored);
    }
    // Appends the rows scored since the last call and returns the row the run works on.
    int32_t TakeInto(std::vector<Row>& into) {
        std::lock_guard lock(mutex_);
        for (Row& row : rows_) into.push_back(std::move(row));
        rows_.clear();
        return currentRow_;
    }

  private:
    std::mutex mutex_;
    std::vector<Row> rows_;
    int32_t currentRow_ = 0;
};
