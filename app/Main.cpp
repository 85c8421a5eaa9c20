#include "app/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unordered_set>

#include "app/AboutUs.h"
#include "app/Gui2Options.h"
#include "app/HelpTexts.h"
#include "app/PatternListModel.h"
#include "app/PictureExport.h"
#include "app/Prompts.h"
#include "app/UserGuide.h"
#include "app/Web.h"
#include "data/CodeEditor.h"
#include "data/DownloadCodec.h"
#include "data/DrawImport.h"
#include "data/DrawLines.h"
#include "data/DrawText.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "data/Stream.h"
#include "search/OptionRules.h"
#include "search/OptionsIni.h"
#include "search/WorkDocument.h"
#include "stats/StatMgr.h"
#include "view/Gui2Ctrl.h"

const char* const TMainForm::ProductName = "Tolvane";
const char* const TMainForm::Version = "3.08";
const char* const TMainForm::ReleaseDate = "20190725";
const char* const TMainForm::MakerName = "Bexmoor";
const char* const TMainForm::MakerSite = "www.bexmoor.example";
const char* const TMainForm::ShortName = "pavolen";
const char* const TMainForm::DocumentFileName = "工作文档.gtmq";

namespace {

const QString DownloadingText = QStringLiteral("正在下载开奖数据...");
const QString DownloadFailedText = QStringLiteral("下载开奖数据失败：\r\n");

const QString SearchingMessage =
    QStringLiteral("程序正在搜索...\r\n请停止搜索或者等待搜索结束再执行此命令");

// The caption's closing words, kept out of plain sight in the program file.
QString CaptionTail() {
    static const char16_t scrambled[] = u"q规z律k搜w索e与p走t势r分h析";
    QString text;
    for (size_t i = 1; i + 1 < std::size(scrambled); i += 2) text += QChar(scrambled[i]);
    return text;
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}
std::string ToStd(const QString& text) {
    return text.toStdString();
}

}  // namespace

TMainForm::TMainForm(const QString& programFolder, std::unique_ptr<TPrompts> prompts,
                     QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), prompts_(std::move(prompts)) {
    if (!prompts_) prompts_ = std::make_unique<TDialogPrompts>();
    statusTrace_ = qEnvironmentVariableIsSet("TOLVANE_STATUS_TRACE");
    setObjectName(QStringLiteral("MainForm"));
    resize(687, 500);
    setMinimumSize(300, 300);
    QFont windowFont(QStringLiteral("宋体"));
    windowFont.setPixelSize(14);
    setFont(windowFont);

    CreateActions();
    CreateMenus();
    CreatePanels();
    CreateStatusBar();
    FormCreate();
    // The statistics window lives for the whole run, hidden until the statistics command.
    statForm_ = new TStatForm(this, prompts_.get());
}

TMainForm::~TMainForm() {
    // Abort a download first: its result must not reach a window that is going away.
    dataDown_.reset();
    // Stop a search before the list and the grid go away.
    if (regMgr_) {
        regMgr_->OnSearchEvent = nullptr;
        regMgr_->Stop();
    }
    if (listModel_) listModel_->Clear();
    if (statForm_) statForm_->SetRegMgr(nullptr);
    regMgr_.reset();
}

QString TMainForm::SettingsPath() const {
    return QDir(programFolder_).filePath(QString::fromUtf8(ShortName) + QStringLiteral(".ini"));
}

QString TMainForm::DocumentPath() const {
    return QDir(programFolder_).filePath(QString::fromUtf8(DocumentFileName));
}

QAction* TMainForm::MakeAction(const char* name, const QString& text, const QString& hint,
                               const QKeySequence& shortcut) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromUtf8(name));
    if (!hint.isEmpty()) {
        // "short|long": the short part is the tool tip, the long one the status text.
        const int bar = hint.indexOf(QLatin1Char('|'));
        const QString shortPart = bar < 0 ? hint : hint.left(bar);
        const QString longPart = bar < 0 ? hint : hint.mid(bar + 1);
        if (!shortPart.isEmpty()) action->setToolTip(shortPart);
        action->setStatusTip(longPart);
    }
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

