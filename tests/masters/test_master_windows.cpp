// The product, category and unit windows as the user drives them: controls, the new row stored at
// once and removed again by cancel or close, register, delete, the category window's hand-over to
// the correction window, the product window's sort and buttons, refused grid edits, names any
// text, and a file switch under the modeless category window.
#include "TestSupport.h"

#include "common/WindowTable.h"
#include "common/global.h"
#include "masters/MasterGrid.h"
#include "masters/MasterModel.h"
#include "masters/frmInShohin.h"
#include "masters/frmKoumoku.h"
#include "masters/frmTani.h"
#include "platform/Db.h"
#include "platform/Twips.h"

#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

using masters::MasterWindow;

namespace {

struct Twin {
    const char* name;
    QString table;
    QString key;
    QString nameField;
};

const QList<Twin>& twins()
{
    static const QList<Twin> t = {
        {"frmInShohin", QStringLiteral("仕入商品"), QStringLiteral("品名ID"), QStringLiteral("品名")},
        {"frmKoumoku", QStringLiteral("項目分類"), QStringLiteral("項目ID"), QStringLiteral("項目分類名")},
        {"frmTani", QStringLiteral("単位"), QStringLiteral("単位ID"), QStringLiteral("単位")},
    };
    return t;
}

MasterWindow* load(const char* name)
{
    const QString n = QString::fromLatin1(name);
    if (n == "frmInShohin")
        return forms::get<frmInShohin>();
    if (n == "frmKoumoku")
        return forms::get<frmKoumoku>();
    return forms::get<frmTani>();
}

MasterWindow* open(const char* name)
{
    MasterWindow* w = load(name);
    w->showModeless();
    return w;
}

// Rows of the table with a key of at least 1 (row 0 未区分 aside).
int rows(const Twin& t)
{
    return db::scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\" WHERE \"%2\" >= 1").arg(t.table, t.key)).toInt();
}

QVariant nameOf(const Twin& t, qint64 key)
{
    return db::scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = ?").arg(t.nameField, t.table, t.key), {key});
}

void fill(const Twin& t, const QStringList& names)
{
    for (int i = 0; i < names.size(); ++i)
        db::exec(QStringLiteral("INSERT INTO \"%1\" (\"%2\", \"%3\") VALUES (?, ?)").arg(t.table, t.key, t.nameField),
                 {i + 1, names.at(i)});
}

// "A U C D": which of 新規登録, 登録, ｷｬﾝｾﾙ, 削除 are enabled ('-' for off).
QString buttons(MasterWindow* w)
{
    QString s;
    s += w->cmdAdd->isEnabled() ? 'A' : '-';
    s += w->cmdUpdate->isEnabled() ? 'U' : '-';
    s += w->cmdCancel->isEnabled() ? 'C' : '-';
    s += w->cmdDelete->isEnabled() ? 'D' : '-';
    return s;
}

void selectRow(MasterWindow* w, int row)
{
    w->DataGrid1->setCurrentIndex(w->model()->index(row, w->model()->nameColumn()));
}

