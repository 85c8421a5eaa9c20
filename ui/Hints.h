#pragma once

#include <QString>

class QAction;

// A hint "short|long": the short part is the tool tip, the long part the status text. Without
// a bar both parts are the whole text; an empty short part leaves the tool tip alone.
struct THint {
    QString Short;
    QString Long;
};

THint SplitHint(const QString& hint);

// Sets the action's tool tip and status tip from a hint.
void ApplyHint(QAction& action, const QString& hint);
