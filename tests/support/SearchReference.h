#pragma once

#include "search/SearchEngine.h"

// The same search done the plain way, one pattern object per build; the yardstick the fast
// engine is tested against. Single-threaded; lives with the tests, not in the shipped core.
TSearchTotals RunReferenceSearch(const TSearchRequest& request, ISearchSink& sink,
                                 const TJobControl& control);

// Puts each line of three or four points in drawing order the literal way: every visiting
// order measured, the first shortest kept.
void OrderLinesLiterally(TGui2Reg& reg);
