#pragma once

class QWidget;

// Puts a window's frame in the middle of the primary screen's free area.
void CentreOnScreen(QWidget& window);

#include <QObject>
#include <QString>
#include <map>
#include <string>

class TIniFile;

// Where the program's windows were: each named window's frame (restored on a screen that still
// exists), the state of its named splitters and the page of its named tab widgets. Kept in the
// settings file's [TWindowPlaces] section and given back when a window is first shown.
class TWindowPlaces : public QObject {
  public:
    // Watches every window of the application while it lives.
    explicit TWindowPlaces(QObject* parent);

    // Takes the places kept in the settings (the file read once by its owner, with the
    // options); none kept: the windows open where they would.
    void LoadFrom(const TIniFile& settings);
    // Writes what it knows, the windows open now included, into the settings, which their
    // owner writes to the file once.
    void SaveTo(TIniFile& settings);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Remember(QWidget& window);
    void Restore(QWidget& window);

    std::map<QString, QString> values_;  // key: window name, or window.child
};
