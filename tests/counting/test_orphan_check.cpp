// The orphan-line check: marking by category and by product, the repair, and the two list modes
// and the pre-print check built on them.
#include "TestSupport.h"

#include "counting/OrphanQuestions.h"
#include "platform/Cursor.h"
#include "platform/Db.h"

using namespace counting;

namespace {
const QDate kDate(2026, 3, 31);
const QDate kOther(2025, 3, 31);

void line(int id, const QDate& d, const QVariant& koumoku, const QVariant& hinmeiId, const QVariant& mark = {})
{
    db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単価, 価格, 品名ID, 区分調整) "
             "VALUES (?, ?, ?, '品', 1, 100, 100, ?, ?)",
             {id, db::isoDate(d), koumoku, hinmeiId, mark});
}

QVariant field(int id, const char* name)
{
    return db::scalar(QStringLiteral("SELECT %1 FROM 棚卸マスター WHERE ID = ?").arg(QString::fromUtf8(name)), {id});
}

QList<qint64> linesOf(const LineQuery& lines)
{
    QList<qint64> ids;
    QSqlQuery q = db::exec(lines.sql(), lines.args);
    while (q.next())
        ids.append(q.value(0).toLongLong());
    return ids;
}

// Categories 0 (未区分), 1 and 2; products 10 and 11. Lines of the date: 1 in category 1, 2 in
// category 7 (missing), 3 in 未区分, 4 without a category, 5 with no product; 6 belongs to
// another date and carries the missing category and a sentinel mark.
void fill()
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '食品')");
    db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (10, 'ノート'), (11, 'ペン')");
    line(1, kDate, 1, 10);
    line(2, kDate, 7, 11);
    line(3, kDate, 0, 99);
    line(4, kDate, QVariant(), 10);
    line(5, kDate, 2, QVariant());
    line(6, kOther, 7, 99, 5);
}
} // namespace

