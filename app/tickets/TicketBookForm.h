#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/tickets/TicketTables.h"
#include "tickets/TicketBook.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class TCellTableModel;
class TDocumentFeed;
class TLedgerChartView;
class TPrompts;

// The window "投注与兑奖", a view of the ticket book (TTicketBook, tickets/TicketBook.h): the
// player's tickets, kept in a database beside the work document, checked against the draws
// they cover; the ledger of money spent and won beside what the same bets give on average at
// the exact odds; and the history of one bet over every draw.
class TTicketBookForm : public QWidget {
    Q_OBJECT

  public:
    // The document's draws and their 期号 come from feed (followed as they change);
    // databasePath is the book beside it; rulesPath the rules file (its first game; when there
    // is none, the built-in file is written there for editing and its table used). prompts
    // answers messages and file dialogs; both must outlive the window.
    TTicketBookForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& feed,
                    const QString& databasePath, const QString& rulesPath);
    ~TTicketBookForm() override;
    // The program's book: its database beside the document at documentPath, its rules in
    // game-rules.txt of the program folder.
    static TTicketBookForm* BesideDocument(QWidget* parent, TPrompts& prompts, TDocumentFeed& feed,
                                           const QString& documentPath,
                                           const QString& programFolder);

    // Shows the window (opening the book on first use) and brings it to the front.
    void OpenWindow();
    // Adds tickets from elsewhere (the 缩水 results): those without a 期号 go to the coming
    // draw. One transaction and one undo step; false (the user told why) when nothing was
    // added.
    bool AddTickets(const std::vector<TTicket>& tickets, const QString& source);
    // The same for the 缩水 results' bets (candidate numbers), each a single ticket.
    bool AddBets(const std::vector<int32_t>& bets, const QString& source);

    const std::vector<TStoredTicket>& Tickets() const { return book_.Tickets(); }
    const TLedger& Ledger() const { return book_.Ledger(); }
    const TGameRules& Rules() const { return book_.Rules(); }
    // Prints the ledger (table and chart) on a printer or into a PDF file.
    void PrintLedger(QPrinter& printer);

    QTabWidget* Pages = nullptr;
    QStatusBar* StatusBar = nullptr;  // what an import or an export did
    QLineEdit* TicketEd = nullptr;
    QLabel* TicketHintLbl = nullptr;
    QPushButton* AddBt = nullptr;
    QPushButton* EditBt = nullptr;
    QPushButton* DeleteBt = nullptr;
    QPushButton* UndoBt = nullptr;
    QPushButton* ImportBt = nullptr;
    QPushButton* ExportBt = nullptr;
    QTableView* TicketTable = nullptr;
    QLabel* SummaryLbl = nullptr;
    QTableView* LedgerTable = nullptr;
    TLedgerChartView* Chart = nullptr;
    QLineEdit* FloatingIssueEd = nullptr;
    QComboBox* FloatingTierCbb = nullptr;
    QLineEdit* FloatingAmountEd = nullptr;
    QPushButton* FloatingSetBt = nullptr;
    QPushButton* ExportCsvBt = nullptr;
    QPushButton* PrintBt = nullptr;
    QLineEdit* HistoryEd = nullptr;
    QPushButton* HistoryBt = nullptr;
    QLabel* HistoryLbl = nullptr;
    QTableView* HistoryTable = nullptr;

  public slots:
    // Any change of the document's draws: results and the ledger follow.
    void DrawsChanged();
    void TicketEdChange();
    void AddBtClick();
    void EditBtClick();
    void DeleteBtClick();
    void UndoBtClick();
    void ImportBtClick();
    void ExportBtClick();
    void FloatingSetBtClick();
    void ExportCsvBtClick();
    void PrintBtClick();
    void HistoryBtClick();

  private:
    void BuildLayout();
    void BuildLedgerPage();
    void BuildHistoryPage();
    void ConnectCommands();
    // Opens the book on first use; false (the user told why) when it cannot be.
    bool EnsureStore();
    // Runs a change of the book, shows its failure and the book again when it moved; false
    // when it failed.
    bool Change(const std::function<void()>& change);
    void Refresh();
    void SelectionChanged();
    std::vector<int64_t> SelectedIds() const;
    QString IssueText(int32_t row) const;
    void ShowError(const QString& text);
    // Writes a file, showing a failure, or in the status bar done (what: "票据已导出") and where.
    void WriteFile(const QString& path, const QByteArray& bytes, const QString& done);

    TPrompts& prompts_;
    TTicketBook book_;
    TShownBetHistory history_;
    TCellTableModel* ticketModel_ = nullptr;
    TCellTableModel* ledgerModel_ = nullptr;
    TCellTableModel* historyModel_ = nullptr;
};
