// The count-line grid without a window: the searches' selections, reading typed cells, and the
// model that fetches as the grid scrolls while the shared connection goes on writing.
#include "TestSupport.h"

#include "SqlTrace.h"
#include "counting/CountLineGrid.h"
#include "counting/CountLineQueries.h"
#include "counting/CountLineStore.h"
#include "counting/OrphanCheck.h"
#include "platform/Db.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

using namespace counting;

namespace {
const QDate kDate(2026, 3, 31);

void lines(int count, const QDate& d = kDate, int firstId = 1)
{
    db::Transaction tx;
    for (int i = 0; i < count; ++i)
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単価, 価格, 品名ID) VALUES (?, ?, 1, ?, 1, 10, 10, 1)",
                 {firstId + i, db::isoDate(d), QStringLiteral("品%1").arg(firstId + i)});
    tx.commit();
}

QVariant field(int id, const char* name)
{
    return db::scalar(QStringLiteral("SELECT %1 FROM 棚卸マスター WHERE ID = ?").arg(QString::fromUtf8(name)), {id});
}

QList<qint64> ids(CountLineModel& m)
{
    m.fetchUpTo(INT_MAX - 1);
    QList<qint64> out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.append(m.record(r).value("ID").toLongLong());
    return out;
}

QModelIndex cell(CountLineModel& m, int row, const char* name)
{
    return m.index(row, m.record().indexOf(QString::fromUtf8(name)));
}

// True when the text is for the user: Japanese, no English words of the driver (field names such as
// ID may stand in it).
bool japaneseOnly(const QString& t)
{
    return !t.isEmpty() && !t.contains(QRegularExpression("[a-z]"));
}
} // namespace

class TestCountLineGrid : public QObject {
    Q_OBJECT
private slots:
    void typedCellsAreReadAsTheEntryWindowReadsThem()
    {
        QCOMPARE(readLineCell("単価", "1,234.5").value.toDouble(), 1234.5);
        QCOMPARE(readLineCell("数量", QStringLiteral("１２")).value.toDouble(), 12.0);
        QCOMPARE(readLineCell("項目ID", QStringLiteral("１２")).value.toLongLong(), 12);
        QVERIFY(readLineCell("価格", "  ").accepted());
        QVERIFY(readLineCell("価格", "  ").value.isNull());           // empty: no value
        QCOMPARE(readLineCell("品名", "1e309").value.toString(), QStringLiteral("1e309"));   // text stays text

        for (const char* bad : {"1e309", "-1e309", "abc", "1.2.3"}) {
            const CellValue c = readLineCell("数量", QString::fromLatin1(bad));
            QVERIFY2(!c.accepted(), bad);
            QVERIFY(c.refusal.contains(QStringLiteral("「数量」")));
        }
        for (const char* bad : {"1.5", "2147483648", "-2147483649", "x"}) {
            const CellValue c = readLineCell("品名ID", QString::fromLatin1(bad));
            QVERIFY2(!c.accepted(), bad);
            QVERIFY(c.refusal.contains("2147483647"));
        }
        QVERIFY(!readLineCell("区分調整", "40000").accepted());
        QVERIFY(readLineCell("区分調整", "1").accepted());

        // The database's own refusals are told in Japanese.
        for (const char* driver : {"UNIQUE constraint failed: 棚卸マスター.ID",
                                   "cannot store TEXT value in REAL column 棚卸マスター.数量",
                                   "CHECK constraint failed: 日付", "database is locked", "disk I/O error"}) {
            const QString why = refusalReason(QSqlError(QString(), QString::fromUtf8(driver)));
            QVERIFY2(japaneseOnly(why), driver);
        }
    }

