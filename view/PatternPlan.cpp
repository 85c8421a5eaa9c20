#include "view/PatternPlan.h"

#include <algorithm>

#include "search/PatternCheck.h"

namespace {

int32_t StepBase(const TGui2Reg& pattern, int32_t step) {
    return pattern.BaseRow - pattern.Layout * step;
}

template <size_t N>
const char* NameAt(const std::array<const char*, N>& names, int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(N) ? names[static_cast<size_t>(index)] : "";
}

// Builds the operations; keeps the running colour indices of links and markers.
class PatternPlanner {
  public:
    explicit PatternPlanner(const TPatternPlanInput& input)
        : in_(input),
          pattern_(input.Pattern),
          // A mode outside the five (from a hand-edited options file) paints as mode 0.
          mode_(input.BoxColorMode >= bcDesign && input.BoxColorMode <= bcPerLineStep
                    ? input.BoxColorMode
                    : bcDesign) {}

    std::vector<TPlanOp> Run() {
        if (pattern_.StepTotal <= 0) return std::move(ops_);
        verification_ = VerifyPattern(pattern_, in_.Draws,
                                      in_.SearchDraws != nullptr ? *in_.SearchDraws : in_.Draws);
        if (verification_ == TVerification::Invalid) return {};
        for (int32_t s = pattern_.StepTotal - 1; s >= 0; --s) {
            if (mode_ == bcPerStep) ++linkIndex_;
            StepLinks(s);
        }
        for (int32_t s = pattern_.StepTotal - 1; s >= 0; --s) {
            if (mode_ == bcPerStep) ++markerIndex_;
            StepMarkers(s);
        }
        return std::move(ops_);
    }

  private:
    TPlanCell CellOf(int32_t base, TPoint p) const { return {base + p.Y - in_.First + 1, p.X + 1}; }

    bool LineDrawn(int32_t step, int32_t line) const {
        return StepIsDrawn(pattern_, step) && LineIsShown(pattern_.Line(line), in_.ColCount);
    }

    void StepLinks(int32_t s) {
        const int32_t base = StepBase(pattern_, s);
        for (int32_t l = 1; l >= 0; --l) {
            if (mode_ < bcPerStep || mode_ == bcPerLineStep) linkIndex_ = (linkIndex_ + 1) % 12;
            const TPointList& line = pattern_.Line(l);
            if (line.Count() <= 1 || !LineDrawn(s, l)) continue;
            TArgb color;
            if (mode_ < bcPerStep)
                color = LinePalette[static_cast<size_t>(linkIndex_ % 12)];
            else if (mode_ == bcPerLine)
                color = MarkerPalette[static_cast<size_t>((linkIndex_ + l) % 12)];
            else
                color = MarkerPalette[static_cast<size_t>(linkIndex_ % 12)];
            for (int32_t i = 0; i + 1 < line.Count(); ++i) {
                TPlanOp op;
                op.Kind = TPlanOpKind::Link;
                op.Step = s;
                op.Line = l;
                op.Cell = CellOf(base, line.Get(i));
                op.To = CellOf(base, line.Get(i + 1));
                op.Color = color;
                ops_.push_back(std::move(op));
            }
        }
    }

    std::string DigitAt(int32_t base, TPoint p) const {
        const int32_t row = base + p.Y;
        if (row < 0 || row >= in_.Draws.Count() || p.X < 0 || p.X > 7) return {};
        return std::to_string(in_.Draws.GetNum(p.X, row) % 10);
    }

    void StepMarkers(int32_t s) {
        const int32_t base = StepBase(pattern_, s);
        for (int32_t l = 1; l >= 0; --l) {
            int32_t lineIndex = markerIndex_;
            if (mode_ == bcPerLine) lineIndex = (markerIndex_ + l) % 12;
            if (mode_ == bcPerLineStep) {
                markerIndex_ = (markerIndex_ + 1) % 12;
                lineIndex = markerIndex_;
            }
            const TPointList& line = pattern_.Line(l);
            if (line.Count() >= 1 && LineDrawn(s, l)) {
                for (int32_t i = 0; i < line.Count(); ++i) {
                    TPlanOp op;
                    op.Kind = TPlanOpKind::Marker;
                    op.Step = s;
                    op.Line = l;
                    op.Cell = CellOf(base, line.Get(i));
                    op.DesignColors = mode_ == bcDesign;
                    op.Color = MarkerPalette[static_cast<size_t>(lineIndex % 12)];
                    op.Text = DigitAt(base, line.Get(i));
                    ops_.push_back(std::move(op));
                }
            }
            const bool known =
                verification_ == TVerification::Hit || verification_ == TVerification::Miss;
            if (s == 0 && known && LineDrawn(s, l)) VerdictRings(base, l);
            // Draws changed since the search: no verdict, and a known draw keeps its digits.
            if (s == 0 && !known && pattern_.BaseRow >= in_.Draws.Count() &&
                pattern_.PositionCount(l) == 1)
                PredictedDigit(base, l);
        }
        TPlanOp note;
        note.Kind = TPlanOpKind::StepNote;
        note.Step = s;
        note.Cell = {base - in_.First + 1, in_.ColCount - 1};
        note.Color = StepNoteColor;
        note.Text = StepNoteText(pattern_, s);
        ops_.push_back(std::move(note));
    }

