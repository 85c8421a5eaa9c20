#include "app/window/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>

#include "app/analysis/AnalysisWindows.h"
#include "app/draws/AutoUpdate.h"
#include "app/draws/DocumentOpening.h"
#include "app/draws/DrawCommands.h"
#include "app/help/HelpCommands.h"
#include "app/patterns/PatternListController.h"
#include "app/patterns/PatternListModel.h"
#include "app/patterns/PatternTableExport.h"
#include "app/patterns/PictureExport.h"
#include "app/patterns/SearchPresenter.h"
#include "app/reduce/ReduceForm.h"
#include "app/tickets/TicketBookForm.h"
#include "app/window/Application.h"
#include "app/window/Gui2Options.h"
#include "app/window/MainActions.h"
#include "app/window/SettingsFile.h"
#include "app/window/StatusPanels.h"
#include "app/window/UndoHistory.h"
#include "data/HelpTexts.h"
#include "data/ProgramIdentity.h"
#include "search/OptionRules.h"
#include "search/OptionsIni.h"
#include "search/SearchTexts.h"
#include "ui/BackgroundJob.h"
#include "ui/DocumentFeed.h"
#include "ui/WindowPlacement.h"
#include "view/paint/PaintBasics.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

const QString SearchingMessage = QString::fromUtf8(SearchRunningText);

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TMainForm::TMainForm(const QString& programFolder, TPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), prompts_(prompts) {
    document_ = std::make_unique<TDocumentSession>(DocumentPath().toStdString());
    settings_ = std::make_unique<TSettingsFile>(programFolder_, prompts_, this);
    setObjectName(QStringLiteral("MainForm"));
    resize(687, 500);
    setMinimumSize(300, 300);
    setFont(SongFont());

    TMainUiBuilder<TMainForm> ui(*this);
    ui.BuildActions();
    ui.BuildMenus();
    listModel_ = new TPatternListModel(this);
    ui.BuildPanels(*listModel_);
    StatusBar = statusBar();
    // Hints go to panel 0; between hints, a running download keeps its passing text there.
    status_ = std::make_unique<TStatusPanels>(*StatusBar, *this, [this] {
        return DownloadRunning() ? TDrawCommands::DownloadingText : QString();
    });
    StatusPanel0 = status_->Panel(0);
    StatusPanel1 = status_->Panel(1);
    StatusPanel2 = status_->Panel(2);
    StatusPanel3 = status_->Panel(3);
    FormCreate();
    analysis_ = new TAnalysisWindows(*this, prompts_, *feed_);
    connect(Gui2RegNet, &TGui2RegNet::CursorRowChanged, this,
            [this](const QString& text) { SetStatusText(1, text); });
}

TMainForm::~TMainForm() {
    // Jobs read the document, the draws and the patterns: stop them before those go (children
    // would be deleted only after the members).
    delete opening_;
    opening_ = nullptr;
    delete commands_;
    commands_ = nullptr;
    // Abort a download first: its result must not reach a window that is going away.
    if (draws_) draws_->StopDownload();
    // Stop a backtest and a search before the list and the grid go away.
    if (analysis_) analysis_->Detach();
    delete reduce_;  // it reads the patterns and the draws
    reduce_ = nullptr;
    delete search_;
    search_ = nullptr;
    if (regMgr_) regMgr_->Stop();
    if (listModel_) listModel_->Clear();
    regMgr_.reset();
}

QString TMainForm::DocumentPath() const {
    return QDir(programFolder_).filePath(QString::fromUtf8(WorkDocumentFileName));
}

