#include "app/window/StatusPanels.h"

#include <QLabel>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <algorithm>

#include "ui/StatusTrace.h"

TStatusPanels::TStatusPanels(QStatusBar& bar, QObject& window, std::function<QString()> idleText)
    : idleText_(std::move(idleText)) {
    window.installEventFilter(this);
    bar.setObjectName(QStringLiteral("StatusBar"));
    bar.setSizeGripEnabled(true);
    // Panel 1 names the grid's cursor row: "第2024096期 2024-04-12 2381150".
    const int widths[3] = {350, 230, 50};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(&bar);
        label->setObjectName(QStringLiteral("StatusPanel") + QString::number(i));
        label->setMinimumWidth(widths[i]);
        // The last panel takes the rest of the bar: the search progress is a long text.
        const int stretch = i == 2 ? 1 : 0;
        if (stretch == 0) label->setFixedWidth(widths[i]);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        bar.addWidget(label, stretch);
        panels_[i] = label;
    }
    // At the right end, as wide as its text: the dates of the last and the next draw.
    auto* dates = new QLabel(&bar);
    dates->setObjectName(QStringLiteral("StatusPanel3"));
    dates->setTextFormat(Qt::PlainText);
    bar.addPermanentWidget(dates);
    panels_[3] = dates;
}

bool TStatusPanels::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::StatusTip) return false;
    QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (tip.isEmpty() && idleText_) tip = idleText_();
    SetText(0, tip);
    return true;
}

QLabel* TStatusPanels::Panel(int panel) const {
    return panels_[std::clamp(panel, 0, 3)];
}

QString TStatusPanels::Text(int panel) const {
    return Panel(panel)->text();
}

void TStatusPanels::SetText(int panel, const QString& text) {
    QLabel* label = Panel(panel);
    if (label->text() == text) return;
    label->setText(text);
    // A panel of fixed width grows to show a longer text whole; it never shrinks, so hints
    // passing over the menus do not shake the bar.
    const int needed = label->sizeHint().width();
    if (panel < 2 && needed > label->minimumWidth()) label->setFixedWidth(needed);
    if (panel == 0) TraceStatusLine("status0", text);
    if (panel == 2) TraceStatusLine("status2", text);
}
