// The count entry window, driven the way a user types lines in.
#include "TestSupport.h"

#include "app/frmTipA.h"
#include "common/global.h"
#include "counting/frmTana.h"
#include "platform/Cursor.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlRecord>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>

namespace {

// The window's controls, found by name as a user would see them.
struct Window {
    frmTana* form = nullptr;
    DataCombo* category = nullptr;
    DataCombo* product = nullptr;
    DataCombo* unit = nullptr;
    QLineEdit* qty = nullptr;
    QLineEdit* price = nullptr;
    QLineEdit* memo = nullptr;
    QLineEdit* totals = nullptr;
    QLineEdit* categoryKey = nullptr;
    QLineEdit* productKey = nullptr;
    QPushButton* add = nullptr;
    QPushButton* del = nullptr;
    QTableView* lines = nullptr;
    QTableWidget* history = nullptr;
    QDateEdit* date = nullptr;

    void line(const QString& cat, const QString& prod, const QString& q, const QString& p, const QString& u = QString(),
              const QString& m = QString())
    {
        category->setText(cat);
        product->setText(prod);
        // Leaving the name boxes proposes the product's unit and price, as typing does; the
        // numbers are typed after that.
        qty->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        qty->setText(q);
        price->setText(p);
        unit->setText(u);
        memo->setText(m);
        QTest::mouseClick(add, Qt::LeftButton);
    }
};

Window openWindow(bool tipAlreadyShown = true)
{
    if (tipAlreadyShown)
        frmTana::TipShown = true;
    Window w;
    w.form = forms::get<frmTana>();
    w.form->showModeless();
    QApplication::processEvents();
    auto find = [&w]<class T>(T*& p, const char* name) {
        p = w.form->findChild<T*>(QString::fromLatin1(name));
        if (!p)
            qFatal("control %s missing", name);
    };
    find(w.category, "dbcNouhin");
    find(w.product, "dbcShohin");
    find(w.unit, "dbcTani");
    find(w.qty, "txtCnt");
    find(w.price, "txtTanka");
    find(w.memo, "txtMemo");
    find(w.totals, "Text3");
    find(w.categoryKey, "Text1");
    find(w.productKey, "Text2");
    find(w.add, "cmdSubAdd");
    find(w.del, "cmdMasterCancel");
    find(w.lines, "dgdSub");
    find(w.history, "MSFlexGrid1");
    find(w.date, "DTPicker1");
    return w;
}

void focus(QWidget* w)
{
    w->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

long long count(const QString& sql, const QVariantList& args = {})
{
    return db::scalar(sql, args).toLongLong();
}

QSqlRecord lastLine()
{
    QSqlQuery q = db::exec("SELECT * FROM 棚卸マスター ORDER BY ID DESC LIMIT 1");
    q.next();
    return q.record();
}

// Rows of the tables a line writes to when it is entered.
long long tableRows()
{
    return count("SELECT (SELECT COUNT(*) FROM 棚卸マスター) + (SELECT COUNT(*) FROM 仕入商品)"
                 " + (SELECT COUNT(*) FROM 単位) + (SELECT COUNT(*) FROM 項目分類)");
}

} // namespace

class TestFrmTana : public QObject {
    Q_OBJECT
private slots:
    void amountsAreTruncatedAndTheWindowIsReadyForTheNextLine()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具')");
        Window w = openWindow();
        QCOMPARE(w.form->windowTitle(), QStringLiteral("棚　卸　表　入　力"));
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 0   Total 0"));
        QVERIFY(!w.del->isEnabled());

        w.line("文具", "ボールペン", "3", "123.45", "本", "棚A");
        QVERIFY(env.dialogs.messages().isEmpty());
        QSqlRecord r = lastLine();
        QCOMPARE(r.value("ID").toInt(), 1);
        QCOMPARE(r.value("日付").toString(), db::isoDate(w.date->date()));
        QCOMPARE(r.value("項目ID").toInt(), 1);
        QCOMPARE(r.value("数量").toDouble(), 3.0);
        QCOMPARE(r.value("単価").toDouble(), 123.45);
        QCOMPARE(r.value("価格").toDouble(), 370.0);
        QCOMPARE(r.value("備考").toString(), QStringLiteral("棚A"));
        QVERIFY(r.value("備考1").isNull());
        QVERIFY(r.value("区分調整").isNull());
        QCOMPARE(r.value("品名ID").toInt(), 1);

