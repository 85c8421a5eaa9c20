#include "app/draws/AutoUpdate.h"

#include <QDate>

#include "app/draws/DrawCommands.h"
#include "app/window/StatusPanels.h"
#include "data/DrawCalendar.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

constexpr int MsPerHour = 60 * 60 * 1000;

}  // namespace

TAutoUpdate::TAutoUpdate(TDrawCommands& commands, TGui2RegNet& grid, TStatusPanels& status,
                         const SearchOptions& options, std::function<bool()> busy, QObject* parent)
    : QObject(parent),
      commands_(commands),
      grid_(grid),
      status_(status),
      options_(options),
      busy_(std::move(busy)) {
    soon_.setSingleShot(true);
    connect(&soon_, &QTimer::timeout, this, &TAutoUpdate::CheckNow);
    connect(&periodic_, &QTimer::timeout, this, &TAutoUpdate::CheckNow);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &TAutoUpdate::TryPendingUpdate);
    connect(&commands_, &TDrawCommands::UpdateArrived, this, &TAutoUpdate::TryPendingUpdate);
    connect(&grid_, &TGui2RegNet::DrawsChanged, this, &TAutoUpdate::ShowDrawDates);
}

void TAutoUpdate::Start() {
    started_ = true;
    ShowDrawDates();
    if (!options_.AutoUpdateChk || suspended_) return;
    soon_.start(StartDelayMs);
    periodic_.start(options_.AutoUpdateHoursSe * MsPerHour);
}

void TAutoUpdate::OptionsChanged() {
    ShowDrawDates();
    if (!started_ || suspended_) return;
    if (!options_.AutoUpdateChk) {
        soon_.stop();
        periodic_.stop();
        return;
    }
    const int interval = options_.AutoUpdateHoursSe * MsPerHour;
    if (!periodic_.isActive() || periodic_.interval() != interval) periodic_.start(interval);
}

void TAutoUpdate::Stop() {
    started_ = false;
    soon_.stop();
    periodic_.stop();
    retry_.stop();
}

void TAutoUpdate::SetSuspended(bool suspended) {
    suspended_ = suspended;
    soon_.stop();
    periodic_.stop();
}

void TAutoUpdate::CheckNow() {
    if (!options_.AutoUpdateChk) return;
    if (commands_.UpdatePending()) {
        TryPendingUpdate();
        return;
    }
    // Busy, or the main window not shown yet: a plan dialog must not open on its own before it.
    if ((busy_ && busy_()) || !grid_.window()->isVisible()) {
        soon_.start(BusyDelayMs);
        return;
    }
    commands_.StartDownload(true);
}

void TAutoUpdate::TryPendingUpdate() {
    if (!commands_.UpdatePending()) return;
    if ((busy_ && busy_()) || !grid_.window()->isVisible()) {
        retry_.start(RetryDelayMs);
        return;
    }
    retry_.stop();
    commands_.ApplyPendingUpdate();
}

void TAutoUpdate::ShowDrawDates() {
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    status_.SetText(3, QString::fromStdString(DrawDatesText(grid_.Register(), grid_.Draws().Count(),
                                                            options_.DrawDays, today)));
}
