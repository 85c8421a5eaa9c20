#include "tools/ToolPictures.h"

#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "data/Error.h"
#include "data/Platform.h"
#include "view/GridDisplay.h"
#include "view/PictureNames.h"
#include "view/paint/PatternPaint.h"
#include "view/paint/PictureSeries.h"

namespace {

QtMessageHandler PreviousHandler = nullptr;

// Outside a desktop session Qt warns about a missing runtime folder; the tool needs none.
void SkipRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    if (PreviousHandler != nullptr)
        PreviousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Painting needs fonts, hence an application object; without a display it paints offscreen.
// Qt for Windows has no offscreen platform (it needs FreeType): there the system's own one
// paints, which needs no window either.
std::unique_ptr<QGuiApplication> EnsureApplication() {
    if (QGuiApplication::instance() != nullptr) return nullptr;
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    PreviousHandler = qInstallMessageHandler(SkipRuntimeFolderWarning);
    static int argc = 1;
    static char name[] = "tolvane-search";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The grid as the program lays it out from the display options. No window: the frame holds
// exactly the rows the pattern needs.
TGridGeometry GridFor(const TCodes& draws, const TGridDisplay& display) {
    TGridGeometry geometry;
    geometry.ColCount = display.ColCount;
    geometry.SetCellHeight(display.CellHeight);
    geometry.Layout(draws.Count());
    return geometry;
}

}  // namespace

bool ToolCanPaintPictures() {
    return true;
}

std::vector<std::string> WriteToolPictures(const std::string& folder,
                                           const std::vector<const TGui2Reg*>& patterns,
                                           const TCodes& draws, const SearchOptions& options) {
    std::error_code failure;
    std::filesystem::create_directories(PathFromUtf8(folder), failure);
    if (failure || !std::filesystem::is_directory(PathFromUtf8(folder)))
        throw TError("文件夹创建失败！ " + folder);
    const auto application = EnsureApplication();
    const TGridDisplay display = GridDisplayFor(options);
    const TGridGeometry geometry = GridFor(draws, display);
    const QFont font = GridFont();
    const QPalette palette = QGuiApplication::palette();
    const int32_t comingIssue = draws.FirstIssue() + draws.Count();
    return WritePictureSeries(PathFromUtf8(folder), comingIssue, patterns,
                              [&](const TGui2Reg& pattern) -> TGridPaintInput {
                                  return {geometry,
                                          draws,
                                          pattern,
                                          draws.FirstIssue(),
                                          display.BoxColorMode,
                                          display.LinkLineStyle,
                                          display.DrawBoxStyle,
                                          font,
                                          palette};
                              })
        .Written;
}