// Text as the input method commits it (any characters, surrogate pairs included).
void commitText(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

QModelIndex cell(MasterWindow* w, int row, int column)
{
    return w->model()->index(row, column);
}

// How many characters the box takes as they are typed (0: no limit up to 200), a character
// outside the basic plane counting one. The box is left empty and as enabled as it was.
int typingLimit(QLineEdit* box)
{
    const bool enabled = box->isEnabled();
    box->setEnabled(true);
    box->clear();
    int limit = 0;
    for (int n = 1; n <= 200 && !limit; ++n) {
        commitText(box, QStringLiteral("𠮷"));
        if (box->text().size() != 2 * n)
            limit = n - 1;
    }
    box->clear();
    box->setEnabled(enabled);
    return limit;
}

// Ctrl+V in the box, of this text put on the clipboard.
void paste(QLineEdit* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

// What the window shows of its current row: the grid's key and name, and the two boxes.
QString shown(MasterWindow* w)
{
    const int row = w->DataGrid1->currentIndex().row();
    const QString grid = row < 0 ? QStringLiteral("-")
                                 : w->model()->data(cell(w, row, w->model()->keyColumn())).toString() + QLatin1Char(' ')
                                       + w->model()->data(cell(w, row, w->model()->nameColumn())).toString();
    return grid + QStringLiteral(" | ") + w->txtID->text() + QLatin1Char(' ') + w->nameBox->text();
}

// The same for the stored row with this key, as the window should show it.
QString stored(const Twin& t, qint64 key)
{
    const QString row = QString::number(key) + QLatin1Char(' ') + nameOf(t, key).toString();
    return row + QStringLiteral(" | ") + row;
}

} // namespace

class TestMasterWindows : public QObject {
    Q_OBJECT
private slots:
    void controls()
    {
        testsupport::Env env;
        env.openNewDatabase();
        struct Expect {
            const char* window;
            const char* caption;
            const char* nameBox;
            const char* label;
            const char* deleteCaption;
            int limit;
        };
        const QList<Expect> expected = {
            {"frmInShohin", "品名情報", "txtShohin", "品名(&K)", "削除(&K)", 50},
            {"frmKoumoku", "項目/分類情報", "txtName", "項目/分類名(&K)", "削除(&D)", 50},
            {"frmTani", "数量単位情報", "txtName", "数量単位(&K)", "削除(&D)", 0},
        };
        for (const Expect& e : expected) {
            MasterWindow* w = load(e.window);
            QCOMPARE(w->objectName(), QString::fromLatin1(e.window));
            QCOMPARE(w->windowTitle(), QString::fromUtf8(e.caption));
            auto* box = w->findChild<QLineEdit*>(e.nameBox);
            QVERIFY2(box && box == w->nameBox, e.window);
            QCOMPARE(typingLimit(box), e.limit);
            QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
            auto* label = w->findChild<QLabel*>("Label2");
            QCOMPARE(label->text(), QString::fromUtf8(e.label));
            QCOMPARE(label->buddy(), box);
            QVERIFY(w->findChild<QLineEdit*>("txtID")->isReadOnly());
            QCOMPARE(w->findChild<QPushButton*>("cmdAdd")->text(), QStringLiteral("新規登録(&N)"));
            QCOMPARE(w->findChild<QPushButton*>("cmdUpdate")->text(), QStringLiteral("登録(&I)"));
            QCOMPARE(w->findChild<QPushButton*>("cmdCancel")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
            QCOMPARE(w->findChild<QPushButton*>("cmdDelete")->text(), QString::fromUtf8(e.deleteCaption));
            QVERIFY(w->findChild<QTableView*>("DataGrid1"));
            QCOMPARE(buttons(w), QStringLiteral("A---"));         // empty table, not yet activated
            QCOMPARE(w->EditMode, 1);
            QCOMPARE(w->findChild<QGroupBox*>("Frame2") != nullptr, QByteArray(e.window) == "frmInShohin");
            w->unload();
        }
        auto* p = forms::get<frmInShohin>();
        QCOMPARE(p->findChild<QRadioButton*>("Option2")->text(), QStringLiteral("品名昇順"));
        QVERIFY(p->Option2->isChecked());
        QCOMPARE(p->findChild<QRadioButton*>("Option1")->text(), QStringLiteral("項目ID昇順"));
        QCOMPARE(p->findChild<QPushButton*>("Command3")->text(), QStringLiteral("Excel(&P)"));
        QCOMPARE(p->Command3->toolTip(), QStringLiteral("エクセルに表示します。"));
        QCOMPARE(p->findChild<QPushButton*>("Command1")->text(), QStringLiteral("品名情報ｲﾝﾎﾟｰﾄ(&T)"));
        QCOMPARE(p->Command1->toolTip(),
                 QStringLiteral("品名情報は、エクセルファイルからインポートできますので、棚卸表の入力がすばやくできます。"));
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void emptyTableStartsANewRowThatClosingRemoves()
    {
        testsupport::Env env;
        env.openNewDatabase();   // the category table holds only 未区分
        for (const Twin& t : twins()) {
            bool checked = false;
            forms::setModalDriver([&](Form* f) {
                auto* w = qobject_cast<MasterWindow*>(f);
                QCOMPARE(w->EditMode, 2);
                QCOMPARE(w->txtID->text(), QStringLiteral("1"));
                QCOMPARE(rows(t), 1);
                QVERIFY(nameOf(t, 1).isNull());
                QCOMPARE(buttons(w), QStringLiteral("-UC-"));
                checked = true;
            });
            QVERIFY(windows::open(QString::fromLatin1(t.name), windows::Show::Modal));
            QVERIFY2(checked, t.name);
            QCOMPARE(rows(t), 0);
        }
        QCOMPARE(db::scalar("SELECT 項目分類名 FROM 項目分類 WHERE 項目ID = 0").toString(), QStringLiteral("未区分"));
        QVERIFY(env.dialogs.shown.isEmpty());
        QCOMPARE(forms::shownModal(), (QStringList{"frmInShohin", "frmKoumoku", "frmTani"}));
    }

    void cancelFreesTheKeyAndGoesBack()
    {
        testsupport::Env env;
        env.openNewDatabase();
        for (const Twin& t : twins()) {
            fill(t, {"a", "b", "c"});
            MasterWindow* w = open(t.name);
            QCOMPARE(w->EditMode, 1);                            // rows there: nothing started
            selectRow(w, 1);
            const qint64 before = w->currentKey();
            w->cmdAdd->click();
            QCOMPARE(w->currentKey(), 4);
            QCOMPARE(w->txtID->text(), QStringLiteral("4"));
            QVERIFY(w->nameBox->text().isEmpty());
            QCOMPARE(rows(t), 4);
            w->cmdCancel->click();
            QCOMPARE(rows(t), 3);
            QCOMPARE(w->EditMode, 1);
            QCOMPARE(buttons(w), QStringLiteral("A--D"));
            QCOMPARE(w->currentKey(), before);                   // back where the user was
            QCOMPARE(w->txtID->text(), QString::number(before));
            w->cmdAdd->click();
            QCOMPARE(w->currentKey(), 4);                        // the key is free again
            w->cmdCancel->click();
            w->unload();
        }

        // Cancelling the row started on an empty table leaves boxes that take nothing.
        db::exec("DELETE FROM 単位");
        MasterWindow* w = open("frmTani");
        QCOMPARE(w->EditMode, 2);
        w->cmdCancel->click();
        QCOMPARE(rows(twins().at(2)), 0);
        QCOMPARE(buttons(w), QStringLiteral("A---"));
        QVERIFY(w->txtID->text().isEmpty());
        QVERIFY(!w->nameBox->isEnabled());
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void registerStoresAnyName()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const QString name = QStringLiteral("O'Neil's ペン 한글 😀");
        for (const Twin& t : twins()) {
            MasterWindow* w = open(t.name);                      // empty: a new row is started
            w->nameBox->setFocus();
            // Half a surrogate pair is no character: it is left out, and the letter after it kept.
            commitText(w->nameBox, QChar(0xD800) + name);
            w->cmdUpdate->click();
            QCOMPARE(nameOf(t, 1).toString(), name);
            QCOMPARE(w->EditMode, 1);
            QCOMPARE(buttons(w), QStringLiteral("A--D"));
            QCOMPARE(w->model()->data(cell(w, 0, w->model()->nameColumn())).toString(), name);
            QVERIFY(w->unload());
            QCOMPARE(nameOf(t, 1).toString(), name);             // registered rows stay

            // Typed into the grid and left by moving to another row: stored without 登録.
            w = open(t.name);
            w->cmdAdd->click();
            const int row = w->DataGrid1->currentIndex().row();
            QVERIFY(w->model()->setData(cell(w, row, w->model()->nameColumn()), QStringLiteral("x'") + QChar(0xDC00) + 'y'));
            selectRow(w, row == 0 ? 1 : 0);
            QCOMPARE(nameOf(t, 2).toString(), QStringLiteral("x'y"));
            w->cmdUpdate->click();
            QVERIFY(w->unload());
            QCOMPARE(rows(t), 2);
        }
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void lookingAtAWindowWritesNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // Longer than the boxes take: written by an import, or by the entry window in bytes.
        const QString split = QString(49, QChar(0x3042)) + QStringLiteral("𠮷");
        const QString longName = QString(60, QChar(0x3044));
        // A file edited elsewhere: longer than any text box takes by default.
        const QString huge = QString(40000, QChar(0x3046));
        for (const Twin& t : twins()) {
            fill(t, {split, longName, huge});
            const qint64 changes = db::scalar("SELECT total_changes()").toLongLong();
            MasterWindow* w = open(t.name);
            QCOMPARE(w->nameBox->text(), split);
            for (qint64 key : {2, 3}) {
                selectRow(w, w->model()->rowOfKey(key));
                QCOMPARE(w->nameBox->text(), nameOf(t, key).toString());
                // A cell opened and left untouched is no edit either.
                QStyleOptionViewItem opt;
                const QModelIndex name = cell(w, w->model()->rowOfKey(key), w->model()->nameColumn());
                QAbstractItemDelegate* d = w->DataGrid1->itemDelegate();
                QWidget* editor = d->createEditor(w->DataGrid1->viewport(), opt, name);
                d->setEditorData(editor, name);
                QCOMPARE(qobject_cast<QLineEdit*>(editor)->text(), nameOf(t, key).toString());
                d->setModelData(editor, w->model(), name);
                delete editor;
                QVERIFY(!w->model()->isDirty());
            }
            if (auto* p = qobject_cast<frmInShohin*>(w))
                p->Command3->click();
            QVERIFY(w->unload());
            QCOMPARE(db::scalar("SELECT total_changes()").toLongLong(), changes);
            QCOMPARE(nameOf(t, 1).toString(), split);
            QCOMPARE(nameOf(t, 2).toString(), longName);
            QCOMPARE(nameOf(t, 3).toString(), huge);
        }

        // Typed into a full box, a character outside the basic plane is refused whole.
        MasterWindow* w = open("frmKoumoku");
        w->cmdAdd->click();
        commitText(w->nameBox, QString(49, QChar(0x3042)));
        commitText(w->nameBox, QStringLiteral("𠮷"));
        commitText(w->nameBox, QStringLiteral("𠮷"));
        QCOMPARE(w->nameBox->text(), split);
        w->cmdUpdate->click();
        QCOMPARE(nameOf(twins().at(1), 4).toString(), split);
        QVERIFY(env.dialogs.messages().isEmpty());
    }

    void aNamePastedPastTheLimitKeepsItsFirstCharacters_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("inputMethod");
        for (const char* window : {"frmInShohin", "frmKoumoku"}) {
            QTest::addRow("%s, Ctrl+V", window) << QString::fromLatin1(window) << false;
            QTest::addRow("%s, input method", window) << QString::fromLatin1(window) << true;
        }
    }

    // As a text box with a limit takes a paste: the first characters up to the limit, a character
    // outside the basic plane whole; what is typed into the full box is refused.
    void aNamePastedPastTheLimitKeepsItsFirstCharacters()
    {
        QFETCH(QString, window);
        QFETCH(bool, inputMethod);
        testsupport::Env env;
        env.openNewDatabase();
        const Twin& t = twins().at(window == "frmInShohin" ? 0 : 1);
        const auto put = [inputMethod](QLineEdit* box, const QString& text) {
            if (inputMethod)
                commitText(box, text);
            else
                paste(box, text);
        };
        const QString sixty = QString(49, QChar(0x3042)) + QStringLiteral("𠮷") + QString(10, QChar(0x3044));
        const QString fifty = QString(49, QChar(0x3042)) + QStringLiteral("𠮷");
        fill(t, {QStringLiteral("x")});
        MasterWindow* w = open(t.name);
        w->cmdAdd->click();
        QCOMPARE(w->txtID->text(), QStringLiteral("2"));
        put(w->nameBox, sixty);
        QCOMPARE(w->nameBox->text(), fifty);
        QTest::keyClick(w->nameBox, Qt::Key_A);
        put(w->nameBox, QStringLiteral("いう"));
        QCOMPARE(w->nameBox->text(), fifty);
        w->cmdUpdate->click();
        QCOMPARE(nameOf(t, 2).toString(), fifty);

        // Into the middle of a name, over a selection: the name's own ends stay.
        w->cmdAdd->click();
        commitText(w->nameBox, QStringLiteral("[--]"));
        w->nameBox->setSelection(1, 2);
        put(w->nameBox, sixty);
        QCOMPARE(w->nameBox->text(), QStringLiteral("[") + QString(48, QChar(0x3042)) + QStringLiteral("]"));
        QCOMPARE(w->nameBox->cursorPosition(), 49);
        w->cmdUpdate->click();
        QCOMPARE(nameOf(t, 3).toString(), QStringLiteral("[") + QString(48, QChar(0x3042)) + QStringLiteral("]"));
        QVERIFY(env.dialogs.messages().isEmpty());
    }

    void theRowShownIsTheRowChanged()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QStringList names;
        for (int i = 1; i <= 20; ++i)
            names << QStringLiteral("品%1").arg(i, 2, 10, QLatin1Char('0'));
        for (const Twin& t : twins()) {
            fill(t, names);
            MasterWindow* w = open(t.name);

            // 新規登録, a name, 登録, a correction, 登録: both go into the new row, which stays shown.
            w->cmdAdd->click();
            QCOMPARE(shown(w), stored(t, 21));
            w->nameBox->setFocus();
            commitText(w->nameBox, QStringLiteral("新しい名前"));
            w->cmdUpdate->click();
            QCOMPARE(nameOf(t, 21).toString(), QStringLiteral("新しい名前"));
            QCOMPARE(shown(w), stored(t, 21));
            w->nameBox->selectAll();
            commitText(w->nameBox, QStringLiteral("訂正"));
            emit w->DataGrid1->clicked(w->DataGrid1->currentIndex());   // offers 登録 again
            w->cmdUpdate->click();
            QCOMPARE(shown(w), stored(t, 21));
            QCOMPARE(nameOf(t, 21).toString(), QStringLiteral("訂正"));
            QCOMPARE(nameOf(t, 1).toString(), names.first());

            // 削除 right after 登録 deletes that row.
            env.dialogs.answers << dlg::vbYes;
            w->cmdDelete->click();
            QVERIFY(!nameOf(t, 21).isValid());
            QCOMPARE(rows(t), 20);
            QCOMPARE(shown(w), stored(t, w->currentKey()));

            // Renamed in the grid and left for another row: every row once, the renamed one too.
            const int row5 = w->model()->rowOfKey(5);
            selectRow(w, row5);
            QVERIFY(w->model()->setData(cell(w, row5, w->model()->nameColumn()), QStringLiteral("改名")));
            selectRow(w, w->model()->rowOfKey(9));
            QCOMPARE(nameOf(t, 5).toString(), QStringLiteral("改名"));
            QCOMPARE(shown(w), stored(t, 9));
            QSet<qint64> keys;
            for (int r = 0; r < w->model()->rowCount(); ++r)
                keys.insert(w->model()->keyAt(r));
            QCOMPARE(keys.size(), 20);
            QCOMPARE(w->model()->data(cell(w, w->model()->rowOfKey(5), w->model()->nameColumn())).toString(),
                     QStringLiteral("改名"));

            // ｷｬﾝｾﾙ goes back to the row shown before 新規登録.
            w->cmdAdd->click();
            w->cmdCancel->click();
            QCOMPARE(shown(w), stored(t, 9));
            QVERIFY(w->unload());
            QCOMPARE(nameOf(t, 1).toString(), names.first());
        }

        // The product window's sort: the first row of the new order is shown.
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        p->Option1->click();
        QCOMPARE(shown(p), stored(twins().at(0), 1));
        p->Option2->click();
        QCOMPARE(shown(p), stored(twins().at(0), p->model()->keyAt(0)));
        const QString ask = MasterWindow::kDeleteQuestion;
        QCOMPARE(env.dialogs.messages(), (QStringList{ask, ask, frmKoumoku::kDeletedNotice, ask}));
    }

    void clickingAnotherRowStoresTheBox()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const Twin& t = twins().at(1);
        fill(t, {"文具", "食品"});
        MasterWindow* w = open(t.name);
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->nameBox->setFocus();
        w->nameBox->selectAll();
        commitText(w->nameBox, QStringLiteral("事務用品"));
        QVERIFY(QApplication::focusWidget() == w->nameBox);
        const QRect second = w->DataGrid1->visualRect(cell(w, 1, 1));
        QTest::mouseClick(w->DataGrid1->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(w->currentKey(), 2);
        QCOMPARE(nameOf(t, 1).toString(), QStringLiteral("事務用品"));
        QCOMPARE(w->nameBox->text(), QStringLiteral("食品"));
        QVERIFY(w->cmdUpdate->isEnabled());                      // grid use offers 登録
    }

    void deleteAsksAndMovesOn()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const Twin& t = twins().at(2);
        fill(t, {"個", "箱", "本"});
        MasterWindow* w = open(t.name);
        selectRow(w, 1);
        env.dialogs.answers << dlg::vbNo;
        w->cmdDelete->click();
        QCOMPARE(rows(t), 3);
        QCOMPARE(env.dialogs.shown.last().title, QStringLiteral("Question"));
        QCOMPARE(env.dialogs.messages().last(), QStringLiteral("表示中のレコードを削除します。よろしいですか。"));

        env.dialogs.answers << dlg::vbYes;
        w->cmdDelete->click();                                   // 箱: the next row becomes current
        QCOMPARE(rows(t), 2);
        QCOMPARE(w->currentKey(), 3);
        QCOMPARE(w->nameBox->text(), QStringLiteral("本"));
        env.dialogs.answers << dlg::vbYes;
        w->cmdDelete->click();                                   // the last row: the one before it
        QCOMPARE(w->currentKey(), 1);
        QCOMPARE(buttons(w), QStringLiteral("A--D"));
        env.dialogs.answers << dlg::vbYes;
        w->cmdDelete->click();                                   // the only row
        QCOMPARE(rows(t), 0);
        QCOMPARE(buttons(w), QStringLiteral("A---"));
        QVERIFY(!w->nameBox->isEnabled());
        QVERIFY(w->txtID->text().isEmpty());

        // Deleting the new row itself ends the new row: closing deletes nothing more.
        fill(t, {"個"});
        w->unload();
        w = open(t.name);
        w->cmdAdd->click();
        env.dialogs.answers << dlg::vbYes;
        w->cmdDelete->click();
        QCOMPARE(w->EditMode, 1);
        QCOMPARE(rows(t), 1);
        QCOMPARE(w->currentKey(), 1);
        QVERIFY(w->unload());
        QCOMPARE(rows(t), 1);
    }

    void categoryDeleteLeadsToTheCorrectionWindow()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const Twin& t = twins().at(1);
        fill(t, {"文具", "食品"});
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単価, 価格) VALUES (1, ?, 1, 'ペン', 1, 100, 100)",
                 {db::isoDate(QDate::currentDate())});

        // Without a delete: neither the notice nor the correction window.
        MasterWindow* w = open(t.name);
        QVERIFY(w->unload());
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(forms::shownModal().isEmpty());

        auto* k = forms::get<frmKoumoku>();
        k->showModeless();
        QVERIFY(!k->KoumokuDeleted);
        env.dialogs.answers << dlg::vbYes;
        k->cmdDelete->click();                                   // 文具, which line 1 carries
        QVERIFY(k->KoumokuDeleted);
        env.dialogs.answers << dlg::vbNo;                        // the correction window's question
        QVERIFY(k->unload());
        QCOMPARE(env.dialogs.messages().at(1), QStringLiteral("項目/分類が削除されましたので、棚卸表訂正を表示します。"));
        QCOMPARE(forms::shownModal(), QStringList{"frmInAmd2"});
        QCOMPARE(env.dialogs.messages().size(), 3);              // it found line 1 without a category
        QCOMPARE(db::scalar("SELECT 区分調整 FROM 棚卸マスター WHERE ID = 1").toInt(), 1);
        QVERIFY(!forms::find<frmKoumoku>());
    }

    void productSortKeepsAPendingNewRow()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const Twin& t = twins().at(0);
        fill(t, {"ノート", "インク", "ペン"});
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        QCOMPARE(p->model()->keyAt(0), 2);                       // by name
        p->cmdAdd->click();
        QCOMPARE(p->EditMode, 2);
        QCOMPARE(p->currentKey(), 4);
        p->Option1->click();
        QCOMPARE(p->EditMode, 1);
        QCOMPARE(buttons(p), QStringLiteral("A--D"));
        QCOMPARE(p->model()->keyAt(0), 1);                       // by key
        QCOMPARE(p->model()->keyAt(3), 4);
        QVERIFY(nameOf(t, 4).isNull());
        QCOMPARE(p->DataGrid1->columnWidth(1), twips::toPixels(3800, p->DataGrid1));
        QVERIFY(p->unload());
        QCOMPARE(rows(t), 4);                                    // it stays

        // A name typed into the new row before switching is not lost.
        p = forms::get<frmInShohin>();
        p->showModeless();
        p->cmdAdd->click();
        p->nameBox->setFocus();
        testsupport::typeText(p->nameBox, QStringLiteral("消しゴム"));
        p->Option1->click();
        QCOMPARE(nameOf(t, 5).toString(), QStringLiteral("消しゴム"));
        p->Option2->click();
        QCOMPARE(p->model()->keyAt(0), 4);                       // the empty name first
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void productSortFailureIsToldAndKeepsTheOrder()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill(twins().at(0), {"ノート", "インク"});
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        db::exec("ALTER TABLE 仕入商品 RENAME TO 仕入商品_old");
        p->Option1->click();
        QCOMPARE(env.dialogs.messages(), QStringList{db::withCause(MasterWindow::kConnectionFailed, db::Cause::Other)});
        QVERIFY(p->Option2->isChecked());
        QVERIFY(!p->Option1->isChecked());
        QCOMPARE(p->model()->order(), masters::Order::ByName);
        db::exec("ALTER TABLE 仕入商品_old RENAME TO 仕入商品");
        p->Option1->click();
        QCOMPARE(p->model()->keyAt(0), 1);
        QVERIFY(p->unload());
    }

    void productGrid()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 VALUES (1, 'ペン', 12345678, '本')");
        auto* p = forms::get<frmInShohin>();
        QTableView* g = p->DataGrid1;
        QCOMPARE(g->columnWidth(1), twips::toPixels(3800, g));
        QCOMPARE(g->columnWidth(2), twips::toPixels(1200, g));
        QCOMPARE(g->columnWidth(3), twips::toPixels(1200, g));
        QVERIFY(g->columnWidth(0) != twips::toPixels(3800, g));
        QStyleOptionViewItem opt;
        opt.initFrom(g);
        auto* d = qobject_cast<masters::MasterDelegate*>(g->itemDelegate());
        QVERIFY(d);
        QCOMPARE(masters::MasterDelegate::cellText(p->model()->data(cell(p, 0, 2))), QStringLiteral("12345678"));
        // The name cell takes no more than the name box does.
        QWidget* editor = d->createEditor(g->viewport(), opt, cell(p, 0, 1));
        QCOMPARE(typingLimit(qobject_cast<QLineEdit*>(editor)), 50);
        auto* box = qobject_cast<QLineEdit*>(editor);
        paste(box, QString(60, QChar(0x3046)));
        QCOMPARE(box->text(), QString(50, QChar(0x3046)));
        delete editor;
        QVERIFY(!(p->model()->flags(cell(p, 0, 0)) & Qt::ItemIsEditable));
    }

    void refusedPriceIsToldAndKept()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 VALUES (1, 'インク', 100, '本'), (2, 'ペン', 50, '本')");
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        masters::MasterModel* m = p->model();
        const QModelIndex price = cell(p, 0, 2);

        QVERIFY(m->setData(price, QStringLiteral("abc")));
        emit p->DataGrid1->clicked(price);                       // grid use offers 登録
        QVERIFY(p->cmdUpdate->isEnabled());
        p->cmdUpdate->click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QCOMPARE(env.dialogs.shown.first().title, QStringLiteral("Information"));
        QCOMPARE(env.dialogs.messages().first(),
                 MasterWindow::kEditRefused + QStringLiteral("\n単価には数値を入力してください。"));
        QCOMPARE(m->data(price).toString(), QStringLiteral("abc"));
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 100.0);

        // Leaving the row: told once, and the row comes back to be corrected.
        selectRow(p, 1);
        QCoreApplication::processEvents();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(p->DataGrid1->currentIndex().row(), 0);

        // 新規登録, the sort and Excel do not throw the edit away.
        p->cmdAdd->click();
        p->Option1->click();
        p->Command3->click();
        QCOMPARE(env.dialogs.shown.size(), 5);
        QCOMPARE(db::scalar("SELECT COUNT(*) FROM 仕入商品").toInt(), 2);
        QVERIFY(p->Option2->isChecked());
        QCOMPARE(m->data(price).toString(), QStringLiteral("abc"));

        // Closing is refused once; corrected, the price goes in (full-width digits read as digits).
        QVERIFY(!p->unload());
        QCOMPARE(env.dialogs.shown.size(), 6);
        QVERIFY(m->setData(price, QStringLiteral("１２０")));
        p->cmdUpdate->click();
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 120.0);

        // Told twice, a close leaves the bad value unstored.
        QVERIFY(m->setData(price, QStringLiteral("x")));
        QVERIFY(!p->unload());
        QVERIFY(p->unload());
        QCOMPARE(env.dialogs.shown.size(), 8);
        QCOMPARE(env.dialogs.messages().last(),
                 MasterWindow::kEditNotStored + QStringLiteral("\n単価には数値を入力してください。"));
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 120.0);
    }

    void refusedPriceAtAFileSwitchIsToldAndTheNewFileShown()
    {
        testsupport::Env env;
        const QString first = env.openNewDatabase("first.idb");
        db::exec("INSERT INTO 仕入商品 VALUES (1, 'インク', 100, '本')");
        const QString second = env.newDatabase("second.idb");
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        QVERIFY(p->model()->setData(cell(p, 0, 2), QStringLiteral("abc")));
        db::open(second);
        QCOMPARE(env.dialogs.messages(),
                 QStringList{MasterWindow::kEditNotStored + QStringLiteral("\n単価には数値を入力してください。")});
        QCOMPARE(p->model()->rowCount(), 0);
        QVERIFY(p->unload());
        db::open(first);
        QCOMPARE(db::scalar("SELECT 単価 FROM 仕入商品 WHERE 品名ID = 1").toDouble(), 100.0);
    }

    void aWindowWithoutItsTableDoesNotOpen()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("ALTER TABLE 単位 RENAME TO 単位_old");
        QVERIFY(!windows::open("frmTani", windows::Show::Modal));
        QCOMPARE(env.dialogs.messages(), QStringList{db::withCause(MasterWindow::kConnectionFailed, db::Cause::Other)});
        QVERIFY(forms::shownModal().isEmpty());
        QVERIFY(!forms::find<frmTani>());
    }

    void aKeyCountLinesStillCarryIsNotGivenAgain()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // A line of an earlier count carries category 3 and product 3; no line carries a unit key.
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 品名ID) VALUES (1, '2024-03-31', 3, 'c', 3)");
        const QList<qint64> expected{4, 4, 3};
        for (int i = 0; i < twins().size(); ++i) {
            const Twin& t = twins().at(i);
            fill(t, {"a", "b", "c"});
            MasterWindow* w = open(t.name);
            selectRow(w, w->model()->rowOfKey(3));
            env.dialogs.answers << dlg::vbYes;
            w->cmdDelete->click();                               // the row with the highest key
            w->cmdAdd->click();
            QCOMPARE(w->currentKey(), expected.at(i));
            QCOMPARE(shown(w), stored(t, expected.at(i)));
        }
    }

    void keysUsedUp()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (2147483647, '個')");
        MasterWindow* w = open("frmTani");
        w->cmdAdd->click();
        QCOMPARE(env.dialogs.messages(), QStringList{global::kKeyRangeText});
        QCOMPARE(w->EditMode, 1);
        QCOMPARE(buttons(w), QStringLiteral("A--D"));
        QCOMPARE(rows(twins().at(2)), 1);
    }

    void productButtons()
    {
        testsupport::Env env;
        env.openNewDatabase();
        fill(twins().at(0), {"ペン"});
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        // Excel stores what the grid shows first.
        p->nameBox->setFocus();
        p->nameBox->setText(QStringLiteral("ボールペン"));
        p->Command3->click();
        QCOMPARE(nameOf(twins().at(0), 1).toString(), QStringLiteral("ボールペン"));

        // The import closes this window, then opens the product import dialog.
        env.dialogs.clear();
        forms::shownModal().clear();
        p->Command1->click();
        QVERIFY(!forms::find<frmInShohin>());
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(forms::shownModal(), QStringList{QStringLiteral("DialogExcelB")});
    }

    void fileSwitchUnderTheModelessCategoryWindow()
    {
        testsupport::Env env;
        const QString first = env.openNewDatabase("first.idb");
        const Twin& t = twins().at(1);
        fill(t, {"文具", "食品"});
        const QString second = env.newDatabase("second.idb");
        QVERIFY(windows::open("frmKoumoku", windows::Show::Modeless));
        auto* k = forms::find<frmKoumoku>();
        QVERIFY(k && k->isVisible() && !k->isModalShown());
        selectRow(k, 0);
        k->nameBox->setFocus();
        k->nameBox->setText(QStringLiteral("文房具"));
        k->cmdAdd->click();                                      // 文房具 stored first, new row 3
        selectRow(k, 1);
        env.dialogs.answers << dlg::vbYes;
        k->cmdDelete->click();                                   // 食品; row 3 stays, empty
        QCOMPARE(k->EditMode, 1);
        QCOMPARE(buttons(k), QStringLiteral("-U-D"));
        k->cmdUpdate->click();
        k->cmdAdd->click();                                      // new row 4, left unregistered
        QCOMPARE(k->EditMode, 2);
        QCOMPARE(k->currentKey(), 4);
        QVERIFY(k->KoumokuDeleted);

        db::open(second);
        QVERIFY(k->model());
        QCOMPARE(k->model()->rowCount(), 0);                     // the new file's rows
        QCOMPARE(k->EditMode, 1);
        QVERIFY(!k->KoumokuDeleted);
        QCOMPARE(buttons(k), QStringLiteral("A---"));
        fill(t, {"電池"});
        k->cmdAdd->click();
        QCOMPARE(k->currentKey(), 2);
        k->cmdCancel->click();
        env.dialogs.answers << dlg::vbYes;
        k->cmdDelete->click();
        QCOMPARE(rows(t), 0);

        db::close();                                             // and no file at all
        QVERIFY(!k->model());
        QCOMPARE(buttons(k), QStringLiteral("----"));
        k->Form_Activate();
        QCOMPARE(env.dialogs.messages().last(), MasterWindow::kConnectionFailed);
        QVERIFY(k->unload());
        QVERIFY(!forms::shownModal().contains("frmInAmd2"));

        db::open(first);                                         // the first file: edit kept, new row gone
        QCOMPARE(nameOf(t, 1).toString(), QStringLiteral("文房具"));
        QVERIFY(nameOf(t, 3).isNull());
        QCOMPARE(rows(t), 2);
        QCOMPARE(db::scalar("SELECT MAX(項目ID) FROM 項目分類").toInt(), 3);
    }
};

BREVOTANE_TEST_MAIN(TestMasterWindows)
#include "test_master_windows.moc"
