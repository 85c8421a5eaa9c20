#pragma once

#include <QString>

#include "search/SearchOptions.h"

class QWidget;
class TPrompts;
class TWindowPlaces;

// The program's settings file (pavolen.ini in the program folder) as the main window keeps it:
// the search options and the windows' places, read at the start, written when the options
// change and at the end. A file that cannot be
// read gives the default options; a read or a write that fails is shown over the window.
class TSettingsFile {
  public:
    TSettingsFile(const QString& programFolder, TPrompts& prompts, QWidget* parent);

    const QString& Path() const { return path_; }
    SearchOptions Load(TWindowPlaces& places) const;
    void Save(const SearchOptions& options, TWindowPlaces& places) const;

  private:
    QString path_;
    TPrompts& prompts_;
    QWidget* parent_;
};
