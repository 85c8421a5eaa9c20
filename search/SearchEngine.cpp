#include "search/SearchEngine.h"

#include "search/ParallelSearch.h"
#include "search/SearchContext.h"
#include "search/SearchWalk.h"

TSearchTotals RunSearch(const TSearchRequest& request, ISearchSink& sink,
                        const TJobControl& control) {
    if (request.Draws == nullptr) throw TError("RunSearch Draws isnot valid!");
    const TWalkGrid grid = MakeWalkGrid(request.Options);
    CheckWalkOptions(request.Options, grid);
    const TSearchContext context(request.Options, *request.Draws, request.DrawingOrder);
    TParallelSearch search(context, request, sink, control.CancelFlag());
    return search.Run();
}
