#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QWidget>

#include "data/IniFile.h"

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

namespace {

constexpr const char* PlacesSection = "TWindowPlaces";
constexpr const char* RestoredProperty = "tolvanePlaceRestored";

// Windows worth remembering: named top-level windows; dialogs size themselves to what they
// show each time.
bool IsPlacedWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget != nullptr && widget->isWindow() && !widget->objectName().isEmpty() &&
           qobject_cast<const QDialog*>(object) == nullptr;
}

template <class T>
QList<T*> NamedChildren(QWidget& window) {
    QList<T*> named;
    for (T* child : window.findChildren<T*>())
        if (!child->objectName().isEmpty() && child->window() == &window) named << child;
    return named;
}

}  // namespace

TWindowPlaces::TWindowPlaces(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

void TWindowPlaces::LoadFrom(const TIniFile& settings) {
    values_.clear();
    for (const auto& [key, value] : settings.SectionValues(PlacesSection))
        values_[QString::fromStdString(key)] = QString::fromStdString(value);
}

void TWindowPlaces::SaveTo(TIniFile& settings) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (IsPlacedWindow(window) && window->isVisible()) Remember(*window);
    for (const auto& [key, value] : values_)
        settings.WriteString(PlacesSection, key.toStdString(), value.toStdString());
}

bool TWindowPlaces::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
        IsPlacedWindow(watched)) {
        auto& window = static_cast<QWidget&>(*watched);
        if (event->type() == QEvent::Hide)
            Remember(window);
        else if (!window.property(RestoredProperty).toBool())
            Restore(window);
    }
    return false;
}

void TWindowPlaces::Remember(QWidget& window) {
    const QString name = window.objectName();
    values_[name] = QString::fromLatin1(window.saveGeometry().toBase64());
    for (QSplitter* splitter : NamedChildren<QSplitter>(window))
        values_[name + '.' + splitter->objectName()] =
            QString::fromLatin1(splitter->saveState().toBase64());
    for (QTabWidget* tabs : NamedChildren<QTabWidget>(window))
        values_[name + '.' + tabs->objectName()] = QString::number(tabs->currentIndex());
}

void TWindowPlaces::Restore(QWidget& window) {
    window.setProperty(RestoredProperty, true);
    const QString name = window.objectName();
    const auto value = [&](const QString& key) {
        const auto found = values_.find(key);
        return found == values_.end() ? QString() : found->second;
    };
    // restoreGeometry moves a frame whose screen is gone onto one that exists.
    if (const QString frame = value(name); !frame.isEmpty())
        window.restoreGeometry(QByteArray::fromBase64(frame.toLatin1()));
    for (QSplitter* splitter : NamedChildren<QSplitter>(window))
        if (const QString state = value(name + '.' + splitter->objectName()); !state.isEmpty())
            splitter->restoreState(QByteArray::fromBase64(state.toLatin1()));
    for (QTabWidget* tabs : NamedChildren<QTabWidget>(window)) {
        bool number = false;
        const int page = value(name + '.' + tabs->objectName()).toInt(&number);
        if (number && page >= 0 && page < tabs->count()) tabs->setCurrentIndex(page);
    }
}
