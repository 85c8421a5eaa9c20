#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/analysis/AnalysisWindows.h"
#include "data/net/DataDown.h"
#include "search/DocumentSession.h"
#include "search/Gui2RegMgr.h"
#include "search/SearchOptions.h"
#include "ui/Prompts.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStackedWidget;
class QTableView;
class QToolBar;
class QStatusBar;
class TAnalysisWindows;
class TBackgroundJob;
class TBacktestForm;
class TAutoUpdate;
class TReduceForm;
class TTicketBookForm;
class TSettingsFile;
class TDocumentFeed;
class TDrawCommands;
class TGui2OptionsForm;
class TGui2RegNet;
class THelpCommands;
class TPatternListController;
class TPatternListModel;
class TSearchPresenter;
class TStatForm;
class TStatusPanels;
class TTrendForm;
class TUndoHistory;
class TWindowPlaces;

// The main window: the grid of draws, the pattern list, menus, tool bar and status bar. It
// owns the document (draws and patterns) and the options for the whole run, and hands each
// command to the piece that does that job (see docs/ARCHITECTURE.md): the menu and tool-bar
// tables (MainActions), the document session, the search presenter, the list controller, the
// draw commands and the help commands. Its slots keep the names of the commands.
class TMainForm : public QMainWindow {
    Q_OBJECT

