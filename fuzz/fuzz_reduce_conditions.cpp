// Feeds arbitrary bytes to the condition reader of 缩水选号. Reading either gives a set or
// refuses with a message naming a line of the text; a set read writes back as text that reads
// to the same set, and that text is written again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reduce/ReduceConditions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TReduceSet set;
    try {
        set = ReadReduceSet(bytes);
    } catch (const TReduceError& e) {
        if (e.Line < 1) std::abort();
        return 0;
    }
    const std::string text = WriteReduceSet(set);
    const TReduceSet again = ReadReduceSet(text);
    if (!(again == set) || WriteReduceSet(again) != text) std::abort();
    return 0;
}
