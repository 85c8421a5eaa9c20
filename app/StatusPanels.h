#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;

// The three panels of the main window's status bar: 0 passing texts and hints, 1 unused, 2 the
// pattern count and the search progress. With TOLVANE_STATUS_TRACE set in the environment
// (a diagnostic used by the end-to-end runs), panels 0 and 2 are echoed on stderr.
class TStatusPanels {
  public:
    explicit TStatusPanels(QStatusBar& bar);
    void SetText(int panel, const QString& text);
    QString Text(int panel) const;
    QLabel* Panel(int panel) const;

  private:
    QLabel* panels_[3] = {};
    bool trace_ = false;
};
