#include "view/paint/PaintBasics.h"

#include <QString>

QFont SongFont(int pixelSize, bool bold) {
    static const bool mapped = [] {
        QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
        return true;
    }();
    (void)mapped;
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
