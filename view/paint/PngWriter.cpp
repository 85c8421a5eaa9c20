#include "view/paint/PngWriter.h"

#include <QBuffer>
#include <QByteArray>

#include "data/FileIo.h"

bool WritePngFile(const QImage& picture, const QString& path) {
    if (picture.isNull()) return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) return false;
    try {
        WriteFileAtomically(path.toStdString(),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const TError&) {
        return false;
    }
    return true;
}