  public:
    // programFolder holds the settings and the work document; prompts answers message boxes
    // and file dialogs of this window and of every window it opens, and must outlive them.
    TMainForm(const QString& programFolder, TPrompts& prompts, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Components, each also its objectName.
    QMenuBar* MainMenu = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* CodeMenu = nullptr;
    QMenu* RegMenu = nullptr;
    QMenu* TicketMenu = nullptr;
    QMenu* HelpMenu = nullptr;

    QAction* FileMenuNew = nullptr;
    QAction* FileMenuSave = nullptr;
    QAction* FileMenuDown = nullptr;
    QAction* FileMenuImport = nullptr;
    QAction* FileMenuExport = nullptr;
    QAction* FileMenuExportTable = nullptr;
    QAction* FileMenuEdit = nullptr;
    QAction* FileMenuExit = nullptr;

    QAction* EditMenuUndo = nullptr;
    QAction* EditMenuRedo = nullptr;

    QAction* CodeMenuOpen = nullptr;
    QAction* CodeMenuDown = nullptr;
    QAction* CodeMenuImport = nullptr;
    QAction* CodeMenuExport = nullptr;
    QAction* CodeMenuAdd = nullptr;
    QAction* CodeMenuInsert = nullptr;
    QAction* CodeMenuDel = nullptr;
    QAction* CodeMenuClear = nullptr;

    QAction* RegMenuOpen = nullptr;
    QAction* RegMenuSelAll = nullptr;
    QAction* RegMenuSelNone = nullptr;
    QAction* RegMenuDel = nullptr;
    QAction* RegMenuClear = nullptr;
    QAction* RegMenuSearch = nullptr;
    QAction* RegMenuStop = nullptr;
    QAction* RegMenuOptions = nullptr;
    QAction* RegMenuStat = nullptr;
    QAction* RegMenuTrend = nullptr;
    QAction* RegMenuExportPic = nullptr;
    QAction* RegMenuExportPng = nullptr;
    QAction* RegMenuBacktest = nullptr;
    QAction* RegMenuReduce = nullptr;
    QAction* TicketMenuBook = nullptr;
    QAction* RegMenuCopyPic = nullptr;
    QAction* RegMenuFixed = nullptr;
    QAction* RegMenuSumSplit = nullptr;
    QAction* RegMenuDiffSplit = nullptr;
    QAction* RegMenuSkip = nullptr;
    QAction* RegMenuContrast = nullptr;
    QAction* RegMenuFiveStep = nullptr;

    QAction* HelpMenuTopic = nullptr;
    QAction* HelpMenuSite = nullptr;
    QAction* HelpMenuAbout = nullptr;

    QStackedWidget* Panels = nullptr;
    QWidget* PanelReg = nullptr;
    QWidget* PanelCode = nullptr;
    QWidget* PanelStat = nullptr;
    QWidget* PanelSite = nullptr;
    QToolBar* MainTbr = nullptr;
    QAction* FileMenuDownBt = nullptr;
    QAction* FileMenuEditBt = nullptr;
    QAction* FileMenuSaveBt = nullptr;
    QAction* RegMenuSearchBt = nullptr;
    QAction* RegMenuStopBt = nullptr;
    QAction* RegMenuOptionsBt = nullptr;
    QAction* RegMenuBacktestBt = nullptr;
    QAction* TicketMenuBookBt = nullptr;
    QAction* RegMenuDelBt = nullptr;
    QAction* RegMenuClearBt = nullptr;
    QAction* RegMenuStatBt = nullptr;
    QAction* RegMenuTrendBt = nullptr;
    QAction* HelpMenuGuideBt = nullptr;
    QAction* RegMenuExportPicBt = nullptr;
    QAction* HelpMenuTopicBt = nullptr;
    QAction* HelpMenuAboutBt = nullptr;
    QAction* FileMenuExitBt = nullptr;
    QWidget* PanelRegLeft = nullptr;
    QSplitter* Splitter = nullptr;
    QTableView* ListView = nullptr;
    TGui2RegNet* Gui2RegNet = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusPanel2 = nullptr;
    QLabel* StatusPanel3 = nullptr;  // the dates of the last and the next draw

    // The document as every window reads it, and its change signals (ui/DocumentFeed.h).
    TDocumentFeed& Document() { return *feed_; }
    const SearchOptions& Options() const { return options_; }
    // Puts options in place as the options dialog does, without the dialog and the settings
    // file (tests); the windows hear of it through the feed's OptionsChanged.
    void SetOptions(const SearchOptions& options);
    // How long the download waits before its request and how long the request may take.
    void SetDownloadTiming(TDownloadTiming timing) { downloadTiming_ = timing; }

    TGui2RegMgr& RegMgr() { return *regMgr_; }
    TPatternListModel& ListModel() { return *listModel_; }
    TStatForm* StatForm() const { return analysis_->Statistics(); }
    TTrendForm* TrendForm() const { return analysis_->Trend(); }
    // The backtest window, once the command has opened it.
    TBacktestForm* BacktestForm() const { return analysis_->Backtest(); }
    TReduceForm* ReduceForm() const { return reduce_; }
    // The ticket book window (投注与兑奖), made on first use; other windows add tickets through
    // its AddTickets.
    TTicketBookForm* TicketBook();
    const QString& ProgramFolder() const { return programFolder_; }
    QString DocumentPath() const;
    // True when draws or patterns changed since the last open or save.
    bool DocumentModified() const { return document_->Modified(); }

    // Operations used by other windows and by tests.
    void ApplyGridSettings();
    void ClearAll();
    // Starts opening the work document on a job of its own (OpenDocumentInBackground); the
    // window takes no commands until it is open.
    void OpenDocument();
    bool Opening() const;
    // Waits until the work document is open and in place (tests; benchmarks).
    void FinishOpening();
    // Waits for an export or a draw file still being read and goes on with it now (tests).
    void FinishCommands();
    // Writes the work document; false when the write failed (the user has been told).
    bool SaveDocument();
    // The run ends without a save (the system ends the session): unsaved changes go to the
    // recovery copy beside the document, offered at the next start.
    void KeepUnsavedChanges();
    void RefreshCaption();
    void ShowPanel(QWidget* panel);
    // Imports draws from a text file (the import command without its dialog); raises the
    // reason before anything changed.
    void ImportDrawFile(const QString& path);
    // Replaces the draws with received download items ("issue#scrambled digits").
    void ApplyDownloadedDraws(const std::vector<std::string>& items);
    bool DownloadRunning() const;
    // The import, editor, download and draw export commands.
    TDrawCommands& DrawCommands() { return *draws_; }
    TAutoUpdate& AutoUpdate() { return *autoUpdate_; }
    // Undo and redo of the changes of the draws and of the pattern list.
    TUndoHistory& History() { return *history_; }
    void SetStatusText(int panel, const QString& text);

  public slots:
    void FileMenuNewClick();
    void FileMenuSaveClick();
    void FileMenuDownClick();
    void FileMenuImportClick();
    void FileMenuExportClick();
    void FileMenuExportTableClick();
    void FileMenuEditClick();
    void FileMenuExitClick();
    void EditMenuUndoClick();
    void EditMenuRedoClick();
    void CodeMenuOpenClick();
    void CodeMenuNothingClick();
    void RegMenuOpenClick();
    void RegMenuSelAllClick();
    void RegMenuSelNoneClick();
    void RegMenuDelClick();
    void RegMenuClearClick();
    void RegMenuSearchClick();
    void RegMenuStopClick();
    void RegMenuOptionsClick();
    void RegMenuStatClick();
    void RegMenuTrendClick();
    void RegMenuExportPicClick();
    void RegMenuExportPngClick();
    void RegMenuBacktestClick();
    void RegMenuReduceClick();
    void TicketMenuBookClick();
    void RegMenuCopyPicClick();
    void RegMenuNothingClick();
    void HelpMenuTopicClick();
    void HelpMenuSiteClick();
    void HelpMenuAboutClick();
    void HelpMenuGuideClick();
    void ListViewChange();
    void ListViewColumnClick(int column);
    void ContextPopup(QObject* sender, const QPoint& globalPos);

  signals:
    // After each handled search event (tests wait on it).
    void SearchEventHandled(int kind);
    // Every pattern found so far stands in the list.
    void PendingRowsListed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    bool FormCloseQuery();
    void PlaceSplitter();
    void ShowError(const QString& text);
    // What follows the opening of the document, or the start without one.
    void OpeningEnded();

    QString programFolder_;
    TPrompts& prompts_;
    SearchOptions options_;
    TDownloadTiming downloadTiming_;
    TDocumentFeed* feed_ = nullptr;
    std::unique_ptr<TDocumentSession> document_;
    std::unique_ptr<TSettingsFile> settings_;
    std::unique_ptr<TGui2RegMgr> regMgr_;
    std::unique_ptr<TStatusPanels> status_;
    TPatternListModel* listModel_ = nullptr;
    TSearchPresenter* search_ = nullptr;
    TPatternListController* list_ = nullptr;
    TReduceForm* reduce_ = nullptr;  // 缩水选号, made on first use
    TDrawCommands* draws_ = nullptr;
    TAutoUpdate* autoUpdate_ = nullptr;   // checks for new draws at start and every few hours
    TBackgroundJob* opening_ = nullptr;   // the document's opening
    TBackgroundJob* commands_ = nullptr;  // the exports' work
    TUndoHistory* history_ = nullptr;
    TWindowPlaces* places_ = nullptr;  // where the windows were
    THelpCommands* help_ = nullptr;
    TGui2OptionsForm* optionsForm_ = nullptr;
    bool splitterPlaced_ = false;
    TAnalysisWindows* analysis_ = nullptr;
    TTicketBookForm* ticketBook_ = nullptr;
};
