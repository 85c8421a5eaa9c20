#pragma once

#include <QByteArray>
#include <QImage>
#include <QtEndian>
#include <cstdint>

// Reads the screen dumps of xwd (true-colour ZPixmap, 24 or 32 bits per pixel), so the
// end-to-end test can keep its screenshots as PNG files without further tools.
inline QImage ReadXwd(const QByteArray& data) {
    auto card32 = [&](int index) {
        return qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(data.constData()) +
                                       index * 4);
    };
    if (data.size() < 100) return {};
    const quint32 headerSize = card32(0);
    const quint32 width = card32(4);
    const quint32 height = card32(5);
    const quint32 byteOrder = card32(7);
    const quint32 bitsPerPixel = card32(11);
    const quint32 bytesPerLine = card32(12);
    const quint32 masks[3] = {card32(14), card32(15), card32(16)};
    const quint32 colours = card32(19);
    const qint64 pixels = qint64(headerSize) + qint64(colours) * 12;
    if ((bitsPerPixel != 32 && bitsPerPixel != 24) ||
        pixels + qint64(bytesPerLine) * height > data.size())
        return {};
    auto shiftOf = [](quint32 mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1u) == 0) {
            mask >>= 1;
            ++shift;
        }
        return shift;
    };
    QImage image(int(width), int(height), QImage::Format_RGB32);
    const auto* base = reinterpret_cast<const uchar*>(data.constData()) + pixels;
    const int bytes = int(bitsPerPixel / 8);
    for (quint32 y = 0; y < height; ++y) {
        const uchar* line = base + qint64(y) * bytesPerLine;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x) {
            const uchar* p = line + qint64(x) * bytes;
            quint32 v = 0;
            for (int i = 0; i < bytes; ++i)
                v |= quint32(p[i]) << (byteOrder == 0 ? 8 * i : 8 * (bytes - 1 - i));
            out[x] = qRgb(int((v & masks[0]) >> shiftOf(masks[0])),
                          int((v & masks[1]) >> shiftOf(masks[1])),
                          int((v & masks[2]) >> shiftOf(masks[2])));
        }
    }
    return image;
}
