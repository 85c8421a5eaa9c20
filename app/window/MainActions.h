#pragma once

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <cstring>
#include <vector>

#include "app/patterns/PatternListController.h"
#include "ui/Hints.h"
#include "ui/WidgetBuild.h"

// The main window's commands as data: every menu item and tool-bar button with its caption,
// hint, short cut, visibility and handler. TMainUiBuilder turns the tables into actions,
// menus and the tool bar; tests compare the tables with what the program should offer. The
// tables are written against the window class F (TMainForm), whose members and slots bear the
// names used here.

// One command. Member is the window's member that holds the action (its objectName is Name).
template <class F>
struct TActionRow {
    const char* Name;
    const char* Caption;
    const char* Hint;      // "short|long", or empty
    const char* Shortcut;  // portable key text, or empty
    bool Visible;
    bool Enabled;
    void (F::*Slot)();
    QAction* F::*Member;
};

// A top-level menu: its items by action name, "-" for a separator.
template <class F>
struct TMenuRow {
    const char* Name;
    const char* Caption;
    bool Visible;
    std::vector<const char*> Items;
    QMenu* F::*Member;
};

// A tool-bar button. It triggers the action named by Command (and copies its hints and enabled
// state), or calls Slot directly when Slot is set. Name "-" is a separator.
template <class F>
struct TToolButtonRow {
    const char* Name;
    const char* Caption;
    QStyle::StandardPixmap Icon;
    const char* Command;
    void (F::*Slot)();
    bool Visible;
    QAction* F::*Member;
};

// Keys of hidden commands that still work.
template <class F>
struct THiddenShortcut {
    const char* Keys;
    void (F::*Slot)();
};

// Builds the actions, the menu bar, the tool bar (on parent) and the hidden short cuts of a
// main window from the tables.
template <class F>
class TMainUiBuilder {
  public:
    explicit TMainUiBuilder(F& form) : form_(form) {}
    void BuildActions();
    void BuildMenus();
    void BuildToolBar(QWidget* parent);
    // The central pages (Panels): the page of the grid and the pattern list (PanelReg: the
    // tool bar above the splitter, the grid's panel PanelRegLeft on the left, ListView showing
    // listModel on the right) and the idle pages.
    void BuildPanels(QAbstractItemModel& listModel);
    // The pages of Panels that no command shows (data, statistics, site), kept so that the
    // window has its named pages.
    void BuildIdlePanels();

  private:
    QAction* ActionNamed(const char* name) const;
    F& form_;
};

