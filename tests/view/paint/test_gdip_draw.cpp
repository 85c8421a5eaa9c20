#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "tests/support/Screenshot.h"
#include "view/paint/GdipDraw.h"

namespace {

const QColor Background(255, 255, 0);
const TMarkerColors Blue{ColorToArgb(255, 240, 240), ColorToArgb(0, 0, 204),
                         ColorToArgb(251, 255, 255)};

QImage Canvas(int w = 60, int h = 60) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Background);
    return image;
}

QImage Marker(int shape, const QString& text, const std::optional<TMarkerColors>& colors = Blue) {
    QImage image = Canvas();
    QPainter painter(&image);
    DrawMarker(painter, shape, 10, 10, 37, 37, text, colors);
    return image;
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST(DrawMarker, LayersShadowRimAndFace) {
    const QImage image = Marker(0, QString());
    // The box is 37 pixels; the marker is lifted by 1, so local (x, y) is (10 + x, 9 + y).
    EXPECT_EQ(At(image, 10 + 19, 9 + 19), QColor(0, 0, 204));      // face
    EXPECT_EQ(At(image, 10 + 1, 9 + 18), QColor(251, 255, 255));   // rim between outline and face
    EXPECT_EQ(At(image, 10 + 38, 9 + 22), QColor(153, 153, 153));  // shadow, 3 down and right
    EXPECT_EQ(At(image, 10 + 2, 9 + 2), Background);               // outside the circle
    EXPECT_EQ(At(image, 2, 2), Background);
}

TEST(DrawMarker, DesignColoursSquareCornersAndUnknownShapes) {
    const QImage design = Marker(0, QString(), std::nullopt);
    EXPECT_EQ(At(design, 10 + 19, 9 + 19), QColor(40, 62, 255));
    EXPECT_EQ(At(design, 10 + 1, 9 + 18), QColor(248, 248, 248));
    EXPECT_NE(At(Marker(5, QString()), 10 + 4, 9 + 4), Background);  // the square fills corners
    EXPECT_EQ(At(Marker(0, QString()), 10 + 4, 9 + 4), Background);
    EXPECT_EQ(Marker(9, "3"), Marker(0, "3"));  // unknown shapes draw the circle
    EXPECT_EQ(Marker(-2, "3"), Marker(0, "3"));
    EXPECT_NE(Marker(1, "3"), Marker(0, "3"));
}

TEST(DrawMarker, OnlyTheFirstCharacterIsDrawn) {
    EXPECT_EQ(Marker(0, "12"), Marker(0, "1"));
    EXPECT_NE(Marker(0, "1"), Marker(0, QString()));
    // The digit is drawn in the text colour inside the face.
    const QImage image = Marker(0, "8");
    bool textColour = false;
    for (int y = 10; y < 45; ++y)
        for (int x = 10; x < 47; ++x) textColour |= At(image, x, y) == QColor(255, 240, 240);
    EXPECT_TRUE(textColour);
}

TEST(DrawMarker, EmptyBoxDrawsNothing) {
    QImage image = Canvas();
    QPainter painter(&image);
    DrawMarker(painter, 0, 10, 10, 0, 0, "1", Blue);
    painter.end();
    EXPECT_EQ(image, Canvas());
}

TEST(DrawMarkerText, PutsTheDigitWhereTheMarkerWould) {
    QImage layered = Marker(2, QString());
    {
        QPainter painter(&layered);
        DrawMarkerText(painter, 2, 10, 10, 37, 37, "4", Blue);
    }
    EXPECT_EQ(layered, Marker(2, "4"));
    QImage textOnly = Canvas();
    {
        QPainter painter(&textOnly);
        DrawMarkerText(painter, 2, 10, 10, 37, 37, "4", Blue);
    }
    EXPECT_NE(textOnly, Canvas());
    EXPECT_EQ(At(textOnly, 10 + 1, 9 + 18), Background);  // no shape
}

TEST(Links, StraightLinkRunsExactlyBetweenTheCentres) {
    QImage image = Canvas(100, 60);
    {
        QPainter painter(&image);
        DrawStraightLink(painter, {10, 30}, {90, 30}, ColorToArgb(255, 0, 0), 2);
    }
    EXPECT_EQ(At(image, 50, 29), QColor(255, 0, 0));
    EXPECT_EQ(At(image, 50, 30), QColor(255, 0, 0));
    EXPECT_EQ(At(image, 50, 32), Background);
    EXPECT_EQ(At(image, 8, 30), Background);  // flat ends
    EXPECT_EQ(At(image, 92, 30), Background);
}

TEST(Links, CurvedLinkBendsThroughTheShiftedMiddle) {
    QImage image = Canvas(160, 160);
    {
        QPainter painter(&image);
        DrawCurvedLink(painter, {100, 100}, {100, 141}, ColorToArgb(0, 0, 255), 3, 3, 40);
    }
    // Through (103, 103), (108, 124) and (103, 144).
    EXPECT_EQ(At(image, 108, 124), QColor(0, 0, 255));
    EXPECT_EQ(At(image, 103, 124), Background);
    EXPECT_NE(At(image, 103, 104), Background);
    EXPECT_EQ(At(image, 100, 100), Background);
}

// A gallery of every shape, for a look by eye.
TEST(DrawMarker, GalleryArtifact) {
    QImage image(6 * 50 + 10, 3 * 50 + 10, QImage::Format_RGB32);
    image.fill(QColor(221, 238, 254));
    QPainter painter(&image);
    for (int shape = 0; shape < 6; ++shape) {
        DrawMarker(painter, shape, 5 + shape * 50, 5, 46, 46, QString::number(shape), std::nullopt);
        DrawMarker(painter, shape, 5 + shape * 50, 55, 46, 46, QString::number(shape + 3), Blue);
        DrawMarker(painter, shape, 5 + shape * 50, 105, 26, 26, "9", std::nullopt);
    }
    painter.end();
    EXPECT_TRUE(image.save(ArtifactPath(QStringLiteral("markers.png"))));
}

}  // namespace
