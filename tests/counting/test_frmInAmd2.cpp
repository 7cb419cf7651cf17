// The count correction window: the orphan check at activation, the searches with their buttons,
// editing in the grid, deleting, and edits the database refuses.
#include "TestSupport.h"

#include "SqlTrace.h"

#include "counting/CountLineGrid.h"
#include "counting/OrphanQuestions.h"
#include "counting/frmInAmd2.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Twips.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QTableView>

using counting::CountLineModel;

namespace {
const QDate kDate(2026, 3, 31);
const QDate kOther(2025, 3, 31);

void line(int id, const QDate& d, int koumoku, const QString& name, double price, double amount)
{
    db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 品名ID) "
             "VALUES (?, ?, ?, ?, 2, '個', ?, ?, 1)",
             {id, db::isoDate(d), koumoku, name, price, amount});
}

QVariant field(int id, const char* name)
{
    return db::scalar(QStringLiteral("SELECT %1 FROM 棚卸マスター WHERE ID = ?").arg(QString::fromUtf8(name)), {id});
}

// Categories 1 文具 and 2 文具セット (one name contains the other). Lines of the date:
// 1 ボールペン (cat 2), 2 ノート (cat 1), 3 ペン立て (未区分, no price), 4 ノートB (cat 1);
// line 5 of another date.
void fill()
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具'), (2, '文具セット')");
    db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'ボールペン'), (2, 'ノート')");
    line(4, kDate, 1, "ノートB", 50, 100);
    line(1, kDate, 2, "ボールペン", 100, 200);
    line(2, kDate, 1, "ノート", 150, 300);
    line(3, kDate, 0, "ペン立て", 0, 0);
    line(5, kOther, 1, "ノート", 150, 300);
}

frmInAmd2* open()
{
    auto* f = forms::get<frmInAmd2>();
    f->DTPicker1->setDate(kDate);
    f->showModeless();
    return f;
}

QList<qint64> shownIds(frmInAmd2* f)
{
    QList<qint64> ids;
    CountLineModel* m = f->gridModel();
    for (int r = 0; m && r < m->rowCount(); ++r)
        ids.append(m->record(r).value("ID").toLongLong());
    return ids;
}

QModelIndex cell(frmInAmd2* f, int row, const char* name)
{
    CountLineModel* m = f->gridModel();
    return m->index(row, m->record().indexOf(QString::fromUtf8(name)));
}

// Many lines of one date, all in 未区分 (so no orphan question), IDs from 1.
void manyLines(int count, const QDate& d)
{
    db::Transaction tx;
    for (int i = 1; i <= count; ++i)
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単価, 価格, 品名ID) VALUES (?, ?, 0, ?, 1, 10, 10, 1)",
                 {i, db::isoDate(d), QStringLiteral("品%1").arg(i)});
    tx.commit();
}

// Types into a grid cell through the grid's own editor.
void typeIntoCell(frmInAmd2* f, int row, const char* name, const QString& text)
{
    const QModelIndex i = cell(f, row, name);
    auto* delegate = f->dgdSub->itemDelegateForIndex(i);
    QStyleOptionViewItem opt;
    QWidget* editor = delegate->createEditor(f->dgdSub->viewport(), opt, i);
    auto* le = qobject_cast<QLineEdit*>(editor);
    QVERIFY(le);
    delegate->setEditorData(le, i);
    le->setText(text);
    delegate->setModelData(le, f->gridModel(), i);
    delete editor;
}

// 1: 更新 and 削除 both enabled, 0: both disabled, -1: they differ.
int editButtons(frmInAmd2* f)
{
    if (f->Command3->isEnabled() != f->cmdMasterCancel->isEnabled())
        return -1;
    return f->Command3->isEnabled() ? 1 : 0;
}
} // namespace

