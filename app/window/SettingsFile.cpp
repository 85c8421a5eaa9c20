#include "app/window/SettingsFile.h"

#include <QDir>
#include <exception>

#include "data/ProgramIdentity.h"
#include "search/OptionsIni.h"
#include "ui/Failure.h"
#include "ui/WindowPlacement.h"

TSettingsFile::TSettingsFile(const QString& programFolder, TPrompts& prompts, QWidget* parent)
    : path_(QDir(programFolder).filePath(QString::fromUtf8(SettingsFileName))),
      prompts_(prompts),
      parent_(parent) {}

SearchOptions TSettingsFile::Load(TWindowPlaces& places) const {
    places.LoadFrom(path_.toStdString());
    try {
        return LoadSearchOptions(path_.toStdString());
    } catch (const std::exception&) {
        ShowFailure(prompts_, parent_, std::current_exception());
        return DefaultSearchOptions();
    }
}

void TSettingsFile::Save(const SearchOptions& options, TWindowPlaces& places) const {
    try {
        SaveSearchOptions(path_.toStdString(), options);
        places.SaveTo(path_.toStdString());
    } catch (const std::exception&) {
        ShowFailure(prompts_, parent_, std::current_exception());
    }
}
