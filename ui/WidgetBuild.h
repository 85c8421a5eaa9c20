#pragma once

#include <QBoxLayout>
#include <QMargins>
#include <QString>
#include <initializer_list>
#include <utility>
#include <variant>

class QLabel;
class QPushButton;
class QWidget;

// Small helpers for building windows, so that each window's layout code says what it places
// and nothing else.

// A new widget of type W made from args, with name as its objectName (tests find controls by
// their names, which are also the names of the members that hold them).
template <class W, class... Args>
W* Named(const char* name, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// A push button with its caption, name and tool tip (none when empty).
QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent,
                         const QString& tip = {});

// A label with its name, for labels that a window changes later.
QLabel* NamedLabel(const char* name, QWidget* parent, const QString& text = {});

// Escape closes window, as it closes a dialog (for windows of their own beside the main one).
void CloseOnEscape(QWidget& window);

// The items of a row or column, in order: a widget, a layout, a gap in pixels, or the stretch.
struct TGap {
    int Pixels = 0;
};
struct TStretch {
    int Factor = 1;
};
// A widget that takes the rest of the space (stretch factor).
struct TGrow {
    QWidget* Widget = nullptr;
    int Factor = 1;
};
using TBoxItem = std::variant<QWidget*, QLayout*, TGap, TStretch, TGrow>;

// The margins and spacing of a row or column; spacing -1 is the style's.
struct TBoxSpacing {
    QMargins Margins{0, 0, 0, 0};
    int Spacing = -1;
};

// Fills box with items and gives it margins and spacing; returns box.
QBoxLayout* FillBox(QBoxLayout* box, std::initializer_list<TBoxItem> items,
                    TBoxSpacing spacing = {});
// A new row (left to right) or column (top to bottom) holding items; owner, when given, takes
// it as its layout.
QHBoxLayout* Row(std::initializer_list<TBoxItem> items, TBoxSpacing spacing = {},
                 QWidget* owner = nullptr);
QVBoxLayout* Column(std::initializer_list<TBoxItem> items, TBoxSpacing spacing = {},
                    QWidget* owner = nullptr);
