#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "view/GridGeometry.h"
#include "view/MarkerGeometry.h"

// What painting a pattern over the grid draws, in drawing order, as grid cells and colours:
// every link first (oldest step first, high line before low line), so that links lie under the
// markers, then per step the markers, the predicted digits and the step note. Free of any
// toolkit, so the colour sequences and the skipped steps can be checked headless.

inline constexpr std::array<TArgb, 12> MarkerPalette = {
    ColorToArgb(153, 0, 0),    ColorToArgb(51, 170, 51),  ColorToArgb(0, 0, 204),
    ColorToArgb(153, 153, 0),  ColorToArgb(153, 51, 153), ColorToArgb(255, 51, 0),
    ColorToArgb(0, 102, 0),    ColorToArgb(204, 0, 255),  ColorToArgb(170, 102, 0),
    ColorToArgb(102, 51, 204), ColorToArgb(0, 153, 136),  ColorToArgb(51, 51, 255)};

inline constexpr std::array<TArgb, 12> LinePalette = {
    ColorToArgb(0, 102, 238),  ColorToArgb(255, 170, 204), ColorToArgb(51, 204, 153),
    ColorToArgb(68, 68, 238),  ColorToArgb(187, 68, 255),  ColorToArgb(153, 187, 68),
    ColorToArgb(238, 68, 221), ColorToArgb(102, 255, 204), ColorToArgb(204, 0, 102),
    ColorToArgb(102, 51, 238), ColorToArgb(255, 102, 85),  ColorToArgb(204, 187, 0)};

// Markers in colour modes 1-4: the palette colour inside, these around and for the digit.
inline constexpr TArgb PaletteMarkerOuter = ColorToArgb(251, 255, 255);
inline constexpr TArgb PaletteMarkerText = ColorToArgb(255, 240, 240);

inline constexpr TArgb StepNoteColor = ColorToArgb(102, 102, 102);
inline constexpr TArgb PictureCaptionColor = ColorToArgb(51, 51, 51);

// Colour modes of markers and links (the options dialog's items, in order).
enum TBoxColorMode : int32_t {
    bcDesign = 0,       // links: a new line colour per line; markers: the shape's design colours
    bcOneColour = 1,    // links as mode 0; every marker one palette colour
    bcPerStep = 2,      // one palette colour per step for links and markers
    bcPerLine = 3,      // high line and low line each keep one colour in every step
    bcPerLineStep = 4,  // a new colour per line and step
};

// A grid cell in the painting's absolute numbering: row 0 the header, row k + 1 draw first + k.
struct TPlanCell {
    int32_t Row = 0;
    int32_t Column = 0;
    bool operator==(const TPlanCell&) const = default;
};

// VerdictRing: a ring around a predicted cell once its draw is known, in HitColor or MissColor.
enum class TPlanOpKind { Link, Marker, ResultDigit, StepNote, VerdictRing };
inline constexpr TArgb HitColor = ColorToArgb(0, 160, 60);
inline constexpr TArgb MissColor = ColorToArgb(220, 30, 30);

struct TPlanOp {
    TPlanOpKind Kind = TPlanOpKind::Link;
    int32_t Step = 0;
    int32_t Line = 0;           // 1 high, 0 low; unused for notes
    TPlanCell Cell;             // marker, digit and note cell; a link's start
    TPlanCell To;               // a link's end
    TArgb Color = 0;            // link colour, marker face, or digit colour
    bool DesignColors = false;  // marker or digit in the shape's own colours (mode 0)
    std::string Text;           // marker digit (may be empty), predicted digit, or step note
};

struct TPatternPlanInput {
    const TGui2Reg& Pattern;
    const TCodes& Draws;
    int32_t ColCount = 10;
    int32_t BoxColorMode = 0;
    int32_t First = 0;  // draw index in grid row 1
    // The draws of the search that found the pattern, for its verdict; null: Draws.
    const TCodes* SearchDraws = nullptr;
};

// Nothing is planned for a pattern that does not lie on the draws (its base row beyond them
// after draws were deleted). Once the coming draw is known, its markers show the real digits
// and a ring says hit or miss instead of the predicted digit.
std::vector<TPlanOp> PlanPattern(const TPatternPlanInput& input);

// Whether a step's figure is drawn: every step with Layout 2 or more; with Layout 1 the
// figures of neighbouring steps overlap, so only the newest and the oldest step are drawn.
bool StepIsDrawn(const TGui2Reg& pattern, int32_t step);
// Whether a line is drawn: all of its columns are shown (E-G are hidden with 7 columns).
bool LineIsShown(const TPointList& line, int32_t colCount);

// Text of a step's note in the description column, high line first: "3,8"; a line that
// predicts at step 0 gives "x": "3,x".
std::string StepNoteText(const TGui2Reg& pattern, int32_t step);

// The second caption line: "规律特点：3对2 7步 隔一 明对 ".
std::string FeaturesText(const TGui2Reg& pattern);

// The caption written on pictures, twice: top left and bottom right.
std::string PictureCaption();

// Frame of a picture of the current pattern: up to 45 rows ending 3 rows past the pattern's
// base row, and its size in pixels without the picture's margins.
struct TExportFrame {
    int32_t First = 0;
    int32_t Rows = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TExportFrame&) const = default;
};
inline constexpr int32_t MaxExportRows = 45;
TExportFrame ExportFrame(const TGridGeometry& geometry, const TGui2Reg& pattern);

// Picture around the frame: 40 pixels wider and higher, the grid drawn at (18, 16).
inline constexpr int32_t PictureMargin = 40;
inline constexpr int32_t PictureOriginX = 18;
inline constexpr int32_t PictureOriginY = 16;