void TMainForm::CreateActions() {
    FileMenuNew = MakeAction("FileMenuNew", QStringLiteral("新建(&N)"), {}, QKeySequence("Ctrl+N"));
    FileMenuSave = MakeAction("FileMenuSave", QStringLiteral("保存(&S)"),
                              QStringLiteral("|保存当前的文档"), QKeySequence("Ctrl+S"));
    FileMenuDown = MakeAction("FileMenuDown", QStringLiteral("下载数据(&D)"));
    FileMenuImport = MakeAction("FileMenuImport", QStringLiteral("导入号码(&I)"));
    FileMenuExport = MakeAction("FileMenuExport", QStringLiteral("导出号码(&X)"));
    FileMenuEdit = MakeAction("FileMenuEdit", QStringLiteral("数据编辑(&E)"));
    FileMenuExit = MakeAction("FileMenuExit", QStringLiteral("退出(&X)"),
                              QStringLiteral("|关闭程序，退出规律系统"));
    FileMenuNew->setVisible(false);
    FileMenuExport->setVisible(false);

    CodeMenuOpen = MakeAction("CodeMenuOpen", QStringLiteral("打开数据(&B)"));
    CodeMenuDown = MakeAction("CodeMenuDown", QStringLiteral("数据下载(&D)"));
    CodeMenuImport = MakeAction("CodeMenuImport", QStringLiteral("数据导入(&I)..."));
    CodeMenuExport = MakeAction("CodeMenuExport", QStringLiteral("数据导出(&E)..."),
                                QStringLiteral("导出开奖数据|将当前的开奖数据导出为文本文件"));
    CodeMenuAdd = MakeAction("CodeMenuAdd", QStringLiteral("增加(&A)"));
    CodeMenuInsert = MakeAction("CodeMenuInsert", QStringLiteral("插入(&I)"));
    CodeMenuDel = MakeAction("CodeMenuDel", QStringLiteral("删除(&D)"));
    CodeMenuClear = MakeAction("CodeMenuClear", QStringLiteral("清空(&C)"));

    RegMenuOpen = MakeAction("RegMenuOpen", QStringLiteral("打开规律(&X)"));
    RegMenuSelAll = MakeAction("RegMenuSelAll", QStringLiteral("全选(&A)"),
                               QStringLiteral("规律全选|全选当前的规律列表框内所有的规律"),
                               QKeySequence("Ctrl+A"));
    RegMenuSelNone =
        MakeAction("RegMenuSelNone", QStringLiteral("不选(&I)"),
                   QStringLiteral("不选规律|取消所有的规律选择"), QKeySequence("Ctrl+I"));
    RegMenuDel = MakeAction("RegMenuDel", QStringLiteral("删除(&D)"),
                            QStringLiteral("删除规律|将当前选择的规律删除"), QKeySequence("Del"));
    RegMenuClear =
        MakeAction("RegMenuClear", QStringLiteral("清空(&C)"),
                   QStringLiteral("删除所有规律|删除所有的规律"), QKeySequence("Ctrl+Del"));
    RegMenuSearch =
        MakeAction("RegMenuSearch", QStringLiteral("搜索(&S)"),
                   QStringLiteral("搜索规律|搜索开奖数据里面的规律走势"), QKeySequence("F5"));
    RegMenuStop = MakeAction("RegMenuStop", QStringLiteral("停止(&O)"),
                             QStringLiteral("|立即停止规律搜索工作"), QKeySequence("F6"));
    RegMenuOptions = MakeAction("RegMenuOptions", QStringLiteral("设置(&O)..."),
                                QStringLiteral("搜索设置|设置规律的搜索参数"), QKeySequence("F12"));
    RegMenuStat = MakeAction("RegMenuStat", QStringLiteral("统计(&B)"), {}, QKeySequence("F8"));
    RegMenuExportPic =
        MakeAction("RegMenuExportPic", QStringLiteral("出图(&G)"), {}, QKeySequence("F9"));
    RegMenuFixed = MakeAction("RegMenuFixed", QStringLiteral("定位定数(&P)"));
    RegMenuSumSplit = MakeAction("RegMenuSumSplit", QStringLiteral("两位合分(&H)"));
    RegMenuDiffSplit = MakeAction("RegMenuDiffSplit", QStringLiteral("两位差分(&F)"));
    RegMenuSkip = MakeAction("RegMenuSkip", QStringLiteral("隔版(&G)"));
    RegMenuContrast = MakeAction("RegMenuContrast", QStringLiteral("明对(&M)"));
    RegMenuFiveStep = MakeAction("RegMenuFiveStep", QStringLiteral("五步(&B)"));
    RegMenuDel->setEnabled(false);
    for (QAction* hidden :
         {RegMenuOpen, RegMenuStat, RegMenuExportPic, RegMenuFixed, RegMenuSumSplit,
          RegMenuDiffSplit, RegMenuSkip, RegMenuContrast, RegMenuFiveStep})
        hidden->setVisible(false);

    HelpMenuTopic =
        MakeAction("HelpMenuTopic", QStringLiteral("帮助主题(&C)"), {}, QKeySequence("F1"));
    HelpMenuSite = MakeAction("HelpMenuSite", QStringLiteral("支持网站(&H)"));
    HelpMenuAbout = MakeAction("HelpMenuAbout", QStringLiteral("关于(&A)..."));

    connect(FileMenuNew, &QAction::triggered, this, &TMainForm::FileMenuNewClick);
    connect(FileMenuSave, &QAction::triggered, this, &TMainForm::FileMenuSaveClick);
    connect(FileMenuDown, &QAction::triggered, this, &TMainForm::FileMenuDownClick);
    connect(FileMenuImport, &QAction::triggered, this, &TMainForm::FileMenuImportClick);
    connect(FileMenuExport, &QAction::triggered, this, &TMainForm::FileMenuExportClick);
    connect(FileMenuEdit, &QAction::triggered, this, &TMainForm::FileMenuEditClick);
    connect(FileMenuExit, &QAction::triggered, this, &TMainForm::FileMenuExitClick);
    connect(CodeMenuOpen, &QAction::triggered, this, &TMainForm::CodeMenuOpenClick);
    for (QAction* nothing : {CodeMenuDown, CodeMenuImport, CodeMenuExport, CodeMenuAdd,
                             CodeMenuInsert, CodeMenuDel, CodeMenuClear})
        connect(nothing, &QAction::triggered, this, &TMainForm::CodeMenuNothingClick);
    connect(RegMenuOpen, &QAction::triggered, this, &TMainForm::RegMenuOpenClick);
    connect(RegMenuSelAll, &QAction::triggered, this, &TMainForm::RegMenuSelAllClick);
    connect(RegMenuSelNone, &QAction::triggered, this, &TMainForm::RegMenuSelNoneClick);
    connect(RegMenuDel, &QAction::triggered, this, &TMainForm::RegMenuDelClick);
    connect(RegMenuClear, &QAction::triggered, this, &TMainForm::RegMenuClearClick);
    connect(RegMenuSearch, &QAction::triggered, this, &TMainForm::RegMenuSearchClick);
    connect(RegMenuStop, &QAction::triggered, this, &TMainForm::RegMenuStopClick);
    connect(RegMenuOptions, &QAction::triggered, this, &TMainForm::RegMenuOptionsClick);
    connect(RegMenuStat, &QAction::triggered, this, &TMainForm::RegMenuStatClick);
    connect(RegMenuExportPic, &QAction::triggered, this, &TMainForm::RegMenuExportPicClick);
    for (QAction* nothing : {RegMenuFixed, RegMenuSumSplit, RegMenuDiffSplit, RegMenuSkip,
                             RegMenuContrast, RegMenuFiveStep})
        connect(nothing, &QAction::triggered, this, &TMainForm::RegMenuNothingClick);
    connect(HelpMenuTopic, &QAction::triggered, this, &TMainForm::HelpMenuTopicClick);
    connect(HelpMenuSite, &QAction::triggered, this, &TMainForm::HelpMenuSiteClick);
    connect(HelpMenuAbout, &QAction::triggered, this, &TMainForm::HelpMenuAboutClick);

    // Hidden menu items keep their short cuts.
    auto hiddenShortcut = [this](const char* keys, void (TMainForm::*slot)()) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    hiddenShortcut("Ctrl+N", &TMainForm::FileMenuNewClick);
    hiddenShortcut("F8", &TMainForm::RegMenuStatClick);
    hiddenShortcut("F9", &TMainForm::RegMenuExportPicClick);
}