void TMainForm::FormCreate() {
    Gui2RegNet = new TGui2RegNet(PanelRegLeft);
    PanelRegLeft->layout()->addWidget(Gui2RegNet);
    connect(Gui2RegNet, &TGui2RegNet::ContextPopupRequested, this,
            [this](const QPoint& pos) { ContextPopup(Gui2RegNet, pos); });
    history_ = new TUndoHistory(*Gui2RegNet, *document_, this);
    connect(history_, &TUndoHistory::ModifiedChanged, this, &QWidget::setWindowModified);
    history_->SetActions(EditMenuUndo, EditMenuRedo);
    connect(Gui2RegNet, &TGui2RegNet::DrawsEdited, history_, &TUndoHistory::DrawsTyped);
    connect(Gui2RegNet, &TGui2RegNet::PaintFailed, this, &TMainForm::ShowError);
    // The "验证" column follows every change of the draws (typing, import, editor, download,
    // undo, redo).
    listModel_->SetDraws(&Gui2RegNet->Draws());
    connect(Gui2RegNet, &TGui2RegNet::DrawsChanged, listModel_, &TPatternListModel::DrawsChanged);
    Gui2RegNet->LayoutGrid();

    setWindowTitle(QString::fromUtf8(ProductName) + QStringLiteral("[*]"));
    QDir().mkpath(programFolder_);
    places_ = new TWindowPlaces(this);
    options_ = settings_->Load(*places_);
    ApplyGridSettings();

    regMgr_ = std::make_unique<TGui2RegMgr>(options_);
    // Patterns are verified against the draws of the search that found them.
    listModel_->SetSearchDraws([this] { return regMgr_->SharedSearchDraws(); });
    search_ = new TSearchPresenter(*regMgr_, *listModel_, *status_, this);
    connect(search_, &TSearchPresenter::SearchEventHandled, this, &TMainForm::SearchEventHandled);
    connect(search_, &TSearchPresenter::PendingRowsListed, this, &TMainForm::PendingRowsListed);
    connect(search_, &TSearchPresenter::PatternsFound, history_, &TUndoHistory::PatternsFound);
    connect(search_, &TSearchPresenter::SearchFailed, this, &TMainForm::ShowError);
    list_ = new TPatternListController(*ListView, *listModel_, *regMgr_, this);
    list_->SetDeleteActions(RegMenuDel, RegMenuDelBt);
    // The one view of the document that every window is handed; the chosen patterns are the
    // list's selection, or every pattern when none is selected.
    feed_ = new TDocumentFeed(
        TDocumentView(Gui2RegNet->Draws(), Gui2RegNet->Register(), *regMgr_, options_,
                      Gui2RegNet->IssueBase(), [this] { return list_->ChosenPatterns(); }),
        this);
    connect(Gui2RegNet, &TGui2RegNet::DrawsChanged, feed_, &TDocumentFeed::DrawsChanged);
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, feed_,
            &TDocumentFeed::PatternsChanged);
    connect(feed_, &TDocumentFeed::OptionsEditRequested, this, &TMainForm::RegMenuOptionsClick);
    history_->SetPatternList(*list_);
    draws_ = new TDrawCommands(*this, *Gui2RegNet, prompts_, options_, downloadTiming_, *status_,
                               programFolder_);
    draws_->SetDownloadActions(FileMenuDown, FileMenuDownBt);
    connect(draws_, &TDrawCommands::DrawsChanged, history_, &TUndoHistory::DrawsReplaced);
    autoUpdate_ = new TAutoUpdate(
        *draws_, *Gui2RegNet, *status_, options_,
        [this] {
            // The draws change only under none of these: a search (and its last patterns
            // joining), the opening, a download or import, an export, a dialog.
            return regMgr_->Running() || regMgr_->HandingOver() || Opening() ||
                   draws_->DownloadRunning() || draws_->ReadingRunning() || commands_->Running() ||
                   !isEnabled() || QApplication::activeModalWidget() != nullptr;
        },
        this);
    connect(feed_, &TDocumentFeed::OptionsChanged, autoUpdate_, &TAutoUpdate::OptionsChanged);
    help_ = new THelpCommands(*this, prompts_, programFolder_);
    opening_ = new TBackgroundJob(this);
    commands_ = new TBackgroundJob(this);

    ClearAll();
    // A save stopped between its renames is completed or rolled back before the debris goes.
    document_->FinishInterruptedSave();
    RemoveDebrisAtStart(programFolder_, {DocumentPath(), settings_->Path()});
    // A missing document is a first start, not a failure: the program starts empty.
    if (OfferRecoveryCopy(*document_, prompts_, this) || QFileInfo::exists(DocumentPath()))
        OpenDocument();
    else
        OpeningEnded();
    ShowPanel(PanelReg);
    ApplyStartupAdjustments(options_);
}

