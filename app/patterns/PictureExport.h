#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "view/paint/PictureSeries.h"

class QWidget;
class TBackgroundJob;
class TGui2Reg;
class TGui2RegNet;
class TPrompts;

// The picture export command: each selected pattern, in list order, painted as the grid shows
// it and saved as a GIF (or PNG) picture in a new folder "GifExport" + n of the program folder,
// which the desktop then opens. The pictures are painted and written on the job, from copies of
// the patterns, the draws and the grid's settings, behind a progress dialog with 取消. Messages
// and the desktop go through the prompts; the grid is left showing the last exported pattern at
// its last row. done gets the result when the export ends (at once when nothing is exported).
struct TPictureExportResult {
    QString Folder;          // empty when nothing was created
    int Written = 0;         // pictures written
    bool Completed = false;  // every picture written and the folder opened
};

void ExportPatternPictures(TBackgroundJob& job, TGui2RegNet& grid,
                           const std::vector<const TGui2Reg*>& selected,
                           const QString& programFolder, TPrompts& prompts, QWidget* parent,
                           TPictureFormat format = TPictureFormat::Gif,
                           std::function<void(const TPictureExportResult&)> done = {});

// "复制图片": the picture of the one selected pattern (as the picture export paints it) onto the
// clipboard, for pasting into forums. Without exactly one pattern it says so and copies
// nothing. Returns whether a picture was copied.
bool CopyPatternPicture(TGui2RegNet& grid, const TGui2Reg* pattern, TPrompts& prompts,
                        QWidget* parent);
