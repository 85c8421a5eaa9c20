#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>

// Screenshots for a look by eye go to $TOLVANE_ARTIFACTS_DIR, else to the build's artifacts folder.
inline QString ArtifactPath(const QString& name) {
    QString dir = qEnvironmentVariable("TOLVANE_ARTIFACTS_DIR");
    if (dir.isEmpty()) dir = QStringLiteral(TOLVANE_ARTIFACTS_DIR);
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

// Saves a widget as the user would see it now; false when the file cannot be written.
template <class TWidget>
bool SaveScreenshot(TWidget& widget, const QString& name) {
    QCoreApplication::processEvents();  // pending layouts first
    return widget.grab().save(ArtifactPath(name));
}
