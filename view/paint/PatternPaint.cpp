#include "view/paint/PatternPaint.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

QFont GridFont() {
    return SongFont(14);
}

QImage PaintPatternPicture(const TGridPaintInput& grid) {
    const TExportFrame frame = ExportFrame(grid.Geometry, grid.Pattern);
    QImage picture(frame.Width + PictureMargin, frame.Height + PictureMargin, QImage::Format_RGB32);
    picture.fill(grid.Palette.color(QPalette::Base));
    QPainter painter(&picture);
    PaintTo(painter, grid, false, frame.First, frame.Rows, 1.0f,
            QPoint(PictureOriginX, PictureOriginY));
    painter.end();
    return picture;
}

bool SavePatternPicture(const TGridPaintInput& grid, const QString& path) {
    const QImage picture = PaintPatternPicture(grid);
    // The core takes file names in UTF-8 on every system (QFile::encodeName would give the
    // code page's bytes on Windows, which cannot hold a Chinese folder's name).
    return WriteGifFile(path.toStdString(), reinterpret_cast<const uint32_t*>(picture.constBits()),
                        picture.width(), picture.height(),
                        static_cast<int32_t>(picture.bytesPerLine() / 4));
}
