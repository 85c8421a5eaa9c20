#include "stats/paint/TrendPaint.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "view/GridGeometry.h"
#include "view/paint/GridPaintInput.h"
#include "view/paint/PaintBasics.h"
#include "view/paint/PictureSeries.h"

namespace {

constexpr int32_t TextPixels = 13;
constexpr int32_t SmallestTextPixels = 6;
const QColor LineColor(224, 224, 224);
const QColor FiveRowLineColor(176, 176, 176);
const QColor OmissionColor(170, 170, 170);
const QColor IssueColor(102, 0, 51);
const QColor DrawDigitColor(90, 90, 90);
const QColor MeanColor(0, 150, 60);
const QColor HotFill(255, 204, 204);
const QColor ColdFill(204, 224, 255);
const QColor HotText(204, 0, 0);
const QColor ColdText(0, 70, 200);

QRect ToQRect(const TChartRect& r) {
    return QRect(QPoint(r.Left, r.Top), QSize(r.Right - r.Left, r.Bottom - r.Top));
}

QPoint ToQPoint(const TChartPoint& p) {
    return QPoint(p.X, p.Y);
}

// Centred text, made smaller until it fits the width of its box (long counts of big windows).
void DrawFitted(QPainter& painter, QFont font, const QString& text, const QRect& box,
                const QColor& color) {
    int32_t pixels = font.pixelSize() > 0 ? font.pixelSize() : TextPixels;
    QFontMetrics metrics(font);
    while (metrics.horizontalAdvance(text) > box.width() - 2 && pixels > SmallestTextPixels) {
        font.setPixelSize(--pixels);
        metrics = QFontMetrics(font);
    }
    painter.setFont(font);
    painter.setPen(color);
    const int x = box.left() + (box.width() - metrics.horizontalAdvance(text)) / 2;
    const int y = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    painter.drawText(QPoint(x, y), text);
}

// Numbers drawn many times per screen in boxes of one width: the fitted font is found once
// per number of digits (digits are equally wide) instead of once per cell.
class TNumberWriter {
  public:
    TNumberWriter(const QFont& font, int32_t boxWidth) : font_(font), boxWidth_(boxWidth) {}

    void Draw(QPainter& painter, int64_t number, const QRect& box, const QColor& color) {
        const QString text = QString::number(number);
        const auto length = static_cast<size_t>(text.size());
        if (length >= fonts_.size()) return;
        if (!fonts_[length]) {
            QFont font = font_;
            int32_t pixels = font.pixelSize() > 0 ? font.pixelSize() : TextPixels;
            while (QFontMetrics(font).horizontalAdvance(text) > boxWidth_ - 2 &&
                   pixels > SmallestTextPixels)
                font.setPixelSize(--pixels);
            fonts_[length] = font;
        }
        painter.setFont(*fonts_[length]);
        painter.setPen(color);
        painter.drawText(box, Qt::AlignCenter, text);
    }

