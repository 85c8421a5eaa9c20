#include "ui/WidgetBuild.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent,
                         const QString& tip) {
    auto* button = Named<QPushButton>(name, caption, parent);
    if (!tip.isEmpty()) button->setToolTip(tip);
    return button;
}

QLabel* NamedLabel(const char* name, QWidget* parent, const QString& text) {
    return Named<QLabel>(name, text, parent);
}

void CloseOnEscape(QWidget& window) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
}

QBoxLayout* FillBox(QBoxLayout* box, std::initializer_list<TBoxItem> items, TBoxSpacing spacing) {
    box->setContentsMargins(spacing.Margins);
    if (spacing.Spacing >= 0) box->setSpacing(spacing.Spacing);
    for (const TBoxItem& item : items) {
        if (const auto* widget = std::get_if<QWidget*>(&item))
            box->addWidget(*widget);
        else if (const auto* layout = std::get_if<QLayout*>(&item))
            box->addLayout(*layout);
        else if (const auto* gap = std::get_if<TGap>(&item))
            box->addSpacing(gap->Pixels);
        else if (const auto* stretch = std::get_if<TStretch>(&item))
            box->addStretch(stretch->Factor);
        else if (const auto* grow = std::get_if<TGrow>(&item))
            box->addWidget(grow->Widget, grow->Factor);
    }
    return box;
}

QHBoxLayout* Row(std::initializer_list<TBoxItem> items, TBoxSpacing spacing, QWidget* owner) {
    auto* row = new QHBoxLayout(owner);
    FillBox(row, items, spacing);
    return row;
}

QVBoxLayout* Column(std::initializer_list<TBoxItem> items, TBoxSpacing spacing, QWidget* owner) {
    auto* column = new QVBoxLayout(owner);
    FillBox(column, items, spacing);
    return column;
}