void TMainForm::CreateMenus() {
    MainMenu = menuBar();
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    FileMenu = MainMenu->addMenu(QStringLiteral("文件(&F)"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileMenu->addActions({FileMenuNew, FileMenuSave});
    FileMenu->addSeparator();
    FileMenu->addActions({FileMenuDown, FileMenuImport, FileMenuExport, FileMenuEdit});
    FileMenu->addSeparator();
    FileMenu->addAction(FileMenuExit);

    CodeMenu = MainMenu->addMenu(QStringLiteral("数据(&C)"));
    CodeMenu->setObjectName(QStringLiteral("CodeMenu"));
    CodeMenu->addActions({CodeMenuOpen, CodeMenuDown, CodeMenuImport, CodeMenuExport, CodeMenuAdd,
                          CodeMenuInsert, CodeMenuDel, CodeMenuClear});
    CodeMenu->menuAction()->setVisible(false);

    RegMenu = MainMenu->addMenu(QStringLiteral("规律(&E)"));
    RegMenu->setObjectName(QStringLiteral("RegMenu"));
    RegMenu->addActions({RegMenuOpen, RegMenuSelAll, RegMenuSelNone, RegMenuDel, RegMenuClear});
    RegMenu->addSeparator();
    RegMenu->addActions({RegMenuSearch, RegMenuStop, RegMenuOptions});
    RegMenu->addSeparator();
    RegMenu->addActions({RegMenuStat, RegMenuExportPic, RegMenuFixed, RegMenuSumSplit,
                         RegMenuDiffSplit, RegMenuSkip, RegMenuContrast, RegMenuFiveStep});

    HelpMenu = MainMenu->addMenu(QStringLiteral("帮助(&H)"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpMenu->addActions({HelpMenuTopic, HelpMenuSite});
    HelpMenu->addSeparator();
    HelpMenu->addAction(HelpMenuAbout);
}

void TMainForm::CreateToolBar() {
    MainTbr = new QToolBar(PanelReg);
    MainTbr->setObjectName(QStringLiteral("MainTbr"));
    MainTbr->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    MainTbr->setIconSize(QSize(20, 20));
    MainTbr->setMovable(false);
    MainTbr->setFloatable(false);
    auto button = [this](const char* name, const QString& caption, QStyle::StandardPixmap icon,
                         QAction* command) {
        QAction* b = MakeAction(name, caption);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(command->toolTip().isEmpty() ? caption : command->toolTip());
        b->setStatusTip(command->statusTip());
        b->setEnabled(command->isEnabled());
        connect(b, &QAction::triggered, command, &QAction::trigger);
        MainTbr->addAction(b);
        return b;
    };
    FileMenuDownBt =
        button("FileMenuDownBt", QStringLiteral("下载"), QStyle::SP_ArrowDown, FileMenuDown);
    FileMenuEditBt = button("FileMenuEditBt", QStringLiteral("编辑"),
                            QStyle::SP_FileDialogDetailedView, FileMenuEdit);
    FileMenuSaveBt =
        button("FileMenuSaveBt", QStringLiteral("保存"), QStyle::SP_DialogSaveButton, FileMenuSave);
    MainTbr->addSeparator();
    RegMenuSearchBt = button("RegMenuSearchBt", QStringLiteral("搜索"),
                             QStyle::SP_FileDialogContentsView, RegMenuSearch);
    RegMenuStopBt =
        button("RegMenuStopBt", QStringLiteral("停止"), QStyle::SP_BrowserStop, RegMenuStop);
    RegMenuOptionsBt = button("RegMenuOptionsBt", QStringLiteral("设置"),
                              QStyle::SP_FileDialogListView, RegMenuOptions);
    MainTbr->addSeparator();
    // The delete button triggers the command directly: the menu item may be disabled while
    // the button is not, and both follow the selection.
    RegMenuDelBt = MakeAction("RegMenuDelBt", QStringLiteral("删除"));
    RegMenuDelBt->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    RegMenuDelBt->setToolTip(RegMenuDel->toolTip());
    RegMenuDelBt->setStatusTip(RegMenuDel->statusTip());
    RegMenuDelBt->setEnabled(false);
    connect(RegMenuDelBt, &QAction::triggered, this, &TMainForm::RegMenuDelClick);
    MainTbr->addAction(RegMenuDelBt);
    RegMenuClearBt = button("RegMenuClearBt", QStringLiteral("清空"), QStyle::SP_DialogResetButton,
                            RegMenuClear);
    MainTbr->addSeparator();
    RegMenuStatBt =
        button("RegMenuStatBt", QStringLiteral("统计"), QStyle::SP_FileDialogInfoView, RegMenuStat);
    RegMenuStatBt->setVisible(false);
    HelpMenuGuideBt = MakeAction("HelpMenuGuideBt", QStringLiteral("入门"));
    HelpMenuGuideBt->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    connect(HelpMenuGuideBt, &QAction::triggered, this, &TMainForm::HelpMenuGuideClick);
    MainTbr->addAction(HelpMenuGuideBt);
    RegMenuExportPicBt = button("RegMenuExportPicBt", QStringLiteral("出图"),
                                QStyle::SP_DriveFDIcon, RegMenuExportPic);
    RegMenuExportPicBt->setVisible(false);
    MainTbr->addSeparator();
    HelpMenuTopicBt = button("HelpMenuTopicBt", QStringLiteral("帮助"),
                             QStyle::SP_TitleBarContextHelpButton, HelpMenuTopic);
    HelpMenuAboutBt = button("HelpMenuAboutBt", QStringLiteral("关于"),
                             QStyle::SP_MessageBoxInformation, HelpMenuAbout);
    FileMenuExitBt = button("FileMenuExitBt", QStringLiteral("退出"), QStyle::SP_DialogCloseButton,
                            FileMenuExit);
}

void TMainForm::CreatePanels() {
    Panels = new QStackedWidget(this);
    Panels->setObjectName(QStringLiteral("Panels"));
    setCentralWidget(Panels);

    PanelReg = new QWidget(Panels);
    PanelReg->setObjectName(QStringLiteral("PanelReg"));
    auto* regLayout = new QVBoxLayout(PanelReg);
    regLayout->setContentsMargins(0, 0, 0, 0);
    regLayout->setSpacing(0);
    CreateToolBar();
    regLayout->addWidget(MainTbr);

    Splitter = new QSplitter(Qt::Horizontal, PanelReg);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setChildrenCollapsible(false);
    regLayout->addWidget(Splitter, 1);

    PanelRegLeft = new QWidget(Splitter);
    PanelRegLeft->setObjectName(QStringLiteral("PanelRegLeft"));
    auto* leftLayout = new QVBoxLayout(PanelRegLeft);
    leftLayout->setContentsMargins(0, 0, 0, 0);

    ListView = new QTableView(Splitter);
    ListView->setObjectName(QStringLiteral("ListView"));
    listModel_ = new TPatternListModel(this);
    ListView->setModel(listModel_);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setShowGrid(false);
    ListView->setWordWrap(false);
    ListView->setAlternatingRowColors(true);
    ListView->verticalHeader()->hide();
    ListView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    ListView->horizontalHeader()->setHighlightSections(false);
    ListView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ListView->horizontalHeader()->setStretchLastSection(false);
    ListView->horizontalHeader()->setSectionsClickable(true);
    const int widths[TPatternListModel::ColumnCount] = {26, 26, 40, 40, 40, 120, 80};
    for (int c = 0; c < TPatternListModel::ColumnCount; ++c) ListView->setColumnWidth(c, widths[c]);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TMainForm::ListViewColumnClick);
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TMainForm::ListViewChange);
    connect(ListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        ContextPopup(ListView, ListView->viewport()->mapToGlobal(pos));
    });

    Splitter->addWidget(PanelRegLeft);
    Splitter->addWidget(ListView);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);

    PanelCode = new QWidget(Panels);
    PanelCode->setObjectName(QStringLiteral("PanelCode"));
    auto* codeLayout = new QVBoxLayout(PanelCode);
    auto* codeBar = new QToolBar(PanelCode);
    codeBar->setObjectName(QStringLiteral("CodeTbr"));
    codeBar->addAction(QStringLiteral("导入"), this, &TMainForm::CodeMenuNothingClick);
    codeBar->addAction(QStringLiteral("导出"), this, &TMainForm::CodeMenuNothingClick);
    codeLayout->addWidget(codeBar);
    codeLayout->addStretch(1);
    PanelStat = new QWidget(Panels);
    PanelStat->setObjectName(QStringLiteral("PanelStat"));
    PanelSite = new QWidget(Panels);
    PanelSite->setObjectName(QStringLiteral("PanelSite"));
    Panels->addWidget(PanelSite);
    Panels->addWidget(PanelStat);
    Panels->addWidget(PanelCode);
    Panels->addWidget(PanelReg);
}

