#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "search/SearchOptions.h"

class TDrawCommands;
class TGui2RegNet;
class TStatusPanels;

// Automatic updates of the draws: a quiet download (TDrawCommands::StartDownload(true)) soon
// after the document opened and every few hours while the program runs, when the option is on.
// A check that finds the window busy (a search, a dialog, a job) waits a minute. An answer is
// added only while the window is idle: one that arrives while it is busy is kept and tried
// again every few seconds until it can be added, never dropped. It also keeps status panel 3
// showing the date of the last draw and of the next draw day.
class TAutoUpdate : public QObject {
    Q_OBJECT

  public:
    // busy: true while a check must wait. The options, grid, commands and status outlive this.
    TAutoUpdate(TDrawCommands& commands, TGui2RegNet& grid, TStatusPanels& status,
                const SearchOptions& options, std::function<bool()> busy, QObject* parent);

    // After the document opened: the first check soon, then every AutoUpdateHoursSe hours.
    void Start();
    // After the options changed: switches the checks on or off, takes the new interval and
    // draw days.
    void OptionsChanged();
    // No more checks (closing the window).
    void Stop();
    // Suspended: no checks on their own, Start included; CheckNow still checks (tests).
    void SetSuspended(bool suspended);
    // A check now, or a minute later when the window is busy; an answer still waiting is
    // tried instead of asking again.
    void CheckNow();
    // Adds a waiting answer when the window is idle, else tries again RetryDelayMs later.
    void TryPendingUpdate();
    // Shows the last and the next draw date in status panel 3 (today from the clock).
    void ShowDrawDates();

    // How soon the first check follows Start, and how long a busy window delays one.
    int StartDelayMs = 2000;
    int BusyDelayMs = 60000;
    // How soon a waiting answer is tried again.
    int RetryDelayMs = 3000;
    QTimer* PeriodicTimer() { return &periodic_; }
    QTimer* SoonTimer() { return &soon_; }
    QTimer* RetryTimer() { return &retry_; }

  private:
    TDrawCommands& commands_;
    TGui2RegNet& grid_;
    TStatusPanels& status_;
    const SearchOptions& options_;
    std::function<bool()> busy_;
    QTimer periodic_;  // every few hours
    QTimer soon_;      // the first check, and a check put off by a busy window
    QTimer retry_;     // a waiting answer tried again
    bool started_ = false;
    bool suspended_ = false;
};