template <class F>
const std::vector<TActionRow<F>>& MainActionTable() {
    // clang-format off
    static const std::vector<TActionRow<F>> table = {
        {"FileMenuNew", "新建(&N)", "", "Ctrl+N", false, true, &F::FileMenuNewClick, &F::FileMenuNew},
        {"FileMenuSave", "保存(&S)", "|保存当前的文档", "Ctrl+S", true, true, &F::FileMenuSaveClick, &F::FileMenuSave},
        {"FileMenuDown", "下载数据(&D)", "", "", true, true, &F::FileMenuDownClick, &F::FileMenuDown},
        {"FileMenuImport", "导入号码(&I)", "", "", true, true, &F::FileMenuImportClick, &F::FileMenuImport},
        {"FileMenuExport", "导出号码(&O)", "导出开奖号码|将当前的开奖号码导出为文本文件或表格", "", true, true, &F::FileMenuExportClick, &F::FileMenuExport},
        {"FileMenuExportTable", "导出规律表格(&T)", "导出规律表格|将规律列表导出为表格（全部或选中的规律）", "", true, true, &F::FileMenuExportTableClick, &F::FileMenuExportTable},
        {"FileMenuEdit", "数据编辑(&E)", "", "", true, true, &F::FileMenuEditClick, &F::FileMenuEdit},
        {"FileMenuExit", "退出(&X)", "|关闭程序，退出规律系统", "", true, true, &F::FileMenuExitClick, &F::FileMenuExit},

        {"EditMenuUndo", "撤销(&U)", "撤销|撤销上一次对开奖号码的修改", "Ctrl+Z", true, false, &F::EditMenuUndoClick, &F::EditMenuUndo},
        {"EditMenuRedo", "重做(&R)", "重做|重做刚刚撤销的修改", "Ctrl+Y", true, false, &F::EditMenuRedoClick, &F::EditMenuRedo},

        {"CodeMenuOpen", "打开数据(&B)", "", "", true, true, &F::CodeMenuOpenClick, &F::CodeMenuOpen},
        {"CodeMenuDown", "数据下载(&D)", "", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuDown},
        {"CodeMenuImport", "数据导入(&I)...", "", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuImport},
        {"CodeMenuExport", "数据导出(&E)...", "导出开奖数据|将当前的开奖数据导出为文本文件", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuExport},
        {"CodeMenuAdd", "增加(&A)", "", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuAdd},
        {"CodeMenuInsert", "插入(&I)", "", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuInsert},
        {"CodeMenuDel", "删除(&D)", "", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuDel},
        {"CodeMenuClear", "清空(&C)", "", "", true, true, &F::CodeMenuNothingClick, &F::CodeMenuClear},

        {"RegMenuOpen", "打开规律(&X)", "", "", false, true, &F::RegMenuOpenClick, &F::RegMenuOpen},
        {"RegMenuSelAll", "全选(&A)", "规律全选|全选当前的规律列表框内所有的规律", "Ctrl+A", true, true, &F::RegMenuSelAllClick, &F::RegMenuSelAll},
        {"RegMenuSelNone", "不选(&I)", "不选规律|取消所有的规律选择", "Ctrl+I", true, true, &F::RegMenuSelNoneClick, &F::RegMenuSelNone},
        {"RegMenuDel", "删除(&D)", "删除规律|将当前选择的规律删除", "Del", true, false, &F::RegMenuDelClick, &F::RegMenuDel},
        {"RegMenuClear", "清空(&C)", "删除所有规律|删除所有的规律", "Ctrl+Del", true, true, &F::RegMenuClearClick, &F::RegMenuClear},
        {"RegMenuSearch", "搜索(&S)", "搜索规律|搜索开奖数据里面的规律走势", "F5", true, true, &F::RegMenuSearchClick, &F::RegMenuSearch},
        {"RegMenuStop", "停止(&O)", "|立即停止规律搜索工作", "F6", true, true, &F::RegMenuStopClick, &F::RegMenuStop},
        {"RegMenuOptions", "设置(&O)...", "搜索设置|设置规律的搜索参数", "F12", true, true, &F::RegMenuOptionsClick, &F::RegMenuOptions},
        {"RegMenuTrend", "走势分析(&T)", "走势分析|号码走势图与遗漏统计", "F7", true, true, &F::RegMenuTrendClick, &F::RegMenuTrend},
        {"RegMenuStat", "统计(&B)", "规律统计|统计规律的预测数字并画出柱状图", "F8", true, true, &F::RegMenuStatClick, &F::RegMenuStat},
        {"RegMenuExportPic", "出图(&G)", "规律出图|把选中的规律保存为图片", "F9", true, true, &F::RegMenuExportPicClick, &F::RegMenuExportPic},
        {"RegMenuExportPng", "出图为PNG(&N)", "规律出图为PNG|把选中的规律保存为PNG图片", "Shift+F9", true, true, &F::RegMenuExportPngClick, &F::RegMenuExportPng},
        {"RegMenuBacktest", "规律回测(&R)", "规律回测|用已有的开奖数据检验规律的预测是否胜过随机", "Ctrl+B", true, true, &F::RegMenuBacktestClick, &F::RegMenuBacktest},
        {"RegMenuReduce", "缩水选号(&Z)", "缩水选号|用条件和规律缩减投注号码，并用已有的开奖数据检验这些条件", "", true, true, &F::RegMenuReduceClick, &F::RegMenuReduce},
        {"RegMenuCopyPic", "复制图片(&P)", "复制图片|将选中规律的图片复制到剪贴板", "Ctrl+Shift+C", true, true, &F::RegMenuCopyPicClick, &F::RegMenuCopyPic},
        {"RegMenuFixed", "定位定数(&P)", "", "", false, true, &F::RegMenuNothingClick, &F::RegMenuFixed},
        {"RegMenuSumSplit", "两位合分(&H)", "", "", false, true, &F::RegMenuNothingClick, &F::RegMenuSumSplit},
        {"RegMenuDiffSplit", "两位差分(&F)", "", "", false, true, &F::RegMenuNothingClick, &F::RegMenuDiffSplit},
        {"RegMenuSkip", "隔版(&G)", "", "", false, true, &F::RegMenuNothingClick, &F::RegMenuSkip},
        {"RegMenuContrast", "明对(&M)", "", "", false, true, &F::RegMenuNothingClick, &F::RegMenuContrast},
        {"RegMenuFiveStep", "五步(&B)", "", "", false, true, &F::RegMenuNothingClick, &F::RegMenuFiveStep},

        {"TicketMenuBook", "投注与兑奖(&T)", "投注与兑奖|记下自己的投注，对照开奖号码兑奖，并记账", "Ctrl+T", true, true, &F::TicketMenuBookClick, &F::TicketMenuBook},

        {"HelpMenuTopic", "帮助主题(&C)", "", "F1", true, true, &F::HelpMenuTopicClick, &F::HelpMenuTopic},
        {"HelpMenuSite", "支持网站(&H)", "", "", true, true, &F::HelpMenuSiteClick, &F::HelpMenuSite},
        {"HelpMenuAbout", "关于(&A)...", "", "", true, true, &F::HelpMenuAboutClick, &F::HelpMenuAbout},
    };
    // clang-format on
    return table;
}