class TestFrmInAmd2 : public QObject {
    Q_OBJECT
private slots:
    void controls()
    {
        testsupport::Env env;
        env.openNewDatabase();
        auto* f = forms::get<frmInAmd2>();
        QCOMPARE(f->objectName(), QStringLiteral("frmInAmd2"));
        QCOMPARE(f->windowTitle(), QStringLiteral("棚　卸　表　訂　正"));
        QVERIFY(f->enterAsTab());
        QCOMPARE(f->findChild<QPushButton*>("Command4")->toolTip(), QStringLiteral("決算日を含むすべての棚卸を表示"));
        QCOMPARE(f->findChild<DataCombo*>("dbcNouhin")->toolTip(), QStringLiteral("検索する仕入先名の文字列を入力してください。"));
        QVERIFY(f->findChild<QPushButton*>("Command1")->isHidden());
        QVERIFY(f->findChild<QPushButton*>("Command5")->isHidden());
        QCOMPARE(f->findChild<QDateEdit*>("DTPicker1")->displayFormat(), QStringLiteral("yyyy/MM/dd"));
        QCOMPARE(f->DTPicker1->date(), QDate::currentDate());   // no main window: today
    }

    void openingWithoutOrphansAsksNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(shownIds(f).isEmpty());
        QCOMPARE(editButtons(f), 1);
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 4   Total 600"));
        QCOMPARE(f->dbcNouhin->rowCount(), 3);                   // 未区分 included
        f->cmdMasterCancel->click();                             // nothing searched: nothing happens
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void orphansAfterCategoryDeletion()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        db::exec("DELETE FROM 項目分類 WHERE 項目ID = 1");
        env.dialogs.answers << dlg::vbNo;
        auto* f = open();
        QCOMPARE(env.dialogs.messages(), QStringList{counting::kAskOrphanCategory});
        QCOMPARE(shownIds(f), (QList<qint64>{2, 4}));            // only this date's lines
        QCOMPARE(editButtons(f), 1);
        QCOMPARE(field(2, "区分調整").toInt(), 1);
        QCOMPARE(f->gridModel()->data(cell(f, 0, "区分調整")).toInt(), 1);
        QVERIFY(field(5, "区分調整").isNull());                  // another date is untouched

        env.dialogs.answers << dlg::vbYes;
        f->Form_Activate();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(shownIds(f), (QList<qint64>{2, 4}));            // the same lines, now in 未区分
        QCOMPARE(f->gridModel()->data(cell(f, 1, "項目ID")).toInt(), 0);
        QCOMPARE(field(4, "項目ID").toInt(), 0);
        QCOMPARE(field(5, "項目ID").toInt(), 1);
        // 削除 is enabled: the line it acts on is shown as current and selected.
        QVERIFY(f->cmdMasterCancel->isEnabled());
        QCOMPARE(f->dgdSub->currentIndex().row(), 0);
        QVERIFY(f->dgdSub->selectionModel()->isRowSelected(0));

