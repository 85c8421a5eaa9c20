#include "view/paint/PaintBasics.h"

#include <QString>

QFont SongFont(int pixelSize, bool bold) {
    static const bool mapped = [] {
        // "宋体" is SimSun's Chinese name; where neither is installed, a CJK serif or sans.
        QFont::insertSubstitutions(
            QStringLiteral("宋体"),
            {QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
             QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Microsoft YaHei"),
             QStringLiteral("Noto Sans CJK SC")});
        return true;
    }();
    (void)mapped;
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
