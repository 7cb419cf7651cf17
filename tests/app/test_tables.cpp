// The tables' key rule, the byte-length measure of the text limits and name comparison.
#include "TestSupport.h"

#include "common/global.h"
#include "platform/Db.h"

class TestTables : public QObject {
    Q_OBJECT
private slots:
    void init() { db::close(); }

    void firstKeysOfEmptyTables()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QCOMPARE(global::GetMaxTanaID() + 1, 1L);
        global::LastShohinID = 99;
        QCOMPARE(global::GetMaxShohinID(), 0L);
        QCOMPARE(global::LastShohinID + 1, 1L);
        global::LastTaniID = 99;
        global::GetMaxTaniID();
        QCOMPARE(global::LastTaniID + 1, 1L);
        QCOMPARE(global::NextKey(QStringLiteral("単位"), QStringLiteral("単位ID")), 1L);
    }

    void categoryTableWithOnlyRowZeroGivesOne()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QCOMPARE(db::scalar(QStringLiteral("SELECT COUNT(*) FROM 項目分類")).toInt(), 1);
        QCOMPARE(db::scalar(QStringLiteral("SELECT 項目分類名 FROM 項目分類 WHERE 項目ID = 0")).toString(),
                 QStringLiteral("未区分"));
        global::LastMaxID = 77;
        QCOMPARE(global::GetMaxKoumokuID(), 0L);
        QCOMPARE(global::LastMaxID + 1, 1L);
    }

    void keysFollowTheHighestRowOnly()
    {
        testsupport::Env env;
        env.openNewDatabase();
        for (int id : {1, 2, 5})
            db::exec(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名) VALUES (?, '2024-03-31', 0, 'x')"), {id});
        QCOMPARE(global::GetMaxTanaID() + 1, 6L);
        // The highest line's key comes back once it is deleted; a gap below is never filled.
        db::exec(QStringLiteral("DELETE FROM 棚卸マスター WHERE ID = 5"));
        QCOMPARE(global::GetMaxTanaID() + 1, 3L);
        db::exec(QStringLiteral("DELETE FROM 棚卸マスター WHERE ID = 1"));
        QCOMPARE(global::GetMaxTanaID() + 1, 3L);

        db::exec(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (7, 'a')"));
        QCOMPARE(global::GetMaxShohinID(), 7L);
        QCOMPARE(global::LastShohinID, 7L);

        // Products and categories: keys that count lines still carry count as well, so a deleted
        // row's key is not given to a new row while lines show under it.
        db::exec(QStringLiteral("UPDATE 棚卸マスター SET 項目ID = 4, 品名ID = 9 WHERE ID = 2"));
        QCOMPARE(global::GetMaxShohinID(), 9L);
        QCOMPARE(global::LastShohinID, 9L);
        QCOMPARE(global::GetMaxKoumokuID(), 4L);
        QCOMPARE(global::NextKey(QStringLiteral("項目分類"), QStringLiteral("項目ID")), 5L);
        QCOMPARE(global::MaxKey(QStringLiteral("単位"), QStringLiteral("単位ID")), 0L);
        db::exec(QStringLiteral("DELETE FROM 棚卸マスター"));
        QCOMPARE(global::GetMaxKoumokuID(), 0L);
        QCOMPARE(global::GetMaxShohinID(), 7L);
    }

    void keyBeyondThirtyTwoBitsIsRefused()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec(QStringLiteral("INSERT INTO 単位 (単位ID, 単位) VALUES (2147483647, '個')"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, global::NextKey(QStringLiteral("単位"), QStringLiteral("単位ID")));
    }

    void byteLengthAtTheEntryLimits()
    {
        const QString full20(20, QChar(0x68da));   // 棚
        QCOMPARE(global::LenB_Ansi(full20), 40);
        QVERIFY(global::LenB_Ansi(full20) <= 40);
        QVERIFY(global::LenB_Ansi(full20 + QChar(0x5378)) > 40);          // 21 full-width
        QVERIFY(global::LenB_Ansi(QString(41, QLatin1Char('a'))) > 40);   // 41 half-width
        QVERIFY(global::LenB_Ansi(QString(40, QLatin1Char('a'))) <= 40);
        QVERIFY(global::LenB_Ansi(QStringLiteral("ｹｰｽ")) <= 4);           // half-width katakana: 1 byte
        QCOMPARE(global::LenB_Ansi(QStringLiteral("ｹｰｽ")), 3);
        QCOMPARE(global::LenB_Ansi(QStringLiteral("ｶﾞ")), 2);             // the voiced mark is its own byte
        QVERIFY(global::LenB_Ansi(QStringLiteral("ケース")) > 4);
        QVERIFY(global::LenB_Ansi(QStringLiteral("個入")) <= 4);          // unit of 2 full-width
        QVERIFY(global::LenB_Ansi(QStringLiteral("pcs_x")) > 4);          // 5 half-width
        QCOMPARE(global::LenB_Ansi(QStringLiteral("Ａ１")), 4);
        // A character code page 932 cannot hold still takes room: it is not waved through as 0.
        QCOMPARE(global::LenB_Ansi(QString(20, QChar(0x00e9))), 40);
    }

    void namesMatchInOtherAsciiLetterCase()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec(QStringLiteral("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (1, 'Coffee Beans ＬＬ', 1200, 'kg')"));
        db::exec(QStringLiteral("INSERT INTO 単位 (単位ID, 単位) VALUES (1, 'Kg')"));
        db::exec(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, 'Drinks')"));

        QCOMPARE(db::scalar(QStringLiteral("SELECT 品名ID FROM 仕入商品 WHERE 品名 = ?"), {QStringLiteral("coffee BEANS ＬＬ")}).toInt(), 1);
        QCOMPARE(db::scalar(QStringLiteral("SELECT 単位ID FROM 単位 WHERE 単位 = ?"), {QStringLiteral("KG")}).toInt(), 1);
        QCOMPARE(db::scalar(QStringLiteral("SELECT 項目ID FROM 項目分類 WHERE 項目分類名 = ?"), {QStringLiteral("drinks")}).toInt(), 1);
        QCOMPARE(db::scalar(QStringLiteral("SELECT COUNT(*) FROM 仕入商品 WHERE 品名 LIKE '%' || ? || '%'"), {QStringLiteral("beans")}).toInt(), 1);
        // Only ASCII letters fold: full-width letters keep their case.
        QVERIFY(!db::scalar(QStringLiteral("SELECT 品名ID FROM 仕入商品 WHERE 品名 = ?"), {QStringLiteral("Coffee Beans ｌｌ")}).isValid());
    }
};

BREVOTANE_TEST_MAIN(TestTables)
#include "test_tables.moc"
