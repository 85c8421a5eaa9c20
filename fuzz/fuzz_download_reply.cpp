// Feeds arbitrary bytes to the download reply reader. Every reply it accepts must decode into
// draws on the main thread without an error, and each draw must scramble back to its wire form.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/DownloadCodec.h"
#include "data/DrawText.h"
#include "data/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> items;
    try {
        items = ParseDownloadReply(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const TError&) {
        return 0;
    }
    if (items.empty()) std::abort();
    const std::vector<int32_t> numbers = DecodeReceivedItems(items, DrawKey());
    for (size_t i = 0; i < items.size(); ++i) {
        if (numbers[i] < 0 || numbers[i] > 9999999) std::abort();
        const size_t hash = items[i].find('#');
        const std::string issue = items[i].substr(0, hash);
        const std::string wire = items[i].substr(hash + 1, 7);
        const int64_t tail = issue.back() - '0';
        if (ScrambleDraw(DrawKey(), tail, ZeroPad7(numbers[i])) != wire) std::abort();
    }
    return 0;
}