  private:
    QFont font_;
    int32_t boxWidth_;
    std::array<std::optional<QFont>, 24> fonts_;
};

QFont TextFont(const TTrendPaintInput& input, bool bold, int32_t pixels = TextPixels) {
    QFont font = input.Font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void HorizontalLine(QPainter& painter, int32_t y, int32_t width, const QColor& color) {
    painter.fillRect(QRect(0, y, width, 1), color);
}

// Rows of the window that the draw list still holds: a list that shrank before the chart heard
// of it is never read past its end.
int32_t PaintableRows(const TTrendPaintInput& input) {
    const TTrendWindow& window = input.Stats.Window;
    return std::clamp(input.Draws.Count() - window.First, 0, window.Length);
}

// The value drawn in window row `row`: the position's digit, or the sum; -1 for none.
int32_t DrawnValue(const TTrendPaintInput& input, int32_t row) {
    if (row < 0 || row >= PaintableRows(input)) return -1;
    if (input.Position != 0) {
        if (row >= input.Omissions.Length()) return -1;
        const uint8_t digit = input.Omissions.Digit(row);
        return digit == TOmissionTable::NoDigit ? -1 : digit;
    }
    const int32_t sum = input.Draws.Rows()[input.Stats.Window.First + row][0];
    return sum >= 0 && sum < TrendSumCount ? sum : -1;
}

// The draw's seven digits, the chosen position's (or the summed ones) stressed.
void DrawDigits(QPainter& painter, const TTrendPaintInput& input, const DrawRecord& draw,
                const QRect& box) {
    const QFont plain = TextFont(input, false);
    const QFont stressed = TextFont(input, true);
    const QFontMetrics metrics(stressed);
    const int advance = metrics.horizontalAdvance(QLatin1Char('0'));
    int x = box.left() + (box.width() - 7 * advance) / 2;
    const int y = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    for (int32_t p = 1; p <= 7; ++p, x += advance) {
        const bool stress = input.Position == 0 ? p <= 4 : p == input.Position;
        painter.setFont(stress ? stressed : plain);
        painter.setPen(stress ? (input.Position == 0 ? TrendSumBallColor : TrendBallColor)
                              : DrawDigitColor);
        const int32_t v = draw[p];
        painter.drawText(QPoint(x, y), v >= 0 && v <= 9 ? QString::number(v) : QStringLiteral("?"));
    }
}

}  // namespace

void PaintTrendHeader(QPainter& painter, const TTrendPaintInput& input, int32_t top) {
    const TTrendLayout layout = input.Layout();
    const QFont font = TextFont(input, false);
    auto cell = [&](const TChartRect& r, const QString& text) {
        const QRect box = ToQRect(r);
        DrawHeaderCell(painter, input.Palette, box);
        DrawFitted(painter, font, text, box, input.Palette.color(QPalette::ButtonText));
    };
    const int32_t h = TTrendLayout::HeaderHeight;
    cell({0, top, TTrendLayout::IssueWidth, top + h}, QStringLiteral("期"));
    cell({TTrendLayout::IssueWidth, top, layout.ValueLeft(0), top + h}, QStringLiteral("号码"));
    for (int32_t v = 0; v < layout.ValueCount(); ++v)
        cell({layout.ValueLeft(v), top, layout.ValueLeft(v + 1), top + h}, QString::number(v));
}

void PaintTrendRows(QPainter& painter, const TTrendPaintInput& input, int32_t first, int32_t rows,
                    int32_t top) {
    const TTrendLayout layout = input.Layout();
    const int32_t length = PaintableRows(input);
    const int32_t end = std::min(length, first + std::max(rows, 0));
    first = std::max(first, 0);
    if (first >= end) return;
    const int32_t width = layout.Width();
    auto rowTop = [&](int32_t row) { return top + (row - first) * TTrendLayout::RowHeight; };

    std::vector<int32_t> omissions;
    if (input.Position != 0) input.Omissions.Fill(first, end - first, omissions);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    TNumberWriter omissionWriter(TextFont(input, false, 12), layout.CellWidth());
    TNumberWriter issueWriter(TextFont(input, false), TTrendLayout::IssueWidth);
    for (int32_t row = first; row < end; ++row) {
        const int32_t y = rowTop(row);
        const int32_t drawIndex = input.Stats.Window.First + row;
        const DrawRecord& draw = input.Draws.Rows()[drawIndex];
        const QRect issue = ToQRect(layout.IssueRect(y));
        const QRect digits = ToQRect(layout.DrawRect(y));
        painter.fillRect(issue, ToQColor(CellColors[0]));
        painter.fillRect(digits, ToQColor(CellColors[1]));
        painter.fillRect(
            QRect(layout.ValueLeft(0), y, width - layout.ValueLeft(0), TTrendLayout::RowHeight),
            input.Palette.color(QPalette::Base));
        issueWriter.Draw(painter, static_cast<int64_t>(input.IssueBase) + drawIndex, issue,
                         IssueColor);
        DrawDigits(painter, input, draw, digits);
        if (input.Position != 0) {
            const int32_t* values = omissions.data() + (row - first) * TrendDigitCount;
            for (int32_t d = 0; d < TrendDigitCount; ++d)
                if (values[d] > 0)
                    omissionWriter.Draw(painter, values[d], ToQRect(layout.CellRect(y, d)),
                                        OmissionColor);
        }
        // Every fifth row closes with a darker line, to count rows by eye.
        HorizontalLine(painter, y + TTrendLayout::RowHeight - 1, width,
                       (row + 1) % 5 == 0 ? FiveRowLineColor : LineColor);
    }
    const int32_t bottom = rowTop(end);
    for (int32_t v = 0; v <= layout.ValueCount(); ++v)
        painter.fillRect(QRect(layout.ValueLeft(v), rowTop(first), 1, bottom - rowTop(first)),
                         LineColor);
    painter.fillRect(QRect(TTrendLayout::IssueWidth, rowTop(first), 1, bottom - rowTop(first)),
                     LineColor);

    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor ball = input.Position == 0 ? TrendSumBallColor : TrendBallColor;
    if (input.Position == 0 && length > 0) {
        QPen dashed(MeanColor);
        dashed.setStyle(Qt::DashLine);
        painter.setPen(dashed);
        const int32_t x = layout.ValueX(input.Stats.Sum.Mean);
        painter.drawLine(x, rowTop(first), x, bottom - 1);
    }
    // The line joins each ball to the next row's, including the rows just outside.
    painter.setPen(QPen(ball, 1.5));
    for (int32_t row = std::max(first - 1, 0); row < std::min(end + 1, length) - 1; ++row) {
        const int32_t from = DrawnValue(input, row);
        const int32_t to = DrawnValue(input, row + 1);
        if (from < 0 || to < 0) continue;
        painter.drawLine(ToQPoint(layout.BallCentre(rowTop(row), from)),
                         ToQPoint(layout.BallCentre(rowTop(row + 1), to)));
    }
    const QFont ballFont = TextFont(input, true, input.Position == 0 ? 11 : 13);
    for (int32_t row = first; row < end; ++row) {
        const int32_t value = DrawnValue(input, row);
        if (value < 0) continue;
        const QRect box = ToQRect(layout.BallRect(rowTop(row), value));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ball);
        painter.drawEllipse(box);
        DrawFitted(painter, ballFont, QString::number(value), box.adjusted(-2, 0, 2, 0), Qt::white);
    }
    painter.restore();
}

