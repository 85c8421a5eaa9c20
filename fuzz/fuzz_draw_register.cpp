// Feeds arbitrary bytes to the reader of the draw register beside a work document. Half the
// inputs get the right first two lines for a few fixed draws, so the rows themselves are
// explored. Reading either refuses with TRegisterError or gives a register that is in order
// and writes back to a text that reads to the same register; the forgiving form as well.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/DrawRegister.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TCodes draws;
    draws.SetCount(data[0] >> 4);
    for (int32_t r = 0; r < draws.Count(); ++r) draws.SetNum(1 + r % 7, r, r % 10);
    std::string text;
    if ((data[0] & 1) != 0) {
        const std::string header = RegisterText(TDrawRegister(), draws);
        text = header.substr(0, header.find('\n', header.find('\n') + 1) + 1);
    }
    text.append(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const TDrawRegister reg = ParseRegister(text, draws);
        if (reg.Count() != draws.Count()) std::abort();
        CheckIssueOrder(reg.Rows);
        if (!(ParseRegister(RegisterText(reg, draws), draws) == reg)) std::abort();
    } catch (const TRegisterError&) {
    }
    try {
        // The forgiving form: skipped lines are rows of the text, and the rest reads back.
        std::vector<int32_t> skipped;
        const TDrawRegister reg = ParseRegister(text, draws, skipped);
        if (reg.Count() != draws.Count() || skipped.size() > MaxSkippedRegisterLines) std::abort();
        if (!(ParseRegister(RegisterText(reg, draws), draws) == reg)) std::abort();
    } catch (const TRegisterError&) {
    }
    return 0;
}
