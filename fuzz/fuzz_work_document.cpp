// Feeds arbitrary bytes to the work document reader. A rejected document must leave the
// targets untouched; an accepted one must write back to exactly the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data/Error.h"
#include "search/Gui2RegMgr.h"
#include "search/WorkDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SearchOptions options;
    TCodes grid;
    TGui2RegMgr manager(options);
    const std::vector<uint8_t> before = WriteWorkDocument(grid, manager);
    const std::vector<uint8_t> bytes(data, data + size);
    try {
        ReadWorkDocument(bytes, grid, manager);
    } catch (const TError&) {
        if (WriteWorkDocument(grid, manager) != before) std::abort();
        return 0;
    }
    if (!bytes.empty() && WriteWorkDocument(grid, manager) != bytes) std::abort();
    for (int32_t i = 0; i < manager.Count(); ++i) {
        const TGui2Reg& reg = manager.Get(i);
        (void)reg.SumsText();
        (void)reg.ResultsText();
        (void)reg.PositionsText();
        (void)reg.TopOffset();
    }
    return 0;
}