template <class F>
const std::vector<TMenuRow<F>>& MainMenuTable() {
    // One command a line, as the menu lists them.
    // clang-format off
    static const std::vector<TMenuRow<F>> table = {
        {"FileMenu",
         "文件(&F)",
         true,
         {"FileMenuNew", "FileMenuSave", "-", "FileMenuDown", "FileMenuImport", "FileMenuExport",
          "FileMenuExportTable", "FileMenuEdit", "-", "FileMenuExit"},
         &F::FileMenu},
        {"EditMenu", "编辑(&B)", true, {"EditMenuUndo", "EditMenuRedo"}, &F::EditMenu},
        {"CodeMenu",
         "数据(&C)",
         false,
         {"CodeMenuOpen", "CodeMenuDown", "CodeMenuImport", "CodeMenuExport", "CodeMenuAdd",
          "CodeMenuInsert", "CodeMenuDel", "CodeMenuClear"},
         &F::CodeMenu},
        {"RegMenu",
         "规律(&E)",
         true,
         {"RegMenuOpen",
          "RegMenuSelAll",
          "RegMenuSelNone",
          "RegMenuDel",
          "RegMenuClear",
          "-",
          "RegMenuSearch",
          "RegMenuStop",
          "RegMenuOptions",
          "RegMenuBacktest",
          "RegMenuReduce",
          "-",
          "RegMenuTrend",
          "RegMenuStat",
          "RegMenuExportPic",
          "RegMenuExportPng",
          "RegMenuCopyPic",
          "RegMenuFixed",
          "RegMenuSumSplit",
          "RegMenuDiffSplit",
          "RegMenuSkip",
          "RegMenuContrast",
          "RegMenuFiveStep"},
         &F::RegMenu},
        {"TicketMenu", "投注(&T)", true, {"TicketMenuBook"}, &F::TicketMenu},
        {"HelpMenu",
         "帮助(&H)",
         true,
         {"HelpMenuTopic", "HelpMenuSite", "-", "HelpMenuAbout"},
         &F::HelpMenu},
    };
    // clang-format on
    return table;
}

