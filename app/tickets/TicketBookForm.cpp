#include "app/tickets/TicketBookForm.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "app/tickets/LedgerChartView.h"
#include "data/DrawExport.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "data/Hao.h"
#include "tickets/DrawIdentity.h"
#include "tickets/TicketCheck.h"
#include "ui/Prompts.h"

namespace {

const QColor WinColor(200, 0, 0);
constexpr int MaxImportBytes = 64 << 20;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QTableWidgetItem* Cell(const QString& text, bool right = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setColumnCount(static_cast<int>(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QString Percent(double share) {
    return QString::number(100.0 * share, 'f', 2) + QStringLiteral("%");
}

}  // namespace

TTicketBookForm::TTicketBookForm(QWidget* parent, TPrompts& prompts, const TCodes& draws,
                                 const TDrawRegister& reg, const QString& databasePath,
                                 const QString& rulesPath)
    : QWidget(parent, Qt::Window),
      prompts_(prompts),
      draws_(draws),
      register_(reg),
      databasePath_(databasePath) {
    setObjectName(QStringLiteral("TicketBookForm"));
    setWindowTitle(QStringLiteral("投注与兑奖"));
    LoadRules(rulesPath);
    BuildLayout();
    resize(980, 640);
}

TTicketBookForm::~TTicketBookForm() = default;

void TTicketBookForm::LoadRules(const QString& rulesPath) {
    rules_ = DefaultGameRules();
    if (rulesPath.isEmpty()) return;
    if (!QFileInfo::exists(rulesPath)) {
        // The built-in file, with its notes, where the player can edit it; best effort.
        try {
            WriteFileAtomically(QFile::encodeName(rulesPath).toStdString(), DefaultGameRulesText());
        } catch (const TError&) {
        }
        return;
    }
    try {
        const std::vector<uint8_t> bytes =
            ReadWholeFile(QFile::encodeName(rulesPath).toStdString(), 1 << 20);
        rules_ = ReadGameRules(
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
                     .front();
    } catch (const TError& e) {
        // The window still opens, with the built-in table, and says why.
        prompts_.ShowError(parentWidget(),
                           QStringLiteral("游戏规则文件%1无法使用，改用内置的规则：\r\n%2")
                               .arg(rulesPath, Q(e.what())));
    }
}

void TTicketBookForm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    layout->addWidget(Pages);

    // 票据: entry, commands and the list.
    auto* ticketsPage = new QWidget(Pages);
    auto* ticketsLayout = new QVBoxLayout(ticketsPage);
    auto* entry = new QHBoxLayout;
    TicketEd = new QLineEdit(ticketsPage);
    TicketEd->setObjectName(QStringLiteral("TicketEd"));
    TicketEd->setPlaceholderText(QStringLiteral("如 1234567、12/3/456/7/8/9/0 ×5 追10期 第%1期")
                                     .arg(Q(IssueOfDrawRow(draws_, register_, 0))));
    entry->addWidget(new QLabel(QStringLiteral("号码："), ticketsPage));
    entry->addWidget(TicketEd, 1);
    const auto button = [&](QPushButton*& member, const char* name, const QString& caption,
                            QWidget* parent, QHBoxLayout* row) {
        member = new QPushButton(caption, parent);
        member->setObjectName(QString::fromLatin1(name));
        row->addWidget(member);
    };
    button(AddBt, "AddBt", QStringLiteral("添加"), ticketsPage, entry);
    button(EditBt, "EditBt", QStringLiteral("修改"), ticketsPage, entry);
    ticketsLayout->addLayout(entry);
    TicketHintLbl = new QLabel(ticketsPage);
    TicketHintLbl->setObjectName(QStringLiteral("TicketHintLbl"));
    ticketsLayout->addWidget(TicketHintLbl);
    auto* commands = new QHBoxLayout;
    button(DeleteBt, "DeleteBt", QStringLiteral("删除"), ticketsPage, commands);
    button(UndoBt, "UndoBt", QStringLiteral("撤销"), ticketsPage, commands);
    button(ImportBt, "ImportBt", QStringLiteral("导入..."), ticketsPage, commands);
    button(ExportBt, "ExportBt", QStringLiteral("导出..."), ticketsPage, commands);
    commands->addStretch(1);
    ticketsLayout->addLayout(commands);
    TicketTable =
        MakeTable(ticketsPage, "TicketTable",
                  {QStringLiteral("期号"), QStringLiteral("号码"), QStringLiteral("类型"),
                   QStringLiteral("注数"), QStringLiteral("倍数"), QStringLiteral("金额（元）"),
                   QStringLiteral("中奖"), QStringLiteral("来源")});
    ticketsLayout->addWidget(TicketTable, 1);
    Pages->addTab(ticketsPage, QStringLiteral("票据"));

    // 账目: summary, chart, table, floating amounts, export and print.
    auto* ledgerPage = new QWidget(Pages);
    auto* ledgerLayout = new QVBoxLayout(ledgerPage);
    SummaryLbl = new QLabel(ledgerPage);
    SummaryLbl->setObjectName(QStringLiteral("SummaryLbl"));
    SummaryLbl->setWordWrap(true);
    ledgerLayout->addWidget(SummaryLbl);
    Chart = new TLedgerChartView(ledgerPage);
    ledgerLayout->addWidget(Chart, 1);
    QStringList headers = {QStringLiteral("期号"), QStringLiteral("注数"), QStringLiteral("投入")};
    for (const TPrizeTier& tier : rules_.Tiers) headers << Q(tier.Name);
    headers << QStringLiteral("奖金") << QStringLiteral("盈亏") << QStringLiteral("返奖率")
            << QStringLiteral("期望奖金") << QStringLiteral("累计盈亏")
            << QStringLiteral("期望累计盈亏");
    LedgerTable = MakeTable(ledgerPage, "LedgerTable", headers);
    ledgerLayout->addWidget(LedgerTable, 1);
    auto* floatingRow = new QHBoxLayout;
    floatingRow->addWidget(new QLabel(QStringLiteral("浮动奖金额：期号"), ledgerPage));
    FloatingIssueEd = new QLineEdit(ledgerPage);
    FloatingIssueEd->setObjectName(QStringLiteral("FloatingIssueEd"));
    floatingRow->addWidget(FloatingIssueEd);
    FloatingTierCbb = new QComboBox(ledgerPage);
    FloatingTierCbb->setObjectName(QStringLiteral("FloatingTierCbb"));
    for (int32_t t = 0; t < rules_.TierCount(); ++t)
        if (rules_.Tiers[t].Floating) FloatingTierCbb->addItem(Q(rules_.Tiers[t].Name), t);
    floatingRow->addWidget(FloatingTierCbb);
    FloatingAmountEd = new QLineEdit(ledgerPage);
    FloatingAmountEd->setObjectName(QStringLiteral("FloatingAmountEd"));
    FloatingAmountEd->setPlaceholderText(QStringLiteral("每注金额（元），空为未知"));
    floatingRow->addWidget(FloatingAmountEd);
    button(FloatingSetBt, "FloatingSetBt", QStringLiteral("填写"), ledgerPage, floatingRow);
    floatingRow->addStretch(1);
    button(ExportCsvBt, "ExportCsvBt", QStringLiteral("导出CSV..."), ledgerPage, floatingRow);
    button(PrintBt, "PrintBt", QStringLiteral("打印..."), ledgerPage, floatingRow);
    ledgerLayout->addLayout(floatingRow);
    Pages->addTab(ledgerPage, QStringLiteral("账目"));

    // 历史: one bet over every draw.
    auto* historyPage = new QWidget(Pages);
    auto* historyLayout = new QVBoxLayout(historyPage);
    auto* historyRow = new QHBoxLayout;
    historyRow->addWidget(new QLabel(QStringLiteral("这注号码历史上中过几次："), historyPage));
    HistoryEd = new QLineEdit(historyPage);
    HistoryEd->setObjectName(QStringLiteral("HistoryEd"));
    HistoryEd->setPlaceholderText(QStringLiteral("如 1234567"));
    historyRow->addWidget(HistoryEd, 1);
    button(HistoryBt, "HistoryBt", QStringLiteral("查看"), historyPage, historyRow);
    historyLayout->addLayout(historyRow);
    HistoryLbl = new QLabel(historyPage);
    HistoryLbl->setObjectName(QStringLiteral("HistoryLbl"));
    HistoryLbl->setWordWrap(true);
    historyLayout->addWidget(HistoryLbl);
    HistoryTable =
        MakeTable(historyPage, "HistoryTable",
                  {QStringLiteral("奖级"), QStringLiteral("中奖次数"), QStringLiteral("最近一次"),
                   QStringLiteral("理论上每期的概率"), QStringLiteral("按概率期望的次数")});
    historyLayout->addWidget(HistoryTable, 1);
    Pages->addTab(historyPage, QStringLiteral("历史"));

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
    connect(TicketTable, &QTableWidget::itemSelectionChanged, this, [this] {
        const std::vector<int64_t> ids = SelectedIds();
        DeleteBt->setEnabled(!ids.empty());
        EditBt->setEnabled(ids.size() == 1);
        if (ids.size() != 1) return;
        for (const TStoredTicket& stored : tickets_)
            if (stored.Id == ids.front()) TicketEd->setText(Q(TicketText(stored.Ticket)));
    });
    // The window is a window of its own: its 撤销 and 删除 answer their usual keys here.
    UndoBt->setShortcut(QKeySequence::Undo);
    UndoBt->setToolTip(QStringLiteral("撤销上一次添加、删除或修改 (Ctrl+Z)"));
    DeleteBt->setShortcut(QKeySequence::Delete);
    AddBt->setEnabled(false);
    EditBt->setEnabled(false);
    DeleteBt->setEnabled(false);
    UndoBt->setEnabled(false);
}

void TTicketBookForm::OpenWindow() {
    EnsureStore();
    show();
    raise();
    activateWindow();
}

bool TTicketBookForm::EnsureStore() {
    if (store_) return true;
    try {
        store_ = std::make_unique<TTicketStore>(QFile::encodeName(databasePath_).toStdString());
    } catch (const TError& e) {
        ShowError(QStringLiteral("无法打开票据库：\r\n") + Q(e.what()));
        return false;
    }
    if (!store_->AsideMessage().empty()) ShowError(Q(store_->AsideMessage()));
    Reload();
    return true;
}

void TTicketBookForm::ShowError(const QString& text) {
    prompts_.ShowError(isVisible() ? this : parentWidget(), text);
}

int32_t TTicketBookForm::FirstRowOf(const TTicket& ticket) const {
    return ticket.Issue.empty() ? draws_.Count() : DrawRowOfIssue(draws_, register_, ticket.Issue);
}

TStoredTicket TTicketBookForm::TypedTicket(const QString& text, const QString& source) const {
    TStoredTicket stored;
    stored.Ticket = ParseTicket(text.trimmed().toStdString());
    stored.FirstRow = FirstRowOf(stored.Ticket);
    stored.Source = source.toStdString();
    return stored;
}

void TTicketBookForm::TicketEdChange() {
    const QString text = TicketEd->text().trimmed();
    if (text.isEmpty()) {
        TicketHintLbl->clear();
        AddBt->setEnabled(false);
        return;
    }
    try {
        const TStoredTicket stored = TypedTicket(text, {});
        const TTicket& t = stored.Ticket;
        TicketHintLbl->setStyleSheet(QString());
        TicketHintLbl->setText(
            QStringLiteral("%1，%2注 ×%3倍，%4期（%5起），%6元")
                .arg(t.IsSingle() ? QStringLiteral("单式") : QStringLiteral("复式"))
                .arg(t.Bets())
                .arg(t.Multiple)
                .arg(t.DrawCount)
                .arg(IssueText(stored.FirstRow))
                .arg(rules_.Price * t.Bets() * t.Multiple * t.DrawCount));
        AddBt->setEnabled(true);
    } catch (const TError& e) {
        TicketHintLbl->setStyleSheet(QStringLiteral("color: #c80000"));
        TicketHintLbl->setText(Q(e.what()));
        AddBt->setEnabled(false);
    }
}

QString TTicketBookForm::IssueText(int32_t row) const {
    return Q(IssueOfDrawRow(draws_, register_, row));
}

bool TTicketBookForm::Store(const std::vector<TStoredTicket>& tickets, TUndoStep step) {
    if (!EnsureStore()) return false;
    try {
        step.AddedIds = store_->Add(tickets);
    } catch (const TError& e) {
        ShowError(QStringLiteral("票据没有保存：\r\n") + Q(e.what()));
        return false;
    }
    undo_.push_back(std::move(step));
    Reload();
    return true;
}

void TTicketBookForm::AddBtClick() {
    try {
        const TStoredTicket stored = TypedTicket(TicketEd->text(), QStringLiteral("输入"));
        if (Store({stored}, {})) TicketEd->clear();
    } catch (const TError& e) {
        ShowError(Q(e.what()));
    }
}

void TTicketBookForm::EditBtClick() {
    const std::vector<int64_t> ids = SelectedIds();
    if (ids.size() != 1 || !EnsureStore()) return;
    const auto old = std::find_if(tickets_.begin(), tickets_.end(),
                                  [&](const TStoredTicket& s) { return s.Id == ids.front(); });
    if (old == tickets_.end()) return;
    try {
        TStoredTicket changed = TypedTicket(TicketEd->text(), Q(old->Source));
        changed.Id = old->Id;
        // A ticket without a 期号 keeps the draw it was entered for.
        if (changed.Ticket.Issue.empty()) changed.FirstRow = old->FirstRow;
        TUndoStep step;
        step.ReplacedTickets = {*old};
        store_->Replace(changed);
        undo_.push_back(std::move(step));
        Reload();
    } catch (const TError& e) {
        ShowError(Q(e.what()));
    }
}

void TTicketBookForm::DeleteBtClick() {
    const std::vector<int64_t> ids = SelectedIds();
    if (ids.empty() || !EnsureStore()) return;
    TUndoStep step;
    const std::set<int64_t> chosen(ids.begin(), ids.end());
    for (const TStoredTicket& stored : tickets_)
        if (chosen.count(stored.Id)) step.RemovedTickets.push_back(stored);
    try {
        store_->Remove(ids);
    } catch (const TError& e) {
        ShowError(QStringLiteral("票据没有删除：\r\n") + Q(e.what()));
        return;
    }
    undo_.push_back(std::move(step));
    Reload();
}

void TTicketBookForm::UndoBtClick() {
    if (undo_.empty() || !EnsureStore()) return;
    const TUndoStep& step = undo_.back();
    try {
        if (!step.AddedIds.empty()) store_->Remove(step.AddedIds);
        if (!step.RemovedTickets.empty()) store_->Add(step.RemovedTickets);
        for (const TStoredTicket& stored : step.ReplacedTickets) store_->Replace(stored);
    } catch (const TError& e) {
        ShowError(QStringLiteral("无法撤销：\r\n") + Q(e.what()));
        return;
    }
    undo_.pop_back();
    Reload();
}

bool TTicketBookForm::AddTickets(const std::vector<TTicket>& tickets, const QString& source) {
    std::vector<TStoredTicket> stored;
    try {
        for (const TTicket& ticket : tickets) {
            TStoredTicket& s = stored.emplace_back();
            s.Ticket = ticket;
            s.FirstRow = FirstRowOf(ticket);
            s.Source = source.toStdString();
        }
    } catch (const TError& e) {
        ShowError(Q(e.what()));
        return false;
    }
    return !stored.empty() && Store(stored, {});
}

void TTicketBookForm::ImportBtClick() {
    const QString path = prompts_.OpenFileName(this, QStringLiteral("导入票据"), QString(),
                                               QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    TTicketReading reading;
    try {
        const std::vector<uint8_t> bytes =
            ReadWholeFile(QFile::encodeName(path).toStdString(), MaxImportBytes);
        reading = ReadTicketLines(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const TError& e) {
        ShowError(Q(e.what()));
        return;
    }
    // A 期号 that names no draw is a bad line too.
    std::vector<TStoredTicket> stored;
    for (size_t i = 0; i < reading.Tickets.size(); ++i) {
        try {
            TStoredTicket& s = stored.emplace_back();
            s.Ticket = reading.Tickets[i];
            s.FirstRow = FirstRowOf(s.Ticket);
            s.Source = "导入";
        } catch (const TError& e) {
            stored.pop_back();
            reading.Faults.push_back({reading.Lines[i], e.what()});
        }
    }
    if (!reading.Faults.empty()) {
        std::sort(reading.Faults.begin(), reading.Faults.end(),
                  [](const auto& a, const auto& b) { return a.Line < b.Line; });
        QString text =
            QStringLiteral("文件里有%1行无法读取，没有导入任何票据：").arg(reading.Faults.size());
        for (size_t i = 0; i < reading.Faults.size() && i < 20; ++i)
            text += QStringLiteral("\r\n") + Q(reading.Faults[i].Text());
        if (reading.Faults.size() > 20) text += QStringLiteral("\r\n……");
        ShowError(text);
        return;
    }
    if (stored.empty()) {
        ShowError(QStringLiteral("文件里没有票据。"));
        return;
    }
    Store(stored, {});
}

void TTicketBookForm::ExportBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出票据"), QStringLiteral("票据.txt"),
                              QStringLiteral("文本文件 (*.txt)"));
    if (path.isEmpty()) return;
    std::vector<TTicket> tickets;
    for (const TStoredTicket& stored : tickets_) {
        TTicket ticket = stored.Ticket;
        // A ticket for the coming draw is written with the 期号 it was entered for.
        if (ticket.Issue.empty()) ticket.Issue = IssueOfDrawRow(draws_, register_, stored.FirstRow);
        tickets.push_back(ticket);
    }
    WriteFile(path, QByteArray::fromStdString(WriteTicketLines(tickets)));
}

void TTicketBookForm::WriteFile(const QString& path, const QByteArray& bytes) {
    try {
        WriteFileAtomically(QFile::encodeName(path).toStdString(),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const TError& e) {
        ShowError(QStringLiteral("无法写入文件：\r\n") + path + QStringLiteral("\r\n") +
                  Q(e.what()));
    }
}

void TTicketBookForm::Reload() {
    try {
        tickets_ = store_->Tickets();
        floating_ = store_->FloatingAmounts();
    } catch (const TError& e) {
        ShowError(Q(e.what()));
    }
    UndoBt->setEnabled(!undo_.empty());
    Refresh();
}

void TTicketBookForm::DrawsChanged() {
    if (store_) Refresh();
    TicketEdChange();
}

void TTicketBookForm::Refresh() {
    FillTicketTable();
    FillLedger();
}

std::vector<int64_t> TTicketBookForm::SelectedIds() const {
    std::vector<int64_t> ids;
    for (const QModelIndex& index : TicketTable->selectionModel()->selectedRows())
        ids.push_back(TicketTable->item(index.row(), 0)->data(Qt::UserRole).toLongLong());
    return ids;
}

void TTicketBookForm::FillTicketTable() {
    const std::vector<TDrawMasks> masks = DrawMasksOf(draws_);
    TicketTable->setSortingEnabled(false);
    TicketTable->setRowCount(static_cast<int>(tickets_.size()));
    for (size_t i = 0; i < tickets_.size(); ++i) {
        const TStoredTicket& stored = tickets_[i];
        const TTicket& t = stored.Ticket;
        const int row = static_cast<int>(i);
        QString issues = IssueText(stored.FirstRow);
        if (t.DrawCount > 1)
            issues += QStringLiteral("–") + IssueText(stored.FirstRow + t.DrawCount - 1);
        QTableWidgetItem* first = Cell(issues);
        first->setData(Qt::UserRole, static_cast<qlonglong>(stored.Id));
        TicketTable->setItem(row, 0, first);
        TicketTable->setItem(row, 1, Cell(Q(NumbersText(t.Sets))));
        TicketTable->setItem(row, 2,
                             Cell(t.IsSingle() ? QStringLiteral("单式") : QStringLiteral("复式")));
        TicketTable->setItem(row, 3, Cell(QString::number(t.Bets()), true));
        TicketTable->setItem(row, 4, Cell(QString::number(t.Multiple), true));
        TicketTable->setItem(
            row, 5,
            Cell(QString::number(rules_.Price * t.Bets() * t.Multiple * t.DrawCount), true));
        // Per draw: the best tier and the money, 未开奖 for draws still to come.
        QStringList parts;
        bool won = false;
        int32_t pending = 0, drawn = 0;
        for (const TTicketDrawResult& result :
             TicketResults({t, stored.FirstRow}, rules_, masks, floating_)) {
            if (!result.Drawn) {
                ++pending;
                continue;
            }
            ++drawn;
            const int32_t best = result.BestTier();
            if (best < 0) continue;
            won = true;
            QString amount = result.PrizeUnknown ? QStringLiteral("金额未知")
                                                 : QStringLiteral("%1元").arg(result.Prize);
            parts << QStringLiteral("%1期 %2 %3")
                         .arg(IssueText(result.Row), Q(rules_.Tiers[best].Name), amount);
        }
        if (!won && drawn > 0) parts << QStringLiteral("未中奖");
        if (pending > 0)
            parts << (t.DrawCount > 1 ? QStringLiteral("%1期未开奖").arg(pending)
                                      : QStringLiteral("未开奖"));
        QTableWidgetItem* result =
            Cell((won ? QStringLiteral("中奖：") : QString()) + parts.join(QStringLiteral("；")));
        if (won) result->setForeground(WinColor);
        TicketTable->setItem(row, 6, result);
        TicketTable->setItem(row, 7, Cell(Q(stored.Source)));
    }
    TicketTable->resizeColumnsToContents();
}

void TTicketBookForm::FillLedger() {
    std::vector<TBookTicket> book;
    book.reserve(tickets_.size());
    for (const TStoredTicket& stored : tickets_) book.push_back({stored.Ticket, stored.FirstRow});
    const std::vector<TDrawMasks> masks = DrawMasksOf(draws_);
    ledger_ = BuildLedger(book, rules_, masks, floating_);
    const auto lineCells = [&](int row, const QString& label, const TLedgerLine& line) {
        int column = 0;
        LedgerTable->setItem(row, column++, Cell(label));
        LedgerTable->setItem(row, column++, Cell(QString::number(line.Bets), true));
        LedgerTable->setItem(row, column++, Cell(QString::number(line.Cost), true));
        for (int32_t t = 0; t < rules_.TierCount(); ++t) {
            QTableWidgetItem* wins = Cell(QString::number(line.Wins[t]), true);
            if (line.Wins[t] > 0) wins->setForeground(WinColor);
            LedgerTable->setItem(row, column++, wins);
        }
        LedgerTable->setItem(row, column++,
                             Cell(QString::number(line.Prize) +
                                      (line.PrizeUnknown ? QStringLiteral("+未知") : QString()),
                                  true));
        LedgerTable->setItem(row, column++, Cell(QString::number(line.Net()), true));
        LedgerTable->setItem(row, column++,
                             Cell(line.Cost > 0 ? Percent(line.Return()) : QString(), true));
        LedgerTable->setItem(row, column++,
                             Cell(QString::number(line.ExpectedPrize, 'f', 2), true));
        LedgerTable->setItem(row, column++, Cell(QString::number(line.CumulativeNet), true));
        LedgerTable->setItem(row, column++,
                             Cell(QString::number(line.CumulativeExpectedNet, 'f', 2), true));
    };
    LedgerTable->setRowCount(static_cast<int>(ledger_.Draws.size()) + 1);
    for (size_t i = 0; i < ledger_.Draws.size(); ++i)
        lineCells(static_cast<int>(i), IssueText(ledger_.Draws[i].Row), ledger_.Draws[i]);
    lineCells(static_cast<int>(ledger_.Draws.size()), QStringLiteral("合计"), ledger_.Total);
    LedgerTable->resizeColumnsToContents();
    const TLedgerLine& total = ledger_.Total;
    QString summary =
        QStringLiteral(
            "已开奖：投入%1元，奖金%2元%3，盈亏%4元，返奖率%5；"
            "同样的投注按理论概率平均返奖%6元（返奖率%7，浮动奖不计）。")
            .arg(total.Cost)
            .arg(total.Prize)
            .arg(total.PrizeUnknown ? QStringLiteral("（另有浮动奖金额未知）") : QString())
            .arg(total.Net())
            .arg(total.Cost > 0 ? Percent(total.Return()) : QStringLiteral("—"))
            .arg(QString::number(total.ExpectedPrize, 'f', 2))
            .arg(Percent(rules_.ExpectedReturn()));
    if (ledger_.PendingBets > 0)
        summary += QStringLiteral("未开奖：%1注，%2元。")
                       .arg(ledger_.PendingBets)
                       .arg(ledger_.PendingCost);
    SummaryLbl->setText(summary);
    Chart->SetLedger(ledger_, [this](int32_t row) { return IssueText(row); });
}

void TTicketBookForm::FloatingSetBtClick() {
    if (!EnsureStore() || FloatingTierCbb->count() == 0) return;
    try {
        const int32_t row =
            DrawRowOfIssue(draws_, register_, FloatingIssueEd->text().trimmed().toStdString());
        const QString amountText = FloatingAmountEd->text().trimmed();
        std::optional<int64_t> amount;
        if (!amountText.isEmpty()) {
            bool ok = false;
            amount = amountText.toLongLong(&ok);
            if (!ok || *amount < 0) throw TError("金额应为整数元，空为未知");
        }
        store_->SetFloatingAmount(row, FloatingTierCbb->currentData().toInt(), amount);
    } catch (const TError& e) {
        ShowError(Q(e.what()));
        return;
    }
    Reload();
}

void TTicketBookForm::ExportCsvBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出账目"), QStringLiteral("投注账目.csv"),
                              QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty()) return;
    WriteFile(path, QByteArray(Utf8ByteOrderMark) +
                        QByteArray::fromStdString(LedgerCsv(ledger_, rules_, draws_, register_)));
}

void TTicketBookForm::PrintBtClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印账目"));
    if (dialog.exec() != QDialog::Accepted) return;
    PrintLedger(printer);
}

void TTicketBookForm::PrintLedger(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowError(QStringLiteral("无法打印。"));
        return;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect area(0, 0, page.width(), page.height());
    const int lineHeight = painter.fontMetrics().height() + 4;
    int y = 0;
    painter.drawText(QRect(0, y, area.width(), lineHeight * 3), Qt::TextWordWrap,
                     QStringLiteral("投注与兑奖\n") + SummaryLbl->text());
    y += lineHeight * 4;
    const int chartHeight = area.height() / 3;
    Chart->PaintOn(painter, QRect(0, y, area.width(), chartHeight));
    y += chartHeight + lineHeight;
    const int columns = LedgerTable->columnCount();
    const int width = area.width() / std::max(1, columns);
    const auto printRow = [&](const std::function<QString(int)>& text) {
        if (y + lineHeight > area.height()) {
            printer.newPage();
            y = 0;
        }
        for (int c = 0; c < columns; ++c)
            painter.drawText(QRect(c * width, y, width - 2, lineHeight),
                             Qt::AlignRight | Qt::AlignVCenter, text(c));
        y += lineHeight;
    };
    printRow([&](int c) { return LedgerTable->horizontalHeaderItem(c)->text(); });
    for (int r = 0; r < LedgerTable->rowCount(); ++r)
        printRow([&](int c) {
            const QTableWidgetItem* item = LedgerTable->item(r, c);
            return item ? item->text() : QString();
        });
    painter.end();
}

void TTicketBookForm::HistoryBtClick() {
    TDigitSets sets{};
    try {
        sets = ParseNumbers(HistoryEd->text().trimmed().toStdString());
    } catch (const TError& e) {
        HistoryLbl->setText(Q(e.what()));
        HistoryTable->setRowCount(0);
        return;
    }
    const TBetHistory history = BetHistory(sets, rules_, DrawMasksOf(draws_));
    const int64_t bets = BetsOf(sets);
    HistoryLbl->setText(QStringLiteral("%1（%2注）在全部%3期开奖号码中：")
                            .arg(Q(NumbersText(sets)))
                            .arg(bets)
                            .arg(history.Draws));
    HistoryTable->setRowCount(rules_.TierCount());
    for (int32_t t = 0; t < rules_.TierCount(); ++t) {
        HistoryTable->setItem(t, 0, Cell(Q(rules_.Tiers[t].Name)));
        QTableWidgetItem* wins = Cell(QString::number(history.Wins[t]), true);
        if (history.Wins[t] > 0) wins->setForeground(WinColor);
        HistoryTable->setItem(t, 1, wins);
        HistoryTable->setItem(
            t, 2,
            Cell(history.LastRow[t] < 0 ? QStringLiteral("从未")
                                        : IssueText(history.LastRow[t]) + QStringLiteral("期")));
        HistoryTable->setItem(t, 3, Cell(QString::number(rules_.TierProbability(t), 'g', 6), true));
        HistoryTable->setItem(
            t, 4,
            Cell(QString::number(rules_.TierProbability(t) * bets * history.Draws, 'f', 2), true));
    }
    HistoryTable->resizeColumnsToContents();
}
