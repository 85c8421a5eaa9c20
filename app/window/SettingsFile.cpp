#include "app/window/SettingsFile.h"

#include <QDir>
#include <exception>

#include "data/Error.h"
#include "data/IniFile.h"
#include "data/ProgramIdentity.h"
#include "search/OptionsIni.h"
#include "ui/Failure.h"
#include "ui/WindowPlacement.h"

TSettingsFile::TSettingsFile(const QString& programFolder, TPrompts& prompts, QWidget* parent)
    : path_(QDir(programFolder).filePath(QString::fromUtf8(SettingsFileName))),
      prompts_(prompts),
      parent_(parent) {}

SearchOptions TSettingsFile::Load(TWindowPlaces& places) const {
    // One read for the options and the places.
    TIniFile settings;
    try {
        settings = TIniFile::Load(path_.toStdString());
    } catch (const std::exception&) {
        ShowFailure(prompts_, parent_, std::current_exception());
        places.LoadFrom(TIniFile{});
        return DefaultSearchOptions();
    }
    places.LoadFrom(settings);
    SearchOptions options;
    ReadSearchOptions(settings, options);
    return options;
}

void TSettingsFile::Save(const SearchOptions& options, TWindowPlaces& places) const {
    try {
        // The sections and keys of others stay; an unreadable old file is replaced.
        TIniFile settings;
        try {
            settings = TIniFile::Load(path_.toStdString());
        } catch (const TError&) {
        }
        WriteSearchOptions(settings, options);
        places.SaveTo(settings);
        settings.Save(path_.toStdString());  // one write for both
    } catch (const std::exception&) {
        ShowFailure(prompts_, parent_, std::current_exception());
    }
}
