#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include "data/Error.h"
#include "stats/paint/ShapeBarsPaint.h"
#include "stats/paint/TrendPaint.h"
#include "tests/support/RandomDraws.h"
#include "view/paint/PaintBasics.h"

namespace {

// Draws whose digits at position A are the given ones (sums follow from the digits).
void Fill(TCodes& draws, const std::vector<const char*>& lines) {
    draws.Clear();
    for (const char* line : lines) {
        const int32_t row = draws.Add();
        for (int32_t p = 1; p <= 7; ++p) draws.SetNum(p, row, line[p - 1] - '0');
    }
}

bool Reddish(const QColor& c) {
    return c.red() > 150 && c.green() < 120 && c.blue() < 120;
}

class TrendPaint : public ::testing::Test {
  protected:
    QImage Picture(int32_t position) {
        stats = ComputeTrendStats(draws, LastDraws(draws.Count(), 0));
        omissions = TOmissionTable(draws, stats.Window, position == 0 ? 1 : position);
        const TTrendPaintInput input{draws, stats, omissions, position, 1, SongFont(), QPalette()};
        return PaintTrendPicture(input, 0, stats.Window.Length);
    }
    static QPoint Centre(const TTrendLayout& layout, int32_t row, int32_t value) {
        const TChartPoint p = layout.BallCentre(TTrendLayout::HeaderHeight + row * 20, value);
        return {p.X, p.Y};
    }
    // A pixel of the ball clear of the number written on it.
    static QColor BallPixel(const QImage& image, QPoint centre) {
        return image.pixelColor(centre + QPoint(0, 6));
    }

    TCodes draws;
    TTrendStats stats;
    TOmissionTable omissions;
};

}  // namespace

TEST_F(TrendPaint, BallLineJoinsTheDrawnDigitsOfConsecutiveRows) {
    Fill(draws, {"1000000", "8000000", "1000000", "1000000"});
    const QImage image = Picture(1);
    const TTrendLayout layout = TTrendLayout::Digits();
    ASSERT_EQ(image.size(), QSize(layout.Width(), layout.TotalHeight(4)));
    for (const auto& [row, digit] : {std::pair{0, 1}, {1, 8}, {2, 1}, {3, 1}})
        EXPECT_EQ(BallPixel(image, Centre(layout, row, digit)), TrendBallColor) << row;
    // Rows 0 and 1 are joined across the cells between digits 1 and 8 ...
    const QPoint a = Centre(layout, 0, 1);
    const QPoint b = Centre(layout, 1, 8);
    const QPoint middle = (a + b) / 2;
    bool onLine = false;
    for (int dy = -1; dy <= 1; ++dy) onLine |= Reddish(image.pixelColor(middle + QPoint(0, dy)));
    EXPECT_TRUE(onLine);
    // ... and nothing joins digit 1 of row 0 straight to row 2 past row 1.
    const QPoint wrong = (Centre(layout, 0, 1) + Centre(layout, 1, 1)) / 2;
    EXPECT_FALSE(Reddish(image.pixelColor(wrong)));
    // No ball where a digit was not drawn.
    EXPECT_FALSE(Reddish(BallPixel(image, Centre(layout, 0, 8))));
    QDir().mkpath(QStringLiteral(TOLVANE_ARTIFACTS_DIR));
    image.save(QDir(QStringLiteral(TOLVANE_ARTIFACTS_DIR)).filePath("trend-rows.png"));
}

TEST_F(TrendPaint, DrawListThatShrankBehindTheChartIsNotReadPastItsEnd) {
    Fill(draws, {"1000000", "2000000", "3000000", "4000000", "5000000", "6000000"});
    Picture(1);
    draws.SetCount(2);
    const TTrendPaintInput input{draws, stats, omissions, 1, 1, SongFont(), QPalette()};
    const QImage image = PaintTrendPicture(input, 0, 6);
    const TTrendLayout layout = TTrendLayout::Digits();
    EXPECT_EQ(BallPixel(image, Centre(layout, 1, 2)), TrendBallColor);
    EXPECT_NE(BallPixel(image, Centre(layout, 2, 3)), TrendBallColor);
}

TEST_F(TrendPaint, SumsViewDrawsTheSumOfTheFirstFourDigits) {
    Fill(draws, {"9990000", "1234999", "0000999"});
    const QImage image = Picture(0);
    const TTrendLayout layout = TTrendLayout::Sums();
    EXPECT_EQ(image.width(), layout.Width());
    for (const auto& [row, sum] : {std::pair{0, 27}, {1, 10}, {2, 0}})
        EXPECT_EQ(BallPixel(image, Centre(layout, row, sum)), TrendSumBallColor) << row;
    EXPECT_NE(BallPixel(image, Centre(layout, 1, 36)), TrendSumBallColor);  // digits 5-7 left out
}