        f->Form_Activate();                                      // nothing left to find
        QCOMPARE(env.dialogs.shown.size(), 2);
    }

    void shownModalStoresEditsOnClose()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        db::exec("DELETE FROM 項目分類 WHERE 項目ID = 2");
        env.dialogs.answers << dlg::vbYes;
        QList<qint64> atOpening;
        forms::setModalDriver([&](Form* w) {
            auto* f = qobject_cast<frmInAmd2*>(w);
            atOpening = shownIds(f);
            QVERIFY(f->gridModel());
            f->gridModel()->setData(cell(f, 0, "数量"), QStringLiteral("9"));
        });
        auto* f = forms::get<frmInAmd2>();
        f->DTPicker1->setDate(kDate);
        f->showModal();
        QCOMPARE(atOpening, (QList<qint64>{1}));
        QVERIFY(!forms::find<frmInAmd2>());
        QCOMPARE(field(1, "項目ID").toInt(), 0);
        QCOMPARE(field(1, "数量").toDouble(), 9.0);
    }

    void searches()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();

        // Picking 文具 after a narrowing that lists 文具セット too searches the picked one.
        f->dbcShohin->setText("x");
        f->dbcNouhin->setText("文具");
        f->dbcNouhin_Change();
        QCOMPARE(f->dbcNouhin->rowCount(), 2);
        emit f->dbcNouhin->activated(0);
        QCOMPARE(f->Text2->text(), QStringLiteral("1"));
        QCOMPARE(shownIds(f), (QList<qint64>{2, 4}));
        QVERIFY(f->dbcShohin->text().isEmpty());
        QCOMPARE(editButtons(f), 1);

        f->dbcNouhin->setText(QString());
        f->dbcNouhin_GotFocus();
        emit f->dbcNouhin->activated(0);                         // 未区分
        QCOMPARE(shownIds(f), (QList<qint64>{3}));

        // Typing part of a product clears the category and lists the matching lines.
        f->dbcShohin->lineEdit()->setFocus();
        testsupport::typeText(f->dbcShohin->lineEdit(), QStringLiteral("ノート"));
        QVERIFY(f->dbcNouhin->text().isEmpty());
        QCOMPARE(shownIds(f), (QList<qint64>{2, 4}));
        testsupport::typeText(f->dbcShohin->lineEdit(), QStringLiteral("'s"));   // an apostrophe is just text
        QVERIFY(shownIds(f).isEmpty());
        QCOMPARE(editButtons(f), 0);
        f->dbcShohin->setText("%ペン");                          // the user's % stays a wildcard
        f->dbcShohin_Click();
        QCOMPARE(shownIds(f), (QList<qint64>{1, 3}));

        f->Command2->click();                                    // unit price not entered
        QCOMPARE(shownIds(f), (QList<qint64>{3}));
        QCOMPARE(editButtons(f), 1);

        f->DTPicker1->setDate(kDate.addDays(1));                 // totals at once, grid as it was
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 0   Total 0"));
        QCOMPARE(shownIds(f), (QList<qint64>{3}));
        f->Command2->click();
        QVERIFY(shownIds(f).isEmpty());
        QCOMPARE(editButtons(f), 0);

        f->DTPicker1->setDate(kDate);
        f->Command4->click();                                    // every date, totals stay the date's
        QCOMPARE(shownIds(f), (QList<qint64>{1, 2, 3, 4, 5}));
        QCOMPARE(editButtons(f), 1);
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 4   Total 600"));
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void gridLayoutAndDateColumn()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        f->Command4->click();
        QTableView* g = f->dgdSub;
        QVERIFY(g->isColumnHidden(0));
        QCOMPARE(g->columnWidth(cell(f, 0, "品名").column()), twips::toPixels(3800, g));
        QCOMPARE(g->verticalHeader()->defaultSectionSize(), twips::toPixels(360, g));

        const QModelIndex d = cell(f, 0, "日付");
        auto* delegate = g->itemDelegateForIndex(d);
        QStyleOptionViewItem opt;
        QWidget* editor = delegate->createEditor(g->viewport(), opt, d);
        auto* de = qobject_cast<QDateEdit*>(editor);
        QVERIFY(de);
        delegate->setEditorData(de, d);
        QCOMPARE(de->text(), QStringLiteral("2026/03/31"));
        de->setDate(QDate(2026, 4, 1));
        delegate->setModelData(de, f->gridModel(), d);
        delete editor;
        f->Command3->click();
        QCOMPARE(field(1, "日付").toString(), QStringLiteral("2026-04-01"));

        // A remark longer than a line edit holds by default (a file written elsewhere) is edited
        // whole: one character added keeps all the others.
        const QString remark = QString(40000, QLatin1Char('x'));
        db::exec("UPDATE 棚卸マスター SET 備考 = ? WHERE ID = 1", {remark});
        f->Command4->click();
        QCOMPARE(shownIds(f).value(0), 1);
        typeIntoCell(f, 0, "備考", remark + QStringLiteral("!"));
        f->Command3->click();
        QCOMPARE(field(1, "備考").toString(), remark + QStringLiteral("!"));
    }

    void editAndDelete()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        f->Command4->click();
        QVERIFY(f->gridModel()->setData(cell(f, 0, "数量"), QStringLiteral("7")));
        typeIntoCell(f, 0, "備考", QChar(0xD800) + QStringLiteral("note"));   // half a pair is left out
        f->Command3->click();
        QCOMPARE(field(1, "数量").toDouble(), 7.0);
        QCOMPARE(field(1, "備考").toString(), QStringLiteral("note"));
        QCOMPARE(field(1, "価格").toDouble(), 200.0);           // nothing recomputed
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 4   Total 600"));

        env.dialogs.answers << dlg::vbNo;                        // only 未区分's line 3 shown
        f->dbcNouhin_GotFocus();
        emit f->dbcNouhin->activated(0);
        f->cmdMasterCancel->click();
        QCOMPARE(field(3, "ID").toInt(), 3);
        QVERIFY(f->cmdMasterCancel->isEnabled());

        env.dialogs.answers << dlg::vbYes;
        f->cmdMasterCancel->click();
        QCOMPARE(env.dialogs.messages().last(), QStringLiteral("表示中のレコードを削除します。よろしいですか。"));
        QVERIFY(!field(3, "ID").isValid());
        QVERIFY(shownIds(f).isEmpty());
        QVERIFY(!f->cmdMasterCancel->isEnabled());
        QVERIFY(f->Command3->isEnabled());
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 3   Total 600"));
    }

    void fileSwitchUnderTheWindow()
    {
        testsupport::Env env;
        const QString work = env.openNewDatabase();
        fill();
        // Another file: category 1 holds line 7 only; its line 2 is another product.
        const QString other = env.newDatabase("other.idb");
        db::close();
        db::open(other);
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具')");
        line(7, kDate, 1, "よそのノート", 10, 70);
        line(2, kDate, 0, "よその品", 10, 20);
        db::close();
        db::open(work);

        // No query may outlive the connection it was made on.
        QTest::failOnWarning(QRegularExpression("still in use"));
        auto* f = open();
        f->dbcNouhin_GotFocus();
        emit f->dbcNouhin->activated(1);                         // 文具
        QCOMPARE(shownIds(f), (QList<qint64>{2, 4}));
        QVERIFY(f->gridModel()->setData(cell(f, 0, "数量"), QStringLiteral("5")));   // not yet stored

        db::close();
        QVERIFY(!f->gridModel());                                 // let go before the connection went
        db::open(other);
        QCOMPARE(shownIds(f), (QList<qint64>{7}));                // the same search, read from the new file
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 2   Total 90"));
        QCOMPARE(f->dbcNouhin->rowCount(), 2);

        env.dialogs.answers << dlg::vbYes;
        f->cmdMasterCancel->click();                              // deletes the line the user sees
        QVERIFY(!field(7, "ID").isValid());
        QCOMPARE(field(2, "品名").toString(), QStringLiteral("よその品"));
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 1   Total 20"));

        QVERIFY(f->unload());
        db::close();
        db::open(work);
        QCOMPARE(field(2, "数量").toDouble(), 5.0);               // the edit went to the file it was made in
        QCOMPARE(field(4, "ID").toInt(), 4);
    }

    void fileSwitchAfterOrphanListing()
    {
        testsupport::Env env;
        const QString work = env.openNewDatabase();
        fill();
        db::exec("DELETE FROM 項目分類 WHERE 項目ID = 1");
        const QString other = env.newDatabase("other.idb");
        env.dialogs.answers << dlg::vbNo;
        auto* f = open();
        QCOMPARE(shownIds(f), (QList<qint64>{2, 4}));
        typeIntoCell(f, 0, "数量", QStringLiteral("abc"));         // cannot be stored anywhere

        db::close();                                              // the user is told it was not saved
        QCOMPARE(env.dialogs.shown.size(), 2);
        QVERIFY(env.dialogs.messages().last().startsWith(frmInAmd2::kEditLost));
        db::open(other);
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 品名) VALUES (2, ?, 'よその品')", {db::isoDate(kDate)});
        QVERIFY(shownIds(f).isEmpty());                           // the old file's orphans mean nothing here
        f->cmdMasterCancel->click();                              // nothing shown: nothing asked or deleted
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(field(2, "品名").toString(), QStringLiteral("よその品"));
        QVERIFY(f->unload());
    }

    void gridReadsNumbersAsTheEntryWindowDoes()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        f->Command4->click();
        typeIntoCell(f, 0, "単価", QStringLiteral("1,234.5"));
        typeIntoCell(f, 0, "数量", QStringLiteral("１２"));
        f->Command3->click();
        QVERIFY(env.dialogs.shown.isEmpty());
        QCOMPARE(field(1, "単価").toDouble(), 1234.5);
        QCOMPARE(field(1, "数量").toDouble(), 12.0);

        // A number that does not fit: told in Japanese, nothing stored, the text kept to correct.
        typeIntoCell(f, 0, "価格", QStringLiteral("1e309"));
        f->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QString told = env.dialogs.messages().last();
        QVERIFY(told.startsWith(frmInAmd2::kEditRefused));
        QVERIFY(told.contains(QStringLiteral("「価格」")));
        QVERIFY(!told.contains(QRegularExpression("[a-z]")));
        QCOMPARE(field(1, "価格").toDouble(), 200.0);
        typeIntoCell(f, 0, "価格", QStringLiteral("300"));

        // A key another line has: the database refuses, the user reads Japanese.
        typeIntoCell(f, 0, "ID", QStringLiteral("2"));
        f->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 2);
        told = env.dialogs.messages().last();
        QVERIFY(told.startsWith(frmInAmd2::kEditRefused));
        QVERIFY(!told.contains("UNIQUE") && !told.contains(QRegularExpression("[a-z]")));
        typeIntoCell(f, 0, "ID", QStringLiteral("1"));
        f->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(field(1, "価格").toDouble(), 300.0);
    }

    void deleteUsesTheStoredKey()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        f->Command4->click();
        f->dgdSub->setCurrentIndex(cell(f, 0, "品名"));
        typeIntoCell(f, 0, "ID", QStringLiteral("3"));            // an edited key cell, not stored
        env.dialogs.answers << dlg::vbYes;
        f->cmdMasterCancel->click();
        QVERIFY(!field(1, "ID").isValid());                       // the line the row was read as
        QCOMPARE(field(3, "ID").toInt(), 3);
        QCOMPARE(shownIds(f), (QList<qint64>{2, 3, 4, 5}));
    }

    void openingReadsTheTotalsOnceAndNotEveryLine()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const QDate today = QDate::currentDate();                // the date the window opens on here
        manyLines(3000, today);
        SqlTrace trace;
        QVERIFY(trace.active());
        auto* f = forms::get<frmInAmd2>();
        f->showModeless();
        QCOMPARE(trace.matching("SUM(価格)").size(), 1);
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 3000   Total 30,000"));

        // One keystroke of the product search: one query, the text bound, no list of keys; the
        // grid holds the first rows only.
        trace.clear();
        f->dbcShohin->lineEdit()->setFocus();
        testsupport::typeText(f->dbcShohin->lineEdit(), QStringLiteral("品"));
        const QStringList lines = trace.matching("FROM 棚卸マスター");
        QCOMPARE(lines.filter("SELECT * ").size(), 1);
        for (const QString& s : lines)
            QVERIFY2(!s.contains("IN (") && !s.contains(QStringLiteral("'品")), qPrintable(s));
        QVERIFY(f->gridModel()->rowCount() < 3000);
        QVERIFY(f->gridModel()->canFetchMore());
    }

    void editAndDeleteWhileALongResultIsPartlyRead()
    {
        testsupport::Env env;
        env.openNewDatabase();
        manyLines(3000, kDate);
        QTest::failOnWarning(QRegularExpression("still in use"));
        auto* f = open();
        f->Command4->click();
        CountLineModel* m = f->gridModel();
        QVERIFY(m->canFetchMore());

        typeIntoCell(f, 0, "数量", QStringLiteral("7"));
        f->Command3->click();
        QCOMPARE(field(1, "数量").toDouble(), 7.0);

        f->dgdSub->setCurrentIndex(cell(f, 1, "品名"));
        env.dialogs.answers << dlg::vbYes;
        f->cmdMasterCancel->click();
        QVERIFY(!field(2, "ID").isValid());
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 2999   Total 29,990"));
        QCOMPARE(env.dialogs.shown.size(), 1);

        m = f->gridModel();
        QVERIFY(m->canFetchMore());
        m->fetchUpTo(5000);
        QCOMPARE(m->rowCount(), 2999);
        for (int r = 1; r < m->rowCount(); ++r)
            QVERIFY(m->record(r).value("ID").toInt() > m->record(r - 1).value("ID").toInt());
        db::close();                                              // the open result is let go first
        QVERIFY(!f->gridModel());
    }

    void refusedEditIsReportedAndKept()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        f->Command4->click();
        CountLineModel* m = f->gridModel();
        const QModelIndex qty = cell(f, 0, "数量");

        // 更新 with text in a number field: told, nothing stored, the text still there to fix.
        QVERIFY(m->setData(qty, QStringLiteral("abc")));
        f->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QVERIFY(env.dialogs.messages().first().startsWith(frmInAmd2::kEditRefused));
        QCOMPARE(env.dialogs.shown.first().title, QStringLiteral("Information"));
        QCOMPARE(m->data(qty).toString(), QStringLiteral("abc"));
        QCOMPARE(field(1, "数量").toDouble(), 2.0);

        // Leaving the row: told once; the other rows wait until the line is fixed.
        f->dgdSub->setCurrentIndex(cell(f, 2, "品名"));
        QCoreApplication::processEvents();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QVERIFY(!(m->flags(cell(f, 2, "品名")) & Qt::ItemIsEditable));
        QVERIFY(m->flags(qty) & Qt::ItemIsEditable);

        // A search does not throw the edit away.
        f->Command2->click();
        QCOMPARE(env.dialogs.shown.size(), 3);
        QCOMPARE(shownIds(f), (QList<qint64>{1, 2, 3, 4, 5}));
        QCOMPARE(m->data(qty).toString(), QStringLiteral("abc"));

        // Closing is refused once, so the user can still correct it.
        QVERIFY(!f->unload());
        QCOMPARE(env.dialogs.shown.size(), 4);

        QVERIFY(m->setData(qty, QStringLiteral("x")));           // a new bad edit is protected again
        QVERIFY(!f->unload());
        QCOMPARE(env.dialogs.shown.size(), 5);

        QVERIFY(m->setData(qty, QStringLiteral("8")));
        f->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 5);
        QCOMPARE(field(1, "数量").toDouble(), 8.0);
        QVERIFY(!m->isDirty());

        // A product typed while an edit is refused is searched once 更新 has stored the edit.
        QVERIFY(m->setData(qty, QStringLiteral("y")));
        f->dbcShohin->lineEdit()->setFocus();
        testsupport::typeText(f->dbcShohin->lineEdit(), QStringLiteral("ペ"));
        QCOMPARE(env.dialogs.shown.size(), 6);
        QCOMPARE(shownIds(f), (QList<qint64>{1, 2, 3, 4, 5}));
        QVERIFY(m->setData(qty, QStringLiteral("8")));
        f->Command3->click();
        QCOMPARE(f->dbcShohin->text(), QStringLiteral("ペ"));
        QCOMPARE(shownIds(f), (QList<qint64>{1, 3}));
        QCOMPARE(env.dialogs.shown.size(), 6);
        m = f->gridModel();

        QVERIFY(m->setData(cell(f, 0, "単価"), QString()));      // a cleared number is no value
        QVERIFY(f->unload());                                     // stored on the way out
        QVERIFY(field(1, "単価").isNull());
    }
};

BREVOTANE_TEST_MAIN(TestFrmInAmd2)
#include "test_frmInAmd2.moc"