template <class F>
const std::vector<TToolButtonRow<F>>& MainToolBarTable() {
    using S = QStyle;
    // clang-format off
    static const std::vector<TToolButtonRow<F>> table = {
        {"FileMenuDownBt", "下载", S::SP_ArrowDown, "FileMenuDown", nullptr, true, &F::FileMenuDownBt},
        {"FileMenuEditBt", "编辑", S::SP_FileDialogDetailedView, "FileMenuEdit", nullptr, true, &F::FileMenuEditBt},
        {"FileMenuSaveBt", "保存", S::SP_DialogSaveButton, "FileMenuSave", nullptr, true, &F::FileMenuSaveBt},
        {"-", "", S::SP_CustomBase, "", nullptr, true, nullptr},
        {"RegMenuSearchBt", "搜索", S::SP_FileDialogContentsView, "RegMenuSearch", nullptr, true, &F::RegMenuSearchBt},
        {"RegMenuStopBt", "停止", S::SP_BrowserStop, "RegMenuStop", nullptr, true, &F::RegMenuStopBt},
        {"RegMenuOptionsBt", "设置", S::SP_FileDialogListView, "RegMenuOptions", nullptr, true, &F::RegMenuOptionsBt},
        {"RegMenuBacktestBt", "回测", S::SP_FileDialogInfoView, "RegMenuBacktest", nullptr, true, &F::RegMenuBacktestBt},
        {"-", "", S::SP_CustomBase, "", nullptr, true, nullptr},
        // Calls the command itself: the menu item may be disabled while the button is not, and
        // both follow the selection.
        {"RegMenuDelBt", "删除", S::SP_TrashIcon, "RegMenuDel", &F::RegMenuDelClick, true, &F::RegMenuDelBt},
        {"RegMenuClearBt", "清空", S::SP_DialogResetButton, "RegMenuClear", nullptr, true, &F::RegMenuClearBt},
        {"-", "", S::SP_CustomBase, "", nullptr, true, nullptr},
        {"RegMenuTrendBt", "走势", S::SP_MediaSeekForward, "RegMenuTrend", nullptr, true, &F::RegMenuTrendBt},
        {"RegMenuStatBt", "统计", S::SP_FileDialogInfoView, "RegMenuStat", nullptr, true, &F::RegMenuStatBt},
        {"HelpMenuGuideBt", "入门", S::SP_DialogHelpButton, "", &F::HelpMenuGuideClick, true, &F::HelpMenuGuideBt},
        {"RegMenuExportPicBt", "出图", S::SP_DriveFDIcon, "RegMenuExportPic", nullptr, true, &F::RegMenuExportPicBt},
        {"TicketMenuBookBt", "兑奖", S::SP_DialogApplyButton, "TicketMenuBook", nullptr, true, &F::TicketMenuBookBt},
        {"-", "", S::SP_CustomBase, "", nullptr, true, nullptr},
        {"HelpMenuTopicBt", "帮助", S::SP_TitleBarContextHelpButton, "HelpMenuTopic", nullptr, true, &F::HelpMenuTopicBt},
        {"HelpMenuAboutBt", "关于", S::SP_MessageBoxInformation, "HelpMenuAbout", nullptr, true, &F::HelpMenuAboutBt},
        {"FileMenuExitBt", "退出", S::SP_DialogCloseButton, "FileMenuExit", nullptr, true, &F::FileMenuExitBt},
    };
    // clang-format on
    return table;
}

template <class F>
const std::vector<THiddenShortcut<F>>& HiddenShortcutTable() {
    static const std::vector<THiddenShortcut<F>> table = {
        {"Ctrl+N", &F::FileMenuNewClick},
    };
    return table;
}

template <class F>
QAction* TMainUiBuilder<F>::ActionNamed(const char* name) const {
    for (const TActionRow<F>& row : MainActionTable<F>())
        if (std::strcmp(row.Name, name) == 0) return form_.*row.Member;
    return nullptr;
}

template <class F>
void TMainUiBuilder<F>::BuildActions() {
    for (const TActionRow<F>& row : MainActionTable<F>()) {
        auto* action = new QAction(QString::fromUtf8(row.Caption), &form_);
        action->setObjectName(QString::fromUtf8(row.Name));
        ApplyHint(*action, QString::fromUtf8(row.Hint));
        if (*row.Shortcut != '\0') action->setShortcut(QKeySequence(row.Shortcut));
        action->setVisible(row.Visible);
        action->setEnabled(row.Enabled);
        QObject::connect(action, &QAction::triggered, &form_, row.Slot);
        form_.*row.Member = action;
    }
    // A hidden menu item's short cut does not fire; these keys work all the same.
    for (const THiddenShortcut<F>& hidden : HiddenShortcutTable<F>()) {
        auto* shortcut = new QShortcut(QKeySequence(hidden.Keys), &form_);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &form_, hidden.Slot);
    }
}

template <class F>
void TMainUiBuilder<F>::BuildMenus() {
    form_.MainMenu = form_.menuBar();
    form_.MainMenu->setObjectName(QStringLiteral("MainMenu"));
    for (const TMenuRow<F>& row : MainMenuTable<F>()) {
        QMenu* menu = form_.MainMenu->addMenu(QString::fromUtf8(row.Caption));
        menu->setObjectName(QString::fromUtf8(row.Name));
        for (const char* item : row.Items) {
            if (std::strcmp(item, "-") == 0)
                menu->addSeparator();
            else
                menu->addAction(ActionNamed(item));
        }
        menu->menuAction()->setVisible(row.Visible);
        form_.*row.Member = menu;
    }
}