void TMainForm::CreateStatusBar() {
    StatusBar = statusBar();
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(true);
    auto panel = [this](const char* name, int width, int stretch) {
        auto* label = new QLabel(StatusBar);
        label->setObjectName(QString::fromUtf8(name));
        label->setMinimumWidth(width);
        if (stretch == 0) label->setFixedWidth(width);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        StatusBar->addWidget(label, stretch);
        return label;
    };
    StatusPanel0 = panel("StatusPanel0", 350, 0);
    StatusPanel1 = panel("StatusPanel1", 50, 0);
    // The last panel takes the rest of the bar: the search progress is a long text.
    StatusPanel2 = panel("StatusPanel2", 50, 1);
}

void TMainForm::FormCreate() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    Gui2RegNet = new TGui2RegNet(PanelRegLeft);
    PanelRegLeft->layout()->addWidget(Gui2RegNet);
    connect(Gui2RegNet, &TGui2RegNet::ContextPopupRequested, this,
            [this](const QPoint& pos) { ContextPopup(Gui2RegNet, pos); });
    connect(Gui2RegNet, &TGui2RegNet::DrawsEdited, this, [this] { documentModified_ = true; });
    Gui2RegNet->LayoutGrid();

    setWindowTitle(QString::fromUtf8(ProductName));
    QDir().mkpath(programFolder_);

    LoadSettings();
    ApplyGridSettings();

    regMgr_ = std::make_unique<TGui2RegMgr>(Options);
    regMgr_->OnSearchEvent = [this](const TSearchNotice& notice) { OnSearchEvent(notice); };
    // Runs on the search thread: only post; the queue is drained here, on the window's thread.
    regMgr_->OnEventsPending = [this] {
        QMetaObject::invokeMethod(
            this, [this] { regMgr_->ProcessEvents(); }, Qt::QueuedConnection);
    };

    try {
        ClearAll();
        OpenDocument(DocumentPath());
    } catch (const std::exception&) {
        documentOpenFailed_ = QFileInfo(DocumentPath()).exists();
        prompts_->ShowMessage(
            this, QStringLiteral("打开文档失败：\r\n") + QString::fromUtf8(DocumentFileName));
        FileMenuNewClick();
    }
    documentModified_ = false;

    RefreshCaption();
    Gui2RegNet->PostScroll(srBottom);
    ShowPanel(PanelReg);
    ApplyStartupAdjustments(Options);
}

