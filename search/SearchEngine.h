#pragma once

#include <cstdint>
#include <memory>

#include "data/JobControl.h"
#include "search/SearchTypes.h"

// Runs one whole search. Returns after the walk ends or, soon after control is cancelled,
// with the totals of what was reported (the progress goes to the sink, in walk order). Options that
// the walk cannot run on raise a TError before anything is reported.
TSearchTotals RunSearch(const TSearchRequest& request, ISearchSink& sink,
                        const TJobControl& control);
