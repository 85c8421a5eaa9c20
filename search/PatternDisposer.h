#pragma once

#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

#include "search/Gui2Reg.h"

// Frees patterns. Millions of them take seconds to free, so a large set goes to a thread of its
// own and the caller goes on at once; a small one is freed on the spot. The destructor waits
// for the last thread.
class TPatternDisposer {
  public:
    static constexpr size_t BackgroundCount = 100000;

    TPatternDisposer() = default;
    ~TPatternDisposer();
    TPatternDisposer(const TPatternDisposer&) = delete;
    TPatternDisposer& operator=(const TPatternDisposer&) = delete;

    void Dispose(std::vector<std::unique_ptr<TGui2Reg>>&& patterns) noexcept;
    // Waits until everything handed over is freed.
    void Wait();

  private:
    std::thread thread_;
};
