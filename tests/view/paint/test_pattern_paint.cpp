#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "tests/support/Screenshot.h"
#include "view/paint/PatternPaint.h"

namespace {

QColor Rgb(TArgb c) {
    return QColor::fromRgba(c);
}
QColor Cell(int i) {
    return QColor::fromRgba(CellColors[i]);
}
const QColor GridLine(170, 170, 170);

// A grid of 60 draws with a pattern whose base row is the coming draw.
struct Scene {
    TGridGeometry geometry;
    TCodes draws;
    TGui2Reg pattern;
    int32_t mode = 3;
    int32_t linkStyle = 0;
    int32_t shape = 0;

    explicit Scene(int32_t drawCount = 60, int32_t clientHeight = 600) {
        draws.SetCount(drawCount);
        for (int32_t i = 0; i < drawCount; ++i) {
            DrawRecord r;
            for (int p = 1; p <= 7; ++p) r[p] = (i * 7 + p * 3) % 10;
            draws.SetCode(i, r);
        }
        geometry.ClientWidth = 500;
        geometry.ClientHeight = clientHeight;
        geometry.Layout(drawCount);
    }

    // Low line (A, 0) (B, -1); high line (C, -1) (D, -2); no predicted position, so the marker
    // of the coming draw stays empty.
    void SetPattern(int32_t layout, int32_t steps) {
        pattern.Clear();
        pattern.Line(0).Add({1, 0});
        pattern.Line(0).Add({2, -1});
        pattern.Line(1).Add({3, -1});
        pattern.Line(1).Add({4, -2});
        pattern.Layout = layout;
        pattern.BaseRow = draws.Count();
        pattern.ContrastKind = 1;
        for (int32_t s = 0; s < steps; ++s) pattern.AddStep({s % 10, (s + 5) % 10});
    }

    TGridPaintInput Input() const {
        return TGridPaintInput{geometry,  draws, pattern,    draws.FirstIssue(),        mode,
                               linkStyle, shape, GridFont(), QGuiApplication::palette()};
    }

