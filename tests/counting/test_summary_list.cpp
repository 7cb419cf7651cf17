// The summary list's data side without a window: how a text picks a mode, each mode's rows, sums,
// counts and order on a prepared count, the export's SELECT, the print hand-over and the read-only
// model that reads its rows as they are needed.
#include "TestSupport.h"

#include "SummaryListData.h"

#include "counting/SummaryList.h"
#include "platform/Db.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace counting;
using namespace summarydata;

namespace {

// The rows of a query as texts joined by '|', one string per row.
QStringList rowsOf(const ListSql& q)
{
    return testsupport::queryRows(q.sql, q.args);
}

QStringList columnsOf(const ListSql& q)
{
    QSqlQuery r = db::exec(q.sql, q.args);
    QStringList names;
    for (int c = 0; c < r.record().count(); ++c)
        names << r.record().fieldName(c);
    return names;
}

// One column of every row.
QStringList column(const ListSql& q, int c)
{
    QStringList out;
    for (const QString& row : rowsOf(q))
        out << row.section('|', c, c);
    return out;
}

} // namespace

class TestSummaryList : public QObject {
    Q_OBJECT
private slots:
    void modeNamesAndLookup()
    {
        QCOMPARE(listModeNames(),
                 (QStringList{"項目/分類別集計表", "項目/分類情報に登録されていない棚卸", "品名別集計表",
                              "品名情報に登録されていない棚卸", "単価未入力の棚卸", "棚卸をすべて表示"}));
        for (const QString& name : listModeNames())
            QCOMPARE(listModeName(listModeForText(name)), name);
        QCOMPARE(listModeForText("品名リスト"), ListMode::ProductList);   // typed only: not in the list
        QVERIFY(!listModeNames().contains("品名リスト"));
        // Whole and exact: anything else lists every line.
        for (const QString& other : {QString(), QStringLiteral("品名"), QStringLiteral("品名リスト "),
                                     QStringLiteral(" 品名別集計表"), QStringLiteral("品名別集計表X"),
                                     QStringLiteral("項目／分類別集計表")})
            QCOMPARE(listModeForText(other), ListMode::All);
        QVERIFY(isOrphanMode(ListMode::OrphanCategory) && isOrphanMode(ListMode::OrphanProduct));
        QVERIFY(!isOrphanMode(ListMode::All));
    }