bool TMainForm::FormCloseQuery() {
    if (regMgr_ && regMgr_->Running()) {
        prompts_.ShowMessage(this, SearchingMessage);
        return false;
    }
    if (DocumentModified()) {
        const auto answer = prompts_.Ask(
            this, QStringLiteral("文档已经修改，是否保存？"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel) return false;
        if (answer == QMessageBox::Save && !SaveDocument()) return false;
        if (answer == QMessageBox::Discard) document_->DiscardRecoveryCopy();
    }
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    settings_->Save(options_, *places_);
    // A download must not deliver into a closed window.
    autoUpdate_->Stop();
    draws_->StopDownload();
    event->accept();
}

void TMainForm::SetStatusText(int panel, const QString& text) {
    status_->SetText(panel, text);
}

void TMainForm::ShowError(const QString& text) {
    prompts_.ShowError(this, text);
}

void TMainForm::ApplyGridSettings() {
    const TGridDisplay display = GridDisplayFor(options_);
    options_.CellHeightSe = display.CellHeight;  // kept in the settings as shown
    Gui2RegNet->ApplyDisplay(display);
    PlaceSplitter();
}

void TMainForm::PlaceSplitter() {
    // The grid panel gets the grid's width; the user may drag the splitter from there.
    const int width =
        Gui2RegNet->TotalWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int rest = Splitter->width() - Splitter->handleWidth() - width;
    Splitter->setSizes({width, std::max(rest, ListView->minimumWidth())});
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (splitterPlaced_) return;
    splitterPlaced_ = true;
    PlaceSplitter();
}

void TMainForm::ClearAll() {
    SetStatusText(2, QString());
    search_->DropPendingRows();
    listModel_->Clear();
    Gui2RegNet->Clear();  // the pattern shown too
    if (regMgr_) regMgr_->Clear();
    RefreshCaption();
}

void TMainForm::OpenDocument() {
    SetStatusText(0, QStringLiteral("正在打开文档..."));
    setEnabled(false);  // nothing may touch the draws or the patterns while they are read
    OpenWorkDocument(
        *opening_, *document_, *Gui2RegNet, *regMgr_, prompts_, this,
        [this](TPatternListModel::TRows& rows) {
            search_->DropPendingRows();
            listModel_->SwapRows(rows);
            list_->UpdateDeleteEnabled();
        },
        [this] {
            SetStatusText(0, QString());
            setEnabled(true);
            OpeningEnded();
        });
}

bool TMainForm::Opening() const {
    return opening_->Running();
}

void TMainForm::FinishOpening() {
    opening_->Finish();
}

void TMainForm::FinishCommands() {
    commands_->Finish();
    draws_->FinishReading();
}

void TMainForm::OpeningEnded() {
    history_->Opened(document_->Modified());  // a recovery copy opens modified
    RefreshCaption();
    autoUpdate_->Start();
    Gui2RegNet->PostScroll(srBottom);
}

bool TMainForm::SaveDocument() {
    if (!SaveWorkDocument(*document_, *Gui2RegNet, *regMgr_, prompts_, this)) return false;
    history_->Saved();
    SetStatusText(0, QStringLiteral("文档已保存"));
    return true;
}

void TMainForm::KeepUnsavedChanges() {
    if (DocumentModified()) KeepRecoveryCopy(*document_, *Gui2RegNet, *regMgr_);
}

void TMainForm::RefreshCaption() {
    setWindowTitle(Text(MainCaption()) + QStringLiteral("[*]"));  // "*" while modified
    if (!regMgr_ || !regMgr_->Running())
        SetStatusText(2, Text(PatternCountText(regMgr_ ? regMgr_->Count() : 0)));
}

void TMainForm::ShowPanel(QWidget* panel) {
    Panels->setCurrentWidget(panel);
}

void TMainForm::ImportDrawFile(const QString& path) {
    draws_->ImportFile(path);
}

void TMainForm::ApplyDownloadedDraws(const std::vector<std::string>& items) {
    draws_->ApplyDownloadedDraws(items);
}

bool TMainForm::DownloadRunning() const {
    return draws_ != nullptr && draws_->DownloadRunning();
}

// ---- Commands: each hands its work to the piece that does it ----

void TMainForm::FileMenuNewClick() {}

void TMainForm::FileMenuSaveClick() {
    SaveDocument();
}

void TMainForm::FileMenuDownClick() {
    draws_->StartDownload();
}

void TMainForm::FileMenuImportClick() {
    draws_->Import();
}

void TMainForm::FileMenuExportClick() {
    draws_->Export();
}

void TMainForm::FileMenuExportTableClick() {
    TPatternTableExport(*this, prompts_, programFolder_, *commands_)
        .Run(*listModel_, list_->SelectedPatterns());
}

void TMainForm::FileMenuEditClick() {
    draws_->Edit();
}

void TMainForm::FileMenuExitClick() {
    close();
}

void TMainForm::EditMenuUndoClick() {
    if (regMgr_->Running()) return prompts_.ShowMessage(this, SearchingMessage);
    // Right after 停止 the stopped search still hands over rows: the undo waits for them.
    search_->WhenSettled([this] {
        history_->Undo();
        RefreshCaption();
    });
}

void TMainForm::EditMenuRedoClick() {
    if (regMgr_->Running()) return prompts_.ShowMessage(this, SearchingMessage);
    search_->WhenSettled([this] {
        history_->Redo();
        RefreshCaption();
    });
}

void TMainForm::CodeMenuOpenClick() {
    ShowPanel(PanelCode);
}

void TMainForm::CodeMenuNothingClick() {}

void TMainForm::RegMenuOpenClick() {
    ShowPanel(PanelReg);
    Gui2RegNet->LayoutGrid();
}

void TMainForm::RegMenuSelAllClick() {
    list_->SelectAll();
    RefreshCaption();
}

void TMainForm::RegMenuSelNoneClick() {
    list_->InvertSelection();
    RefreshCaption();
}

void TMainForm::RegMenuDelClick() {
    if (auto deleted = list_->DeleteSelected()) history_->PatternsDeleted(std::move(*deleted));
    RefreshCaption();
}

void TMainForm::RegMenuClearClick() {
    // Also while a search runs: it goes on, and what it finds later joins the empty list.
    search_->ListPendingRows();
    if (regMgr_->Count() > 0) history_->PatternsCleared(list_->TakeAll());
    Gui2RegNet->Pattern().Clear();
    Gui2RegNet->viewport()->update();
    RefreshCaption();
}

void TMainForm::RegMenuSearchClick() {
    if (!search_->CanStart(options_, prompts_, this)) return;
    Gui2RegNet->Pattern().Clear();
    try {
        history_->SearchStarted(search_->StartSearch(*list_, Gui2RegNet->Draws()));
    } catch (const std::exception& e) {
        ShowError(Text(e.what()));
    }
    ListView->viewport()->repaint();
    RefreshCaption();
    if (regMgr_->Running()) SetStatusText(2, QString::fromUtf8(SearchStartedText));
}

void TMainForm::RegMenuStopClick() {
    SetStatusText(2, QString::fromUtf8(SearchStoppingText));
    StatusBar->repaint();
    // The thread ends on its own; a search started next waits for it off this thread.
    regMgr_->Stop();
}

void TMainForm::RegMenuOptionsClick() {
    if (!optionsForm_) optionsForm_ = new TGui2OptionsForm(this, prompts_);
    if (optionsForm_->ShowOptions(options_) != QDialog::Accepted) return;
    SetOptions(optionsForm_->Options());
    settings_->Save(options_, *places_);
    RefreshCaption();
    ApplyGridSettings();
}

void TMainForm::SetOptions(const SearchOptions& options) {
    options_ = options;
    emit feed_->OptionsChanged();
}

void TMainForm::RegMenuStatClick() {
    analysis_->ShowStatistics();
}

void TMainForm::RegMenuTrendClick() {
    analysis_->ShowTrend();
}

void TMainForm::RegMenuExportPicClick() {
    ExportPatternPictures(*commands_, *Gui2RegNet, list_->SelectedPatterns(), programFolder_,
                          prompts_, this);
}

void TMainForm::RegMenuBacktestClick() {
    analysis_->ShowBacktest();
}

void TMainForm::RegMenuReduceClick() {
    if (!reduce_) {
        reduce_ = new TReduceForm(this, prompts_, *feed_);
        // 发送到投注: each kept bet becomes a single ticket of the coming draw.
        reduce_->SetBetsTaker([this](const std::vector<int32_t>& bets, const QString& source) {
            TTicketBookForm* book = TicketBook();
            book->OpenWindow();
            return book->AddBets(bets, source);
        });
    }
    reduce_->OpenWindow();
}

void TMainForm::TicketMenuBookClick() {
    TicketBook()->OpenWindow();
}

TTicketBookForm* TMainForm::TicketBook() {
    if (!ticketBook_)
        ticketBook_ =
            TTicketBookForm::BesideDocument(this, prompts_, *feed_, DocumentPath(), programFolder_);
    return ticketBook_;
}

void TMainForm::RegMenuExportPngClick() {
    ExportPatternPictures(*commands_, *Gui2RegNet, list_->SelectedPatterns(), programFolder_,
                          prompts_, this, TPictureFormat::Png);
}

void TMainForm::RegMenuCopyPicClick() {
    CopyPatternPicture(*Gui2RegNet, list_->SingleSelectedPattern(), prompts_, this);
}

void TMainForm::RegMenuNothingClick() {}

void TMainForm::HelpMenuTopicClick() {
    help_->ShowTopics();
}

void TMainForm::HelpMenuSiteClick() {
    help_->OpenSupportSite();
}

void TMainForm::HelpMenuAboutClick() {
    help_->ShowAbout();
}

void TMainForm::HelpMenuGuideClick() {
    help_->ToggleGuide();
}

void TMainForm::ListViewChange() {
    list_->UpdateDeleteEnabled();
    const TGui2Reg* pattern = list_->SingleSelectedPattern();
    if (pattern == nullptr) return;
    Gui2RegNet->ShowPattern(*pattern, regMgr_->SharedSearchDraws());
    RefreshCaption();
}

void TMainForm::ListViewColumnClick(int column) {
    list_->SortByColumn(column);
}

void TMainForm::ContextPopup(QObject* sender, const QPoint& globalPos) {
    RefreshCaption();
    if (sender != ListView) return;
    const QSize size = RegMenu->sizeHint();
    RegMenu->popup(QPoint(globalPos.x(), globalPos.y() - size.height()));
}
