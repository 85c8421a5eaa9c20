#include "view/ColorReduction.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <unordered_map>

namespace {

struct ColorCount {
    uint32_t Rgb = 0;
    uint64_t Count = 0;
};

int Channel(uint32_t rgb, int channel) {
    return static_cast<int>((rgb >> (16 - 8 * channel)) & 0xFF);
}

// Colours that share the same palette entry while the median cut runs.
struct ColorBox {
    std::vector<ColorCount> Colors;
    double Error = 0;  // weighted squared distance of the colours from their mean
    uint32_t Mean = 0;
    int WidestChannel = 0;

    void Measure() {
        std::array<double, 3> sum{};
        double weight = 0;
        for (const ColorCount& c : Colors) {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += double(Channel(c.Rgb, ch)) * c.Count;
            weight += double(c.Count);
        }
        std::array<double, 3> mean{};
        for (int ch = 0; ch < 3; ++ch) mean[ch] = weight > 0 ? sum[ch] / weight : 0;
        std::array<double, 3> spread{};
        for (const ColorCount& c : Colors)
            for (int ch = 0; ch < 3; ++ch) {
                const double d = Channel(c.Rgb, ch) - mean[ch];
                spread[ch] += d * d * double(c.Count);
            }
        Error = spread[0] + spread[1] + spread[2];
        WidestChannel = int(std::max_element(spread.begin(), spread.end()) - spread.begin());
        Mean = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const auto v = static_cast<uint32_t>(std::clamp(mean[ch] + 0.5, 0.0, 255.0));
            Mean |= v << (16 - 8 * ch);
        }
    }

    // Splits at the weighted median of the widest channel; the box keeps the lower half.
    ColorBox Split() {
        const int ch = WidestChannel;
        std::sort(Colors.begin(), Colors.end(), [ch](const ColorCount& a, const ColorCount& b) {
            return Channel(a.Rgb, ch) < Channel(b.Rgb, ch);
        });
        uint64_t total = 0;
        for (const ColorCount& c : Colors) total += c.Count;
        uint64_t running = 0;
        size_t cut = 1;
        for (; cut < Colors.size(); ++cut) {
            running += Colors[cut - 1].Count;
            if (running * 2 >= total) break;
        }
        cut = std::clamp<size_t>(cut, 1, Colors.size() - 1);
        ColorBox upper;
        upper.Colors.assign(Colors.begin() + static_cast<std::ptrdiff_t>(cut), Colors.end());
        Colors.resize(cut);
        Measure();
        upper.Measure();
        return upper;
    }
};

std::vector<uint32_t> MedianCut(std::vector<ColorCount> colors, size_t boxCount) {
    std::vector<uint32_t> result;
    if (colors.empty() || boxCount == 0) return result;
    if (colors.size() <= boxCount) {
        for (const ColorCount& c : colors) result.push_back(c.Rgb);
        return result;
    }
    std::vector<ColorBox> boxes(1);
    boxes[0].Colors = std::move(colors);
    boxes[0].Measure();
    while (boxes.size() < boxCount) {
        auto worst =
            std::max_element(boxes.begin(), boxes.end(), [](const ColorBox& a, const ColorBox& b) {
                const bool aSplittable = a.Colors.size() > 1;
                const bool bSplittable = b.Colors.size() > 1;
                if (aSplittable != bSplittable) return !aSplittable;
                return a.Error < b.Error;
            });
        if (worst->Colors.size() < 2) break;
        ColorBox upper = worst->Split();
        boxes.push_back(std::move(upper));
    }
    for (const ColorBox& b : boxes) result.push_back(b.Mean);
    return result;
}

int Distance2(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const int d = Channel(a, ch) - Channel(b, ch);
        sum += d * d;
    }
    return sum;
}

uint8_t NearestEntry(const std::vector<uint32_t>& palette, uint32_t rgb) {
    size_t best = 0;
    int bestDistance = Distance2(palette[0], rgb);
    for (size_t i = 1; i < palette.size() && bestDistance > 0; ++i) {
        const int d = Distance2(palette[i], rgb);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

TIndexedPicture IndexPicture(const uint32_t* pixels, int32_t width, int32_t height,
                             int32_t strideInPixels) {
    TIndexedPicture picture;
    if (width <= 0 || height <= 0 || pixels == nullptr) return picture;
    picture.Width = width;
    picture.Height = height;

    // Distinct colours in order of first appearance, with their pixel counts.
    std::unordered_map<uint32_t, uint32_t> slotOf;
    std::vector<ColorCount> distinct;
    std::vector<uint32_t> slots(static_cast<size_t>(width) * static_cast<size_t>(height));
    uint32_t lastRgb = 0, lastSlot = 0;
    bool haveLast = false;
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * strideInPixels;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t rgb = row[x] & 0xFFFFFFu;
            if (!haveLast || rgb != lastRgb) {
                auto [it, added] = slotOf.try_emplace(rgb, static_cast<uint32_t>(distinct.size()));
                if (added) distinct.push_back({rgb, 0});
                lastRgb = rgb;
                lastSlot = it->second;
                haveLast = true;
            }
            ++distinct[lastSlot].Count;
            slots[static_cast<size_t>(y) * width + x] = lastSlot;
        }
    }

    std::vector<uint8_t> entryOfSlot(distinct.size());
    if (distinct.size() <= MaxPaletteSize) {
        for (size_t i = 0; i < distinct.size(); ++i) {
            picture.Palette.push_back(distinct[i].Rgb);
            entryOfSlot[i] = static_cast<uint8_t>(i);
        }
    } else {
        picture.Reduced = true;
        // Flat areas (backgrounds, cell colours, text) keep their exact colours; the long tail
        // of anti-aliasing shades shares the other half of the palette.
        constexpr size_t kept = MaxPaletteSize / 2;
        std::vector<size_t> byCount(distinct.size());
        for (size_t i = 0; i < byCount.size(); ++i) byCount[i] = i;
        std::stable_sort(byCount.begin(), byCount.end(),
                         [&](size_t a, size_t b) { return distinct[a].Count > distinct[b].Count; });
        std::vector<size_t> exact(byCount.begin(), byCount.begin() + kept);
        std::sort(exact.begin(), exact.end());  // first appearance: the top-left colour is 0
        for (size_t slot : exact) picture.Palette.push_back(distinct[slot].Rgb);
        std::vector<ColorCount> rest;
        for (size_t i = kept; i < byCount.size(); ++i) rest.push_back(distinct[byCount[i]]);
        for (uint32_t rgb : MedianCut(std::move(rest), MaxPaletteSize - kept))
            picture.Palette.push_back(rgb);
        for (size_t i = 0; i < distinct.size(); ++i)
            entryOfSlot[i] = NearestEntry(picture.Palette, distinct[i].Rgb);
    }

    picture.Indices.resize(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) picture.Indices[i] = entryOfSlot[slots[i]];
    return picture;
}
