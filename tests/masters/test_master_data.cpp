// The master tables without a window: the key rule of a new row, the row stored with only its
// key, the delete by key (未区分 kept), the windows' queries, and the editable rows' storing rules.
#include "TestSupport.h"

#include "common/global.h"
#include "masters/MasterData.h"
#include "masters/MasterModel.h"
#include "platform/Db.h"

#include <QSqlRecord>

using namespace masters;

namespace {
int count(const QString& table)
{
    return db::scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).toInt();
}

QList<qint64> keys(const MasterModel& m)
{
    QList<qint64> k;
    for (int r = 0; r < m.rowCount(); ++r)
        k.append(m.keyAt(r));
    return k;
}
} // namespace

class TestMasterData : public QObject {
    Q_OBJECT
private slots:
    void keysOfNewRows()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // Empty tables, and a category table holding only 未区分, start at 1.
        for (const MasterTable* t : {&products(), &categories(), &units()})
            QCOMPARE(nextKey(*t), 1);
        QCOMPARE(addRow(categories()), 1);
        QCOMPARE(addRow(categories()), 2);
        QCOMPARE(db::scalar("SELECT COUNT(*) FROM 項目分類 WHERE 項目ID = 2 AND 項目分類名 IS NULL").toInt(), 1);

        // The highest key comes back after its row is deleted; gaps below it are never filled.
        db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (1, '個'), (5, '箱')");
        QCOMPARE(addRow(units()), 6);
        QVERIFY(deleteRow(units(), 6));
        QVERIFY(deleteRow(units(), 1));
        QCOMPARE(addRow(units()), 6);
        QVERIFY(!deleteRow(units(), 1));                         // already gone

        // The new row holds its key and nothing else.
        const qint64 k = addRow(products());
        QCOMPARE(db::scalar("SELECT COUNT(*) FROM 仕入商品 WHERE 品名ID = ? AND 品名 IS NULL AND 単価 IS NULL AND 単位 IS NULL",
                            {k}).toInt(), 1);
    }

    void keysRunOut()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (2147483647, 'x')");
        QVERIFY_THROWS_EXCEPTION(global::KeyRangeError, addRow(products()));
        QCOMPARE(count("仕入商品"), 1);                         // nothing half-added
    }

    void uncategorisedIsNeverDeleted()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具')");
        QVERIFY(!deleteRow(categories(), 0));
        QVERIFY(deleteRow(categories(), 1));
        QCOMPARE(db::scalar("SELECT 項目分類名 FROM 項目分類").toString(), QStringLiteral("未区分"));
    }

    void windowsQueries()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'ボールペン'), (2, 'インク'), (3, NULL)");
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (2, 'B'), (1, 'A')");
        db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (3, '箱'), (1, '個')");

        MasterModel p(products());
        QVERIFY(p.load());
        QCOMPARE(keys(p), (QList<qint64>{3, 2, 1}));              // by name, the empty name first
        p.setOrder(Order::ByKey);
        QVERIFY(p.load());
        QCOMPARE(keys(p), (QList<qint64>{1, 2, 3}));
        QCOMPARE(p.record().fieldName(2), QStringLiteral("単価")); // whole rows in table order

        MasterModel c(categories());
        QVERIFY(c.load());
        QCOMPARE(keys(c), (QList<qint64>{1, 2}));                 // 未区分 not shown
        MasterModel u(units());
        QVERIFY(u.load());
        QCOMPARE(keys(u), (QList<qint64>{1, 3}));
        QCOMPARE(u.rowOfKey(3), 1);
        QCOMPARE(u.rowOfKey(9), -1);
    }

    void editsAreStoredOrKept()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (1, 'ペン', 100, '本'), (2, 'ノート', 150, '冊')");
        MasterModel m(products());
        m.setOrder(Order::ByKey);
        QVERIFY(m.load());
        const QModelIndex price = m.index(0, 2);
        const QModelIndex name = m.index(0, 1);

        // The key is the key rule's, not the user's.
        QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!m.setData(m.index(0, 0), 7));

        // Setting what is there already is no edit; an empty text is the same as no name.
        QVERIFY(m.setData(name, QStringLiteral("ペン")));
        QVERIFY(!m.isDirty());

        // Text in the price is refused in Japanese, and kept to be corrected.
        QVERIFY(m.setData(price, QStringLiteral("abc")));
        QVERIFY(!m.storePending());
        QCOMPARE(m.lastRefusal(), QStringLiteral("単価には数値を入力してください。"));
        QCOMPARE(m.data(price).toString(), QStringLiteral("abc"));
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 100.0);
        QSignalSpy refused(&m, &MasterModel::editRefused);
        QVERIFY(!m.submit());
        QCOMPARE(refused.size(), 1);
        for (const char* notFinite : {"1e999", "-1e999", "inf", "nan"}) {
            QVERIFY(m.setData(price, QString::fromLatin1(notFinite)));
            QVERIFY2(!m.storePending(), notFinite);
        }

        // Full-width digits are a number; an emptied price is no value; names go in as typed.
        QVERIFY(m.setData(price, QStringLiteral("１２０．５")));
        QVERIFY(m.setData(name, QStringLiteral("O'Neil 한글 😀")));
        QVERIFY(m.storePending());
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 120.5);
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品 WHERE 品名ID = 1").toString(), QStringLiteral("O'Neil 한글 😀"));
        QVERIFY(m.setData(m.index(1, 2), QStringLiteral("  ")));
        QVERIFY(m.storePending());
        QVERIFY(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 2").isNull());
        QCOMPARE(count("仕入商品"), 2);
    }
};

BREVOTANE_TEST_MAIN(TestMasterData)
#include "test_master_data.moc"