    void everyLineAndUnpriced()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        const ListSql all = listQuery(ListMode::All, kDate);
        QCOMPARE(columnsOf(all), (QStringList{"項目ID", "項目分類名", "品名", "数量", "単位", "単価", "価格", "備考",
                                              "備考1", "品名ID", "区分調整"}));
        // ID order; the line of the deleted category 工具 is missing; the other date is not listed.
        QCOMPARE(column(all, 2), (QStringList{"ボールペン", "ノート", "りんご(旧)", "みかん", "消しゴム", "ノート"}));
        QCOMPARE(column(all, 1), (QStringList{"文具", "文具", "食品", "食品", "文具", "文具"}));
        QCOMPARE(column(listQuery(ListMode::Unpriced, kDate), 2), (QStringList{"みかん", "消しゴム"}));
        QCOMPARE(rowsOf(listQuery(ListMode::All, QDate(2000, 1, 1))), QStringList());
    }

    void groupedSums()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        const ListSql byCategory = listQuery(ListMode::CategorySum, kDate);
        QCOMPARE(columnsOf(byCategory), (QStringList{"日付", "項目分類名", "合計", "集計数"}));
        // The two categories named 文具 give one row (700 = 200 + 400 + 0 + 100, larger than 食品's
        // 500 only when summed together); the deleted category gives none.
        QCOMPARE(rowsOf(byCategory), (QStringList{"2026-03-31|文具|700|4", "2026-03-31|食品|500|2"}));

        // By the product's name in the master now (りんご, not the line's りんご(旧)); the two
        // products named ノート give one row; the line of a missing product is left out; in name
        // order.
        const ListSql byProduct = listQuery(ListMode::ProductSum, kDate);
        QCOMPARE(columnsOf(byProduct), (QStringList{"日付", "品名", "合計", "集計数"}));
        QCOMPARE(rowsOf(byProduct), (QStringList{"2026-03-31|りんご|500|1", "2026-03-31|ノート|500|2",
                                                 "2026-03-31|ハンマー|1000|1", "2026-03-31|ボールペン|200|1",
                                                 "2026-03-31|消しゴム|0|1"}));
        QCOMPARE(rowsOf(listQuery(ListMode::CategorySum, kOther)), QStringList{"2025-03-31|文具|9999|1"});
    }

    void productList()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        const ListSql q = listQuery(ListMode::ProductList, kDate);
        QCOMPARE(columnsOf(q), (QStringList{"日付", "ID", "項目分類名", "品名", "参考単価"}));
        QCOMPARE(column(q, 1), (QStringList{"1", "2", "3", "5", "7", "8"}));
        QCOMPARE(rowsOf(q).at(2), QStringLiteral("2026-03-31|3|食品|りんご(旧)|50"));
        QVERIFY(listQuery(ListMode::OrphanCategory, kDate).sql.isEmpty());
        QVERIFY(listQuery(ListMode::OrphanProduct, kDate).sql.isEmpty());
    }

    void exportSelect()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        const std::optional<ListSql> all = exportQuery(ListMode::All, kDate);
        QVERIFY(all);
        QCOMPARE(columnsOf(*all), (QStringList{"項目分類", "品名", "数量", "単位", "単価", "金額"}));
        QCOMPARE(rowsOf(*all).size(), 6);   // the deleted category's line is not written
        QCOMPARE(rowsOf(*all).first(), QStringLiteral("文具|ボールペン|2|個|100|200"));
        const std::optional<ListSql> unpriced = exportQuery(ListMode::Unpriced, kDate);
        QVERIFY(unpriced);
        QCOMPARE(column(*unpriced, 1), (QStringList{"みかん", "消しゴム"}));
        for (ListMode m : {ListMode::CategorySum, ListMode::ProductSum, ListMode::ProductList, ListMode::OrphanCategory,
                           ListMode::OrphanProduct})
            QVERIFY(!exportQuery(m, kDate));
    }

    void printHandOvers()
    {
        const QDate d(2024, 12, 31);
        const auto byCategory = printHandOver(ListMode::CategorySum, d);
        QVERIFY(byCategory);
        QCOMPARE(byCategory->dialog, QStringLiteral("DialogTanaMoto3"));
        QVERIFY(byCategory->setsControls);
        QCOMPARE(byCategory->closingDate, d);
        QCOMPARE(byCategory->title, QStringLiteral("棚卸表 (項目/分類別集計)"));
        QCOMPARE(byCategory->groupHeading, QStringLiteral("項目/分類名"));
        const auto byProduct = printHandOver(ListMode::ProductSum, d);
        QVERIFY(byProduct && byProduct->setsControls);
        QCOMPARE(byProduct->title, QStringLiteral("棚卸表 (品名別集計)"));
        QCOMPARE(byProduct->groupHeading, QStringLiteral("品名"));
        const auto book = printHandOver(ListMode::ProductList, d);
        QVERIFY(book && !book->setsControls);
        QCOMPARE(book->dialog, QStringLiteral("DialogTanaMoto2"));
        const auto sheets = printHandOver(ListMode::All, d);
        QVERIFY(sheets && !sheets->setsControls);
        QCOMPARE(sheets->dialog, QStringLiteral("DialogTanaMoto1"));
        for (ListMode m : {ListMode::Unpriced, ListMode::OrphanCategory, ListMode::OrphanProduct})
            QVERIFY(!printHandOver(m, d));
    }

    void modelReadsRowsAsNeeded()
    {
        testsupport::Env env;
        env.openNewDatabase();
        {
            db::Transaction tx;
            for (int i = 1; i <= 3000; ++i)
                db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 価格) VALUES (?, ?, 0, ?, 1)",
                         {i, db::isoDate(kDate), QStringLiteral("品%1").arg(i)});
            tx.commit();
        }
        SummaryListModel m;
        const ListSql q = listQuery(ListMode::All, kDate);
        QVERIFY(m.show(q.sql, q.args));
        QVERIFY(m.rowCount() > 0);
        QVERIFY(m.rowCount() < 3000);   // not read whole
        QVERIFY(m.canFetchMore());
        while (m.canFetchMore())
            m.fetchMore();
        QCOMPARE(m.rowCount(), 3000);
        QCOMPARE(m.data(m.index(2999, 2)).toString(), QStringLiteral("品3000"));
        QVERIFY(!(m.flags(m.index(0, 2)) & Qt::ItemIsEditable));
        QVERIFY(!m.setData(m.index(0, 2), QStringLiteral("x")));

        // A query that fails leaves no rows.
        QVERIFY(!m.show(QStringLiteral("SELECT * FROM 無い表 WHERE 日付 = ?"), {db::isoDate(kDate)}));
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.columnCount(), 0);
    }
};

BREVOTANE_TEST_MAIN(TestSummaryList)
#include "test_summary_list.moc"
