#include "ui/StatusTrace.h"

#include <QFile>
#include <cstdio>

void TraceStatusLine(const char* kind, const QString& text) {
    const QString fileName = qEnvironmentVariable("TOLVANE_STATUS_TRACE_FILE");
    if (fileName.isEmpty() && !qEnvironmentVariableIsSet("TOLVANE_STATUS_TRACE")) return;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray bytes = QByteArray(kind) + ": " + line.toUtf8() + '\n';
    if (fileName.isEmpty()) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
        std::fflush(stderr);
        return;
    }
    // Opened for each line, so that a reader sees every line as soon as it is written.
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) file.write(bytes);
}