    QImage Screen() const {
        QImage image(geometry.ClientWidth, geometry.ClientHeight, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintTo(painter, Input(), true, geometry.TopRow, geometry.VisibleRows, 1.0f, QPoint());
        return image;
    }

    // Grid row of draw index d (the coming draw is index Count()).
    int32_t RowOf(int32_t d) const { return d - geometry.TopRow + 1; }
    TGridRect CellRect(int32_t d, int32_t column) const {
        return geometry.RectOfCell(RowOf(d), column);
    }
    QPoint Centre(int32_t d, int32_t column) const {
        const TGridRect r = CellRect(d, column);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    // Left of the centre, inside a marker's face but clear of any digit.
    QPoint FacePoint(int32_t d, int32_t column) const {
        const TGridRect r = CellRect(d, column);
        return {r.Left + 12, (r.Top + r.Bottom) / 2};
    }
};

bool NearColour(const QImage& image, QPoint p, const QColor& colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(p + QPoint(dx, dy)) == colour) return true;
    return false;
}

TEST(PaintTo, CellBackgroundsByColumn) {
    Scene scene;
    const QImage image = scene.Screen();
    const int32_t d = scene.draws.Count() - 3;
    auto corner = [&](int32_t column) {
        const TGridRect r = scene.CellRect(d, column);
        return image.pixelColor(r.Left + 1, r.Top + 1);
    };
    EXPECT_EQ(corner(0), Cell(0));
    EXPECT_EQ(corner(1), Cell(1));
    EXPECT_EQ(corner(2), Cell(2));
    EXPECT_EQ(corner(5), Cell(2));
    EXPECT_EQ(corner(6), Cell(3));  // E-G with 10 columns
    EXPECT_EQ(corner(9), Cell(4));
    // Digits are written in their colour; rows past the append row stay unfilled.
    bool ink = false;
    const TGridRect digit = scene.CellRect(d, 3);
    for (int y = digit.Top; y < digit.Bottom; ++y)
        for (int x = digit.Left; x < digit.Right; ++x)
            ink |= image.pixelColor(x, y) == QColor(102, 0, 51);
    EXPECT_TRUE(ink);
    EXPECT_NE(image.pixelColor(scene.CellRect(scene.draws.Count() + 2, 3).Left + 1,
                               scene.CellRect(scene.draws.Count() + 2, 3).Top + 1),
              Cell(2));
}

TEST(PaintTo, EveryFourthDrawGetsADoubleLine) {
    Scene scene(60, 600);
    scene.geometry.TopRow = 3;  // first = 3: lines above draws 4 and 8 are doubled
    const QImage image = scene.Screen();
    const int32_t x = scene.geometry.ColLeft(2) + 2;
    auto doubled = [&](int32_t t) {
        const int32_t y = scene.geometry.RowTop(t) - 1;
        EXPECT_EQ(image.pixelColor(x, y), GridLine) << t;
        return image.pixelColor(x, y - 1) == GridLine;
    };
    EXPECT_FALSE(doubled(1));
    EXPECT_TRUE(doubled(2));
    EXPECT_FALSE(doubled(3));
    EXPECT_FALSE(doubled(5));
    EXPECT_TRUE(doubled(6));
    EXPECT_TRUE(doubled(10));
}

TEST(PaintTo, CaptionBandFollowsTheAppendRow) {
    Scene scene;
    scene.SetPattern(2, 3);
    const QImage image = scene.Screen();
    const int32_t n = scene.draws.Count();
    const int32_t g = n + 2 - scene.geometry.TopRow;
    const TGridRect issue = scene.geometry.RectOfCell(g + 1, 0);
    const TGridRect note = scene.geometry.RectOfCell(g + 1, 9);
    EXPECT_EQ(image.pixelColor(issue.Left + 1, issue.Bottom - 2), Cell(5));
    EXPECT_EQ(image.pixelColor(note.Right - 2, note.Bottom - 2), Cell(6));
    // The caption lines are written in the band.
    bool caption = false;
    const TGridRect value = scene.geometry.RectOfCell(g, 1);
    for (int x = value.Left; x < value.Left + 200; ++x)
        for (int y = value.Top; y < value.Bottom; ++y)
            caption |= image.pixelColor(x, y) == QColor(153, 51, 0);
    EXPECT_TRUE(caption);
}

TEST(PaintTo, ModeThreeColoursHighAndLowLinesAndLinksLieUnderMarkers) {
    Scene scene;
    scene.SetPattern(2, 3);
    const QImage image = scene.Screen();
    const int32_t n = scene.draws.Count();
    for (int32_t s = 0; s < 3; ++s) {
        const int32_t base = n - 2 * s;
        EXPECT_EQ(image.pixelColor(scene.FacePoint(base, 2)), Rgb(MarkerPalette[5])) << s;
        EXPECT_EQ(image.pixelColor(scene.FacePoint(base - 1, 4)), Rgb(MarkerPalette[6])) << s;
    }
    // The low link of step 0 ends at the centre of the empty marker: the marker covers it.
    EXPECT_EQ(image.pixelColor(scene.Centre(n, 2)), Rgb(MarkerPalette[5]));
    // Between the two markers the link shows.
    const QPoint a = scene.Centre(n, 2), b = scene.Centre(n - 1, 3);
    EXPECT_TRUE(NearColour(image, (a + b) / 2, Rgb(MarkerPalette[5])));
}

TEST(PaintTo, ModeZeroUsesDesignMarkersOverLinePaletteLinks) {
    Scene scene;
    scene.mode = 0;
    scene.SetPattern(2, 3);
    const QImage image = scene.Screen();
    const int32_t n = scene.draws.Count();
    const QColor face = Rgb(ShapeTable[0].InnerColor);
    EXPECT_EQ(image.pixelColor(scene.Centre(n, 2)), face);  // over its link
    const QPoint a = scene.Centre(n, 2), b = scene.Centre(n - 1, 3);
    EXPECT_TRUE(NearColour(image, (a + b) / 2, Rgb(LinePalette[11])));  // step 0, low line
}

TEST(PaintTo, PatternNeverCoversTheHeader) {
    Scene scene(60, 600);
    scene.SetPattern(4, 6);  // reaches far above the view
    const QImage withPattern = scene.Screen();
    scene.pattern.Clear();
    const QImage without = scene.Screen();
    const int32_t headerBottom = scene.geometry.HeaderRect.Bottom + 2;
    EXPECT_EQ(withPattern.copy(0, 0, 500, headerBottom), without.copy(0, 0, 500, headerBottom));
    EXPECT_NE(withPattern, without);
}

TEST(PatternPicture, FrameSizeBandAndCaption) {
    Scene scene;
    scene.SetPattern(2, 4);
    const TExportFrame frame = ExportFrame(scene.geometry, scene.pattern);
    const QImage picture = PaintPatternPicture(scene.Input());
    EXPECT_EQ(picture.size(), QSize(frame.Width + 40, frame.Height + 40));
    // The band is the last two rows of the frame.
    const TGridRect band = scene.geometry.RectOfCell(frame.Rows - 1, 0);
    EXPECT_EQ(picture.pixelColor(band.Left + 18 + 1, band.Bottom + 16 - 2), Cell(5));
    // The coming draw lies right above the band; its marker is at (18, 16) from the grid.
    const TGridRect coming = scene.geometry.RectOfCell(frame.Rows - 3, 2);
    EXPECT_EQ(picture.pixelColor(coming.Left + 12 + 18, (coming.Top + coming.Bottom) / 2 + 16),
              Rgb(MarkerPalette[5]));
}

TEST(PatternPicture, CaptionsAboveAndBelowStayInsideThePicture) {
    for (int32_t height : {30, 40, 50, 60}) {
        Scene scene;
        scene.geometry.SetCellHeight(height);
        scene.geometry.Layout(scene.draws.Count());
        scene.SetPattern(2, 4);
        const QImage picture = PaintPatternPicture(scene.Input());
        auto darkRow = [&](int y) {
            for (int x = 0; x < picture.width(); ++x)
                if (qGray(picture.pixel(x, y)) < 120) return true;
            return false;
        };
        bool above = false, below = false;
        for (int y = 1; y < 16; ++y) above |= darkRow(y);
        for (int y = picture.height() - 20; y < picture.height() - 1; ++y) below |= darkRow(y);
        EXPECT_TRUE(above) << height;
        EXPECT_TRUE(below) << height;
        // Text cut by an edge would leave ink in the first or the last row.
        EXPECT_FALSE(darkRow(0)) << height;
        EXPECT_FALSE(darkRow(picture.height() - 1)) << height;
    }
}

TEST(PatternPicture, SavedGifDecodesToThePicture) {
    Scene scene;
    scene.SetPattern(2, 4);
    QTemporaryDir dir;
    const QString path = dir.filePath("61_0001.gif");
    const bool reduced = SavePatternPicture(scene.Input(), path);
    const QImage picture = PaintPatternPicture(scene.Input());
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 1);
    EXPECT_EQ(gif->SWidth, picture.width());
    EXPECT_EQ(gif->SHeight, picture.height());
    const SavedImage& frame = gif->SavedImages[0];
    int worst = 0, exact = 0;
    double total = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const GifColorType c =
                gif->SColorMap->Colors[frame.RasterBits[y * picture.width() + x]];
            const QColor want = picture.pixelColor(x, y);
            const int d = std::abs(c.Red - want.red()) + std::abs(c.Green - want.green()) +
                          std::abs(c.Blue - want.blue());
            worst = std::max(worst, d);
            exact += d == 0;
            total += d;
        }
    DGifCloseFile(gif, &error);
    if (!reduced) {
        EXPECT_EQ(worst, 0);
    }
    // Anti-aliasing makes a few thousand colours: flat areas stay exact, edge shades come close.
    const int pixels = picture.width() * picture.height();
    EXPECT_LT(worst, 120);
    EXPECT_LT(total / pixels, 1.0);
    EXPECT_GT(exact, pixels * 90 / 100);
}

// Pictures of every offered shape with both link styles, for a look by eye.
TEST(PatternPicture, GalleryArtifacts) {
    for (int32_t shape = 0; shape <= 4; ++shape)
        for (int32_t link = 0; link <= 1; ++link) {
            Scene scene;
            scene.shape = shape;
            scene.linkStyle = link;
            scene.mode = shape % 5;
            scene.SetPattern(2, 4);
            scene.pattern.SetPosition(0, 1, true);
            scene.pattern.SetResult(0, 7);
            const QImage picture = PaintPatternPicture(scene.Input());
            const QString name =
                ArtifactPath(QStringLiteral("picture_shape%1_link%2").arg(shape).arg(link));
            EXPECT_TRUE(picture.save(name + ".png"));
            SavePatternPicture(scene.Input(), name + ".gif");
        }
}

}  // namespace
