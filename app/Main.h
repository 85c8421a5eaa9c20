#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/Prompts.h"
#include "data/DataDown.h"
#include "search/Gui2RegMgr.h"
#include "search/SearchOptions.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStackedWidget;
class QTableView;
class QToolBar;
class QStatusBar;
class TGui2RegNet;
class TGui2OptionsForm;
class TCodeEdtorForm;
class TGuideForm;
class TWebForm;
class TPatternListModel;
class TStatForm;

// The main window: the grid of draws, the pattern list, menus, tool bar and status bar; owns
// the document (draws and patterns) and the options for the whole run.
class TMainForm : public QMainWindow {
    Q_OBJECT

  public:
    // programFolder holds the settings and the work document; prompts answers message boxes
    // and file dialogs (the real dialogs when null).
    explicit TMainForm(const QString& programFolder, std::unique_ptr<TPrompts> prompts = nullptr,
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    // Identity texts.
    static const char* const ProductName;
    static const char* const Version;
    static const char* const ReleaseDate;
    static const char* const MakerName;
    static const char* const MakerSite;
    static const char* const ShortName;
    static const char* const DocumentFileName;

    // Components, each also its objectName.
    QMenuBar* MainMenu = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* CodeMenu = nullptr;
    QMenu* RegMenu = nullptr;
    QMenu* HelpMenu = nullptr;

    QAction* FileMenuNew = nullptr;
    QAction* FileMenuSave = nullptr;
    QAction* FileMenuDown = nullptr;
    QAction* FileMenuImport = nullptr;
    QAction* FileMenuExport = nullptr;
    QAction* FileMenuEdit = nullptr;
    QAction* FileMenuExit = nullptr;

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
    QAction* RegMenuExportPic = nullptr;
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
    QAction* RegMenuDelBt = nullptr;
    QAction* RegMenuClearBt = nullptr;
    QAction* RegMenuStatBt = nullptr;
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

    SearchOptions Options;
    // How long the download waits before its request and how long the request may take.
    TDownloadTiming DownloadTiming;

    TGui2RegMgr& RegMgr() { return *regMgr_; }
    TPatternListModel& ListModel() { return *listModel_; }
    TStatForm* StatForm() const { return statForm_; }
    const QString& ProgramFolder() const { return programFolder_; }
    QString SettingsPath() const;
    QString DocumentPath() const;
    // True when draws or patterns changed since the last open or save.
    bool DocumentModified() const { return documentModified_; }

    // Operations used by other windows.
    void LoadSettings();
    void SaveSettings();
    void ApplyGridSettings();
    void ClearAll();
    void OpenDocument(const QString& path);
    // Writes the work document; false when the write failed (the user has been told).
    bool SaveDocument();
    void RefreshCaption();
    void ShowPanel(QWidget* panel);
    void RefillPatternList();
    // Replaces the grid's draws with draw numbers; on a number that is no draw raises the
    // conversion error before anything changed.
    void LoadDrawNumbers(const std::vector<int32_t>& numbers, const QString& message);
    // Imports draws from a text file (the import command without its dialog).
    void ImportDrawFile(const QString& path);
    // Replaces the draws with received download items ("issue#scrambled digits"); an item
    // that is no draw changes nothing and is reported.
    void ApplyDownloadedDraws(const std::vector<std::string>& items);
    bool DownloadRunning() const { return dataDown_ != nullptr; }

    // A status text change; panels 0 and 2 are also written to stderr when
    // TOLVANE_STATUS_TRACE is set.
    void SetStatusText(int panel, const QString& text);

  public slots:
    void FileMenuNewClick();
    void FileMenuSaveClick();
    void FileMenuDownClick();
    void FileMenuImportClick();
    void FileMenuExportClick();
    void FileMenuEditClick();
    void FileMenuExitClick();
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
    void RegMenuExportPicClick();
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
    bool event(QEvent* event) override;

  private:
    void FormCreate();
    bool FormCloseQuery();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePanels();
    void CreateStatusBar();
    QAction* MakeAction(const char* name, const QString& text, const QString& hint = QString(),
                        const QKeySequence& shortcut = QKeySequence());
    void OnSearchEvent(const TSearchNotice& notice);
    void AddPatternItems(int32_t first, int32_t count);
    void AppendPendingRows();
    void DropPendingRows();
    void UpdateDeleteEnabled();
    int SelectedRowCount() const;
    void ShowError(const QString& text);
    void KeepUnreadableDocument();
    void ShowNotYet(const QString& what);
    void OnDownloadResult(const TDownloadResult& result);
    void SetDownloadEnabled(bool enabled);

    QString programFolder_;
    std::unique_ptr<TPrompts> prompts_;
    std::unique_ptr<TGui2RegMgr> regMgr_;
    std::unique_ptr<TDataDown> dataDown_;  // the running download, if any
    TPatternListModel* listModel_ = nullptr;
    TGui2OptionsForm* optionsForm_ = nullptr;
    TCodeEdtorForm* codeEditor_ = nullptr;
    TStatForm* statForm_ = nullptr;
    TGuideForm* guideForm_ = nullptr;  // created on first use, a child of this window
    TWebForm* webForm_ = nullptr;      // likewise
    std::vector<int32_t> drawNumbers_;
    std::vector<TGui2Reg*> pendingRows_;  // found, not yet listed
    size_t pendingDone_ = 0;
    bool appendScheduled_ = false;  // scratch list of the import
    bool documentModified_ = false;
    bool documentOpenFailed_ = false;
    bool eventsPosted_ = false;
    bool statusTrace_ = false;
};
