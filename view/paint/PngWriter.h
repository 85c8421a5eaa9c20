#pragma once

#include <QImage>
#include <QString>

// Writes a picture as a PNG file through the atomic writer: the file is replaced only when the
// whole picture was written, and a failed write leaves no partial file behind. False on any
// failure (a picture that cannot be encoded, a folder that cannot be written).
bool WritePngFile(const QImage& picture, const QString& path);
