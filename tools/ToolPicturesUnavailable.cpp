#include "tools/ToolPictures.h"

// A build without Qt cannot paint pictures.
bool ToolCanPaintPictures() {
    return false;
}

bool WriteToolPictures(const std::string&, const std::vector<const TGui2Reg*>&, const TCodes&,
                       const SearchOptions&, std::vector<std::string>& written,
                       std::string& error) {
    written.clear();
    error = "this build of tolvane-search has no picture support (built without Qt)";
    return false;
}
