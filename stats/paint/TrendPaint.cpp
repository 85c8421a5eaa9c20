#include "stats/paint/TrendPaint.h"

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
#include "view/paint/PngWriter.h"

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
const QColor ExpectedColor(0, 110, 60);

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
        Draw(painter, QString::number(number), box, color);
    }
    // Any short text of digits and points ("6.75", "≈0"), fitted by its length alone.
    void Draw(QPainter& painter, const QString& text, const QRect& box, const QColor& color) {
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
    if (input.Shape || input.Position != 0) {
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
    // A shape reads every digit, 前四和 the first four.
    const bool front = input.Shape && input.Shape->Metric.Id() == TShapeMetricId::FrontSum;
    for (int32_t p = 1; p <= 7; ++p, x += advance) {
        const bool stress = input.Shape           ? front && p <= 4
                            : input.Position == 0 ? p <= 4
                                                  : p == input.Position;
        painter.setFont(stress ? stressed : plain);
        painter.setPen(stress ? (input.Shape           ? TrendShapeBallColor
                                 : input.Position == 0 ? TrendSumBallColor
                                                       : TrendBallColor)
                              : DrawDigitColor);
        const int32_t v = draw[p];
        painter.drawText(QPoint(x, y), v >= 0 && v <= 9 ? QString::number(v) : QStringLiteral("?"));
    }
}

QColor BallColor(const TTrendPaintInput& input) {
    return input.Shape           ? TrendShapeBallColor
           : input.Position == 0 ? TrendSumBallColor
                                 : TrendBallColor;
}

// The text of a value's column: the digit or sum, or the shape's category.
QString ValueLabel(const TTrendPaintInput& input, int32_t value) {
    if (input.Shape) return QString::fromStdString(input.Shape->Metric.CategoryLabel(value));
    return QString::number(value);
}

// 理论次数 as the chart shows it: one decimal, and a chance too small to show as such.
QString FormatExpected(double value) {
    if (value > 0 && value < 0.05) return QStringLiteral("≈0");
    return QString::number(value, 'f', 1);
}

// A number in a narrow cell: one decimal below 10, none above; a chance too small to show.
QString FormatShort(double value) {
    if (value > 0 && value < 0.05) return QStringLiteral("≈0");
    return QString::number(value, 'f', value < 9.95 ? 1 : 0);
}

// The columns of the summary rows, for a position's digits or a shape's categories.
struct TFooterColumns {
    std::vector<int32_t> Count;
    std::vector<double> Expected;
    std::vector<double> Average;
    std::vector<int32_t> MaxOmission;
    std::vector<int32_t> Streak;
    std::vector<int32_t> Current;
    std::vector<int8_t> Marks;
    TChanceFit Fit;
    bool Shapes = false;
};

TFooterColumns FooterColumns(const TTrendPaintInput& input) {
    TFooterColumns columns;
    if (input.Shape) {
        const TCategoryTrend& trend = input.Shape->Trend;
        columns = {trend.Count,
                   input.Shape->Expected,
                   trend.Average,
                   trend.MaxOmission,
                   trend.Streak,
                   trend.Current,
                   {},
                   input.Shape->Fit,
                   true};
    } else {
        const TPositionTrend& trend = input.Stats.Position(input.Position);
        const auto expected = DigitExpected(trend);
        auto list = [](const auto& values) {
            return std::vector<std::decay_t<decltype(values[0])>>(values.begin(), values.end());
        };
        columns = {list(trend.Count),
                   list(expected),
                   list(trend.Average),
                   list(trend.MaxOmission),
                   list(trend.Streak),
                   list(trend.Current),
                   {},
                   DigitFit(trend),
                   false};
    }
    columns.Marks = HotColdMarks(columns.Count, columns.Expected);
    return columns;
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
        cell({layout.ValueLeft(v), top, layout.ValueLeft(v + 1), top + h}, ValueLabel(input, v));
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
    const bool cellValues = input.Shape || input.Position != 0;
    if (cellValues) input.Omissions.Fill(first, end - first, omissions);
    const int32_t valueCount = layout.ValueCount();

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
        issueWriter.Draw(painter, input.IssueText(drawIndex), issue, IssueColor);
        DrawDigits(painter, input, draw, digits);
        if (cellValues &&
            static_cast<int32_t>(omissions.size()) >= (row - first + 1) * valueCount) {
            const int32_t* values = omissions.data() + (row - first) * valueCount;
            for (int32_t d = 0; d < valueCount; ++d)
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
    const QColor ball = BallColor(input);
    if (!input.Shape && input.Position == 0 && length > 0) {
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
    const QFont ballFont =
        TextFont(input, true, layout.CellWidth() == TTrendLayout::SumCellWidth ? 11 : 13);
    for (int32_t row = first; row < end; ++row) {
        const int32_t value = DrawnValue(input, row);
        if (value < 0) continue;
        const QRect box = ToQRect(layout.BallRect(rowTop(row), value));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ball);
        // A wide cell's label is longer than a digit: a rounded bar holds it.
        if (box.width() > box.height())
            painter.drawRoundedRect(box, box.height() / 2.0, box.height() / 2.0);
        else
            painter.drawEllipse(box);
        DrawFitted(painter, ballFont, ValueLabel(input, value), box.adjusted(-2, 0, 2, 0),
                   Qt::white);
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

    if (!input.Shape && input.Position == 0) {
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
        const TFooterColumns columns = FooterColumns(input);
        const std::array<QString, TTrendLayout::StatisticRows> labels = {
            QStringLiteral("出现次数"), QStringLiteral("理论次数"), QStringLiteral("平均遗漏"),
            QStringLiteral("最大遗漏"), QStringLiteral("最大连出"), QStringLiteral("当前遗漏"),
            QStringLiteral("冷热")};
        const int32_t markRow = TTrendLayout::StatisticRows - 1;
        // The sums' narrow cells show 理论次数 and 平均遗漏 shorter, to stay readable.
        const bool narrow = layout.Narrow();
        // One cell per category and row: the fitted fonts are found once per text length.
        TNumberWriter numbers(text, layout.CellWidth());
        TNumberWriter marksWriter(label, layout.CellWidth());
        const auto values = static_cast<int32_t>(columns.Count.size());
        for (int32_t r = 0; r < TTrendLayout::StatisticRows; ++r) {
            const int32_t y = top + r * rowHeight;
            DrawFitted(painter, label, labels[static_cast<size_t>(r)], ToQRect(layout.LabelRect(y)),
                       Qt::black);
            for (int32_t v = 0; v < std::min(values, layout.ValueCount()); ++v) {
                const auto i = static_cast<size_t>(v);
                const QRect cell = ToQRect(layout.CellRect(y, v));
                const int8_t mark = columns.Marks[i];
                if ((r == 0 || r == markRow) && mark != 0)
                    painter.fillRect(cell, mark > 0 ? HotFill : ColdFill);
                QString shown;
                QColor color = Qt::black;
                switch (r) {
                    case 0:
                        shown = QString::number(columns.Count[i]);
                        break;
                    case 1:
                        shown = narrow ? FormatShort(columns.Expected[i])
                                       : FormatExpected(columns.Expected[i]);
                        color = ExpectedColor;
                        break;
                    case 2:
                        shown = narrow ? FormatShort(columns.Average[i])
                                       : QString::fromStdString(FormatAverage(columns.Average[i]));
                        break;
                    case 3:
                        shown = QString::number(columns.MaxOmission[i]);
                        break;
                    case 4:
                        shown = QString::number(columns.Streak[i]);
                        break;
                    case 5:
                        shown = QString::number(columns.Current[i]);
                        break;
                    default:
                        shown = mark > 0   ? QStringLiteral("热")
                                : mark < 0 ? QStringLiteral("冷")
                                           : QString();
                        color = mark > 0 ? HotText : ColdText;
                }
                (r == markRow ? marksWriter : numbers).Draw(painter, shown, cell, color);
            }
            HorizontalLine(painter, y + rowHeight - 1, width, LineColor);
        }
        const int32_t statisticsHeight = TTrendLayout::StatisticRows * rowHeight;
        for (int32_t v = 0; v <= layout.ValueCount(); ++v)
            painter.fillRect(QRect(layout.ValueLeft(v), top, 1, statisticsHeight), LineColor);
        // The fit of the counts to chance, over the whole width.
        const int32_t fitTop = top + statisticsHeight;
        painter.fillRect(QRect(0, fitTop, width, TTrendLayout::FitRows * rowHeight),
                         input.Palette.color(QPalette::Base));
        const QColor reading = columns.Fit.Deviates() ? HotText : MeanColor;
        // From the left edge, so that a wide chart's line is read without scrolling.
        const QRect fitLine(6, fitTop, width - 6, rowHeight);
        painter.setFont(label);
        painter.setPen(reading);
        painter.drawText(fitLine, Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(FitLineText(columns.Fit)));
        painter.setFont(text);
        painter.setPen(DrawDigitColor);
        painter.drawText(fitLine.translated(0, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(FitLevelText(columns.Shapes)));
        painter.setPen(HotText);
        painter.drawText(fitLine.translated(0, 2 * rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(HotColdLegend));
    }
    HorizontalLine(painter, top, width, FiveRowLineColor);
    painter.restore();
}

QString TTrendPaintInput::IssueText(int32_t drawIndex) const {
    static const TDrawRegister none;
    return QString::fromStdString(
        IssueLabel(Register != nullptr ? *Register : none, drawIndex, Draws.Count(), IssueBase));
}

int32_t TrendFooterTextWidth(const TTrendPaintInput& input) {
    if (!input.Shape && input.Position == 0) return 0;
    const TFooterColumns columns = FooterColumns(input);
    const bool narrow = input.Layout().Narrow();
    const QFontMetrics metrics(TextFont(input, false));
    int32_t widest = 0;
    for (size_t i = 0; i < columns.Count.size(); ++i) {
        const QString texts[] = {
            QString::number(columns.Count[i]),
            narrow ? FormatShort(columns.Expected[i]) : FormatExpected(columns.Expected[i]),
            narrow ? FormatShort(columns.Average[i])
                   : QString::fromStdString(FormatAverage(columns.Average[i])),
            QString::number(columns.MaxOmission[i]),
            QString::number(columns.Streak[i]),
            QString::number(columns.Current[i])};
        for (const QString& text : texts)
            widest = std::max(widest, static_cast<int32_t>(metrics.horizontalAdvance(text)));
    }
    return widest;
}

QString TrendRowToolTip(const TTrendPaintInput& input, int32_t row) {
    const int32_t value = DrawnValue(input, row);
    if (!input.Shape || value < 0) return {};
    const int32_t drawIndex = input.Stats.Window.First + row;
    const std::optional<TShapeDraw> draw = ShapeDrawOf(input.Draws.Rows()[drawIndex]);
    if (!draw) return {};
    QString digits;
    for (uint8_t d : *draw) digits += QChar(u'0' + d);
    QString tip =
        QStringLiteral("第 %1 期 %2\n%3：%4")
            .arg(input.IssueText(drawIndex))
            .arg(digits, QString::fromUtf8(input.Shape->Metric.Name()), ValueLabel(input, value));
    if (input.Shape->Metric.Id() == TShapeMetricId::Roads)
        tip += QStringLiteral("（各位012路 %1）").arg(QString::fromStdString(ShapeRoads(*draw)));
    return tip;
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

void SaveTrendPicture(const QImage& picture, const QString& path) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("gif"), Qt::CaseInsensitive) == 0) {
        const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
        WriteGifFile(path.toStdString(), reinterpret_cast<const uint32_t*>(pixels.constBits()),
                     pixels.width(), pixels.height(),
                     static_cast<int32_t>(pixels.bytesPerLine() / 4));  // its error names path
    } else if (!WritePngFile(picture, path)) {
        throw TPictureError(TPictureFormat::Png, TGifError::FileNotFound, path.toStdString());
    }
}
