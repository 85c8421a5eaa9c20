#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/tickets/LedgerChartView.h"
#include "app/tickets/LedgerPrint.h"
#include "app/tickets/TicketBookForm.h"
#include "app/window/Main.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "tickets/DrawIdentity.h"

class TestTicketBook : public QObject {
    Q_OBJECT

  private:
    QString Issue(int32_t row) const {
        return QString::fromStdString(IssueOfDrawRow(document_->Draws, document_->Register, row));
    }
    QString Path(const char* name) const { return folder_->filePath(QString::fromUtf8(name)); }
    void NewForm() {
        form_ = std::make_unique<TTicketBookForm>(nullptr, *prompts_, document_->Feed,
                                                  Path("work.gtmq.tickets.db"), Path("rules.txt"));
        form_->OpenWindow();
    }
    void Type(const QString& text) { form_->TicketEd->setText(text); }
    static QString Cell(const QTableView* table, int row, int column) {
        return table->model()->index(row, column).data().toString();
    }
    static int Rows(const QTableView* table) { return table->model()->rowCount(); }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

  private slots:
    void init() {
        log_ = {};
        prompts_ = std::make_unique<TScriptedPrompts>(log_);
        folder_ = std::make_unique<QTemporaryDir>();
        document_ = std::make_unique<TStandaloneDocument>();
        document_->Draws.Assign(*RandomDraws(5, 40));
        NewForm();
    }
    void cleanup() {
        form_.reset();
        folder_.reset();
    }

