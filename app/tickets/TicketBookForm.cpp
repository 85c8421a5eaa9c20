#include "app/tickets/TicketBookForm.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <memory>

#include "app/tickets/LedgerChartView.h"
#include "app/tickets/LedgerPrint.h"
#include "data/DrawExport.h"
#include "data/Error.h"
#include "tickets/store/TicketStore.h"
#include "ui/CellTableModel.h"
#include "ui/DocumentFeed.h"
#include "ui/Failure.h"
#include "ui/Prompts.h"

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

// The core takes file names in UTF-8 on every system.
std::string FileName(const QString& path) {
    return path.toStdString();
}

QTableView* MakeTable(QWidget* parent, const char* name, TCellTableModel* model) {
    auto* table = new QTableView(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QPushButton* AddButton(QPushButton*& member, const char* name, const QString& caption,
                       QWidget* parent, QHBoxLayout* row) {
    member = new QPushButton(caption, parent);
    member->setObjectName(QString::fromLatin1(name));
    row->addWidget(member);
    return member;
}

// The rules file's first game, or the built-in table with a message saying why.
TGameRules RulesOrBuiltIn(TPrompts& prompts, QWidget* parent, const QString& rulesPath) {
    try {
        return TTicketBook::LoadRules(rulesPath.isEmpty() ? std::string() : FileName(rulesPath));
    } catch (const TError& e) {
        // The window still opens, with the built-in table, and says why.
        prompts.ShowError(parent, QStringLiteral("游戏规则文件%1无法使用，改用内置的规则：\r\n%2")
                                      .arg(rulesPath, Q(e.what())));
        return DefaultGameRules();
    }
}

}  // namespace

TTicketBookForm::TTicketBookForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& feed,
                                 const QString& databasePath, const QString& rulesPath)
    : QWidget(parent, Qt::Window),
      prompts_(prompts),
      book_(feed.View().Draws(), feed.View().Register(), RulesOrBuiltIn(prompts, parent, rulesPath),
            [path = FileName(databasePath)] { return std::make_unique<TTicketStore>(path); }) {
    setObjectName(QStringLiteral("TicketBookForm"));
    setWindowTitle(QStringLiteral("投注与兑奖"));
    BuildLayout();
    ConnectCommands();
    TicketEd->setFocus();  // the window opens ready for a ticket's numbers
    connect(&feed, &TDocumentFeed::DrawsChanged, this, &TTicketBookForm::DrawsChanged);
    resize(980, 640);
}

TTicketBookForm::~TTicketBookForm() = default;

TTicketBookForm* TTicketBookForm::BesideDocument(QWidget* parent, TPrompts& prompts,
                                                 TDocumentFeed& feed, const QString& documentPath,
                                                 const QString& programFolder) {
    return new TTicketBookForm(
        parent, prompts, feed,
        QString::fromStdString(TTicketStore::PathBeside(FileName(documentPath))),
        QDir(programFolder).filePath(QStringLiteral("game-rules.txt")));
}

void TTicketBookForm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    layout->addWidget(Pages);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    layout->addWidget(StatusBar);

    // 票据: entry, commands and the list.
    auto* ticketsPage = new QWidget(Pages);
    auto* ticketsLayout = new QVBoxLayout(ticketsPage);
    auto* entry = new QHBoxLayout;
    TicketEd = new QLineEdit(ticketsPage);
    TicketEd->setObjectName(QStringLiteral("TicketEd"));
    TicketEd->setPlaceholderText(
        QStringLiteral("如 1234567、12/3/456/7/8/9/0 ×5 追10期 第%1期").arg(IssueText(0)));
    entry->addWidget(new QLabel(QStringLiteral("号码："), ticketsPage));
    entry->addWidget(TicketEd, 1);
    AddButton(AddBt, "AddBt", QStringLiteral("添加"), ticketsPage, entry);
    AddButton(EditBt, "EditBt", QStringLiteral("修改"), ticketsPage, entry);
    ticketsLayout->addLayout(entry);
    TicketHintLbl = new QLabel(ticketsPage);
    TicketHintLbl->setObjectName(QStringLiteral("TicketHintLbl"));
    ticketsLayout->addWidget(TicketHintLbl);
    auto* commands = new QHBoxLayout;
    AddButton(DeleteBt, "DeleteBt", QStringLiteral("删除"), ticketsPage, commands);
    AddButton(UndoBt, "UndoBt", QStringLiteral("撤销"), ticketsPage, commands);
    AddButton(ImportBt, "ImportBt", QStringLiteral("导入..."), ticketsPage, commands);
    AddButton(ExportBt, "ExportBt", QStringLiteral("导出..."), ticketsPage, commands);
    commands->addStretch(1);
    ticketsLayout->addLayout(commands);
    ticketModel_ = NewTicketListModel(book_, this);
    TicketTable = MakeTable(ticketsPage, "TicketTable", ticketModel_);
    ticketsLayout->addWidget(TicketTable, 1);
    Pages->addTab(ticketsPage, QStringLiteral("票据"));
    BuildLedgerPage();
    BuildHistoryPage();

    // The window is a window of its own: its 撤销 and 删除 answer their usual keys here.
    UndoBt->setShortcut(QKeySequence::Undo);
    UndoBt->setToolTip(QStringLiteral("撤销上一次添加、删除或修改 (Ctrl+Z)"));
    DeleteBt->setShortcut(QKeySequence::Delete);
    AddBt->setEnabled(false);
    EditBt->setEnabled(false);
    DeleteBt->setEnabled(false);
    UndoBt->setEnabled(false);
}

