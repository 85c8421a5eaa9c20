#include "ui/Hints.h"

#include <QAction>

THint SplitHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0) return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

void ApplyHint(QAction& action, const QString& hint) {
    if (hint.isEmpty()) return;
    const THint parts = SplitHint(hint);
    if (!parts.Short.isEmpty()) action.setToolTip(parts.Short);
    action.setStatusTip(parts.Long);
}
