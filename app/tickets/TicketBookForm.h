#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "data/DrawRegister.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketLedger.h"
#include "tickets/store/TicketStore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTableWidget;
class TCodes;
class TLedgerChartView;
class TPrompts;

// The window "投注与兑奖": the player's tickets, kept in a database beside the work document,
// checked against the draws they cover; the ledger of money spent and won beside what the
// same bets give on average at the exact odds; and the history of one bet over every draw.
class TTicketBookForm : public QWidget {
    Q_OBJECT

  public:
    // draws are the document's and reg their 期号 (both followed as they change); databasePath the
    // book beside it; rulesPath the rules file (its first game; when there is none, the built-in
    // file is written there for editing and its table used). prompts answers messages and file
    // dialogs and must outlive the window.
    TTicketBookForm(QWidget* parent, TPrompts& prompts, const TCodes& draws,
                    const TDrawRegister& reg, const QString& databasePath,
                    const QString& rulesPath);
    ~TTicketBookForm() override;

    // Shows the window (opening the book on first use) and brings it to the front.
    void OpenWindow();
    // Adds tickets from elsewhere (the 缩水 results): those without a 期号 go to the coming
    // draw. One transaction and one undo step; false (the user told why) when nothing was
    // added.
    bool AddTickets(const std::vector<TTicket>& tickets, const QString& source);

    const std::vector<TStoredTicket>& Tickets() const { return tickets_; }
    const TLedger& Ledger() const { return ledger_; }
    const TGameRules& Rules() const { return rules_; }
    // Prints the ledger (table and chart) on a printer or into a PDF file.
    void PrintLedger(QPrinter& printer);

    QTabWidget* Pages = nullptr;
    QLineEdit* TicketEd = nullptr;
    QLabel* TicketHintLbl = nullptr;
    QPushButton* AddBt = nullptr;
    QPushButton* EditBt = nullptr;
    QPushButton* DeleteBt = nullptr;
    QPushButton* UndoBt = nullptr;
    QPushButton* ImportBt = nullptr;
    QPushButton* ExportBt = nullptr;
    QTableWidget* TicketTable = nullptr;
    QLabel* SummaryLbl = nullptr;
    QTableWidget* LedgerTable = nullptr;
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
    QTableWidget* HistoryTable = nullptr;

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
    // One step of the book that 撤销 takes back.
    struct TUndoStep {
        std::vector<int64_t> AddedIds;               // undone by removing them
        std::vector<TStoredTicket> RemovedTickets;   // undone by adding them back
        std::vector<TStoredTicket> ReplacedTickets;  // undone by putting them back
    };

    void BuildLayout();
    bool EnsureStore();
    void LoadRules(const QString& rulesPath);
    // Reads the typed ticket and places it: throws TError with the user's message.
    TStoredTicket TypedTicket(const QString& text, const QString& source) const;
    int32_t FirstRowOf(const TTicket& ticket) const;
    bool Store(const std::vector<TStoredTicket>& tickets, TUndoStep step);
    void Reload();
    void Refresh();
    void FillTicketTable();
    void FillLedger();
    std::vector<int64_t> SelectedIds() const;
    QString IssueText(int32_t row) const;
    void ShowError(const QString& text);
    void WriteFile(const QString& path, const QByteArray& bytes);

    TPrompts& prompts_;
    const TCodes& draws_;
    const TDrawRegister& register_;
    QString databasePath_;
    TGameRules rules_;
    std::unique_ptr<TTicketStore> store_;
    std::vector<TStoredTicket> tickets_;
    TFloatingAmounts floating_;
    TLedger ledger_;
    std::vector<TUndoStep> undo_;
};