// 账目: summary, chart, table, floating amounts, export and print.
void TTicketBookForm::BuildLedgerPage() {
    auto* ledgerPage = new QWidget(Pages);
    auto* ledgerLayout = new QVBoxLayout(ledgerPage);
    SummaryLbl = new QLabel(ledgerPage);
    SummaryLbl->setObjectName(QStringLiteral("SummaryLbl"));
    SummaryLbl->setWordWrap(true);
    ledgerLayout->addWidget(SummaryLbl);
    Chart = new TLedgerChartView(ledgerPage);
    ledgerLayout->addWidget(Chart, 1);
    ledgerModel_ = NewLedgerModel(book_, this);
    LedgerTable = MakeTable(ledgerPage, "LedgerTable", ledgerModel_);
    ledgerLayout->addWidget(LedgerTable, 1);
    auto* floatingRow = new QHBoxLayout;
    floatingRow->addWidget(new QLabel(QStringLiteral("浮动奖金额：期号"), ledgerPage));
    FloatingIssueEd = new QLineEdit(ledgerPage);
    FloatingIssueEd->setObjectName(QStringLiteral("FloatingIssueEd"));
    floatingRow->addWidget(FloatingIssueEd);
    FloatingTierCbb = new QComboBox(ledgerPage);
    FloatingTierCbb->setObjectName(QStringLiteral("FloatingTierCbb"));
    const TGameRules& rules = book_.Rules();
    for (int32_t t = 0; t < rules.TierCount(); ++t)
        if (rules.Tiers[t].Floating) FloatingTierCbb->addItem(Q(rules.Tiers[t].Name), t);
    floatingRow->addWidget(FloatingTierCbb);
    FloatingAmountEd = new QLineEdit(ledgerPage);
    FloatingAmountEd->setObjectName(QStringLiteral("FloatingAmountEd"));
    FloatingAmountEd->setPlaceholderText(QStringLiteral("每注金额（元），空为未知"));
    floatingRow->addWidget(FloatingAmountEd);
    AddButton(FloatingSetBt, "FloatingSetBt", QStringLiteral("填写"), ledgerPage, floatingRow);
    floatingRow->addStretch(1);
    AddButton(ExportCsvBt, "ExportCsvBt", QStringLiteral("导出CSV..."), ledgerPage, floatingRow);
    AddButton(PrintBt, "PrintBt", QStringLiteral("打印..."), ledgerPage, floatingRow);
    ledgerLayout->addLayout(floatingRow);
    Pages->addTab(ledgerPage, QStringLiteral("账目"));
}

// 历史: one bet over every draw.
void TTicketBookForm::BuildHistoryPage() {
    auto* historyPage = new QWidget(Pages);
    auto* historyLayout = new QVBoxLayout(historyPage);
    auto* historyRow = new QHBoxLayout;
    historyRow->addWidget(new QLabel(QStringLiteral("这注号码历史上中过几次："), historyPage));
    HistoryEd = new QLineEdit(historyPage);
    HistoryEd->setObjectName(QStringLiteral("HistoryEd"));
    HistoryEd->setPlaceholderText(QStringLiteral("如 1234567"));
    historyRow->addWidget(HistoryEd, 1);
    AddButton(HistoryBt, "HistoryBt", QStringLiteral("查看"), historyPage, historyRow);
    historyLayout->addLayout(historyRow);
    HistoryLbl = new QLabel(historyPage);
    HistoryLbl->setObjectName(QStringLiteral("HistoryLbl"));
    HistoryLbl->setWordWrap(true);
    historyLayout->addWidget(HistoryLbl);
    historyModel_ = NewHistoryModel(book_, history_, this);
    HistoryTable = MakeTable(historyPage, "HistoryTable", historyModel_);
    historyLayout->addWidget(HistoryTable, 1);
    Pages->addTab(historyPage, QStringLiteral("历史"));
}