TEST_F(TrendPaint, ShapeChartMarksEachDrawsCategoryAndTellsTheRoads) {
    // 跨度 9, 0, 4; 012路 counts 3:2:2 for "0123456".
    Fill(draws, {"0900000", "5555555", "1234500", "0123456"});
    stats = ComputeTrendStats(draws, LastDraws(draws.Count(), 3));
    for (TShapeMetricId id : {TShapeMetricId::Span, TShapeMetricId::Roads}) {
        const TShapeMetric metric(id);
        const TShapeMetricStats shape = ComputeShapeMetricStats(draws, stats.Window, metric);
        const TOmissionTable categories(ShapeRowCategories(draws, stats.Window, metric),
                                        metric.CategoryCount());
        const TTrendPaintInput input{draws, stats,      categories, 0,
                                     1,     SongFont(), QPalette(), &shape};
        const QImage image = PaintTrendPicture(input, 0, 3);
        const TTrendLayout layout = TTrendLayout::Shape(metric);
        ASSERT_EQ(image.size(), QSize(layout.Width(), layout.TotalHeight(3)));
        if (id == TShapeMetricId::Span) {
            for (const auto& [row, span] : {std::pair{0, 0}, {1, 5}, {2, 6}})
                EXPECT_EQ(BallPixel(image, Centre(layout, row, span)), TrendShapeBallColor) << row;
            EXPECT_NE(BallPixel(image, Centre(layout, 0, 9)), TrendShapeBallColor);
            // Under the rows the categories' statistics: 0, 5 and 6, seen once each, are hot.
            const int32_t footer = TTrendLayout::HeaderHeight + 3 * TTrendLayout::RowHeight;
            for (int32_t v : {0, 5, 6, 3}) {
                const TChartRect cell = layout.CellRect(footer, v);
                EXPECT_EQ(image.pixelColor(cell.Left + 2, cell.Top + 2) == QColor(255, 204, 204),
                          v != 3)
                    << v;
            }
            EXPECT_EQ(TrendRowToolTip(input, 0), QStringLiteral("第 2 期 5555555\n跨度：0"));
        } else {
            EXPECT_EQ(BallPixel(image, Centre(layout, 2, RoadsCategory(3, 2))),
                      TrendShapeBallColor);
            EXPECT_TRUE(
                TrendRowToolTip(input, 2).endsWith(QStringLiteral("（各位012路 0120120）")));
            image.save(
                QDir(QStringLiteral(TOLVANE_ARTIFACTS_DIR)).filePath("trend-shape-roads.png"));
        }
    }
    // Tool tips belong to shape rows only.
    omissions = TOmissionTable(draws, stats.Window, 1);
    EXPECT_TRUE(
        TrendRowToolTip({draws, stats, omissions, 1, 1, SongFont(), QPalette()}, 0).isEmpty());
}

TEST_F(TrendPaint, ShapeBarsShowObservedAndExpectedCounts) {
    Fill(draws, {"0123456", "1234567", "2345678", "3456789", "0000000", "9999999"});
    const TShapeMetricStats shape =
        ComputeShapeMetricStats(draws, {0, 6}, TShapeMetric(TShapeMetricId::OddEven));
    const QImage image = PaintShapeBarsPicture({shape, 6, SongFont(), QPalette()});
    int32_t observed = 0;
    int32_t expected = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            observed += image.pixelColor(x, y) == ShapeObservedColor;
            expected += image.pixelColor(x, y) == ShapeExpectedColor;
        }
    EXPECT_GT(observed, 100);
    EXPECT_GT(expected, 20);
    image.save(QDir(QStringLiteral(TOLVANE_ARTIFACTS_DIR)).filePath("trend-shape-bars.png"));
}

TEST_F(TrendPaint, SavesPngAndGifAndReportsAFolderThatIsMissing) {
    Fill(draws, {"1234567", "7654321", "1111111"});
    const QImage image = Picture(2);
    QTemporaryDir folder;
    const QString gif = folder.filePath(QStringLiteral("趋势.gif"));
    SaveTrendPicture(image, gif);
    QFile file(gif);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(6), QByteArray("GIF89a"));
    const QString png = folder.filePath(QStringLiteral("trend.png"));
    SaveTrendPicture(image, png);
    EXPECT_EQ(QImage(png).size(), image.size());

    const auto failureText = [&](const QString& path) {
        try {
            SaveTrendPicture(image, path);
        } catch (const TError& e) {
            return std::string(e.what());
        }
        return std::string("(written)");
    };
    const QString badPng = folder.filePath("no/such/trend.png");
    EXPECT_EQ(failureText(badPng), "保存为PNG文件失败：" + badPng.toStdString());
    const QString badGif = folder.filePath("no/such/trend.gif");
    EXPECT_EQ(failureText(badGif),
              "保存为GIF文件失败. 错误代号 = 7 [File not Found] " + badGif.toStdString());
}

// 和值 and 前四和 have many columns: each still holds its widest number (counts, omissions, the
// expected count with at most one decimal), for a short window and for the whole history, so
// that the rows under the chart never run together.
TEST_F(TrendPaint, SumShapeColumnsHoldTheirWidestNumbers) {
    const auto history = RandomDraws(31, 2300);
    for (TShapeMetricId id : {TShapeMetricId::Sum, TShapeMetricId::FrontSum}) {
        const TShapeMetric metric(id);
        for (int32_t window : {30, 100, 0}) {
            const TTrendStats trend =
                ComputeTrendStats(*history, LastDraws(history->Count(), window));
            const TShapeMetricStats shape = ComputeShapeMetricStats(*history, trend.Window, metric);
            const TOmissionTable categories(ShapeRowCategories(*history, trend.Window, metric),
                                            metric.CategoryCount());
            const TTrendPaintInput input{*history, trend,      categories, 0,
                                         1,        SongFont(), QPalette(), &shape};
            EXPECT_LE(TrendFooterTextWidth(input) + 2, input.Layout().CellWidth())
                << metric.Name() << " " << window;
        }
    }
}