        // Ready for the next line of the same category.
        QVERIFY(w.product->text().isEmpty() && w.unit->text().isEmpty());
        QVERIFY(w.qty->text().isEmpty() && w.price->text().isEmpty());
        QCOMPARE(w.category->text(), QStringLiteral("文具"));
        QCOMPARE(w.memo->text(), QStringLiteral("棚A"));
        QVERIFY(w.del->isEnabled());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.product));

        w.line("文具", "消しゴム", "-1.5", "3", "個");
        QCOMPARE(lastLine().value("価格").toDouble(), -4.0);
        QCOMPARE(lastLine().value("ID").toInt(), 2);
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 2   Total 366"));
        QCOMPARE(w.lines->model()->rowCount(), 2);
        QCOMPARE(w.form->currentLineId().value_or(-1), 2L);   // the grid stands on the new line
        QCOMPARE(w.lines->model()->index(0, 1).data().toString(), w.date->date().toString("yyyy/MM/dd"));
        QVERIFY(w.lines->isColumnHidden(0) && w.lines->isColumnHidden(1) && w.lines->isColumnHidden(2));
        QVERIFY(!w.lines->isColumnHidden(3));
    }

    void emptyPriceIsStoredAsZeroAndMarked()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (5, 'ノート', 500, '冊')");
        Window w = openWindow();

        // Told, the box becomes 0; a No to the category question then keeps everything as it was.
        env.dialogs.answers << dlg::vbOK << dlg::vbNo;
        w.line("", "ノート", "2", "", "冊");
        QCOMPARE(env.dialogs.messages(),
                 QStringList({"単価が入力されていません。", "項目/分類名が選択されていません。項目/分類は無視しますか？"}));
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("Information"));
        QCOMPARE(env.dialogs.shown.at(0).icon, dlg::Icon::Information);
        QCOMPARE(env.dialogs.shown.at(1).title, QStringLiteral("Question"));
        QVERIFY(env.dialogs.shown.at(1).yesNo);
        QCOMPARE(w.price->text(), QStringLiteral("0"));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 5").toDouble(), 500.0);

        env.dialogs.clear();
        env.dialogs.answers << dlg::vbOK << dlg::vbYes;
        w.price->clear();
        QTest::mouseClick(w.add, Qt::LeftButton);
        const QSqlRecord r = lastLine();
        QCOMPARE(r.value("単価").toDouble(), 0.0);
        QCOMPARE(r.value("価格").toDouble(), 0.0);
        QCOMPARE(r.value("備考1").toString(), QStringLiteral("単価未入力"));
        QCOMPARE(r.value("品名ID").toInt(), 5);
        QCOMPARE(r.value("項目ID").toInt(), 0);
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 5").toDouble(), 0.0);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品"), 1);
    }

    void newCategoryProductAndUnitGetTheNextKeys()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (4, '食品')");
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (7, '既存品', 1, '個')");
        db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (3, '個')");
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名, 数量, 単位, 単価) VALUES (9, '2020-03-31', '新しいペン立て', 2, '台', 80)");
        // An earlier line still carries category 5 and product 8, whose rows were deleted: a new
        // category or product never takes those keys.
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 品名ID) VALUES (8, '2020-03-31', 5, '旧品', 8)");
        Window w = openWindow();

        // The category is registered as soon as the box is left, and only once.
        focus(w.category);
        testsupport::typeText(w.category, QStringLiteral("雑貨"));
        focus(w.product);
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類 WHERE 項目分類名 = '雑貨'"), 1);
        QCOMPARE(count("SELECT 項目ID FROM 項目分類 WHERE 項目分類名 = '雑貨'"), 6);
        QCOMPARE(w.categoryKey->text(), QStringLiteral("6"));
        focus(w.category);
        focus(w.product);
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類 WHERE 項目分類名 = '雑貨'"), 1);

        // "未区分" typed is a category of its own, not row 0.
        focus(w.category);
        w.category->setText(QStringLiteral("未区分"));
        focus(w.product);
        QCOMPARE(count("SELECT 項目ID FROM 項目分類 WHERE 項目分類名 = '未区分' AND 項目ID > 0"), 7);
        focus(w.category);
        w.category->setText(QStringLiteral("雑貨"));
        focus(w.product);

        // A product not in the master: the history still lists lines whose names contain the text.
        testsupport::typeText(w.product, QStringLiteral("ペン立て"));
        focus(w.qty);
        QCOMPARE(w.productKey->text(), QString());
        QCOMPARE(w.history->rowCount(), 1);
        QCOMPARE(w.history->item(0, 1)->text(), QStringLiteral("新しいペン立て"));

        w.qty->setText("1");
        w.price->setText("250");
        w.unit->setText(QStringLiteral("台"));
        QTest::mouseClick(w.add, Qt::LeftButton);
        QVERIFY(env.dialogs.messages().isEmpty());
        const QSqlRecord r = lastLine();
        QCOMPARE(r.value("ID").toInt(), 10);
        QCOMPARE(r.value("品名ID").toInt(), 9);
        QCOMPARE(r.value("項目ID").toInt(), 6);
        QSqlQuery p = db::exec("SELECT 品名, 単価, 単位 FROM 仕入商品 WHERE 品名ID = 9");
        QVERIFY(p.next());
        QCOMPARE(p.value(0).toString(), QStringLiteral("ペン立て"));
        QCOMPARE(p.value(1).toDouble(), 250.0);
        QCOMPARE(p.value(2).toString(), QStringLiteral("台"));
        QCOMPARE(count("SELECT 単位ID FROM 単位 WHERE 単位 = '台'"), 4);
    }

    void categoryQuestionOncePerOpening()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        env.dialogs.answers << dlg::vbYes;
        w.line("", "A", "1", "1", "個");
        w.line("", "B", "1", "1", "個");
        QCOMPARE(env.dialogs.messages().count(QStringLiteral("項目/分類名が選択されていません。項目/分類は無視しますか？")), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター WHERE 項目ID = 0"), 2);
        QVERIFY(w.form->ignoreCategory());

        w.form->unload();
        QApplication::processEvents();
        env.dialogs.clear();
        w = openWindow();
        QVERIFY(!w.form->ignoreCategory());
        env.dialogs.answers << dlg::vbNo;
        w.line("", "C", "1", "1", "個");
        QCOMPARE(env.dialogs.messages().size(), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 2);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品 WHERE 品名 = 'C'"), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.category));
    }

    void deletingLines()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        w.line("文具", "A", "1", "100", "個");
        w.line("文具", "B", "1", "200", "個");
        QCOMPARE(w.form->currentLineId().value_or(-1), 2L);

        env.dialogs.answers << dlg::vbNo;
        QTest::mouseClick(w.del, Qt::LeftButton);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 2);

        // The clicked row is the one deleted; the cursor moves to the next line.
        const QModelIndex first = w.lines->model()->index(0, 3);
        QTest::mouseClick(w.lines->viewport(), Qt::LeftButton, {}, w.lines->visualRect(first).center());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.del));
        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        QTest::mouseClick(w.del, Qt::LeftButton);
        QCOMPARE(env.dialogs.messages(), QStringList{"表示中のレコードを削除します。よろしいですか。"});
        QCOMPARE(count("SELECT ID FROM 棚卸マスター"), 2);
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 1   Total 200"));
        QVERIFY(w.del->isEnabled());
        QCOMPARE(w.form->currentLineId().value_or(-1), 2L);

        env.dialogs.answers << dlg::vbYes;
        QTest::mouseClick(w.del, Qt::LeftButton);
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 0   Total 0"));
        QVERIFY(!w.del->isEnabled());
        QCOMPARE(w.lines->model()->rowCount(), 0);

        // The deleted highest key comes back for the next line.
        w.line("文具", "C", "1", "1", "個");
        QCOMPARE(lastLine().value("ID").toInt(), 1);

        // A delete the database refuses: told, the window closes, the pointer waits for the main
        // window to reset it.
        db::exec("CREATE TRIGGER keep_lines BEFORE DELETE ON 棚卸マスター BEGIN SELECT RAISE(ABORT, 'kept'); END");
        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        QTest::mouseClick(w.del, Qt::LeftButton);
        QCOMPARE(env.dialogs.messages().last(),
                 db::withCause(QStringLiteral("データ削除中にエラーが発生しました。再度データの取消を行ってください。"), db::Cause::Other));
        QVERIFY(!forms::find<frmTana>());
        QVERIFY(pointer::isHourglass());
        pointer::reset();
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 1);
    }

    void nameLimitsKeepTheFocus()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        const QString twenty(20, QChar(0x3042));   // あ × 20 = 40 bytes

        focus(w.category);
        w.category->setText("  " + twenty + "  ");
        focus(w.product);
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(w.category->text(), twenty);   // trimmed and put back
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類 WHERE 項目分類名 = ?", {twenty}), 1);

        focus(w.category);
        w.category->setText(twenty + QChar(0x3042));
        focus(w.product);
        QCOMPARE(env.dialogs.messages(), QStringList{"項目/分類名は全角で２０文字以内にしてください。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.category));
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類"), 2);
        w.category->setText(QString());

        env.dialogs.clear();
        focus(w.product);
        w.product->setText(twenty);
        focus(w.qty);
        QVERIFY(env.dialogs.messages().isEmpty());
        focus(w.product);
        w.product->setText(QString(41, 'x'));
        focus(w.qty);
        QCOMPARE(env.dialogs.messages(), QStringList{"品名は全角で２０文字以内にしてください。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.product));
        w.product->setText(QStringLiteral("品"));

        env.dialogs.clear();
        focus(w.unit);
        w.unit->setText(QStringLiteral("ケース"));   // 3 full-width
        focus(w.price);
        QCOMPARE(env.dialogs.messages(), QStringList{"単位は全角で２文字以内にしてください。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.unit));
        w.unit->setText(QStringLiteral("ｹｰｽ"));     // half-width katakana: 3 bytes
        focus(w.price);
        QCOMPARE(env.dialogs.messages().size(), 1);
        w.unit->setText(QStringLiteral("箱入"));
        focus(w.price);
        QCOMPARE(env.dialogs.messages().size(), 1);

        // The button pressed with an over-long name still in a box stores nothing.
        env.dialogs.clear();
        w.line(QString(), QString(21, QChar(0x3044)), "1", "1", QStringLiteral("個"));
        QCOMPARE(env.dialogs.messages(), QStringList{"品名は全角で２０文字以内にしてください。"});
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
    }

    void historyGridNewestFirstAndClickRule()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (1, 'ルーペ', 980, '個')");
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名, 数量, 単位, 単価) VALUES "
                 "(1, '2022-03-31', 'ルーペ', 4, '個', 900), (2, '2024-03-31', 'ルーペ大', 2.5, '箱', 1200), "
                 "(3, '2023-03-31', 'ルーペ', 6, '個', 950), (4, '2024-03-31', 'ボール', 1, '個', 10)");
        Window w = openWindow();
        focus(w.product);
        testsupport::typeText(w.product, QStringLiteral("ルーペ"));
        focus(w.qty);
        // The product's own unit and price are proposed.
        QCOMPARE(w.unit->text(), QStringLiteral("個"));
        QCOMPARE(w.price->text(), QStringLiteral("980"));
        QCOMPARE(w.productKey->text(), QStringLiteral("1"));

        QCOMPARE(w.history->columnCount(), 6);
        QStringList headings;
        for (int c = 0; c < 6; ++c)
            headings << w.history->horizontalHeaderItem(c)->text();
        QCOMPARE(headings, QStringList({"日付", "品名", "数量", "単位", "単価", "     "}));
        QCOMPARE(w.history->rowCount(), 3);
        QCOMPARE(w.history->item(0, 0)->text(), QStringLiteral("2024/03/31"));
        QCOMPARE(w.history->item(1, 0)->text(), QStringLiteral("2023/03/31"));
        QCOMPARE(w.history->item(2, 0)->text(), QStringLiteral("2022/03/31"));

        w.form->MSFlexGrid1_Click(0, 2);
        QCOMPARE(w.qty->text(), QLocale::system().toString(2.5));
        w.form->MSFlexGrid1_Click(0, 3);
        QCOMPARE(w.unit->text(), QStringLiteral("箱"));
        w.form->MSFlexGrid1_Click(1, 4);
        QCOMPARE(w.price->text(), QStringLiteral("950"));
        w.form->MSFlexGrid1_Click(2, 1);   // other columns change nothing
        w.form->MSFlexGrid1_Click(2, 0);
        QCOMPARE(w.qty->text(), QLocale::system().toString(2.5));
        QCOMPARE(w.price->text(), QStringLiteral("950"));

        // An empty name leaves the history as it is.
        focus(w.product);
        w.product->setText(QString());
        focus(w.qty);
        QCOMPARE(w.history->rowCount(), 3);
    }

    void narrowingWhileTyping()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'ボール'), (2, 'ノート'), (3, 'ルーペ')");
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '文具セット')");
        Window w = openWindow();
        focus(w.product);
        QCOMPARE(w.product->count(), 3);
        testsupport::typeText(w.product, QStringLiteral("ル"));
        QCOMPARE(w.product->count(), 2);
        QCOMPARE(w.product->itemText(0), QStringLiteral("ボール"));
        QCOMPARE(w.product->itemText(1), QStringLiteral("ルーペ"));
        QCOMPARE(w.productKey->text(), QStringLiteral("1"));

        focus(w.category);
        QCOMPARE(w.category->count(), 2);   // no 未区分
        testsupport::typeText(w.category, QStringLiteral("セ"));
        QCOMPARE(w.category->count(), 1);
        QCOMPARE(w.categoryKey->text(), QStringLiteral("2"));
    }

    void apostrophesInEveryName()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        focus(w.category);
        w.category->setText(QStringLiteral("O'Brien's"));
        focus(w.product);
        w.product->setText(QStringLiteral("Bob's pen"));
        focus(w.qty);
        w.qty->setText("2");
        w.unit->setText(QStringLiteral("'"));
        w.price->setText("10");
        w.memo->setText(QStringLiteral("it's ok"));
        QTest::mouseClick(w.add, Qt::LeftButton);
        QVERIFY(env.dialogs.messages().isEmpty());
        QSqlRecord r = lastLine();
        QCOMPARE(r.value("品名").toString(), QStringLiteral("Bob's pen"));
        QCOMPARE(r.value("単位").toString(), QStringLiteral("'"));
        QCOMPARE(r.value("備考").toString(), QStringLiteral("it's ok"));
        QCOMPARE(r.value("項目ID").toInt(), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 単位 WHERE 単位 = ?", {"'"}), 1);

        // The second line finds the same product, unit and category by name.
        w.line(QStringLiteral("O'Brien's"), QStringLiteral("bob's PEN"), "1", "12", QStringLiteral("'"));
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 単位"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類"), 2);
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品").toDouble(), 12.0);
        QCOMPARE(lastLine().value("品名ID").toInt(), 1);

        focus(w.product);
        testsupport::typeText(w.product, QStringLiteral("'s"));
        QCOMPARE(w.product->count(), 1);

        // Half a surrogate pair is no character: it is left out, and the letter after it kept.
        const QChar lone(0xD800);
        w.line(lone + QStringLiteral("lone"), QStringLiteral("pen") + lone + QStringLiteral("cil"), "1", "1",
               QStringLiteral("'"), lone + QStringLiteral("note"));
        r = lastLine();
        QCOMPARE(r.value("品名").toString(), QStringLiteral("pencil"));
        QCOMPARE(r.value("備考").toString(), QStringLiteral("note"));
        QCOMPARE(db::scalar("SELECT 項目分類名 FROM 項目分類 WHERE 項目ID = ?", {r.value("項目ID")}).toString(),
                 QStringLiteral("lone"));
    }

    void numbersThatAreNotNumbersStoreNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具')");
        Window w = openWindow();
        const long long before = tableRows();

        w.line("文具", "A", "abc", "10", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"数量は数値で入力してください。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.qty));

        env.dialogs.clear();
        w.line("文具", "A", "2", "1x", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"単価は数値で入力してください。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.price));
        QCOMPARE(tableRows(), before);

        env.dialogs.clear();
        w.line("", "", "2", "1", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"商品が選択されていません。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.product));
        env.dialogs.clear();
        w.line("", "A", "", "1", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"数量が入力されていません。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.qty));
        QCOMPARE(tableRows(), before);
    }

    void aFailureMidAddStoresNoHalfLine()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (1, '既存', 100, '個')");
        Window w = openWindow();
        db::exec("CREATE TRIGGER refuse_line BEFORE INSERT ON 棚卸マスター BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const long long before = tableRows();

        // Pressed without leaving the boxes: category, product and unit are all new and all
        // registered with the line, so none of them stays behind.
        w.category->setText(QStringLiteral("新分類"));
        w.product->setText(QStringLiteral("新品"));
        w.qty->setText("1");
        w.price->setText("5");
        w.unit->setText(QStringLiteral("新単"));
        w.form->cmdSubAdd_Click();
        // The engine's own refusal has no cause the user could act on.
        const QString failed = QStringLiteral("データベースの接続に失敗しました。\n") + db::causeText(db::Cause::Other);
        QCOMPARE(env.dialogs.messages(), QStringList{failed});
        QCOMPARE(tableRows(), before);
        QCOMPARE(w.product->text(), QStringLiteral("新品"));   // the typed line is still there to retry

        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        w.line("", "既存", "1", "5", "箱");
        QCOMPARE(env.dialogs.messages().last(), failed);
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 100.0);
        QCOMPARE(db::scalar("SELECT 単位 FROM 仕入商品 WHERE 品名ID = 1").toString(), QStringLiteral("個"));
        QCOMPARE(tableRows(), before);

        db::exec("DROP TRIGGER refuse_line");
        env.dialogs.clear();
        QTest::mouseClick(w.add, Qt::LeftButton);
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 1);
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 5.0);
    }

    void aFileThatTakesNoWriteIsToldByItsCause_data()
    {
        testsupport::UnwritableFile::addRows();
    }

    void aFileThatTakesNoWriteIsToldByItsCause()
    {
        QFETCH(QString, condition);
        QFETCH(db::Cause, cause);
        testsupport::Env env;
        testsupport::UnwritableFile file(env, condition);
        db::open(file.path());
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (1, '既存', 100, '個')");
        db::close();
        if (!file.protect())
            QSKIP("this test may not make a read-only folder (no mount namespace)");
        db::open(file.path());
        Window w = openWindow();
        w.product->setText(QStringLiteral("既存"));
        w.qty->setText("2");
        w.price->setText("100");
        w.unit->setText(QStringLiteral("個"));
        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;   // no category
        file.failNow();
        w.form->cmdSubAdd_Click();
        file.release();
        QCOMPARE(env.dialogs.messages(), (QStringList{QStringLiteral("項目/分類名が選択されていません。項目/分類は無視しますか？"),
                                                      QStringLiteral("データベースの接続に失敗しました。\n") + db::causeText(cause)}));
        QCOMPARE(testsupport::withLatinLetters(env.dialogs.messages()), QStringList{});
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
        QCOMPARE(w.product->text(), QStringLiteral("既存"));   // the typed line is still there to retry
        w.form->unload();
        db::close();
    }

    void helpShownOncePerRunWithoutProducts()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QString tipText;
        forms::setModalDriver([&tipText](Form* f) {
            if (auto* tip = qobject_cast<frmTipA*>(f))
                tipText = tip->text();
        });
        frmTana::TipShown = false;
        Window w = openWindow(false);
        QCOMPARE(forms::shownModal(), QStringList{"frmTipA"});
        QCOMPARE(tipText, frmTana::helpLines().join('\n') + '\n');
        QCOMPARE(frmTana::helpLines().size(), 13);
        QCOMPARE(w.form->focusWidget(), static_cast<QWidget*>(w.category));

        w.form->unload();
        QApplication::processEvents();
        w = openWindow(false);
        QCOMPARE(forms::shownModal().size(), 1);

        QTest::mouseClick(w.form->findChild<QPushButton*>("Command4"), Qt::LeftButton);
        QCOMPARE(forms::shownModal().size(), 2);
        QTest::mouseClick(w.form->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(!forms::find<frmTana>());
    }

    void completeLineColoursTheButton()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        const QColor face = QApplication::palette().color(QPalette::Button);
        // The button as drawn: a point of its face beside the caption.
        auto drawn = [&w] {
            const QImage i = w.add->grab().toImage();
            return i.pixelColor(i.width() / 12, i.height() / 2);
        };
        const QColor plain = drawn();
        QCOMPARE(w.add->palette().color(QPalette::Button), face);
        w.product->setText("A");
        w.qty->setText("1");
        QCOMPARE(w.add->palette().color(QPalette::Button), face);
        w.price->setText("2");
        QCOMPARE(w.add->palette().color(QPalette::Button), frmTana::completeLineColour());
        const QColor complete = drawn();
        // Plainly apart as drawn, not a shade of the face.
        QVERIFY2(qAbs(complete.red() - plain.red()) + qAbs(complete.green() - plain.green())
                         + qAbs(complete.blue() - plain.blue()) > 48,
                 qPrintable(complete.name() + " against " + plain.name()));
        w.qty->clear();
        QCOMPARE(w.add->palette().color(QPalette::Button), face);

        // Enter moves on like Tab, and the number boxes select their text on entry.
        w.qty->setText("12");
        focus(w.product);
        QTest::keyClick(w.product, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.qty));
        QCOMPARE(w.qty->selectedText(), QStringLiteral("12"));

        // Enter from 備考 moves to 入力, which shows that it has the focus, as after Tab.
        const QImage before = w.add->grab().toImage();
        focus(w.memo);
        QTest::keyClick(w.memo, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.add));
        QVERIFY(w.add->grab().toImage() != before);
    }

    void newLinesTakeThePickersDate()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        const QDate opened = w.date->date();
        w.line("文具", "A", "1", "100", "個");
        w.date->setDate(opened.addDays(-1));
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 0   Total 0"));
        QCOMPARE(w.lines->model()->rowCount(), 1);   // the grid keeps the lines it opened with
        w.line("文具", "B", "2", "100", "個");
        QCOMPARE(lastLine().value("日付").toString(), db::isoDate(opened.addDays(-1)));
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 1   Total 200"));
        QCOMPARE(w.lines->model()->rowCount(), 2);   // and shows the line just entered
        QCOMPARE(w.form->currentLineId().value_or(-1), 2L);
    }

    void numbersThatDoNotFitStoreNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        env.dialogs.answers << dlg::vbYes;
        w.line("", "A", "1", "1", "個");   // the category question is answered once
        const long long before = tableRows();

        // The amount would be infinite: "Total inf" must never be stored. The user is told which
        // number is too large, in its box.
        env.dialogs.clear();
        w.line("", "A", "1e308", "10", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"数量の値が大きすぎます。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.qty));
        env.dialogs.clear();
        w.line("", "A", "-1e308", "10", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"数量の値が大きすぎます。"});
        env.dialogs.clear();
        w.line("", "A", "10", "-1e308", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"単価の値が大きすぎます。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.price));
        env.dialogs.clear();
        w.line("", "A", "2", "1e309", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{"単価は数値で入力してください。"});
        QCOMPARE(tableRows(), before);
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 1   Total 1"));

        // Full-width digits from the input method are the same number.
        env.dialogs.clear();
        w.line("", "A", QStringLiteral("１２"), "1,000", "個");
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(lastLine().value("価格").toDouble(), 12000.0);
    }

    void usedUpKeysAreToldAsSuch()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名, 価格) VALUES (2147483647, '2020-03-31', 'X', 0)");
        Window w = openWindow();
        w.line("文具", "A", "1", "1", "個");
        QCOMPARE(env.dialogs.messages(), QStringList{global::kKeyRangeText});
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品"), 0);
    }

    void theGridWritesNumbersAsTheCorrectionGridDoes()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        w.line("文具", "A", "12,345,678", "12345.678", "個");
        QVERIFY(env.dialogs.messages().isEmpty());
        const int row = w.lines->model()->rowCount() - 1;
        auto shown = [&w, row](int column) {
            const QModelIndex index = w.lines->model()->index(row, column);
            auto* d = qobject_cast<QStyledItemDelegate*>(w.lines->itemDelegateForIndex(index));
            return d ? d->displayText(index.data(Qt::DisplayRole), QLocale::system()) : QStringLiteral("?");
        };
        QCOMPARE(shown(4), QStringLiteral("12345678"));
        QCOMPARE(shown(6), QStringLiteral("12345.678"));
        QCOMPARE(shown(7), QStringLiteral("152415765279"));
        QCOMPARE(w.lines->model()->index(row, 6).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    }

    void aLengthMessageShowsOnce()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Window w = openWindow();
        // The button pressed with the cursor still in the box: leaving the box tells the user,
        // the press itself does not tell it again.
        focus(w.product);
        w.product->setText(QString(21, QChar(0x3044)));
        w.qty->setText("1");
        w.price->setText("1");
        QTest::mouseClick(w.add, Qt::LeftButton);
        QCOMPARE(env.dialogs.messages(), QStringList{"品名は全角で２０文字以内にしてください。"});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.product));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);

        // Each press tells it once more, as long as the name stays too long.
        QTest::mouseClick(w.add, Qt::LeftButton);
        QCOMPARE(env.dialogs.messages().size(), 2);
        w.product->setText(QString(20, QChar(0x3044)));
        env.dialogs.answers << dlg::vbYes;
        QTest::mouseClick(w.add, Qt::LeftButton);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 1);
    }

    void anotherWindowTakingTheFocusIsNoLeavingOrEntering()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'ボール'), (2, 'ボタン')");
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名) VALUES (1, '2024-03-31', 'ボール')");
        Window w = openWindow();
        w.form->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == w.form);
        focus(w.product);
        QCOMPARE(w.product->count(), 2);
        testsupport::typeText(w.product, QStringLiteral("ボ"));

        // The main window (or a message box) takes the focus and gives it back: no lookup, no
        // history, no narrowing runs meanwhile.
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (3, 'ボンド')");
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &other);
        QCOMPARE(w.history->rowCount(), 0);
        w.form->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == w.form);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.product));
        QCOMPARE(w.product->count(), 2);
        QCOMPARE(w.history->rowCount(), 0);
        QVERIFY(env.dialogs.messages().isEmpty());

        // Moving on inside the window is leaving the box.
        focus(w.qty);
        QCOMPARE(w.history->rowCount(), 1);
    }

    void aLongHistoryIsReadAsItScrolls()
    {
        testsupport::Env env;
        env.openNewDatabase();
        {
            db::Transaction tx;
            for (int i = 1; i <= 250; ++i)
                db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名, 数量, 単位, 単価) VALUES (?, ?, 'ボール', ?, '個', 1)",
                         {i, db::isoDate(QDate(2000, 1, 1).addDays(i)), i});
            tx.commit();
        }
        Window w = openWindow();
        focus(w.product);
        testsupport::typeText(w.product, QStringLiteral("ボ"));
        focus(w.qty);
        const int first = w.history->rowCount();
        QVERIFY(first > 0 && first < 250);
        QCOMPARE(w.history->item(0, 2)->text(), QStringLiteral("250"));   // newest first
        while (w.history->rowCount() < 250) {
            const int before = w.history->rowCount();
            w.history->verticalScrollBar()->setValue(w.history->verticalScrollBar()->maximum());
            QApplication::processEvents();
            QVERIFY(w.history->rowCount() > before);
        }
        QCOMPARE(w.history->item(249, 2)->text(), QStringLiteral("1"));
        w.history->verticalScrollBar()->setValue(w.history->verticalScrollBar()->maximum());
        QCOMPARE(w.history->rowCount(), 250);
    }

    void aLongCountOpensOnItsLastLineAndKeepsStep()
    {
        testsupport::Env env;
        const QString path = env.openNewDatabase();
        const QDate date = QDate::currentDate();
        {
            db::Transaction tx;
            for (int i = 1; i <= 3000; ++i)
                db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名, 価格) VALUES (?, ?, ?, 1)",
                         {i, db::isoDate(date), QStringLiteral("品%1").arg(i)});
            tx.commit();
        }
        Window w = openWindow();
        QCOMPARE(w.date->date(), date);
        QCOMPARE(w.lines->model()->rowCount(), 3000);
        QCOMPARE(w.form->currentLineId().value_or(-1), 3000L);
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 3000   Total 3,000"));

        env.dialogs.answers << dlg::vbYes;
        w.line("", "新", "2", "5", "個");
        QCOMPARE(w.lines->model()->rowCount(), 3001);
        QCOMPARE(w.form->currentLineId().value_or(-1), 3001L);
        QCOMPARE(w.lines->model()->index(3000, 3).data().toString(), QStringLiteral("新"));
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 3001   Total 3,010"));

        // A line in the middle: the grid closes up and stands on the next one.
        const QModelIndex middle = w.lines->model()->index(1499, 3);
        w.lines->scrollTo(middle);
        QTest::mouseClick(w.lines->viewport(), Qt::LeftButton, {}, w.lines->visualRect(middle).center());
        QCOMPARE(w.form->currentLineId().value_or(-1), 1500L);
        env.dialogs.answers << dlg::vbYes;
        QTest::mouseClick(w.del, Qt::LeftButton);
        QCOMPARE(w.form->currentLineId().value_or(-1), 1501L);
        QCOMPARE(w.lines->model()->index(1499, 3).data().toString(), QStringLiteral("品1501"));
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 3000   Total 3,009"));

        // Another writer adds a line of the date: the next line's totals and the grid include it.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY2(q.exec(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 品名, 価格) VALUES (5000, '%1', '外', 100)")
                                .arg(db::isoDate(date))),
                     qPrintable(q.lastError().text()));
            other.close();
        }
        QSqlDatabase::removeDatabase("other");
        w.line("", "後", "1", "1", "個");
        QCOMPARE(w.totals->text(), QStringLiteral("Max Record 3002   Total 3,110"));
        QCOMPARE(w.lines->model()->rowCount(), 3002);
        QCOMPARE(w.lines->model()->index(3000, 3).data().toString(), QStringLiteral("外"));
        QCOMPARE(w.form->currentLineId().value_or(-1), 5001L);

        // The grid holds no read open on the connection: a rolled-back write elsewhere in the
        // program neither fails nor cuts the grid short.
        {
            db::Transaction tx;
            db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (99, 'x')");
        }
        const QModelIndex early = w.lines->model()->index(10, 3);
        w.lines->scrollTo(early);
        QCOMPARE(early.data().toString(), QStringLiteral("品11"));
        QCOMPARE(w.lines->model()->index(2999, 3).data().toString(), QStringLiteral("新"));
    }
};

BREVOTANE_TEST_MAIN(TestFrmTana)
#include "test_frmTana.moc"
