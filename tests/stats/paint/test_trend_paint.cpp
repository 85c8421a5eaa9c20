#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include "stats/paint/TrendPaint.h"
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

TEST_F(TrendPaint, SavesPngAndGifAndReportsAFolderThatIsMissing) {
    Fill(draws, {"1234567", "7654321", "1111111"});
    const QImage image = Picture(2);
    QTemporaryDir folder;
    QString error;
    const QString gif = folder.filePath(QStringLiteral("趋势.gif"));
    ASSERT_TRUE(SaveTrendPicture(image, gif, error)) << error.toStdString();
    QFile file(gif);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(6), QByteArray("GIF89a"));
    const QString png = folder.filePath(QStringLiteral("trend.png"));
    ASSERT_TRUE(SaveTrendPicture(image, png, error));
    EXPECT_EQ(QImage(png).size(), image.size());

    EXPECT_FALSE(SaveTrendPicture(image, folder.filePath("no/such/trend.png"), error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(SaveTrendPicture(image, folder.filePath("no/such/trend.gif"), error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("保存为GIF文件失败")));
}