void TTicketBookForm::ConnectCommands() {
    connect(TicketEd, &QLineEdit::textChanged, this, &TTicketBookForm::TicketEdChange);
    connect(TicketEd, &QLineEdit::returnPressed, this, &TTicketBookForm::AddBtClick);
    connect(AddBt, &QPushButton::clicked, this, &TTicketBookForm::AddBtClick);
    connect(EditBt, &QPushButton::clicked, this, &TTicketBookForm::EditBtClick);
    connect(DeleteBt, &QPushButton::clicked, this, &TTicketBookForm::DeleteBtClick);
    connect(UndoBt, &QPushButton::clicked, this, &TTicketBookForm::UndoBtClick);
    connect(ImportBt, &QPushButton::clicked, this, &TTicketBookForm::ImportBtClick);
    connect(ExportBt, &QPushButton::clicked, this, &TTicketBookForm::ExportBtClick);
    connect(FloatingSetBt, &QPushButton::clicked, this, &TTicketBookForm::FloatingSetBtClick);
    connect(ExportCsvBt, &QPushButton::clicked, this, &TTicketBookForm::ExportCsvBtClick);
    connect(PrintBt, &QPushButton::clicked, this, &TTicketBookForm::PrintBtClick);
    connect(HistoryBt, &QPushButton::clicked, this, &TTicketBookForm::HistoryBtClick);
    connect(HistoryEd, &QLineEdit::returnPressed, this, &TTicketBookForm::HistoryBtClick);
    connect(TicketTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TTicketBookForm::SelectionChanged);
    // A list shown afresh has nothing selected.
    connect(ticketModel_, &QAbstractItemModel::modelReset, this,
            &TTicketBookForm::SelectionChanged);
}

void TTicketBookForm::OpenWindow() {
    EnsureStore();
    show();
    raise();
    activateWindow();
}

bool TTicketBookForm::EnsureStore() {
    if (book_.IsOpen()) return true;
    Change([this] { book_.Open(); });
    if (!book_.AsideMessage().empty()) ShowError(Q(book_.AsideMessage()));
    if (!book_.UnreadableMessage().empty()) ShowError(Q(book_.UnreadableMessage()));
    return book_.IsOpen();
}

bool TTicketBookForm::Change(const std::function<void()>& change) {
    const uint64_t revision = book_.Revision();
    bool done = true;
    try {
        change();
    } catch (const TError& e) {
        ShowError(Q(e.what()));
        done = false;
    }
    if (book_.Revision() != revision) Refresh();
    return done;
}

void TTicketBookForm::ShowError(const QString& text) {
    prompts_.ShowError(isVisible() ? this : parentWidget(), text);
}

QString TTicketBookForm::IssueText(int32_t row) const {
    return Q(book_.IssueText(row));
}

void TTicketBookForm::TicketEdChange() {
    const QString text = TicketEd->text().trimmed();
    if (text.isEmpty()) {
        TicketHintLbl->clear();
        AddBt->setEnabled(false);
        return;
    }
    try {
        TicketHintLbl->setText(Q(book_.TypedSummary(Utf8(text))));
        TicketHintLbl->setStyleSheet(QString());
        AddBt->setEnabled(true);
    } catch (const TError& e) {
        TicketHintLbl->setStyleSheet(QStringLiteral("color: #c80000"));
        TicketHintLbl->setText(Q(e.what()));
        AddBt->setEnabled(false);
    }
}

void TTicketBookForm::AddBtClick() {
    if (EnsureStore() && Change([this] { book_.AddTyped(Utf8(TicketEd->text()), "输入"); }))
        TicketEd->clear();
}

void TTicketBookForm::EditBtClick() {
    const std::vector<int64_t> ids = SelectedIds();
    if (ids.size() != 1 || !EnsureStore()) return;
    Change([&] { book_.Edit(ids.front(), Utf8(TicketEd->text())); });
}

void TTicketBookForm::DeleteBtClick() {
    const std::vector<int64_t> ids = SelectedIds();
    if (ids.empty() || !EnsureStore()) return;
    Change([&] { book_.Remove(ids); });
}

void TTicketBookForm::UndoBtClick() {
    if (!book_.CanUndo() || !EnsureStore()) return;
    Change([this] { book_.Undo(); });
}

bool TTicketBookForm::AddTickets(const std::vector<TTicket>& tickets, const QString& source) {
    if (!EnsureStore()) return false;
    bool added = false;
    return Change([&] { added = book_.AddTickets(tickets, Utf8(source)); }) && added;
}