class TestOrphanCheck : public QObject {
    Q_OBJECT
private slots:
    void dateWithoutLinesMarksAndAsksNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        markOrphans(kDate, OrphanKey::Category);
        QVERIFY(markedLineIds(kDate).isEmpty());
        const UncategorisedCheck r = CheckUncategorised(kDate);
        QVERIFY(!r.linesMarked);
        QVERIFY(r.mayPrint);
        int shows = 0;
        ListOrphanKoumoku(kDate, [&](const LineQuery& f) { ++shows; QVERIFY(linesOf(f).isEmpty()); });
        QCOMPARE(shows, 1);                       // the empty grid is still shown
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!pointer::isHourglass());
    }

    void categoryMarksAndRepair()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(markedLineIds(kDate), (QList<qint64>{2, 4}));   // missing and empty keys; 未区分 is a category
        QCOMPARE(field(1, "区分調整").toInt(), 0);
        QCOMPARE(field(6, "区分調整").toInt(), 5);                // another date is not touched
        QCOMPARE(linesOf(markedLines(kDate)), (QList<qint64>{2, 4}));

        repairMarked(kDate);
        QVERIFY(markedLineIds(kDate).isEmpty());
        QCOMPARE(field(2, "項目ID").toInt(), 0);
        QCOMPARE(field(4, "項目ID").toInt(), 0);
        QCOMPARE(field(5, "項目ID").toInt(), 2);
        QCOMPARE(field(6, "項目ID").toInt(), 7);
        QCOMPARE(field(6, "区分調整").toInt(), 5);
    }

    void productMarksAreOverwrittenByCategoryCheck()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        int shows = 0;
        QList<qint64> shown;
        ListOrphanShohin(kDate, [&](const LineQuery& f) { ++shows; shown = linesOf(f); });
        QCOMPARE(shows, 1);
        QCOMPARE(shown, (QList<qint64>{3, 5}));   // product 99 missing, and an empty product
        QVERIFY(env.dialogs.shown.isEmpty());     // never asks, changes no key
        QCOMPARE(field(3, "区分調整").toInt(), 1);
        QCOMPARE(field(3, "品名ID").toInt(), 99);
        QVERIFY(!pointer::isHourglass());

        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(field(3, "区分調整").toInt(), 0);
        QCOMPARE(field(5, "区分調整").toInt(), 0);
        QCOMPARE(field(2, "区分調整").toInt(), 1);
    }

    void listModeAsksAndShowsTheSameLinesAfterRepair()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        QList<QList<qint64>> shows;
        env.dialogs.answers << dlg::vbYes;
        ListOrphanKoumoku(kDate, [&](const LineQuery& f) { shows.append(linesOf(f)); });
        QCOMPARE(env.dialogs.messages(), QStringList{kAskOrphanKoumokuList});
        QCOMPARE(env.dialogs.shown.first().title, QStringLiteral("Question"));
        QCOMPARE(shows.size(), 2);
        QCOMPARE(shows.at(1), (QList<qint64>{2, 4}));
        QCOMPARE(field(2, "項目ID").toInt(), 0);
        QCOMPARE(dlg::MsgAnswer, int(dlg::vbYes));
        QVERIFY(!pointer::isHourglass());
    }

    void uncategorisedCheckFollowsTheAnswer()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        env.dialogs.answers << dlg::vbNo;
        UncategorisedCheck r = CheckUncategorised(kDate);
        QVERIFY(r.linesMarked);
        QVERIFY(!r.mayPrint);
        QCOMPARE(env.dialogs.messages(), QStringList{kAskUncategorised});
        QCOMPARE(field(2, "区分調整").toInt(), 1);   // No keeps the marks and the keys
        QCOMPARE(field(2, "項目ID").toInt(), 7);

        env.dialogs.answers << dlg::vbYes;
        r = CheckUncategorised(kDate);
        QVERIFY(r.linesMarked);
        QVERIFY(r.mayPrint);
        QCOMPARE(field(2, "項目ID").toInt(), 0);
        QCOMPARE(field(2, "区分調整").toInt(), 0);

        env.dialogs.clear();
        r = CheckUncategorised(kDate);
        QVERIFY(!r.linesMarked);
        QVERIFY(r.mayPrint);
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void checkWritesOnlyTheMarksThatChange()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto changes = [] { return db::scalar("SELECT total_changes()").toLongLong(); };
        qint64 before = changes();
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(changes() - before, 5);             // every line of the date had no mark yet
        before = changes();
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(changes() - before, 0);             // nothing changed, nothing written
        QCOMPARE(markedLineIds(kDate), (QList<qint64>{2, 4}));

        db::exec("UPDATE 棚卸マスター SET 区分調整 = 3 WHERE ID = 1");   // a stray value is put right
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (7, '雑貨')");
        before = changes();
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(changes() - before, 2);             // line 1's stray mark and line 2 found again
        QCOMPARE(markedLineIds(kDate), (QList<qint64>{4}));
        QCOMPARE(field(1, "区分調整").toInt(), 0);
        QCOMPARE(field(6, "区分調整").toInt(), 5);

        before = changes();
        markOrphans(kDate, OrphanKey::Product);      // the product check overwrites what differs
        QCOMPARE(changes() - before, 3);             // 3 and 5 marked, 4 cleared
        QCOMPARE(markedLineIds(kDate), (QList<qint64>{3, 5}));
    }

    void keptLinesOutliveTheRepair()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(keepMarkedLines(kDate), 2);
        repairMarked(kDate);
        QCOMPARE(linesOf(keptLines()), (QList<qint64>{2, 4}));   // the same lines, now in 未区分
        QVERIFY(linesOf(markedLines(kDate)).isEmpty());
        // A later check that finds nothing leaves the set as it was.
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(keepMarkedLines(kDate), 0);
        QCOMPARE(linesOf(keptLines()), (QList<qint64>{2, 4}));

        // The set lives with the connection: another file starts without one.
        db::close();
        db::open(env.newDatabase("other.idb"));
        QCOMPARE(tryKeepMarkedLines(kDate), 0);
    }

    void failuresAreSilent()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        db::close();
        QVERIFY(!tryMarkOrphans(kDate, OrphanKey::Category));
        QCOMPARE(tryKeepMarkedLines(kDate), -1);
        const UncategorisedCheck r = CheckUncategorised(kDate);
        QVERIFY(!r.linesMarked);
        QVERIFY(!r.mayPrint);
        ListOrphanKoumoku(kDate, [](const LineQuery& f) { QVERIFY(f == noLines()); });
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(!pointer::isHourglass());
    }
};

BREVOTANE_TEST_MAIN(TestOrphanCheck)
#include "test_orphan_check.moc"
