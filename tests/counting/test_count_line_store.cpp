// The count-line store and the entry window's list of lines, without a window.
#include "SqlTrace.h"
#include "TestSupport.h"

#include "common/global.h"
#include "counting/CountLineStore.h"
#include "counting/EntryLine.h"
#include "platform/Db.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <limits>

namespace {

const QDate kDate(2026, 3, 31);

void addLines(int from, int to, const QDate& date, const QString& name = QStringLiteral("品"))
{
    db::Transaction tx;
    for (int id = from; id <= to; ++id)
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格) VALUES (?, ?, 0, ?, 1, '個', ?, ?)",
                 {id, db::isoDate(date), name + QString::number(id), id, id});
    tx.commit();
}

QList<qint64> ids(const QList<QSqlRecord>& rows)
{
    QList<qint64> out;
    for (const QSqlRecord& r : rows)
        out << r.value("ID").toLongLong();
    return out;
}

QList<qint64> range(qint64 from, qint64 to)
{
    QList<qint64> out;
    for (qint64 i = from; i <= to; ++i)
        out << i;
    return out;
}

long long count(const QString& sql)
{
    return db::scalar(sql).toLongLong();
}

} // namespace

class TestCountLineStore : public QObject {
    Q_OBJECT
private slots:
    void numbersAsTypedAndAmountsThatFit()
    {
        QVERIFY(counting::amountFits(10, 1e300));
        QVERIFY(!counting::amountFits(10, 1e308));
        QVERIFY(!counting::amountFits(-10, 1e308));
    }

    void anAmountThatIsNoNumberStoresNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        counting::EntryLine line{kDate, QStringLiteral("文具"), QStringLiteral("ペン"), 1e308, QStringLiteral("本"), 10, {}};
        QVERIFY_THROWS_EXCEPTION(db::DbError, counting::addEntryLine(line));
        line.quantity = std::numeric_limits<double>::infinity();
        line.price = 1;
        QVERIFY_THROWS_EXCEPTION(db::DbError, counting::addEntryLine(line));
        QCOMPARE(count("SELECT (SELECT COUNT(*) FROM 棚卸マスター) + (SELECT COUNT(*) FROM 仕入商品) "
                       "+ (SELECT COUNT(*) FROM 単位) + (SELECT COUNT(*) FROM 項目分類)"),
                 1);   // row 0 of the categories only
    }

    void keysPastTheRangeAreTold()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 価格) VALUES (2147483647, '2020-03-31', 0)");
        const counting::EntryLine line{kDate, QString(), QStringLiteral("ペン"), 1, QStringLiteral("本"), 10, {}};
        QVERIFY_THROWS_EXCEPTION(global::KeyRangeError, counting::addEntryLine(line));
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品"), 0);   // nothing of the line stays

        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (2147483647, '満')");
        QVERIFY_THROWS_EXCEPTION(global::KeyRangeError, counting::registerCategory(QStringLiteral("新")));
        QCOMPARE(counting::registerCategory(QStringLiteral("満")), 2147483647);   // a known name still is found

        // Nor below 1: a table holding only keys below it gives its new row key 1.
        db::exec("DELETE FROM 棚卸マスター");
        db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (-3, '個')");
        counting::addEntryLine(line);
        QCOMPARE(count("SELECT 単位ID FROM 単位 WHERE 単位 = '本'"), 1);
    }

    void categoriesRegisterOnceAndJoinTheCallersTransaction()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QCOMPARE(counting::registerCategory(QStringLiteral("文具")), 1);
        QCOMPARE(counting::registerCategory(QStringLiteral("文具")), 1);
        QCOMPARE(counting::registerCategory(QStringLiteral("未区分")), 2);   // row 0 is never matched by name
        {
            db::Transaction tx;
            QCOMPARE(counting::registerCategory(QStringLiteral("食品")), 3);
            // not committed: the category goes with the caller's work
        }
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類 WHERE 項目分類名 = '食品'"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類"), 3);
    }

    void deleteByKeyTakesThatLineOnly()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addLines(1, 3, kDate);
        counting::deleteLine(2);
        QSqlQuery q = db::exec("SELECT ID FROM 棚卸マスター ORDER BY ID");
        QList<qint64> left;
        while (q.next())
            left << q.value(0).toLongLong();
        QCOMPARE(left, (QList<qint64>{1, 3}));
        counting::deleteLine(99);   // no such line: nothing happens
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 2);
    }

    void linesOfADateInPagesFromEitherEnd()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addLines(1, 600, kDate);
        addLines(601, 610, kDate.addDays(-1));
        addLines(611, 700, kDate);

        counting::LineList list{kDate, {}};
        QCOMPARE(counting::countLines(list), 690);
        QCOMPARE(ids(counting::linesPage(list, 0, 5)), range(1, 5));
        QCOMPARE(ids(counting::linesPage(list, 598, 4)), (QList<qint64>{599, 600, 611, 612}));
        // The second half is read from the end and gives the same rows.
        QCOMPARE(ids(counting::linesPage(list, 598, 4, 690)), (QList<qint64>{599, 600, 611, 612}));
        QCOMPARE(ids(counting::linesPage(list, 680, 256, 690)), range(691, 700));
        QCOMPARE(ids(counting::linesPage(list, 680, 256)), range(691, 700));
        QVERIFY(counting::linesPage(list, 690, 10, 690).isEmpty());

        // Lines entered under another date join the list by key.
        list.extraIds = {605, 9999};
        QCOMPARE(counting::countLines(list), 691);
        QCOMPARE(ids(counting::linesPage(list, 599, 3, 691)), (QList<qint64>{600, 605, 611}));
        QCOMPARE(counting::linesPage(list, 0, 1).first().value("品名").toString(), QStringLiteral("品1"));
    }

    void historyNewestFirstInPages()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名, 数量, 単位, 単価) VALUES "
                 "(1, '2022-03-31', 'ルーペ', 4, '個', 900), (2, '2024-03-31', 'ルーペ大', 2.5, '箱', 1200), "
                 "(3, '2023-03-31', 'ルーペ', 6, '個', 950), (4, '2024-03-31', 'ボール', 1, '個', 10), "
                 "(5, '2024-03-31', 'ルーペ小', 1, '個', 500), (6, NULL, 'ルーペ', 1, '個', 1)");
        QStringList order;
        for (const QSqlRecord& r : counting::productHistory(QStringLiteral("ルーペ"), 0, 100))
            order << r.value("品名").toString() + '@' + r.value("日付").toString();
        QCOMPARE(order, (QStringList{"ルーペ小@2024-03-31", "ルーペ大@2024-03-31", "ルーペ@2023-03-31",
                                     "ルーペ@2022-03-31", "ルーペ@"}));
        QCOMPARE(counting::productHistory(QStringLiteral("ルーペ"), 0, 100).first().count(), 5);
        QCOMPARE(counting::productHistory(QStringLiteral("ルーペ"), 2, 2).first().value("日付").toString(),
                 QStringLiteral("2023-03-31"));
        QCOMPARE(counting::productHistory(QStringLiteral("ル_ペ"), 0, 100).size(), 5);   // the user's wildcard
        QCOMPARE(counting::productHistory(QStringLiteral("ﾙｰﾍﾟ"), 0, 100).size(), 0);
    }

    void totalsAndTheChangeStamp()
    {
        testsupport::Env env;
        const QString path = env.openNewDatabase();
        addLines(1, 3, kDate);   // amounts 1 + 2 + 3
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 価格) VALUES (4, ?, NULL)", {db::isoDate(kDate)});
        const counting::DateTotals t = counting::dateTotals(kDate);
        QCOMPARE(t.sum, 6.0);
        QCOMPARE(t.count, 3);   // a line without an amount is not counted
        QCOMPARE(t.lines, 4);
        QCOMPARE(counting::dateTotals(kDate.addDays(1)).count, 0);

        const counting::ChangeStamp s0 = counting::changeStamp();
        counting::linesPage({kDate, {}}, 0, 10);
        QCOMPARE(counting::changeStamp(), s0);   // reading changes nothing
        counting::deleteLine(4);
        const counting::ChangeStamp s1 = counting::changeStamp();
        QVERIFY(s1 != s0);
        {
            // Another connection writing to the file is seen too.
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY2(q.exec("INSERT INTO 棚卸マスター (ID, 日付, 価格) VALUES (50, '2026-03-31', 1)"), qPrintable(q.lastError().text()));
            other.close();
        }
        QSqlDatabase::removeDatabase("other");
        QVERIFY(counting::changeStamp() != s1);
    }

    void theEntryListReadsOnlyWhatIsShown()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addLines(1, 1000, kDate);
        db::exec("UPDATE 棚卸マスター SET 数量 = 12345678, 単価 = 12345.678 WHERE ID = 1000");
        counting::EntryLinesModel m;
        m.show({kDate, {}});
        QCOMPARE(m.rowCount(), 1000);
        QCOMPARE(m.columnCount(), 12);
        QCOMPARE(m.headerData(3, Qt::Horizontal).toString(), QStringLiteral("品名"));

        // Numbers as the correction grid writes them, dates as yyyy/MM/dd, amounts to the right.
        QCOMPARE(m.index(999, 4).data().toString(), QStringLiteral("12345678"));
        QCOMPARE(m.index(999, 6).data().toString(), QStringLiteral("12345.678"));
        QCOMPARE(m.index(999, 6).data(Qt::EditRole).toDouble(), 12345.678);
        QCOMPARE(m.index(0, 1).data().toString(), QStringLiteral("2026/03/31"));
        QCOMPARE(m.index(0, 7).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QVERIFY(!m.index(0, 3).data(Qt::TextAlignmentRole).isValid());

        // Every row reads back its own line, whichever page it sits in and in whatever order.
        for (int r : {999, 0, 511, 255, 256, 767, 998})
            QCOMPARE(m.idAt(r).value_or(-1), r + 1);

        // A new line joins as the last row; a deleted one leaves its place to the next.
        addLines(1001, 1001, kDate.addDays(3));
        m.appendLine(1001, kDate.addDays(3));
        QCOMPARE(m.rowCount(), 1001);
        QCOMPARE(m.idAt(1000).value_or(-1), 1001);
        counting::deleteLine(257);
        m.removeLineAt(256);
        QCOMPARE(m.idAt(256).value_or(-1), 258);
        QCOMPARE(m.idAt(999).value_or(-1), 1001);
        QCOMPARE(m.list().extraIds, (QList<qint64>{1001}));

        // Read again from the file, the list is the same.
        counting::EntryLinesModel again;
        again.show(m.list());
        QCOMPARE(again.rowCount(), 1000);
        QCOMPARE(again.idAt(999).value_or(-1), 1001);

        m.release();
        QCOMPARE(m.rowCount(), 0);
    }

    // Entering a line reads that line only, also where it opens a new page; the rows shown stay
    // right, and a page not read yet is read whole when asked for.
    void aNewLineJoinsThePageShownWithoutReadingItAgain()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addLines(1, 300, kDate);
        counting::EntryLinesModel m;
        m.show({kDate, {}});
        QCOMPARE(m.idAt(299).value_or(-1), 300);   // the last page (rows 256-299) is read

        SqlTrace trace;
        QVERIFY(trace.active());
        addLines(301, 301, kDate);
        trace.clear();
        m.appendLine(301, kDate);
        QCOMPARE(m.rowCount(), 301);
        QCOMPARE(m.idAt(300).value_or(-1), 301);
        QCOMPARE(m.idAt(256).value_or(-1), 257);
        QCOMPARE(m.index(300, 3).data().toString(), QStringLiteral("品301"));
        QCOMPARE(trace.statements().size(), 1);
        QVERIFY2(trace.statements().first().contains("WHERE ID = "), qPrintable(trace.statements().join(" / ")));

        // The line that starts a new page is a page of its own until the next ones join it.
        addLines(302, 512, kDate);
        m.show({kDate, {}});
        QCOMPARE(m.idAt(511).value_or(-1), 512);
        addLines(513, 514, kDate.addDays(1));
        trace.clear();
        m.appendLine(513, kDate.addDays(1));
        m.appendLine(514, kDate.addDays(1));
        QCOMPARE(m.idAt(512).value_or(-1), 513);
        QCOMPARE(m.idAt(513).value_or(-1), 514);
        QCOMPARE(m.idAt(511).value_or(-1), 512);
        QCOMPARE(trace.statements().size(), 2);
        QCOMPARE(m.list().extraIds, (QList<qint64>{513, 514}));

        // Rows of a page never read come from the file with their neighbours.
        trace.clear();
        QCOMPARE(m.idAt(0).value_or(-1), 1);
        QCOMPARE(trace.matching("LIMIT").size(), 1);
        QCOMPARE(m.idAt(255).value_or(-1), 256);
        QCOMPARE(trace.statements().size(), 1);

        // A line that is gone by the time it is read leaves its row to the page read.
        m.show({kDate, {}});
        QCOMPARE(m.idAt(511).value_or(-1), 512);
        m.appendLine(9999, kDate);
        QCOMPARE(m.rowCount(), 513);
        QVERIFY(!m.idAt(512).has_value() || m.idAt(512).value() != 9999);
    }
};

BREVOTANE_TEST_MAIN(TestCountLineStore)
#include "test_count_line_store.moc"