bool TTicketBookForm::AddBets(const std::vector<int32_t>& bets, const QString& source) {
    return AddTickets(TTicketBook::TicketsOfBets(bets), source);
}

void TTicketBookForm::ImportBtClick() {
    const QString path = prompts_.OpenFileName(this, QStringLiteral("导入票据"), QString(),
                                               QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty() || !EnsureStore()) return;
    const size_t before = book_.Tickets().size();
    if (Change([&] { book_.ImportFile(FileName(path)); }))
        StatusBar->showMessage(QStringLiteral("已导入%1张票").arg(book_.Tickets().size() - before));
}

void TTicketBookForm::ExportBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出票据"), QStringLiteral("票据.txt"),
                              QStringLiteral("文本文件 (*.txt)"));
    if (path.isEmpty()) return;
    WriteFile(path, QByteArray::fromStdString(book_.ExportText()), QStringLiteral("票据已导出"));
}

void TTicketBookForm::WriteFile(const QString& path, const QByteArray& bytes, const QString& done) {
    if (WriteFileShowingFailure(
            prompts_, isVisible() ? this : parentWidget(), path,
            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))))
        StatusBar->showMessage(QStringLiteral("%1到 %2").arg(done, QDir::toNativeSeparators(path)));
}

void TTicketBookForm::DrawsChanged() {
    Change([this] { book_.DrawsChanged(); });
    TicketEdChange();
}

void TTicketBookForm::Refresh() {
    ticketModel_->Refresh();
    TicketTable->resizeColumnsToContents();
    ledgerModel_->Refresh();
    LedgerTable->resizeColumnsToContents();
    SummaryLbl->setText(Q(book_.LedgerSummary()));
    Chart->SetLedger(book_.Ledger(), [this](int32_t row) { return IssueText(row); });
    UndoBt->setEnabled(book_.CanUndo());
}

void TTicketBookForm::SelectionChanged() {
    const std::vector<int64_t> ids = SelectedIds();
    DeleteBt->setEnabled(!ids.empty());
    EditBt->setEnabled(ids.size() == 1);
    if (ids.size() != 1) return;
    for (const TStoredTicket& stored : book_.Tickets())
        if (stored.Id == ids.front()) TicketEd->setText(Q(TicketText(stored.Ticket)));
}

std::vector<int64_t> TTicketBookForm::SelectedIds() const {
    std::vector<int64_t> ids;
    const std::vector<TStoredTicket>& tickets = book_.Tickets();
    for (const QModelIndex& index : TicketTable->selectionModel()->selectedRows())
        if (index.row() < static_cast<int>(tickets.size()))
            ids.push_back(tickets[static_cast<size_t>(index.row())].Id);
    return ids;
}

void TTicketBookForm::FloatingSetBtClick() {
    if (!EnsureStore() || FloatingTierCbb->count() == 0) return;
    Change([this] {
        book_.SetFloatingAmount(Utf8(FloatingIssueEd->text()),
                                FloatingTierCbb->currentData().toInt(),
                                Utf8(FloatingAmountEd->text()));
    });
}

void TTicketBookForm::ExportCsvBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出账目"), QStringLiteral("投注账目.csv"),
                              QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty()) return;
    WriteFile(path,
              QByteArray(Utf8ByteOrderMark) + QByteArray::fromStdString(book_.LedgerCsvText()),
              QStringLiteral("账目已导出"));
}

void TTicketBookForm::PrintBtClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印账目"));
    if (dialog.exec() != QDialog::Accepted) return;
    PrintLedger(printer);
}

void TTicketBookForm::PrintLedger(QPrinter& printer) {
    if (!::PrintLedger(printer, SummaryLbl->text(), *Chart, *ledgerModel_).has_value())
        ShowError(QStringLiteral("无法打印。"));
}

void TTicketBookForm::HistoryBtClick() {
    TDigitSets sets{};
    try {
        sets = ParseNumbers(Utf8(HistoryEd->text().trimmed()));
    } catch (const TError& e) {
        HistoryLbl->setText(Q(e.what()));
        history_.Shown = false;
        historyModel_->Refresh();
        return;
    }
    history_ = {book_.HistoryOf(sets), BetsOf(sets), true};
    HistoryLbl->setText(QStringLiteral("%1（%2注）在全部%3期开奖号码中：")
                            .arg(Q(NumbersText(sets)))
                            .arg(history_.Bets)
                            .arg(history_.History.Draws));
    historyModel_->Refresh();
    HistoryTable->resizeColumnsToContents();
}