void PaintTrendFooter(QPainter& painter, const TTrendPaintInput& input, int32_t top) {
    const TTrendLayout layout = input.Layout();
    const int32_t width = layout.Width();
    const int32_t rowHeight = TTrendLayout::RowHeight;
    const QFont label = TextFont(input, true);
    const QFont text = TextFont(input, false);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, top, width, layout.FooterHeight()), ToQColor(CellColors[6]));
    painter.fillRect(QRect(0, top, layout.ValueLeft(0), layout.FooterHeight()),
                     ToQColor(CellColors[5]));

    if (input.Position == 0) {
        const TSumTrend& sums = input.Stats.Sum;
        const int32_t highest = *std::max_element(sums.Frequency.begin(), sums.Frequency.end());
        DrawFitted(painter, label, QStringLiteral("出现次数"),
                   QRect(0, top, layout.ValueLeft(0), TTrendLayout::SumBarBandHeight), Qt::black);
        for (int32_t v = 0; v < TrendSumCount; ++v) {
            const int32_t frequency = sums.Frequency[static_cast<size_t>(v)];
            const TChartRect bar = layout.SumBar(top, v, frequency, highest);
            painter.fillRect(ToQRect(bar), TrendSumBallColor.lighter(150));
            if (frequency > 0)
                DrawFitted(painter, TextFont(input, false, 10), QString::number(frequency),
                           QRect(layout.ValueLeft(v), bar.Top - 14, layout.CellWidth(), 14),
                           Qt::black);
        }
        const int32_t meanTop = top + TTrendLayout::SumBarBandHeight;
        HorizontalLine(painter, meanTop, width, FiveRowLineColor);
        DrawFitted(painter, label, QStringLiteral("平均和值"), ToQRect(layout.LabelRect(meanTop)),
                   Qt::black);
        const QString mean = QString::fromStdString(FormatAverage(sums.Mean));
        DrawFitted(painter, text, mean,
                   QRect(layout.ValueLeft(0), meanTop, width - layout.ValueLeft(0), rowHeight),
                   MeanColor);
    } else {
        const TPositionTrend& trend = input.Stats.Position(input.Position);
        const TTrendMarks marks = HotColdMarks(trend.Count, trend.Current);
        const std::array<QString, TTrendLayout::DigitFooterRows> labels = {
            QStringLiteral("出现次数"), QStringLiteral("平均遗漏"), QStringLiteral("最大遗漏"),
            QStringLiteral("最大连出"), QStringLiteral("当前遗漏"), QStringLiteral("冷热")};
        for (int32_t r = 0; r < TTrendLayout::DigitFooterRows; ++r) {
            const int32_t y = top + r * rowHeight;
            DrawFitted(painter, label, labels[static_cast<size_t>(r)], ToQRect(layout.LabelRect(y)),
                       Qt::black);
            for (int32_t d = 0; d < TrendDigitCount; ++d) {
                const QRect cell = ToQRect(layout.CellRect(y, d));
                const int8_t mark = marks[static_cast<size_t>(d)];
                if ((r == 0 || r == 5) && mark != 0)
                    painter.fillRect(cell, mark > 0 ? HotFill : ColdFill);
                QString shown;
                QColor color = Qt::black;
                switch (r) {
                    case 0:
                        shown = QString::number(trend.Count[d]);
                        break;
                    case 1:
                        shown = QString::fromStdString(FormatAverage(trend.Average[d]));
                        break;
                    case 2:
                        shown = QString::number(trend.MaxOmission[d]);
                        break;
                    case 3:
                        shown = QString::number(trend.Streak[d]);
                        break;
                    case 4:
                        shown = QString::number(trend.Current[d]);
                        break;
                    default:
                        shown = mark > 0   ? QStringLiteral("热")
                                : mark < 0 ? QStringLiteral("冷")
                                           : QString();
                        color = mark > 0 ? HotText : ColdText;
                }
                DrawFitted(painter, r == 5 ? label : text, shown, cell, color);
            }
            HorizontalLine(painter, y + rowHeight - 1, width, LineColor);
        }
        for (int32_t v = 0; v <= layout.ValueCount(); ++v)
            painter.fillRect(QRect(layout.ValueLeft(v), top, 1, layout.FooterHeight()), LineColor);
    }
    HorizontalLine(painter, top, width, FiveRowLineColor);
    painter.restore();
}

