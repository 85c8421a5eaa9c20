#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <memory>
#include <set>
#include <vector>

#include "app/patterns/PatternListController.h"
#include "app/patterns/PatternListModel.h"
#include "search/Gui2RegMgr.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/Screenshot.h"

class TestPatternList : public QObject {
    Q_OBJECT

  private:
    std::vector<std::unique_ptr<TGui2Reg>> owned_;

    const TGui2Reg* Make(int high, int low, int steps, int layout = 1, int contrast = 3) {
        owned_.push_back(MakePattern(high, low, steps, layout, contrast));
        return owned_.back().get();
    }

    static std::vector<const TGui2Reg*> Rows(const TPatternListModel& model) {
        std::vector<const TGui2Reg*> rows;
        for (int r = 0; r < model.RowCount(); ++r) rows.push_back(model.PatternAt(r));
        return rows;
    }

    static QStringList Column(const TPatternListModel& model, int column) {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.data(model.index(r, column), Qt::DisplayRole).toString();
        return texts;
    }

  private slots:
    void cleanup() { owned_.clear(); }

    void rowTextsOfAPattern() {
        TPatternListModel model;
        const TGui2Reg* p = Make(3, 2, 4, 2, 3);
        model.Append(std::vector<const TGui2Reg*>{p});
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "点");
        QCOMPARE(model.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), "结果");
        QCOMPARE(model.columnCount(), 8);
        QCOMPARE(model.headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(), "验证");
        QStringList texts;
        for (int c : {0, 1, 2, 3, 6})
            texts << model.data(model.index(0, c), Qt::DisplayRole).toString();
        QCOMPARE(texts, (QStringList{"32", "4", "隔一", "明对", "A=72"}));
        // The 结果 cell and its header say what the two digits are and what chance gives them.
        const QString tip = model.data(model.index(0, 6), Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith(QStringLiteral("规律给出：A=7或2，命中机会20%。")),
                 qPrintable(tip));
        QVERIFY(model.headerData(6, Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("38表示3或8")));
    }

    void verificationFollowsTheDraws() {
        // Low line A0 + B0, high line A-1 + B-1, 明对, predicting draw 20 (0-based).
        auto pattern = MakePattern(2, 2, 4);
        TCodes draws;
        draws.SetCount(20);
        TPatternListModel model;
        model.Append(std::vector<const TGui2Reg*>{pattern.get()});
        const QModelIndex cell = model.index(0, TPatternListModel::VerifyColumn);
        QCOMPARE(model.data(cell, Qt::DisplayRole).toString(), "");  // no draws given
        model.SetDraws(&draws);
        QCOMPARE(model.data(cell, Qt::DisplayRole).toString(), "");  // draw 20 unknown

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const int32_t row = draws.Add();
        draws.SetNum(1, row, 2);
        draws.SetNum(2, row, 3);  // 2 + 3 against 0: differ by 5
        model.DrawsChanged();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.front().at(0).toModelIndex().column(), TPatternListModel::VerifyColumn);
        QCOMPARE(model.data(cell, Qt::DisplayRole).toString(), "中");
        draws.SetNum(2, row, 1);
        QCOMPARE(model.data(cell, Qt::DisplayRole).toString(), "未中");
        draws.SetCount(19);
        QCOMPARE(model.data(cell, Qt::DisplayRole).toString(), "无效");

        // Sorting by the column: empty, then 无效 (CE DE), then 中 (D6 D0) in code page 936.
        auto later = MakePattern(2, 2, 4);
        later->BaseRow = 19;
        auto hit = MakePattern(2, 2, 4);
        hit->BaseRow = 18;  // A+B of draw 18 (0) against draw 17 (0): equal, 明对 holds
        model.Append(std::vector<const TGui2Reg*>{hit.get(), later.get()});
        model.SortByColumn(TPatternListModel::VerifyColumn);
        QStringList order;
        for (int r = 0; r < 3; ++r)
            order << model.data(model.index(r, TPatternListModel::VerifyColumn), Qt::DisplayRole)
                         .toString();
        QCOMPARE(order, (QStringList{"", "无效", "中"}));
    }

    void rowsStandInPointsOrderAfterEveryAddition() {
        TPatternListModel model;
        model.Append(std::vector<const TGui2Reg*>{Make(3, 3, 4), Make(2, 2, 5)});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.Append(std::vector<const TGui2Reg*>{Make(2, 3, 6), Make(3, 2, 7), Make(2, 2, 8)});
        QCOMPARE(Column(model, 0), (QStringList{"22", "22", "23", "32", "33"}));
        // A row of the same text goes after the rows already there.
        QCOMPARE(Column(model, 1), (QStringList{"5", "8", "6", "7", "4"}));
        QCOMPARE(inserted.count(), 3);  // one insertion per "点" text of the batch
    }

    void numberColumnsSortByValueBothWaysAndTheNextAdditionRestoresPointsOrder() {
        TPatternListModel model;
        model.Append(std::vector<const TGui2Reg*>{Make(2, 2, 4), Make(2, 3, 10), Make(3, 3, 5),
                                                  Make(3, 2, 12), Make(2, 2, 10)});
        QSignalSpy shown(&model, &TPatternListModel::SortShown);
        model.SortByColumn(1);
        QCOMPARE(model.SortColumn, 1);
        QCOMPARE(Column(model, 1), (QStringList{"4", "5", "10", "10", "12"}));
        // Descending keeps equal keys in their present order: "22" 10 before "23" 10.
        model.SortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(Column(model, 1), (QStringList{"12", "10", "10", "5", "4"}));
        QCOMPARE(Column(model, 0), (QStringList{"32", "22", "23", "33", "22"}));
        model.SortByColumn(0, Qt::DescendingOrder);
        QCOMPARE(Column(model, 0), (QStringList{"33", "32", "23", "22", "22"}));
        QCOMPARE(shown.count(), 3);
        QCOMPARE(shown.last(), (QList<QVariant>{0, QVariant::fromValue(Qt::DescendingOrder)}));

        model.Append(std::vector<const TGui2Reg*>{Make(2, 2, 6)});
        QCOMPARE(Column(model, 0), (QStringList{"22", "22", "22", "23", "32", "33"}));
        QCOMPARE(model.ShownSortColumn(), 0);
        QCOMPARE(model.ShownSortOrder(), Qt::AscendingOrder);
        QCOMPARE(model.SortColumn, 0);
    }

    void numberKeysOrderByValueTextKeysByBytes() {
        // "点" joins two counts: 1 and 10 read 110, above 33 and below 1010.
        const std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> smaller = {
            {{3, 3}, {1, 10}}, {{1, 10}, {10, 10}}, {{2, 2}, {2, 3}}, {{9, 9}, {10, 1}}};
        for (const auto& [a, b] : smaller) {
            const auto pa = MakePattern(a.first, a.second, 4);
            const auto pb = MakePattern(b.first, b.second, 4);
            QVERIFY2(TPatternListModel::Compare(*pa, *pb, 0) < 0,
                     qPrintable(QString::fromStdString(pa->PointsText() + " " + pb->PointsText())));
        }
        const auto four = MakePattern(2, 2, 4);
        const auto ten = MakePattern(2, 2, 10);
        QVERIFY(TPatternListModel::Compare(*four, *ten, 1) < 0);
        QVERIFY(TPatternListModel::Compare(*ten, *four, 5) < 0);  // 合值 stays a text
        QVERIFY(TPatternListModel::IsNumericColumn(1));
        QVERIFY(!TPatternListModel::IsNumericColumn(5));
    }

    void chineseNamesSortInCodePage936Order() {
        TPatternListModel model;
        model.Append(std::vector<const TGui2Reg*>{Make(2, 2, 4, 1, 1), Make(2, 2, 4, 2, 2),
                                                  Make(2, 2, 4, 3, 3), Make(2, 2, 4, 4, 1)});
        model.SortByColumn(2);
        QCOMPARE(Column(model, 2), (QStringList{"隔版", "隔二", "隔一", "流水"}));
        model.SortByColumn(3);
        QCOMPARE(Column(model, 3), (QStringList{"明对", "全对", "全明", "全明"}));
    }

    void foldedLettersAndPrefixes() {
        TGui2Reg a;
        TGui2Reg b;
        a.AddStep({3, 8});
        b.AddStep({3, 8});
        b.AddStep({1, 2});
        QVERIFY(TPatternListModel::Compare(a, b, 5) > 0);  // "83" against "21,83"
        TGui2Reg c;
        c.AddStep({3, 8});
        c.AddStep({3, 8});
        QVERIFY(TPatternListModel::Compare(a, c, 5) < 0);  // a prefix is the smaller text
        b.SetPosition(0, 2, true);  // step 0 of b now reads "8x", compared as "8X"
        QVERIFY(TPatternListModel::CompareKey(b, 5).find('X') != std::string::npos);
        QCOMPARE(TPatternListModel::Compare(a, a, 5), 0);
    }

    void sortKeepsTheSelectedPatternSelected() {
        TPatternListModel model;
        const TGui2Reg* wanted = Make(2, 2, 9);
        model.Append(std::vector<const TGui2Reg*>{Make(2, 2, 4), wanted, Make(2, 2, 12)});
        QItemSelectionModel selection(&model);
        selection.select(model.index(1, 0),
                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        model.SortByColumn(1, Qt::DescendingOrder);  // 12, 9, 4
        const QModelIndexList rows = selection.selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(model.PatternAt(rows.first().row()), wanted);
        QCOMPARE(rows.first().row(), 1);
    }

    // Clicks on the headers of a list with more rows than fit, a large selection and a current
    // row far down.
    void headerClicksReverseKeepTheSelectionAndShowTheCurrentRow_data() {
        QTest::addColumn<int>("backgroundFrom");
        QTest::newRow("on the window's thread") << 1000000;
        QTest::newRow("on a thread of its own") << 1000;
    }

    void headerClicksReverseKeepTheSelectionAndShowTheCurrentRow() {
        QFETCH(int, backgroundFrom);
        SearchOptions options;
        TGui2RegMgr manager(options);
        TPatternListModel model;
        model.BackgroundSortRows = backgroundFrom;
        QTableView view;
        view.setModel(&model);
        SetUpPatternListView(view, QFontMetrics(view.font()).height() + 4);
        view.resize(400, 300);
        TPatternListController list(view, model, manager, nullptr);
        QHeaderView& header = *view.horizontalHeader();
        QVERIFY(header.isSortIndicatorShown());
        QCOMPARE(header.sortIndicatorSection(), 0);
        QCOMPARE(header.sortIndicatorOrder(), Qt::AscendingOrder);

        std::vector<const TGui2Reg*> rows;
        for (int i = 0; i < 30000; ++i) rows.push_back(Make(2 + i % 2, 2, 3 + i * 7 % 40));
        model.Append(rows);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // Rows 100 to 15099 selected: more than the old limit of 10,000.
        view.selectionModel()->select(QItemSelection(model.index(100, 0), model.index(15099, 6)),
                                      QItemSelectionModel::Select);
        const TGui2Reg* current = model.PatternAt(200);
        view.selectionModel()->setCurrentIndex(model.index(200, 2), QItemSelectionModel::NoUpdate);
        const std::vector<const TGui2Reg*> before = list.SelectedPatterns();
        const std::set<const TGui2Reg*> selected(before.begin(), before.end());
        QSignalSpy changes(view.selectionModel(), &QItemSelectionModel::selectionChanged);

        struct TClick {
            int Column;
            Qt::SortOrder Order;
        };
        for (const TClick click : {TClick{1, Qt::AscendingOrder}, TClick{1, Qt::DescendingOrder},
                                   TClick{1, Qt::AscendingOrder}, TClick{0, Qt::AscendingOrder},
                                   TClick{0, Qt::DescendingOrder}, TClick{5, Qt::AscendingOrder}}) {
            list.SortByColumn(click.Column);
            QTRY_VERIFY(!model.Sorting());
            QCOMPARE(header.sortIndicatorSection(), click.Column);
            QCOMPARE(header.sortIndicatorOrder(), click.Order);
            const std::vector<const TGui2Reg*> after = list.SelectedPatterns();
            QCOMPARE(after.size(), before.size());
            QVERIFY(std::set<const TGui2Reg*>(after.begin(), after.end()) == selected);
            const QModelIndex at = view.selectionModel()->currentIndex();
            QCOMPARE(model.PatternAt(at.row()), current);
            QCOMPARE(at.column(), 2);
            QCoreApplication::processEvents();
            QVERIFY(view.viewport()->rect().intersects(view.visualRect(at)));
        }
        QCOMPARE(changes.count(), 0);  // the same patterns stay selected
        list.SortByColumn(1);
        QTRY_VERIFY(!model.Sorting());
        QVERIFY(SaveScreenshot(view, QStringLiteral("pattern-list-sorted.png")));

        model.Append(std::vector<const TGui2Reg*>{Make(2, 2, 4)});
        QCOMPARE(header.sortIndicatorSection(), 0);
        QCOMPARE(header.sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void aLongSortRunsOnItsJobAndChangesWaitForIt() {
        SearchOptions options;
        TGui2RegMgr manager(options);
        TPatternListModel model;
        model.BackgroundSortRows = 100;
        QTableView view;
        view.setModel(&model);
        TPatternListController list(view, model, manager, nullptr);
        std::vector<const TGui2Reg*> rows;
        for (int i = 0; i < 20000; ++i)
            rows.push_back(manager.Add(MakePattern(2 + i % 3, 2, 3 + i * 7 % 40)));
        model.Append(rows);
        TPatternListModel reference;
        reference.Append(rows);
        reference.SortByColumn(1);
        QSignalSpy busy(&model, &TPatternListModel::SortingChanged);

        const QStringList before = Column(model, 1);
        list.SortByColumn(1);
        QVERIFY(model.Sorting());
        QCOMPARE(Column(model, 1), before);  // unchanged until the sort has ended
        QVERIFY(!view.horizontalHeader()->sectionsClickable());
        list.SortByColumn(4);  // ignored while sorting
        QTRY_VERIFY(!model.Sorting());
        QCOMPARE(busy.count(), 2);
        QVERIFY(view.horizontalHeader()->sectionsClickable());
        QCOMPARE(model.ShownSortColumn(), 1);
        for (int r = 0; r < model.RowCount(); r += 997)
            QCOMPARE(model.PatternAt(r), reference.PatternAt(r));

        // A change while a sort runs waits for it, then applies to the sorted rows.
        list.SortByColumn(1);  // descending
        QVERIFY(model.Sorting());
        const auto removed = model.RemoveRows({0});
        QVERIFY(!model.Sorting());
        QCOMPARE(TPatternListModel::CellText(*removed.front(), 1), Column(reference, 1).last());
        QCOMPARE(model.ShownSortOrder(), Qt::DescendingOrder);

        // Deleting while a sort runs deletes the rows selected, wherever the sort puts them.
        view.selectionModel()->select(QItemSelection(model.index(10, 0), model.index(12, 0)),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const std::vector<const TGui2Reg*> chosen = list.SelectedPatterns();
        list.SortByColumn(5);
        QVERIFY(model.Sorting());
        const auto deleted = list.DeleteSelected();
        QVERIFY(deleted.has_value());
        QVERIFY(
            std::set<const TGui2Reg*>(deleted->RowPatterns.begin(), deleted->RowPatterns.end()) ==
            std::set<const TGui2Reg*>(chosen.begin(), chosen.end()));
        QCOMPARE(deleted->Taken.Patterns.size(), chosen.size());
    }

    // Qt's model checker watches every signal and answer of the model while rows are appended,
    // sorted (here and on the job), deleted, put back as an undo does, swapped and cleared;
    // a view keeps persistent indexes on the selected rows meanwhile.
    void theModelCheckerFindsNoFaultThroughEveryKindOfChange() {
        TPatternListModel model;
        model.BackgroundSortRows = 50;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTableView view;
        view.setModel(&model);
        std::vector<const TGui2Reg*> all;
        for (int i = 0; i < 300; ++i) all.push_back(Make(2 + i % 4, 2 + i % 3, 1 + i * 7 % 23));
        for (size_t i = 0; i < all.size(); i += 40)
            model.Append(std::span<const TGui2Reg* const>(all.data() + i,
                                                          std::min<size_t>(40, all.size() - i)));
        QCOMPARE(model.RowCount(), 300);
        view.selectRow(17);
        const TGui2Reg* selected = model.PatternAt(17);
        for (int column = 0; column < TPatternListModel::ColumnCount; ++column)
            model.SortByColumn(column, column % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
        model.SortByColumnLater(1, Qt::AscendingOrder, nullptr, nullptr);
        QVERIFY(model.Sorting());
        model.FinishSort();
        QCOMPARE(model.PatternAt(view.currentIndex().row()), selected);  // followed the sorts

        const std::vector<const TGui2Reg*> before = Rows(model);
        const std::vector<int> deleted = {3, 4, 5, 90, 91, 250};
        const std::vector<const TGui2Reg*> taken = model.RemoveRows(deleted);
        QCOMPARE(model.RowCount(), 294);
        // Undo: the rows go back where they stood, ascending.
        model.InsertRows(deleted, {taken.rbegin(), taken.rend()});
        QVERIFY(Rows(model) == before);

        model.Append(std::vector<const TGui2Reg*>{Make(9, 9, 1)});  // back to "点" order
        QCOMPARE(model.ShownSortColumn(), 0);
        TPatternListModel::TRows held = TPatternListModel::RowsInPointsOrder({all[0], all[1]});
        model.SwapRows(held);
        QCOMPARE(model.RowCount(), 2);
        model.SwapRows(held);
        QCOMPARE(model.RowCount(), 301);
        model.Clear();
        QCOMPARE(model.RowCount(), 0);
    }

    void removeRowsGivesBackTheirPatterns() {
        TPatternListModel model;
        std::vector<const TGui2Reg*> ps = {Make(2, 2, 4), Make(2, 2, 5), Make(2, 2, 6),
                                           Make(2, 2, 7)};
        model.Append(ps);
        const auto removed = model.RemoveRows({0, 2, 3});
        QCOMPARE(removed.size(), size_t(3));
        QCOMPARE(removed[0], ps[3]);
        QCOMPARE(removed[2], ps[0]);
        QCOMPARE(model.RowCount(), 1);
        QCOMPARE(model.PatternAt(0), ps[1]);
    }
};

QTEST_MAIN(TestPatternList)
#include "test_pattern_list.moc"
