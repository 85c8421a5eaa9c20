#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/draws/MergeDialog.h"
#include "data/DrawMerge.h"
#include "data/net/DataDown.h"
#include "search/SearchOptions.h"

class QAction;
class QWidget;
class TBackgroundJob;
class TCodeEdtorForm;
class TGui2RegNet;
class TImportPreview;
class TJobControl;
class TPrompts;
class TStatusPanels;

// The kinds of change that replace the grid's draws.
enum class TDrawChange { Import, Editor, Download };

// The commands that replace the grid's draws: import from a text file, the draw editor and
// the download (which runs on a background job of this object). Each changes the draws only when
// all of the new draws are good, and tells the user how it went.
class TDrawCommands : public QObject {
    Q_OBJECT

  public:
    TDrawCommands(QWidget& window, TGui2RegNet& grid, TPrompts& prompts,
                  const SearchOptions& options, const TDownloadTiming& timing,
                  TStatusPanels& status, QString programFolder);
    ~TDrawCommands() override;

    void SetDownloadActions(QAction* menuItem, QAction* button);

    // The import command: asks for a file, reads and recognises it on a background job
    // (progress and 取消 once it takes long), then imports it as ImportFile does.
    void Import();
    // Waits for a file the import command is reading and goes on with it now (tests).
    void FinishReading();
    // Imports draws from a draw file: the plain form at once, a table after its preview was
    // accepted. Raises the reason (naming the line) before anything changed.
    void ImportFile(const QString& path);
    // Runs the preview of a table; true when the user chose to import. Tests replace it.
    using TPreviewRunner = std::function<bool(TImportPreview&)>;
    void SetPreviewRunner(TPreviewRunner runner) { previewRunner_ = std::move(runner); }
    // The export command: asks for a file name, then writes the draws (".csv": the table).
    void Export();
    // The draw editor: the draws change when the user saves good lines.
    void Edit();

    // The download command. quiet: an automatic update, which tells the user only through the
    // status bar unless draws differ (see AddDrawsQuietly).
    void StartDownload(bool quiet = false);
    bool DownloadRunning() const;
    // A file to import is being read.
    bool ReadingRunning() const;
    // The answer of an automatic update that arrived (UpdateArrived) and waits to be added.
    bool UpdatePending() const { return pendingUpdate_.has_value(); }
    // Adds the waiting answer now (AddDrawsQuietly), its failure in the status bar. Only
    // when the window is idle: no search, dialog or job (TAutoUpdate calls it).
    void ApplyPendingUpdate();
    // An automatic update's answer arrived and waits (UpdatePending); emitted before
    // DownloadHandled.
    Q_SIGNAL void UpdateArrived();
    // Adds draws of an automatic update: when nothing differs from the document (or it is
    // empty) the new draws are added without asking and the status bar says "已更新到第…期";
    // when something differs the plan is shown as AddDraws does. True when the draws changed.
    bool AddDrawsQuietly(const TIncomingDraws& incoming);
    // Emitted when a download (quiet or not) has been handled, and the status text it left.
    Q_SIGNAL void DownloadHandled(bool quiet);
    // Abandons a running download: its result must not reach a window that goes away.
    void StopDownload();
    // Adds received items ("issue#scrambled digits") as AddDraws does; an item that is no
    // draw changes nothing and is reported.
    void ApplyDownloadedDraws(const std::vector<std::string>& items);

    // Adds draws from outside: an empty document takes them all; otherwise the plan
    // (PlanDrawMerge) is shown in a TMergeDialog and applied as chosen, as one change
    // (DrawsChanged, one undo step). Raises before anything changed on a number that is no
    // draw. True when the draws changed.
    // title names the plan dialog (by default after kind).
    bool AddDraws(const TIncomingDraws& incoming, const QString& message, TDrawChange kind,
                  QString title = {});
    // Adds only new draws, without a dialog or message (for updates that run on their own):
    // when the plan matches the document (by 期号 or overlap), nothing differs or repeats, the
    // new draws leave no gap after the document's last 期号 and their 期号 line up,
    // the new draws are appended as one change (DrawsChanged, one undo step) and their count
    // returned (0: nothing new); -1 when the plan needs the user (AddDraws), nothing changed.
    int32_t AddNewDrawsWithoutAsking(const TIncomingDraws& incoming, TDrawChange kind);
    // Runs the merge dialog and returns the choice. Tests replace it.
    using TMergeRunner = std::function<TMergeChoice(TMergeDialog&)>;
    void SetMergeRunner(TMergeRunner runner) { mergeRunner_ = std::move(runner); }

    // Replaces the grid's draws with draw numbers (their 期号 unknown); on a number that is
    // no draw raises the conversion error before anything changed.
    void LoadDrawNumbers(const std::vector<int32_t>& numbers, const QString& message,
                         TDrawChange kind);

    static const QString DownloadingText;

  signals:
    // The draws were replaced.
    void DrawsChanged(TDrawChange kind);

  private:
    // A draw file as read and recognised off the window's thread.
    struct TLoadedFile;
    static TLoadedFile LoadFile(const std::string& path, TJobControl* control);
    // The preview of a table, then the change of the draws; raises as ImportFile does.
    void ImportLoaded(TLoadedFile& loaded);
    void OnDownloadResult(const TDownloadResult& result, bool quiet);
    void SetDownloadEnabled(bool enabled);
    // After the draws were changed by a command: the grid, the windows and the undo step.
    void DrawsReplacedBy(TDrawChange kind);
    void ShowError(const QString& text);

    QWidget& window_;
    TGui2RegNet& grid_;
    TPrompts& prompts_;
    const SearchOptions& options_;
    const TDownloadTiming& timing_;
    TStatusPanels& status_;
    QString programFolder_;
    QAction* downloadItem_ = nullptr;
    QAction* downloadButton_ = nullptr;
    TCodeEdtorForm* editor_ = nullptr;    // created on first use, a child of the window
    TBackgroundJob* download_ = nullptr;  // runs the download
    TBackgroundJob* reading_ = nullptr;   // reads a file to import
    TPreviewRunner previewRunner_;
    TMergeRunner mergeRunner_;
    std::optional<std::vector<std::string>> pendingUpdate_;  // an automatic update's items
};