template <class F>
void TMainUiBuilder<F>::BuildToolBar(QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("MainTbr"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(20, 20));
    bar->setMovable(false);
    bar->setFloatable(false);
    form_.MainTbr = bar;
    for (const TToolButtonRow<F>& row : MainToolBarTable<F>()) {
        if (std::strcmp(row.Name, "-") == 0) {
            bar->addSeparator();
            continue;
        }
        const QString caption = QString::fromUtf8(row.Caption);
        auto* button = new QAction(caption, &form_);
        button->setObjectName(QString::fromUtf8(row.Name));
        button->setIcon(form_.style()->standardIcon(row.Icon));
        if (QAction* command = *row.Command != '\0' ? ActionNamed(row.Command) : nullptr) {
            button->setToolTip(command->toolTip().isEmpty() ? caption : command->toolTip());
            button->setStatusTip(command->statusTip());
            button->setEnabled(command->isEnabled());
            if (row.Slot == nullptr)
                QObject::connect(button, &QAction::triggered, command, &QAction::trigger);
        }
        if (row.Slot != nullptr) QObject::connect(button, &QAction::triggered, &form_, row.Slot);
        bar->addAction(button);
        button->setVisible(row.Visible);
        form_.*row.Member = button;
    }
}

template <class F>
void TMainUiBuilder<F>::BuildPanels(QAbstractItemModel& listModel) {
    F& f = form_;
    f.Panels = Named<QStackedWidget>("Panels", &f);
    f.setCentralWidget(f.Panels);
    f.PanelReg = Named<QWidget>("PanelReg", f.Panels);
    BuildToolBar(f.PanelReg);
    f.Splitter = Named<QSplitter>("Splitter", f.PanelReg);
    f.Splitter->setChildrenCollapsible(false);
    Column({f.MainTbr, TGrow{f.Splitter}}, {{0, 0, 0, 0}, 0}, f.PanelReg);
    f.PanelRegLeft = Named<QWidget>("PanelRegLeft", f.Splitter);
    Column({}, {}, f.PanelRegLeft);  // the grid joins it

    f.ListView = Named<QTableView>("ListView", f.Splitter);
    f.ListView->setModel(&listModel);
    SetUpPatternListView(*f.ListView, QFontMetrics(f.font()).height() + 4);
    QObject::connect(f.ListView->horizontalHeader(), &QHeaderView::sectionClicked, &f,
                     &F::ListViewColumnClick);
    QObject::connect(f.ListView->selectionModel(), &QItemSelectionModel::selectionChanged, &f,
                     &F::ListViewChange);
    QObject::connect(f.ListView, &QWidget::customContextMenuRequested, &f, [&f](const QPoint& pos) {
        f.ContextPopup(f.ListView, f.ListView->viewport()->mapToGlobal(pos));
    });
    f.Splitter->addWidget(f.PanelRegLeft);
    f.Splitter->addWidget(f.ListView);
    f.Splitter->setStretchFactor(0, 0);
    f.Splitter->setStretchFactor(1, 1);
    BuildIdlePanels();
    f.Panels->addWidget(f.PanelReg);
}

template <class F>
void TMainUiBuilder<F>::BuildIdlePanels() {
    auto page = [this](const char* name) {
        auto* widget = new QWidget(form_.Panels);
        widget->setObjectName(QString::fromUtf8(name));
        return widget;
    };
    form_.PanelCode = page("PanelCode");
    auto* codeLayout = new QVBoxLayout(form_.PanelCode);
    auto* codeBar = new QToolBar(form_.PanelCode);
    codeBar->setObjectName(QStringLiteral("CodeTbr"));
    codeBar->addAction(QStringLiteral("导入"), &form_, &F::CodeMenuNothingClick);
    codeBar->addAction(QStringLiteral("导出"), &form_, &F::CodeMenuNothingClick);
    codeLayout->addWidget(codeBar);
    codeLayout->addStretch(1);
    form_.PanelStat = page("PanelStat");
    form_.PanelSite = page("PanelSite");
    form_.Panels->addWidget(form_.PanelSite);
    form_.Panels->addWidget(form_.PanelStat);
    form_.Panels->addWidget(form_.PanelCode);
}
