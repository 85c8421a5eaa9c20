#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "search/SearchTypes.h"

// Runs one whole search. Returns after the walk ends or, soon after stop turns true, with
// the totals of what was reported. Options that the walk cannot run on raise a TError
// before anything is reported.
TSearchTotals RunSearch(const TSearchRequest& request, ISearchSink& sink,
                        const std::atomic<bool>& stop);