    void searchesAreOneBoundQuery()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 単価) VALUES "
                 "(1, '2026-03-31', 2, 'ボールペン', 100), (2, '2026-03-31', 1, 'ノート', 0), "
                 "(3, '2026-03-31', 0, 'ペン立て', 0), (4, '2026-03-31', 1, 'it''s', 5), (5, '2025-03-31', 1, 'ノート', 0)");
        CountLineModel m;
        SqlTrace trace;
        QVERIFY(m.showLines(productLines(kDate, "ノート")));
        QCOMPARE(ids(m), (QList<qint64>{2}));
        QVERIFY(m.showLines(productLines(kDate, "'s")));            // an apostrophe is just text
        QCOMPARE(ids(m), (QList<qint64>{4}));
        QVERIFY(m.showLines(productLines(kDate, "%ペン")));         // the user's % stays a wildcard
        QCOMPARE(ids(m), (QList<qint64>{1, 3}));
        QVERIFY(m.showLines(productLines(kDate, QString())));
        QCOMPARE(ids(m), (QList<qint64>{1, 2, 3, 4}));
        QVERIFY(m.showLines(categoryLines(kDate, 1)));
        QCOMPARE(ids(m), (QList<qint64>{2, 4}));
        QVERIFY(m.showLines(unpricedLines(kDate)));
        QCOMPARE(ids(m), (QList<qint64>{2, 3}));
        QVERIFY(m.showLines(everyLine()));
        QCOMPARE(ids(m), (QList<qint64>{1, 2, 3, 4, 5}));
        QVERIFY(m.showLines(noLines()));
        QCOMPARE(m.rowCount(), 0);

        // Each search was one statement, the typed text bound, no key list.
        QStringList selects = trace.matching("SELECT * FROM 棚卸マスター");
        selects.replaceInStrings(QRegularExpression(":\\d+"), "?");   // the driver numbers the placeholders
        QCOMPARE(selects.size(), 8);
        QCOMPARE(selects.at(1), QStringLiteral("SELECT * FROM 棚卸マスター WHERE 日付 = ? AND 品名 LIKE '%' || ? || '%' ORDER BY ID ASC"));
        for (const QString& s : selects)
            QVERIFY2(!s.contains("IN (") && !s.contains("'s") && !s.contains("2026"), qPrintable(s));
    }

    void writesWorkWhileALongResultIsPartlyRead()
    {
        testsupport::Env env;
        env.openNewDatabase();
        lines(3000);
        CountLineModel m;
        QVERIFY(m.showLines(productLines(kDate, QString())));
        QVERIFY(m.rowCount() > 0 && m.rowCount() < 1000);          // not read whole
        QVERIFY(m.canFetchMore());

        // An edit of a shown line is stored in its own statement and committed.
        QVERIFY(m.setData(cell(m, 0, "数量"), QStringLiteral("１２")));
        QVERIFY(m.storePending());
        QCOMPARE(field(1, "数量").toDouble(), 12.0);
        QCOMPARE(m.data(cell(m, 0, "数量")).toDouble(), 12.0);

        // Deletes, a transaction that commits and one that rolls back.
        deleteLine(2);
        QVERIFY(!field(2, "ID").isValid());
        markOrphans(kDate, OrphanKey::Category);
        QCOMPARE(field(3000, "区分調整").toInt(), 1);
        {
            db::Transaction tx;
            db::exec("UPDATE 棚卸マスター SET 備考 = 'x' WHERE ID = 2999");
        }
        QVERIFY(field(2999, "備考").isNull());

        // The rest of the result still comes in.
        QVERIFY(!m.fetchUpTo(5000));
        QCOMPARE(m.rowCount(), 3000);                                // line 2 was read before its delete
        for (int r = 1; r < m.rowCount(); ++r)                       // read on, never started over
            QVERIFY(m.record(r).value("ID").toInt() > m.record(r - 1).value("ID").toInt());

        // The file is really written: another connection sees the change.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "Other");
            other.setDatabaseName(db::openPath());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("SELECT 数量 FROM 棚卸マスター WHERE ID = 1") && q.next());
            QCOMPARE(q.value(0).toDouble(), 12.0);
        }
        QSqlDatabase::removeDatabase("Other");
    }

    void refusedCellsStayAndAreToldInJapanese()
    {
        testsupport::Env env;
        env.openNewDatabase();
        lines(3);
        CountLineModel m;
        QVERIFY(m.showLines(everyLine()));
        QSignalSpy refused(&m, &CountLineModel::editRefused);

        QVERIFY(m.setData(cell(m, 0, "単価"), QStringLiteral("1e309")));
        QCOMPARE(m.data(cell(m, 0, "単価")).toString(), QStringLiteral("1e309"));   // kept to correct
        QCOMPARE(m.pendingRow(), 0);
        QVERIFY(!m.storePending());
        QVERIFY(m.lastRefusal().contains(QStringLiteral("「単価」")));
        QVERIFY(!m.submit());
        QCOMPARE(refused.size(), 1);
        QCOMPARE(field(1, "単価").toDouble(), 10.0);

        QVERIFY(m.setData(cell(m, 0, "単価"), QStringLiteral("1,234.5")));
        QVERIFY(m.storePending());
        QCOMPARE(field(1, "単価").toDouble(), 1234.5);
        QCOMPARE(m.pendingRow(), -1);

        // A key taken by another line: the database refuses, the user reads why in Japanese.
        QVERIFY(m.setData(cell(m, 0, "ID"), QStringLiteral("2")));
        QCOMPARE(m.storedKey(0).toInt(), 1);                       // the row is still line 1
        QVERIFY(!m.storePending());
        QVERIFY(japaneseOnly(m.lastRefusal()));
        m.revertRow(0);
        QCOMPARE(m.pendingRow(), -1);
        QVERIFY(m.storePending());

        // A line stored from row 0 leaves nothing behind over the next selection's row 0.
        QVERIFY(m.showLines(productLines(kDate, QStringLiteral("品3"))));
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(m.record(0).value("ID").toInt(), 3);
        QCOMPARE(m.storedKey(0).toInt(), 3);
        QCOMPARE(m.data(cell(m, 0, "単価")).toDouble(), 10.0);
    }
};

BREVOTANE_TEST_MAIN(TestCountLineGrid)
#include "test_count_line_grid.moc"