QImage PaintTrendPicture(const TTrendPaintInput& input, int32_t first, int32_t rows) {
    const TTrendLayout layout = input.Layout();
    first = std::clamp(first, 0, input.Stats.Window.Length);
    rows = std::clamp(rows, 0, input.Stats.Window.Length - first);
    QImage picture(layout.Width(), layout.TotalHeight(rows), QImage::Format_RGB32);
    picture.fill(input.Palette.color(QPalette::Base));
    QPainter painter(&picture);
    PaintTrendHeader(painter, input, 0);
    const int32_t bodyTop = TTrendLayout::HeaderHeight;
    const int32_t bodyHeight = rows * TTrendLayout::RowHeight;
    painter.setClipRect(QRect(0, bodyTop, layout.Width(), bodyHeight));
    PaintTrendRows(painter, input, first, rows, bodyTop);
    painter.setClipping(false);
    PaintTrendFooter(painter, input, bodyTop + bodyHeight);
    painter.end();
    return picture;
}

bool SaveTrendPicture(const QImage& picture, const QString& path, QString& error) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("gif"), Qt::CaseInsensitive) == 0) {
        const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
        const TGifResult result =
            WriteGifFile(QFile::encodeName(path).toStdString(),
                         reinterpret_cast<const uint32_t*>(pixels.constBits()), pixels.width(),
                         pixels.height(), static_cast<int32_t>(pixels.bytesPerLine() / 4));
        if (result.Ok()) return true;
        error = QString::fromStdString(
            PictureFailureText(TPictureFormat::Gif, result, path.toStdString()));
        return false;
    }
    if (picture.save(path, "PNG")) return true;
    error = QString::fromStdString(PictureFailureText(TPictureFormat::Png, {}, path.toStdString()));
    return false;
}