bool TMainForm::FormCloseQuery() {
    if (regMgr_ && regMgr_->Running()) {
        prompts_->ShowMessage(this, SearchingMessage);
        return false;
    }
    if (documentModified_) {
        const auto answer = prompts_->Ask(
            this, QStringLiteral("文档已经修改，是否保存？"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel) return false;
        if (answer == QMessageBox::Save && !SaveDocument()) return false;
    }
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    SaveSettings();
    // A download must not deliver into a closed window.
    dataDown_.reset();
    event->accept();
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        // Between hints, a running download keeps its passing text.
        if (tip.isEmpty() && DownloadRunning()) tip = DownloadingText;
        SetStatusText(0, tip);
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::SetStatusText(int panel, const QString& text) {
    QLabel* label = panel == 0 ? StatusPanel0 : panel == 1 ? StatusPanel1 : StatusPanel2;
    if (label->text() == text) return;
    label->setText(text);
    if (statusTrace_ && panel != 1) {
        std::fprintf(stderr, "status%d: %s\n", panel, text.toUtf8().constData());
        std::fflush(stderr);
    }
}

void TMainForm::ShowError(const QString& text) {
    prompts_->ShowMessage(this, text);
}

void TMainForm::ShowNotYet(const QString& what) {
    prompts_->ShowMessage(this, what + QStringLiteral("：此功能在本版本中尚未提供。"));
}

// ---- Settings ----

void TMainForm::LoadSettings() {
    try {
        Options = LoadSearchOptions(ToStd(SettingsPath()));
    } catch (const std::exception& e) {
        Options = SearchOptions{};
        ReadSearchOptions(TIniFile{}, Options);
        ShowError(ToQString(e.what()));
    }
}

void TMainForm::SaveSettings() {
    try {
        SaveSearchOptions(ToStd(SettingsPath()), Options);
    } catch (const std::exception& e) {
        ShowError(ToQString(e.what()));
    }
}

void TMainForm::ApplyGridSettings() {
    Gui2RegNet->SetColCount(Options.RefTailChk ? 10 : 7);
    // A cell height the grid cannot show falls back to the default.
    if (Options.CellHeightSe < TGridGeometry::MinCellHeight ||
        Options.CellHeightSe > TGridGeometry::MaxCellHeight)
        Options.CellHeightSe = TGridGeometry::MinCellHeight;
    Gui2RegNet->SetCellHeight(Options.CellHeightSe);
    Gui2RegNet->BoxColorMode = Options.BoxColorModeCbb;
    Gui2RegNet->LinkLineStyle = Options.LinkLineStyleGbx;
    Gui2RegNet->DrawBoxStyle = Options.DrawBoxStyleCbb;
    Gui2RegNet->LayoutGrid();
    const int width =
        Gui2RegNet->TotalWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    PanelRegLeft->setFixedWidth(width);
}

// ---- Document ----

void TMainForm::ClearAll() {
    SetStatusText(2, QString());
    DropPendingRows();
    listModel_->Clear();
    Gui2RegNet->Clear();
    Gui2RegNet->Pattern().Clear();
    if (regMgr_) regMgr_->Clear();
    RefreshCaption();
}

void TMainForm::OpenDocument(const QString& path) {
    std::vector<uint8_t> bytes = ReadWholeFile(ToStd(path));
    if (bytes.empty()) return;
    SetStatusText(0, QStringLiteral("正在打开文档..."));
    StatusBar->repaint();
    try {
        // All or nothing: a damaged document leaves the draws and the patterns as they were.
        ReadWorkDocument(std::move(bytes), Gui2RegNet->Draws(), *regMgr_);
    } catch (...) {
        SetStatusText(0, QString());
        throw;
    }
    Gui2RegNet->Pattern().Clear();
    Gui2RegNet->LayoutGrid();
    SetStatusText(0, QString());
    RefillPatternList();
    RefreshCaption();
}

void TMainForm::KeepUnreadableDocument() {
    // The file that failed to open is kept beside the new one, never silently replaced.
    const QString path = DocumentPath();
    if (!QFileInfo::exists(path)) return;
    QString backup = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(backup); ++n)
        backup = path + QStringLiteral(".bak") + QString::number(n);
    if (!QFile::copy(path, backup)) throw TError("无法备份无法读取的文档：" + ToStd(backup));
    prompts_->ShowMessage(this, QStringLiteral("原文档无法读取，已备份为：\r\n") + backup);
}

bool TMainForm::SaveDocument() {
    try {
        if (documentOpenFailed_) {
            KeepUnreadableDocument();
            documentOpenFailed_ = false;
        }
        // Written piece by piece through a temporary file: the old document survives a failure.
        SaveWorkDocument(ToStd(DocumentPath()), Gui2RegNet->Draws(), *regMgr_);
        documentModified_ = false;
        return true;
    } catch (const std::exception& e) {
        ShowError(ToQString(e.what()));
        return false;
    }
}

void TMainForm::RefreshCaption() {
    const QString caption = QString::fromUtf8(ProductName) + QStringLiteral(" v") +
                            QString::fromUtf8(Version) + QStringLiteral(" - ") +
                            QString::fromUtf8(MakerName) + QStringLiteral(" ") +
                            QString::fromUtf8(MakerSite) + QStringLiteral(" - ") + CaptionTail();
    setWindowTitle(caption);
    if (!regMgr_ || !regMgr_->Running()) {
        const int count = regMgr_ ? regMgr_->Count() : 0;
        SetStatusText(2,
                      QStringLiteral("总共") + QString::number(count) + QStringLiteral("个规律"));
    }
}

void TMainForm::ShowPanel(QWidget* panel) {
    Panels->setCurrentWidget(panel);
}

void TMainForm::RefillPatternList() {
    DropPendingRows();
    std::vector<const TGui2Reg*> patterns;
    const auto& owned = regMgr_->Patterns();
    patterns.reserve(owned.size());
    for (const auto& p : owned) patterns.push_back(p.get());
    // The model takes all rows at once; the progress text names the last multiple of 53.
    if (!patterns.empty()) {
        const size_t last = (patterns.size() - 1) / 53 * 53;
        SetStatusText(
            0, QStringLiteral("正在添加第") + QString::number(last) + QStringLiteral("个规律..."));
    }
    listModel_->Reset(std::move(patterns));
    SetStatusText(0, QString());
    UpdateDeleteEnabled();
}

// ---- Draw import ----

void TMainForm::LoadDrawNumbers(const std::vector<int32_t>& numbers, const QString& message) {
    // Refuses a number that is no draw before anything changes, so the draws stay whole.
    LoadDrawNumbersInto(numbers, Gui2RegNet->Draws());
    // A download still running keeps its command disabled: one download at a time.
    SetDownloadEnabled(!DownloadRunning());
    Gui2RegNet->Pattern().Clear();
    documentModified_ = true;
    Gui2RegNet->LayoutGrid();
    Gui2RegNet->viewport()->repaint();
    Gui2RegNet->PostScroll(srBottom);
    prompts_->ShowMessage(this, message);
}

void TMainForm::ImportDrawFile(const QString& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(ToStd(path));
    drawNumbers_ = ParseDrawNumbers(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    LoadDrawNumbers(drawNumbers_, QStringLiteral("导入开奖号码成功！"));
}

// ---- Commands ----

void TMainForm::FileMenuNewClick() {}

void TMainForm::FileMenuSaveClick() {
    SaveDocument();
}

void TMainForm::FileMenuDownClick() {
    if (DownloadRunning()) return;
    TDownloadRequest request;
    request.ServiceUrl = Options.ServiceUrl.empty() ? DefaultServiceUrl() : Options.ServiceUrl;
    request.MemberName = Options.MemberName;
    request.MemberPassword = Options.MemberPassword;
    // The result arrives on the worker thread: only post it to this window's thread.
    auto received = [this](TDownloadResult result) {
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { OnDownloadResult(result); },
            Qt::QueuedConnection);
    };
    dataDown_ = std::make_unique<TDataDown>(std::move(request), received, DownloadTiming);
    SetDownloadEnabled(false);
    SetStatusText(0, DownloadingText);
    dataDown_->Start();
}

void TMainForm::SetDownloadEnabled(bool enabled) {
    FileMenuDown->setEnabled(enabled);
    FileMenuDownBt->setEnabled(enabled);
}

void TMainForm::OnDownloadResult(const TDownloadResult& result) {
    dataDown_.reset();  // the worker has handed over and ends at once
    if (StatusPanel0->text() == DownloadingText) SetStatusText(0, QString());
    if (!result.Succeeded) {
        SetDownloadEnabled(true);
        ShowError(DownloadFailedText + ToQString(result.Error));
        return;
    }
    ApplyDownloadedDraws(result.Items);
}

void TMainForm::ApplyDownloadedDraws(const std::vector<std::string>& items) {
    try {
        drawNumbers_ = DecodeReceivedItems(items, DrawKey());
        LoadDrawNumbers(drawNumbers_, QStringLiteral("下载开奖数据成功！"));
    } catch (const std::exception& e) {
        SetDownloadEnabled(!DownloadRunning());
        ShowError(DownloadFailedText + ToQString(e.what()));
    }
}

void TMainForm::FileMenuImportClick() {
    const QString path =
        prompts_->OpenFileName(this, QStringLiteral("从文本文件中的开奖数据导入号码"),
                               programFolder_, QStringLiteral("文本文件 (*.txt);;任何文件 (*)"));
    if (path.isEmpty()) return;
    try {
        ImportDrawFile(path);
    } catch (const std::exception& e) {
        ShowError(ToQString(e.what()));
    }
}

void TMainForm::FileMenuExportClick() {}

void TMainForm::FileMenuEditClick() {
    if (!codeEditor_) codeEditor_ = new TCodeEdtorForm(this, prompts_.get());
    codeEditor_->SetLines(DrawLinesOf(Gui2RegNet->Draws()));
    if (codeEditor_->exec() != QDialog::Accepted) return;
    try {
        // The draws change only when every line reads as a draw.
        LoadDrawLines(codeEditor_->Lines(), Gui2RegNet->Draws());
    } catch (const std::exception& e) {
        ShowError(ToQString(e.what()));
        return;
    }
    documentModified_ = true;
    // The grid keeps its place; only its scroll range follows the new number of draws.
    Gui2RegNet->DrawsReplaced();
}

void TMainForm::FileMenuExitClick() {
    close();
}

void TMainForm::CodeMenuOpenClick() {
    ShowPanel(PanelCode);
}

void TMainForm::CodeMenuNothingClick() {}

void TMainForm::RegMenuOpenClick() {
    ShowPanel(PanelReg);
    Gui2RegNet->LayoutGrid();
}

int TMainForm::SelectedRowCount() const {
    int count = 0;
    for (const QItemSelectionRange& range : ListView->selectionModel()->selection())
        count += range.height();
    return count;
}

void TMainForm::UpdateDeleteEnabled() {
    const bool any = ListView->selectionModel()->hasSelection();
    RegMenuDel->setEnabled(any);
    RegMenuDelBt->setEnabled(any);
}

void TMainForm::RegMenuSelAllClick() {
    ListView->selectAll();
    RefreshCaption();
}

void TMainForm::RegMenuSelNoneClick() {
    const int rows = listModel_->RowCount();
    if (rows > 0) {
        const QItemSelection all(listModel_->index(0, 0),
                                 listModel_->index(rows - 1, TPatternListModel::ColumnCount - 1));
        ListView->selectionModel()->select(all, QItemSelectionModel::Toggle);
    }
    RefreshCaption();
}

void TMainForm::RegMenuDelClick() {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : ListView->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    if (rows.empty()) return;
    ListView->selectionModel()->clearSelection();
    const std::vector<const TGui2Reg*> removed = listModel_->RemoveRows(std::move(rows));
    const std::unordered_set<const TGui2Reg*> gone(removed.begin(), removed.end());
    std::vector<int32_t> indices;
    indices.reserve(gone.size());
    const auto& patterns = regMgr_->Patterns();
    for (size_t i = 0; i < patterns.size(); ++i)
        if (gone.count(patterns[i].get()) != 0) indices.push_back(static_cast<int32_t>(i));
    regMgr_->DeleteIndices(std::move(indices));
    documentModified_ = true;
    UpdateDeleteEnabled();
    RefreshCaption();
}

void TMainForm::RegMenuClearClick() {
    DropPendingRows();
    listModel_->Clear();
    if (regMgr_->Count() > 0) documentModified_ = true;
    regMgr_->Clear();
    Gui2RegNet->Pattern().Clear();
    Gui2RegNet->viewport()->update();
    UpdateDeleteEnabled();
    RefreshCaption();
}

void TMainForm::RegMenuSearchClick() {
    if (regMgr_->Running()) {
        prompts_->ShowMessage(this, SearchingMessage);
        return;
    }
    // Options from a hand-edited settings file are checked like those of the options dialog,
    // before the patterns of the last search are discarded.
    const std::string problems = SearchOptionMessage(Options);
    if (!problems.empty()) {
        ShowError(ToQString(problems));
        return;
    }
    RegMenuClearClick();
    ListView->viewport()->repaint();
    Gui2RegNet->Pattern().Clear();
    try {
        regMgr_->Start(Gui2RegNet->Draws());
    } catch (const std::exception& e) {
        ShowError(ToQString(e.what()));
        RefreshCaption();
        return;
    }
    documentModified_ = true;
    RefreshCaption();
    SetStatusText(2, QStringLiteral("开始搜索规律,请稍候..."));
}

void TMainForm::RegMenuStopClick() {
    SetStatusText(2, QStringLiteral("停止搜索"));
    StatusBar->repaint();
    // The thread ends on its own; a search started next waits for it off this thread.
    regMgr_->Stop();
}

void TMainForm::RegMenuOptionsClick() {
    if (!optionsForm_) optionsForm_ = new TGui2OptionsForm(this, prompts_.get());
    if (optionsForm_->ShowOptions(Options) != QDialog::Accepted) return;
    Options = optionsForm_->Options();
    SaveSettings();
    RefreshCaption();
    ApplyGridSettings();
}

void TMainForm::RegMenuStatClick() {
    statForm_->SetRegMgr(regMgr_.get());
    statForm_->OpenWindow();
}

void TMainForm::RegMenuExportPicClick() {
    // Selected rows in list order; a selection may hold a row in more than one range.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : ListView->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<const TGui2Reg*> selected;
    selected.reserve(rows.size());
    for (int r : rows) selected.push_back(listModel_->PatternAt(r));
    ExportPatternPictures(*Gui2RegNet, selected, programFolder_, *prompts_, this);
}

void TMainForm::RegMenuNothingClick() {}

void TMainForm::HelpMenuTopicClick() {
    if (!webForm_) webForm_ = new TWebForm(QString::fromUtf8(MakerName), *prompts_, this);
    webForm_->showMaximized();
    webForm_->raise();
    webForm_->activateWindow();
    webForm_->Navigate(HelpPageUrl());
    // The desktop gets a read-me to open even when the user deleted it.
    prompts_->OpenUrl(this, QUrl::fromLocalFile(EnsureReadmeFile(programFolder_)));
}

void TMainForm::HelpMenuSiteClick() {
    prompts_->OpenUrl(this, QUrl(QString::fromStdString(SupportSiteAddress())));
}

void TMainForm::HelpMenuAboutClick() {
    TAboutForm about(QString::fromUtf8(ProductName), QString::fromUtf8(Version),
                     QString::fromUtf8(ReleaseDate), *prompts_, this);
    about.exec();
}

void TMainForm::HelpMenuGuideClick() {
    if (!guideForm_) guideForm_ = new TGuideForm(this);
    guideForm_->PlaceAtLowerRight(*this);
    guideForm_->setVisible(!guideForm_->isVisible());
}

// ---- Pattern list ----

void TMainForm::AddPatternItems(int32_t first, int32_t count) {
    for (int32_t i = first; i < first + count; ++i) pendingRows_.push_back(&regMgr_->Get(i));
    if (!appendScheduled_) {
        appendScheduled_ = true;
        QMetaObject::invokeMethod(this, &TMainForm::AppendPendingRows, Qt::QueuedConnection);
    }
}

void TMainForm::AppendPendingRows() {
    // Rows go into the list in slices of a few milliseconds, so that a search that finds
    // millions of patterns never keeps the window from answering.
    appendScheduled_ = false;
    QElapsedTimer budget;
    budget.start();
    constexpr size_t Slice = 4096;
    while (pendingDone_ < pendingRows_.size() && budget.elapsed() < 25) {
        const size_t n = std::min(Slice, pendingRows_.size() - pendingDone_);
        const std::span<TGui2Reg* const> slice(pendingRows_.data() + pendingDone_, n);
        for (TGui2Reg* pattern : slice) pattern->OrderByShortestPath();
        listModel_->Append(std::span<const TGui2Reg* const>(slice.data(), slice.size()));
        pendingDone_ += n;
    }
    if (pendingDone_ < pendingRows_.size()) {
        appendScheduled_ = true;
        QTimer::singleShot(0, this, &TMainForm::AppendPendingRows);
        return;
    }
    pendingRows_.clear();
    pendingDone_ = 0;
    emit PendingRowsListed();
}

void TMainForm::DropPendingRows() {
    pendingRows_.clear();
    pendingDone_ = 0;
}

void TMainForm::OnSearchEvent(const TSearchNotice& notice) {
    const int64_t n = notice.CandidateCount;
    const int32_t m = regMgr_->Count();
    const int64_t t = (TGui2RegMgr::NowTick() - regMgr_->StartTick()) / 1000;
    QString p;
    if (notice.Kind != sekFinished)
        p = QStringLiteral("搜索第") + QString::number(n / 10000) + QStringLiteral("万个组合");
    if (notice.Kind == sekFound && notice.NewCount > 0) {
        AddPatternItems(notice.FirstIndex, notice.NewCount);
        documentModified_ = true;
    }
    const int64_t speed = t > 0 ? n / t : 0;
    const QString q = QStringLiteral("(耗时") + QString::number(t) + QStringLiteral("秒,") +
                      QStringLiteral("速度:") + QString::number(speed) +
                      QStringLiteral("个组合/秒)");
    if (regMgr_->Running()) {
        SetStatusText(2, p + QStringLiteral("搜索到") + QString::number(m) +
                             QStringLiteral("条规律") + q + QStringLiteral("...."));
    } else {
        SetStatusText(2, QStringLiteral("结束搜索，花费") + QString::number(t) +
                             QStringLiteral("秒，总共搜索到") + QString::number(m) +
                             QStringLiteral("个规律"));
    }
    if (notice.Kind == sekFinished && !notice.Error.empty()) ShowError(ToQString(notice.Error));
    emit SearchEventHandled(notice.Kind);
}

void TMainForm::ListViewChange() {
    UpdateDeleteEnabled();
    if (SelectedRowCount() != 1) return;
    const int row = ListView->selectionModel()->selection().first().top();
    const TGui2Reg* pattern = listModel_->PatternAt(row);
    Gui2RegNet->SetPattern(*pattern);
    Gui2RegNet->SetSecIndex(Gui2RegNet->Pattern().StepTotal - 1);
    Gui2RegNet->LayoutGrid();
    RefreshCaption();
}

void TMainForm::ListViewColumnClick(int column) {
    // A sort over a huge selection would track every selected row one by one.
    if (SelectedRowCount() > 10000) ListView->selectionModel()->clearSelection();
    listModel_->SortByColumn(column);
}

void TMainForm::ContextPopup(QObject* sender, const QPoint& globalPos) {
    RefreshCaption();
    if (sender != ListView) return;
    const QSize size = RegMenu->sizeHint();
    RegMenu->popup(QPoint(globalPos.x(), globalPos.y() - size.height()));
}