    // The line's result on the marker of the coming draw, which has no digit of its own.
    void PredictedDigit(int32_t base, int32_t l) {
        for (int32_t x = 0; x <= 7; ++x) {
            // A hidden column (E-G with 7 columns) would put the digit over the notes.
            if (!pattern_.GetPosition(l, x) || x >= in_.ColCount - 2) continue;
            TPlanOp op;
            op.Kind = TPlanOpKind::ResultDigit;
            op.Step = 0;
            op.Line = l;
            op.Cell = {base - in_.First + 1, x + 1};
            op.DesignColors = mode_ == bcDesign;
            op.Color = PaletteMarkerText;
            op.Text = std::to_string(pattern_.GetResult(l));
            ops_.push_back(std::move(op));
        }
    }

    // Rings around the line's cells on the predicted draw, whose markers show its digits.
    void VerdictRings(int32_t base, int32_t l) {
        const TPointList& line = pattern_.Line(l);
        for (int32_t i = 0; i < line.Count(); ++i) {
            if (line.Get(i).Y != 0) continue;
            TPlanOp op;
            op.Kind = TPlanOpKind::VerdictRing;
            op.Line = l;
            op.Cell = CellOf(base, line.Get(i));
            op.Color = verification_ == TVerification::Hit ? HitColor : MissColor;
            op.Text = VerificationText(verification_);
            ops_.push_back(std::move(op));
        }
    }

    const TPatternPlanInput& in_;
    const TGui2Reg& pattern_;
    TVerification verification_ = TVerification::Pending;
    int32_t mode_;
    int32_t linkIndex_ = 5;
    int32_t markerIndex_ = 5;
    std::vector<TPlanOp> ops_;
};

}  // namespace

bool StepIsDrawn(const TGui2Reg& pattern, int32_t step) {
    return pattern.Layout >= 2 || step == 0 || step == pattern.StepTotal - 1;
}

bool LineIsShown(const TPointList& line, int32_t colCount) {
    for (int32_t i = 0; i < line.Count(); ++i)
        if (line.Get(i).X >= colCount - 2) return false;
    return true;
}

std::vector<TPlanOp> PlanPattern(const TPatternPlanInput& input) {
    return PatternPlanner(input).Run();
}

std::string StepNoteText(const TGui2Reg& pattern, int32_t step) {
    std::string text;
    for (int32_t l = TGui2Reg::LineCount - 1; l >= 0; --l) {
        const int32_t sum = pattern.StepSum(step, l, false);
        text += sum == -1 ? std::string("x") : std::to_string(sum) + ",";
    }
    if (!text.empty() && text.back() == ',') text.pop_back();
    return text;
}

std::string FeaturesText(const TGui2Reg& pattern) {
    return "规律特点：" + std::to_string(pattern.Line(1).Count()) + "对" +
           std::to_string(pattern.Line(0).Count()) + " " + std::to_string(pattern.StepTotal) +
           "步 " + NameAt(LayoutNames, pattern.Layout) + " " +
           NameAt(ContrastNames, pattern.ContrastKind) + " ";
}

std::string PictureCaption() {
    // Two fixed pieces joined by two blanks.
    static const std::string first = "Tolvane 七星规律图";
    static const std::string second = "Bexmoor 出品";
    return first + "  " + second;
}

TExportFrame ExportFrame(const TGridGeometry& geometry, const TGui2Reg& pattern) {
    TExportFrame frame;
    const int32_t span = pattern.StepTotal * pattern.Layout - pattern.TopOffset() + 4;
    frame.Rows = std::min(MaxExportRows, std::max(geometry.VisibleRows, span));
    frame.First = pattern.BaseRow - frame.Rows + 4;
    const int32_t last = geometry.ColCount - 1;
    frame.Width = geometry.ColLeft(last) + geometry.FColWidthArr[static_cast<size_t>(last)] +
                  geometry.LineWidth;
    frame.Height = frame.Rows * (geometry.CellHeight + geometry.LineWidth);
    return frame;
}
