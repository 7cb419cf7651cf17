// Rules the count windows share: totals line, narrowing lists and their key boxes.
#include "TestSupport.h"

#include "counting/ClosingDateTotals.h"
#include "counting/CountWindowRules.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"

#include "platform/GridLayout.h"

#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>

using counting::NarrowList;

class TestCountWindowRules : public QObject {
    Q_OBJECT
private slots:
    void totalsLine()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const QDate d(2026, 3, 31);
        QCOMPARE(counting::totalsText(d), QStringLiteral("Max Record 0   Total 0"));
        for (int i = 1; i <= 3; ++i)
            db::exec("INSERT INTO 棚卸マスター (ID, 日付, 価格) VALUES (?, ?, 0)", {i, db::isoDate(d)});
        QCOMPARE(counting::totalsText(d), QStringLiteral("Max Record 3   Total 0"));
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 価格) VALUES (4, ?, 999999.0), (5, ?, 1.0), (6, '2025-03-31', 5)",
                 {db::isoDate(d), db::isoDate(d)});
        QCOMPARE(counting::totalsText(d), QStringLiteral("Max Record 5   Total 1,000,000"));

        QLineEdit box;
        box.setText("before");
        db::close();
        counting::ShowTotal(&box, d);     // no connection: the box keeps its text
        QCOMPARE(box.text(), QStringLiteral("before"));
    }

    void narrowingListsAndKeyBox()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'ボール'), (2, 'ノート'), (3, 'ルーペ'), (4, 'It''s 100%'), (5, 'a_b')");
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '文具セット')");

        DataCombo combo;
        QLineEdit key;
        combo.bindKeyBox(&key);
        combo.setText(QStringLiteral("ル"));
        QVERIFY(counting::narrow(&combo, NarrowList::EntryProduct));
        QCOMPARE(combo.rowCount(), 2);
        QCOMPARE(combo.itemText(0), QStringLiteral("ボール"));   // by name
        QCOMPARE(combo.itemText(1), QStringLiteral("ルーペ"));
        QCOMPARE(key.text(), QStringLiteral("1"));
        QCOMPARE(combo.text(), QStringLiteral("ル"));            // the typed text survives the refill

        combo.setText(QString());
        QVERIFY(counting::narrow(&combo, NarrowList::EntryProduct));
        QCOMPARE(combo.rowCount(), 5);

        combo.setText(QStringLiteral("It's"));                   // an apostrophe is just text
        QVERIFY(counting::narrow(&combo, NarrowList::CorrectionProduct));
        QCOMPARE(combo.rowCount(), 1);
        combo.setText(QStringLiteral("a_"));                     // the user's _ stays a wildcard
        QVERIFY(counting::narrow(&combo, NarrowList::CorrectionProduct));
        QCOMPARE(combo.rowCount(), 1);

        combo.setText(QString());
        QVERIFY(counting::narrow(&combo, NarrowList::EntryCategory));
        QCOMPARE(combo.rowCount(), 2);                           // no 未区分 in the entry list
        QVERIFY(counting::narrow(&combo, NarrowList::CorrectionCategory));
        QCOMPARE(combo.rowCount(), 3);
        QCOMPARE(combo.itemText(0), QStringLiteral("未区分"));
        QCOMPARE(key.text(), QStringLiteral("0"));

        // A pick moves the current row, so the key is the picked category's, not the first one's.
        QSignalSpy clicks(&combo, &DataCombo::Click);
        emit combo.activated(2);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(key.text(), QStringLiteral("2"));
        QCOMPARE(combo.currentKey().toInt(), 2);

        combo.setText(QStringLiteral("存在しない"));
        QVERIFY(counting::narrow(&combo, NarrowList::CorrectionCategory));
        QCOMPARE(combo.rowCount(), 0);
        QVERIFY(key.text().isEmpty());
    }

    void gridLayoutByPosition()
    {
        QStandardItemModel model(2, 4);
        QTableView view;
        view.setModel(&model);
        grid::setColumnWidths(&view, {0, 1440, -1, 720});
        QVERIFY(view.isColumnHidden(0));
        QCOMPARE(view.columnWidth(1), 96);
        QCOMPARE(view.columnWidth(3), 48);
        // The view's own default delegate must not be mistaken for the right-aligning one.
        grid::setRightAligned(&view, {1, 3});
        QVERIFY(view.itemDelegateForColumn(1) != nullptr);
        QVERIFY(view.itemDelegateForColumn(1) != view.itemDelegate());
        QCOMPARE(view.itemDelegateForColumn(3), view.itemDelegateForColumn(1));
        QCOMPARE(view.itemDelegateForColumn(2), nullptr);
    }
};

BREVOTANE_TEST_MAIN(TestCountWindowRules)
#include "test_count_window_rules.moc"
