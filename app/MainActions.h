#pragma once

#include <QStyle>
#include <vector>

class QAction;
class QMenu;
class QWidget;
class TMainForm;

// The main window's commands as data: every menu item and tool-bar button with its caption,
// hint, short cut, visibility and handler. TMainUiBuilder turns the tables into actions,
// menus and the tool bar; tests compare the tables with what the program should offer.

// One command. Member is the TMainForm member that holds the action (its objectName is Name).
struct TActionSpec {
    const char* Name;
    const char* Caption;
    const char* Hint;      // "short|long", or empty
    const char* Shortcut;  // portable key text, or empty
    bool Visible;
    bool Enabled;
    void (TMainForm::*Slot)();
    QAction* TMainForm::*Member;
};

// A top-level menu: its items by action name, "-" for a separator.
struct TMenuSpec {
    const char* Name;
    const char* Caption;
    bool Visible;
    std::vector<const char*> Items;
    QMenu* TMainForm::*Member;
};

// A tool-bar button. It triggers the action named by Command (and copies its hints and enabled
// state), or calls Slot directly when Command is empty. Name "-" is a separator.
struct TToolButtonSpec {
    const char* Name;
    const char* Caption;
    QStyle::StandardPixmap Icon;
    const char* Command;
    void (TMainForm::*Slot)();
    bool Visible;
    QAction* TMainForm::*Member;
};

const std::vector<TActionSpec>& MainActionTable();
const std::vector<TMenuSpec>& MainMenuTable();
const std::vector<TToolButtonSpec>& MainToolBarTable();
// Keys of hidden commands that still work: (key, handler).
struct THiddenShortcut {
    const char* Keys;
    void (TMainForm::*Slot)();
};
const std::vector<THiddenShortcut>& HiddenShortcutTable();

// Builds the actions, the menu bar, the tool bar (on parent) and the hidden short cuts of a
// main window from the tables.
class TMainUiBuilder {
  public:
    explicit TMainUiBuilder(TMainForm& form) : form_(form) {}
    void BuildActions();
    void BuildMenus();
    void BuildToolBar(QWidget* parent);

  private:
    QAction* ActionNamed(const char* name) const;
    TMainForm& form_;
};
