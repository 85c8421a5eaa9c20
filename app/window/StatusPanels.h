#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QEvent;
class QLabel;
class QStatusBar;

// The panels of the main window's status bar: 0 passing texts and hints, 1 the grid's cursor
// row (its 期号, date and draw), 2 the pattern count and the search progress, 3 (at the right
// end) the dates of the last and the next draw. Panels 0 and 2 are traced for the end-to-end
// runs (ui/StatusTrace.h).
class TStatusPanels : public QObject {
  public:
    // Status tips of window's actions and widgets go to panel 0; an empty tip shows what
    // idleText gives (a passing text that outlives the hints).
    TStatusPanels(QStatusBar& bar, QObject& window, std::function<QString()> idleText);
    void SetText(int panel, const QString& text);
    QString Text(int panel) const;
    QLabel* Panel(int panel) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<QString()> idleText_;
    QLabel* panels_[4] = {};
};
