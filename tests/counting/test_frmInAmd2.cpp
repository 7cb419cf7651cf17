// The count correction window: the orphan check at activation, the searches with their buttons,
// editing in the grid, deleting, and edits the database refuses.
#include "TestSupport.h"

#include "counting/CountLineGrid.h"
#include "counting/OrphanCheck.h"
#include "counting/frmInAmd2.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Twips.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
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
    }

    void editAndDelete()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill();
        auto* f = open();
        f->Command4->click();
        QVERIFY(f->gridModel()->setData(cell(f, 0, "数量"), QStringLiteral("7")));
        f->Command3->click();
        QCOMPARE(field(1, "数量").toDouble(), 7.0);
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

        QVERIFY(m->setData(cell(f, 0, "単価"), QString()));      // a cleared number is no value
        QVERIFY(f->unload());                                     // stored on the way out
        QVERIFY(field(1, "単価").isNull());
    }
};

BREVOTANE_TEST_MAIN(TestFrmInAmd2)
#include "test_frmInAmd2.moc"