    // A list pasted into the field is added line by line, all at once.
    void aPastedListAddsEveryLine() {
        QGuiApplication::clipboard()->setText(QStringLiteral("1234567\r\n7654321 x2\r\n"));
        form_->TicketEd->paste();
        QCOMPARE(form_->TicketHintLbl->text(), QStringLiteral("共2张票据，添加时一起加入"));
        form_->AddBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{2});
        QVERIFY(form_->TicketEd->text().isEmpty());
    }

    // Typing validates at once; the bets are checked against their draws, kept across a restart,
    // and deleting, editing and adding are each taken back by 撤销.
    void typedTicketsAreCheckedStoredAndUndone() {
        Type("123456");
        QVERIFY(!form_->AddBt->isEnabled());
        QVERIFY(form_->TicketHintLbl->text().contains("有6位"));
        Type("1234567 x100");
        QVERIFY(form_->TicketHintLbl->text().contains("倍数"));
        Type(QStringLiteral("1234567 第%1期").arg(Issue(41)));
        QVERIFY(form_->TicketHintLbl->text().contains("不存在"));

        // The draw of row 3 itself, x2: 一等奖 (floating, amount unknown); then the coming draw.
        const QString won = QString::fromStdString(RandomDrawLines(5, 40)[3]);
        Type(won + QStringLiteral(" ×2 第%1期").arg(Issue(3)));
        QVERIFY(form_->AddBt->isEnabled());
        form_->AddBt->click();
        QVERIFY(form_->TicketEd->text().isEmpty());
        Type("12/3/456/7/8/9/0 追3期");
        form_->AddBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{2});
        QTableView* table = form_->TicketTable;
        QCOMPARE(Rows(table), 2);
        QVERIFY(Cell(table, 0, 6).contains("一等奖"));
        QVERIFY(Cell(table, 0, 6).contains("金额未知"));
        QCOMPARE(table->model()->index(0, 6).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(200, 0, 0));
        QCOMPARE(Cell(table, 1, 0), Issue(40) + QStringLiteral("–") + Issue(42));
        QCOMPARE(Cell(table, 1, 3), QStringLiteral("6"));
        QCOMPARE(Cell(table, 1, 5), QStringLiteral("36"));
        QVERIFY(Cell(table, 1, 6).contains("3期未开奖"));
        QCOMPARE(form_->Ledger().Total.Cost, 4);
        QCOMPARE(form_->Ledger().PendingCost, 36);

        // The coming draw is drawn (a download, typing in the grid): against 1347000 the 复式's
        // bets win 四等奖 (1347…), 五等奖 (2347…) and twice 六等奖 (13 5/6 7…); the first
        // ticket keeps its 一等奖 ×2.
        TCodes& draws = document_->Draws;
        const int32_t row = draws.Add();
        const int digits[] = {1, 3, 4, 7, 0, 0, 0};
        for (int p = 0; p < 7; ++p) draws.SetNum(p + 1, row, digits[p]);
        emit document_->Feed.DrawsChanged();
        // Every tier the 复式 won, not only its best.
        QVERIFY2(Cell(table, 1, 6)
                     .contains(Issue(40) + QStringLiteral("期 四等奖×1，五等奖×1，六等奖×2 330元")),
                 qPrintable(Cell(table, 1, 6)));
        QVERIFY(Cell(table, 1, 6).contains("2期未开奖"));
        QCOMPARE(form_->Ledger().Total.Cost, 4 + 12);
        // The 一等奖 has no amount yet: the total's net and return are open, not -12 or 0%.
        const int tiers = form_->Rules().TierCount();
        const int total = Rows(form_->LedgerTable) - 1;
        QCOMPARE(Cell(form_->LedgerTable, total, 4 + tiers), QStringLiteral("未知"));
        QCOMPARE(Cell(form_->LedgerTable, total, 5 + tiers), QStringLiteral("未知"));
        QVERIFY(form_->SummaryLbl->text().contains(QStringLiteral("盈亏未知")));
        QCOMPARE(form_->Ledger().Total.Wins, (TTierCounts{2, 0, 0, 1, 1, 2}));
        QCOMPARE(form_->Ledger().PendingCost, 24);

        // Kept in the database: a new window sees the same book.
        NewForm();
        QCOMPARE(form_->Tickets().size(), size_t{2});
        table = form_->TicketTable;
        table->selectRow(1);
        QCOMPARE(form_->TicketEd->text(), QStringLiteral("12/3/456/7/8/9/0 追3期"));
        Type("12/3/456/7/8/9/0 x3 追3期");
        form_->EditBt->click();
        QCOMPARE(form_->Tickets()[1].Ticket.Multiple, 3);
        table->selectRow(0);
        form_->DeleteBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{1});
        form_->UndoBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{2});
        form_->UndoBt->click();
        QCOMPARE(form_->Tickets()[1].Ticket.Multiple, 1);
        QVERIFY(!form_->UndoBt->isEnabled());  // the earlier window's steps are its own
        QVERIFY(log_.Messages.isEmpty());
    }

    // An import with a bad line adds nothing and names the line; a good file adds every
    // ticket in one step; the export reads back to the same tickets.
    void importNamesBadLinesAndExportReadsBack() {
        const QString bad = Path("bad.txt");
        Write(bad, "1234567\n# 注释\n12/3/456/7/8/9\n7654321 x0\n");
        log_.FileNames.push_back(bad);
        form_->ImportBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{0});
        QCOMPARE(log_.Messages.size(), 1);
        QVERIFY(log_.Messages[0].contains("第3行"));
        QVERIFY(log_.Messages[0].contains("第4行"));
        QVERIFY(form_->StatusBar->currentMessage().isEmpty());  // nothing was imported

        const QString good = Path("good.txt");
        Write(good,
              QStringLiteral("1234567 x2\n0/1/2/3/4/5/67 追2期 第%1期\n").arg(Issue(10)).toUtf8());
        log_.FileNames.push_back(good);
        form_->ImportBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{2});
        QCOMPARE(form_->StatusBar->currentMessage(), QStringLiteral("已导入2张票"));
        QVERIFY(SaveScreenshot(*form_, QStringLiteral("ticket-book.png")));
        QCOMPARE(form_->Tickets()[0].FirstRow, 10);
        form_->UndoBt->click();
        QCOMPARE(form_->Tickets().size(), size_t{0});
        log_.FileNames.push_back(good);
        form_->ImportBt->click();

        const QString out = Path("out.txt");
        log_.FileNames.push_back(out);
        form_->ExportBt->click();
        QCOMPARE(form_->StatusBar->currentMessage(),
                 QStringLiteral("票据已导出到 ") + QDir::toNativeSeparators(out));
        const TTicketReading again = ReadTicketLines(Read(out).toStdString());
        QVERIFY(again.Faults.empty());
        QCOMPARE(again.Tickets.size(), size_t{2});
        QCOMPARE(TicketText(again.Tickets[0]),
                 QStringLiteral("0/1/2/3/4/5/67 追2期 第%1期").arg(Issue(10)).toStdString());
        QCOMPARE(again.Tickets[1].Issue, Issue(40).toStdString());  // entered for the coming draw

        // A write that fails says so once, naming the file once, with the reason.
        const QString nowhere = Path("missing/out.txt");
        log_.FileNames.push_back(nowhere);
        log_.Messages.clear();
        form_->ExportBt->click();
        QCOMPARE(log_.Messages.size(), 1);
        QCOMPARE(log_.Messages[0].count(nowhere), 1);
        QVERIFY(log_.Messages[0].contains(QStringLiteral("无法写入文件")));
    }

    // Tickets sent from another window, the ledger's CSV and print, the history of one bet.
    void ledgerExportsPrintsAndHistoryCounts() {
        std::vector<TTicket> sent;
        for (const std::string& line : RandomDrawLines(9, 30)) {
            TTicket ticket = ParseTicket(line);
            ticket.Issue = IssueOfDrawRow(document_->Draws, document_->Register, 5);
            ticket.DrawCount = 40;  // rows 5-44: the last five not yet drawn
            sent.push_back(ticket);
        }
        QVERIFY(form_->AddTickets(sent, QStringLiteral("缩水")));
        QCOMPARE(Cell(form_->TicketTable, 0, 7), QStringLiteral("缩水"));
        const TLedger& ledger = form_->Ledger();
        QCOMPARE(ledger.Draws.size(), size_t{35});
        QCOMPARE(ledger.Total.Cost, 30 * 35 * 2);
        QCOMPARE(ledger.PendingBets, 30 * 5);
        QCOMPARE(ledger.Draws.back().CumulativeFixedNet, ledger.Total.FixedNet());
        QCOMPARE(Rows(form_->LedgerTable), 36);
        // The expected amounts are grouped like the others: -1,046.31, not -1046.31.
        const int expected = form_->LedgerTable->model()->columnCount() - 1;
        for (int row = 0; row < 35; ++row) {
            const double value = ledger.Draws[static_cast<size_t>(row)].CumulativeExpectedNet;
            QCOMPARE(Cell(form_->LedgerTable, row, expected).contains(QLatin1Char(',')),
                     std::abs(value) >= 999.995);
        }
        form_->Pages->setCurrentIndex(1);
        QVERIFY(SaveScreenshot(*form_, QStringLiteral("ticket-ledger.png")));

        const QString csv = Path("ledger.csv");
        log_.FileNames.push_back(csv);
        form_->ExportCsvBt->click();
        const QString text = QString::fromUtf8(Read(csv));
        QVERIFY(Read(csv).startsWith("\xEF\xBB\xBF"));
        QVERIFY(text.contains(QStringLiteral("期号,注数")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 1 + 35 + 2);

        // The PDF itself is kept among the artifacts beside the picture of its first page.
        const QString pdf = ArtifactPath(QStringLiteral("ticket-ledger.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        form_->PrintLedger(printer);
        QVERIFY(Read(pdf).startsWith("%PDF"));
        // Its first page as the reader shows it, where poppler's pdftoppm is installed.
        if (const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
            !pdftoppm.isEmpty()) {
            const QString png = ArtifactPath(QStringLiteral("ticket-ledger-pdf.png"));
            QFile::remove(png);
            QProcess render;
            render.start(pdftoppm,
                         {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                          QStringLiteral("-singlefile"), pdf, png.chopped(4)});
            QVERIFY(render.waitForFinished(60000));
            QCOMPARE(render.exitCode(), 0);
            QVERIFY(QFileInfo(png).size() > 0);
            // Nothing is painted into the page's left margin (the chart's value labels once
            // were, measured at the screen's resolution on a printer's).
            const QImage rendered(png);
            QVERIFY(!rendered.isNull());
            for (int y = 0; y < rendered.height(); ++y)
                for (int x = 0; x < rendered.width() / 100; ++x)
                    QVERIFY2(qGray(rendered.pixel(x, y)) > 128, qPrintable(QString::number(y)));
        }
        // Every text fits its column and the columns fit the page (turned when needed), also
        // for texts far wider than the ledger's; the first page is kept as a picture.
        QStandardItemModel wide(2, 8);
        for (int c = 0; c < 8; ++c) {
            wide.setHorizontalHeaderItem(c, new QStandardItem(QStringLiteral("累计盈亏（元）")));
            wide.setItem(0, c, new QStandardItem(QStringLiteral("2024123–2024134")));
            wide.setItem(1, c, new QStandardItem(QStringLiteral("5,000,000+未知")));
        }
        const QAbstractItemModel& ledgerModel = *form_->LedgerTable->model();
        for (const QAbstractItemModel* model :
             {&ledgerModel, static_cast<const QAbstractItemModel*>(&wide)}) {
            QPrinter paper(QPrinter::ScreenResolution);
            paper.setOutputFormat(QPrinter::PdfFormat);
            const TLedgerLayout layout = LayOutLedger(paper, *model);
            const QFontMetrics metrics(layout.Font, &paper);
            int total = 0;
            for (int c = 0; c < model->columnCount(); ++c) {
                const int width = layout.Widths[static_cast<size_t>(c)];
                total += width;
                QVERIFY(metrics.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) <
                        width);
                for (int r = 0; r < model->rowCount(); ++r)
                    QVERIFY(metrics.horizontalAdvance(model->index(r, c).data().toString()) <
                            width);
            }
            QVERIFY(total <= paper.pageLayout().paintRectPixels(paper.resolution()).width());
            QCOMPARE(layout.Landscape, model == &wide);
            if (model != &ledgerModel) continue;
            QImage page(paper.pageLayout().paintRectPixels(paper.resolution()).size(),
                        QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            PaintLedger(painter, page.rect(), layout, form_->SummaryLbl->text(), *form_->Chart,
                        *model, [] { return false; });
            painter.end();
            QVERIFY(page.save(ArtifactPath(QStringLiteral("ticket-ledger-print.png"))));
        }

        // Row 0's own draw wins 一等奖 once, last at row 0 or later.
        form_->HistoryEd->setText(QString::fromStdString(RandomDrawLines(5, 40)[0]));
        form_->HistoryBt->click();
        QVERIFY(Cell(form_->HistoryTable, 0, 1).toInt() >= 1);
        QVERIFY(form_->HistoryLbl->text().contains("40期"));
        form_->HistoryEd->setText("12");
        form_->HistoryBt->click();
        QVERIFY(form_->HistoryLbl->text().contains("有2位"));
        QVERIFY(log_.Messages.isEmpty());
    }

    // A damaged book is moved aside with a message; the window opens an empty one.
    void aDamagedBookIsKeptAside() {
        form_.reset();
        Write(Path("work.gtmq.tickets.db"), QByteArray(3000, 'z'));
        NewForm();
        QCOMPARE(log_.Messages.size(), 1);
        QVERIFY(log_.Messages[0].contains(".bak"));
        QCOMPARE(Read(Path("work.gtmq.tickets.db.bak")), QByteArray(3000, 'z'));
        QCOMPARE(form_->Tickets().size(), size_t{0});
        // A rules file that cannot be used: the built-in table, and a message.
        form_.reset();
        Write(Path("rules.txt"), "[a]\ntier = x, 7, 5\ntier = y, 7, 1\n");
        NewForm();
        QCOMPARE(log_.Messages.size(), 2);
        QVERIFY(log_.Messages[1].contains("重叠"));
        QCOMPARE(form_->Rules().TierCount(), 6);
    }

    // The main window's command opens the book beside the work document.
    void theMainWindowOpensTheBook() {
        TMainWindowFixture fixture;
        auto form = fixture.NewWindow();
        QCOMPARE(form->TicketMenuBook->shortcut(), QKeySequence("Ctrl+T"));
        form->TicketMenuBook->trigger();
        QVERIFY(form->TicketBook()->isVisible());
        QVERIFY(QFile::exists(form->DocumentPath() + ".tickets.db"));
        // The rules file is put in the program folder for editing, and reads as the table used.
        const QByteArray rules = fixture.ReadFile(QStringLiteral("game-rules.txt"));
        QVERIFY(rules.contains("tier = 三等奖, 5, 1800"));
        QCOMPARE(ReadGameRules(rules.toStdString()).front().ExpectedReturn(),
                 form->TicketBook()->Rules().ExpectedReturn());
        QVERIFY(form->close());
    }

  private:
    TScriptedPrompts::TLog log_;
    std::unique_ptr<TScriptedPrompts> prompts_;
    std::unique_ptr<QTemporaryDir> folder_;
    // No 期号 known: rows are numbered from the first issue.
    std::unique_ptr<TStandaloneDocument> document_;
    std::unique_ptr<TTicketBookForm> form_;
};

QTEST_MAIN(TestTicketBook)
#include "test_ticket_book.moc"
