#include "search/SearchEngine.h"

TSearchTotals RunSearch(const TSearchRequest& request, ISearchSink& sink,
                        const std::atomic<bool>& stop) {
    return RunReferenceSearch(request, sink, stop);
}
