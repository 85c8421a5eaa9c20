#include "data/Error.h"
#include "tools/ToolPictures.h"

// A build without Qt cannot paint pictures.
bool ToolCanPaintPictures() {
    return false;
}

std::vector<std::string> WriteToolPictures(const std::string&, const std::vector<const TGui2Reg*>&,
                                           const TCodes&, const SearchOptions&) {
    throw TError("this build of tolvane-search has no picture support (built without Qt)");
}
