#include "search/DocumentView.h"

#include "search/Gui2RegMgr.h"

std::vector<const TGui2Reg*> TDocumentView::All() const {
    std::vector<const TGui2Reg*> patterns;
    patterns.reserve(static_cast<size_t>(patterns_.Count()));
    for (int32_t i = 0; i < patterns_.Count(); ++i) patterns.push_back(&patterns_.Get(i));
    return patterns;
}
