// The summary list through its window: what it lists at opening, each mode picked from the list
// or typed, the buttons after each mode, the date change, the orphan modes, the print hand-over to
// the print dialogs, the Excel export read back with an independent reader, and a file switch.
#include "TestSupport.h"

#include "SummaryListData.h"

#include "common/MainWindowInfo.h"
#include "common/WindowTable.h"
#include "counting/CountLineGrid.h"
#include "counting/OrphanQuestions.h"
#include "counting/frmList.h"
#include "platform/Db.h"
#include "platform/PrinterCollection.h"
#include "platform/PrinterRecording.h"
#include "platform/Twips.h"
#include "printing/DialogTanaMoto3.h"
#include "printing/PrintDialogData.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>

using namespace summarydata;

namespace {

class MainStandIn : public app::MainWindowInfo {
public:
    QDate date = kDate;
    QDate closingDate() const override { return date; }
    QString openFileName() const override { return db::openPath(); }
};

// The print dialogs as far as the list knows them: their names and the controls it sets. Their
// own load sets today's date, as the real ones do.
template <int N>
class PrintDialog : public Form {
public:
    PrintDialog()
    {
        setObjectName(QStringLiteral("DialogTanaMoto%1").arg(N));
        DTPicker1 = named(new QDateEdit(this), "DTPicker1");
        Text3 = named(new QLineEdit(this), "Text3");
        Text4 = named(new QLineEdit(this), "Text4");
    }
    void Form_Load() override { DTPicker1->setDate(QDate::currentDate()); }
    void Form_Activate() override { activatedWith = {DTPicker1->date().toString(Qt::ISODate), Text3->text(), Text4->text()}; }
    QDateEdit* DTPicker1;
    QLineEdit* Text3;
    QLineEdit* Text4;
    static inline QStringList activatedWith;
};

struct Fixture {
    testsupport::Env env;
    MainStandIn main;
    Fixture()
    {
        env.openNewDatabase();
        fill();
        app::setMainWindowInfo(&main);
    }
    ~Fixture()
    {
        for (const char* n : {"DialogTanaMoto1", "DialogTanaMoto2", "DialogTanaMoto3"})
            windows::setStandIn(QString::fromLatin1(n), {});
        app::setMainWindowInfo(nullptr);
    }
};

frmList* open()
{
    auto* f = forms::get<frmList>();
    f->showModeless();
    return f;
}

void pick(frmList* f, const QString& mode)
{
    const int i = f->Combo1->findText(mode);
    QVERIFY2(i >= 0, qPrintable(mode));
    f->Combo1->setCurrentIndex(i);
    emit f->Combo1->activated(i);
}

void typeMode(frmList* f, const QString& text)
{
    f->Combo1->lineEdit()->clear();
    f->Combo1->lineEdit()->setFocus();
    testsupport::typeText(f->Combo1->lineEdit(), text);
}

// One column of every row the grid can show, read in whole.
QStringList shown(frmList* f, const char* field)
{
    QStringList out;
    counting::SummaryListModel* m = f->listModel();
    if (!m)
        return out;
    while (m->canFetchMore())
        m->fetchMore();
    const int c = m->record().indexOf(QString::fromUtf8(field));
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->data(m->index(r, c)).toString();
    return out;
}

// 印刷 and Excel as "PE", "P-", "-E" or "--".
QString buttons(frmList* f)
{
    return QString(f->Command2->isEnabled() ? 'P' : '-') + QString(f->Command3->isEnabled() ? 'E' : '-');
}

int px(frmList* f, int tw) { return twips::toPixels(tw, f->dgdSub); }

bool rightAligned(frmList* f, int column)
{
    const QModelIndex i = f->listModel()->index(0, column);
    auto* d = qobject_cast<counting::CountLineDelegate*>(f->dgdSub->itemDelegate());
    QStyleOptionViewItem o;
    o.initFrom(f->dgdSub);
    // The style option is protected. A derived class may name it, and the pointer to the member it
    // hands out is called on the grid's own delegate, which is never cast to a type it is not.
    struct Peek : counting::CountLineDelegate {
        static auto initStyle() { return &Peek::initStyleOption; }
    };
    (d->*Peek::initStyle())(&o, i);
    return o.displayAlignment & Qt::AlignRight;
}

const char* kReader = R"(
import sys, json, xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sheet = book.sheet_by_index(0)
print(json.dumps({'sheets': book.sheet_names(), 'rows': [sheet.row_values(r) for r in range(sheet.nrows)]}))
)";

QJsonObject readBook(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReader), file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

} // namespace

class TestFrmList : public QObject {
    Q_OBJECT
private slots:
    void controls()
    {
        Fixture fx;
        auto* f = forms::get<frmList>();
        QCOMPARE(f->windowTitle(), QStringLiteral("決算日別　棚卸集計表"));
        QVERIFY(f->enterAsTab());
        QCOMPARE(f->findChild<QLabel*>("Label3")->text(), QStringLiteral("決算日(&D)"));
        QCOMPARE(f->findChild<QLabel*>("Label4")->text(), QStringLiteral("集計項目(&Q)"));
        QCOMPARE(f->findChild<QPushButton*>("Command1")->text(), QStringLiteral("検索開始(&F)"));
        QVERIFY(f->Command1->isHidden());
        QCOMPARE(f->findChild<QPushButton*>("Command2")->text(), QStringLiteral("印　刷(&P)"));
        QCOMPARE(f->findChild<QPushButton*>("Command3")->text(), QStringLiteral("Excel(&P)"));
        for (const char* n : {"Frame1", "Frame2", "Picture1", "dgdSub", "Text1", "DTPicker1", "Combo1"})
            QVERIFY2(f->findChild<QWidget*>(n), n);
        QStringList items;
        for (int i = 0; i < f->Combo1->count(); ++i)
            items << f->Combo1->itemText(i);
        QCOMPARE(items, counting::listModeNames());
        QVERIFY(f->Combo1->isEditable());
        QCOMPARE(f->DTPicker1->date(), kDate);   // the main window's closing date
    }

    void openingListsEveryLine()
    {
        Fixture fx;
        auto* f = open();
        QCOMPARE(f->Combo1->currentText(), QString());
        QCOMPARE(buttons(f), QStringLiteral("--"));
        // The deleted category's line is missing from the list but counted in the totals line.
        QCOMPARE(shown(f, "品名"), (QStringList{"ボールペン", "ノート", "りんご(旧)", "みかん", "消しゴム", "ノート"}));
        QCOMPARE(shown(f, "項目分類名"), (QStringList{"文具", "文具", "食品", "食品", "文具", "文具"}));
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 7   Total 2,200"));
        QVERIFY(f->dgdSub->isColumnHidden(0));
        QCOMPARE(f->dgdSub->columnWidth(2), px(f, 3800));
        QCOMPARE(f->dgdSub->columnWidth(4), px(f, 600));
        QCOMPARE(f->dgdSub->rowHeight(0), px(f, 360));
        QVERIFY(rightAligned(f, 3) && rightAligned(f, 5) && rightAligned(f, 6));
        QVERIFY(!rightAligned(f, 2) && !rightAligned(f, 4));
        // Read-only: the grid offers no editing.
        QCOMPARE(f->dgdSub->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!(f->listModel()->flags(f->listModel()->index(0, 2)) & Qt::ItemIsEditable));
        QVERIFY(fx.env.dialogs.shown.isEmpty());
    }

    void modesAndTheirButtons()
    {
        Fixture fx;
        auto* f = open();
        const qsizetype selectionModels = f->dgdSub->findChildren<QItemSelectionModel*>().size();

        pick(f, "項目/分類別集計表");
        QCOMPARE(buttons(f), QStringLiteral("P-"));
        QCOMPARE(shown(f, "項目分類名"), (QStringList{"文具", "食品"}));   // largest sum first, one row per name
        QCOMPARE(shown(f, "合計"), (QStringList{"700", "500"}));
        QCOMPARE(shown(f, "集計数"), (QStringList{"4", "2"}));
        QVERIFY(!f->dgdSub->isColumnHidden(0));
        QCOMPARE(f->dgdSub->columnWidth(0), f->dgdSub->horizontalHeader()->defaultSectionSize());
        QCOMPARE(f->dgdSub->columnWidth(1), px(f, 4200));
        QCOMPARE(f->dgdSub->columnWidth(2), px(f, 3000));
        QVERIFY(rightAligned(f, 2) && rightAligned(f, 3) && !rightAligned(f, 1));

        pick(f, "品名別集計表");
        QCOMPARE(buttons(f), QStringLiteral("P-"));
        QCOMPARE(shown(f, "品名"), (QStringList{"りんご", "ノート", "ハンマー", "ボールペン", "消しゴム"}));
        QCOMPARE(shown(f, "集計数"), (QStringList{"1", "2", "1", "1", "1"}));

        pick(f, "単価未入力の棚卸");
        QCOMPARE(buttons(f), QStringLiteral("-E"));
        QCOMPARE(shown(f, "品名"), (QStringList{"みかん", "消しゴム"}));
        // The last mode's layout does not linger: column 0 is hidden again, column 3 right-aligned.
        QVERIFY(f->dgdSub->isColumnHidden(0));
        QVERIFY(rightAligned(f, 3) && !rightAligned(f, 2));

        pick(f, "棚卸をすべて表示");
        QCOMPARE(buttons(f), QStringLiteral("PE"));
        QCOMPARE(shown(f, "品名").size(), 6);

        pick(f, "品名情報に登録されていない棚卸");
        QCOMPARE(buttons(f), QStringLiteral("--"));
        QCOMPARE(shown(f, "ID"), QStringList{"5"});   // its product 99 does not exist
        QVERIFY(fx.env.dialogs.shown.isEmpty());      // never asks
        QVERIFY(f->dgdSub->isColumnHidden(0));        // the count-line layout: ID hidden
        QCOMPARE(f->dgdSub->columnWidth(1), px(f, 1200));

        // A text naming no mode is listed like every line, and the buttons act for that list.
        typeMode(f, "なにか");
        f->Command1_Click();
        QCOMPARE(buttons(f), QStringLiteral("PE"));
        QCOMPARE(shown(f, "品名").size(), 6);
        // Lists replaced again and again leave no selection of an old list behind.
        QCOMPARE(f->dgdSub->findChildren<QItemSelectionModel*>().size(), selectionModels);
    }

    void largeCountIsReadAsShown()
    {
        Fixture fx;
        {
            db::Transaction tx;
            for (int i = 100; i < 5100; ++i)
                db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 価格) VALUES (?, ?, 1, ?, 1)",
                         {i, db::isoDate(kDate), QStringLiteral("品%1").arg(i)});
            tx.commit();
        }
        auto* f = open();
        QVERIFY(f->listModel()->rowCount() > 0);
        QVERIFY(f->listModel()->rowCount() < 1000);   // the first rows, not the whole count
        f->dgdSub->scrollToBottom();
        QVERIFY(f->listModel()->rowCount() > 256);    // more come in as the grid scrolls
        QCOMPARE(shown(f, "品名").size(), 5006);
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 5007   Total 7,200"));
    }

    void orphanCategoryMode()
    {
        Fixture fx;
        auto* f = open();
        fx.env.dialogs.answers << dlg::vbNo;
        pick(f, "項目/分類情報に登録されていない棚卸");
        QCOMPARE(fx.env.dialogs.messages(), QStringList{counting::kAskOrphanKoumokuList});
        QCOMPARE(buttons(f), QStringLiteral("--"));
        QCOMPARE(shown(f, "ID"), QStringList{"4"});
        QCOMPARE(db::scalar("SELECT 区分調整 FROM 棚卸マスター WHERE ID = 4").toInt(), 1);

        fx.env.dialogs.clear();
        fx.env.dialogs.answers << dlg::vbYes;
        pick(f, "項目/分類情報に登録されていない棚卸");
        QCOMPARE(shown(f, "ID"), QStringList{"4"});   // the same line, now in 未区分
        QCOMPARE(shown(f, "項目ID"), QStringList{"0"});
        QCOMPARE(db::scalar("SELECT 項目ID FROM 棚卸マスター WHERE ID = 4").toInt(), 0);
        // The repaired line joins 未区分 in the lists.
        pick(f, "項目/分類別集計表");
        QCOMPARE(shown(f, "項目分類名"), (QStringList{"未区分", "文具", "食品"}));

        // Nothing left to find: an empty grid and no question.
        fx.env.dialogs.clear();
        pick(f, "項目/分類情報に登録されていない棚卸");
        QVERIFY(fx.env.dialogs.shown.isEmpty());
        QVERIFY(f->listModel());
        QCOMPARE(f->listModel()->rowCount(), 0);
        QCOMPARE(f->listModel()->record().indexOf("区分調整"), 11);
    }

    void dateChangeRerunsTheMode()
    {
        Fixture fx;
        auto* f = open();
        pick(f, "項目/分類別集計表");
        f->DTPicker1->setDate(kOther);
        QCOMPARE(shown(f, "合計"), QStringList{"9999"});
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 1   Total 9,999"));
        QCOMPARE(buttons(f), QStringLiteral("P-"));
        f->DTPicker1->setDate(QDate(2000, 1, 1));
        QCOMPARE(shown(f, "合計"), QStringList());
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 0   Total 0"));
    }

    void typedProductListOpensTheEntryBook()
    {
        Fixture fx;
        windows::setStandIn("DialogTanaMoto2", [] { return forms::get<PrintDialog<2>>(); });
        auto* f = open();
        pick(f, "単価未入力の棚卸");
        // Typing runs nothing by itself.
        typeMode(f, "品名リスト");
        QCOMPARE(f->Combo1->currentText(), QStringLiteral("品名リスト"));
        QCOMPARE(shown(f, "品名").size(), 2);
        f->DTPicker1->setDate(kDate.addDays(1));
        f->DTPicker1->setDate(kDate);
        QCOMPARE(shown(f, "ID"), (QStringList{"1", "2", "3", "5", "7", "8"}));
        QCOMPARE(shown(f, "参考単価").at(2), QStringLiteral("50"));
        QVERIFY(f->dgdSub->isColumnHidden(0));
        QCOMPARE(f->dgdSub->columnWidth(2), px(f, 3800));
        QCOMPARE(f->dgdSub->columnWidth(3), px(f, 2000));
        QVERIFY(rightAligned(f, 3) && !rightAligned(f, 4));
        QCOMPARE(buttons(f), QStringLiteral("P-"));   // no workbook for this list
        f->Command3_Click();
        QVERIFY(fx.env.dialogs.shown.isEmpty());

        QStringList loadedWhenShown;
        forms::setModalDriver([&](Form* w) {
            for (Form* l : forms::loaded())
                loadedWhenShown << l->objectName();
            QCOMPARE(w->objectName(), QStringLiteral("DialogTanaMoto2"));
        });
        f->Command2->click();
        QCOMPARE(loadedWhenShown, QStringList{"DialogTanaMoto2"});   // the list was gone first
        QCOMPARE(PrintDialog<2>::activatedWith.at(0), QDate::currentDate().toString(Qt::ISODate));
        QVERIFY(!forms::find<frmList>());
    }

    void groupedSummaryHandOver()
    {
        struct Case { const char* mode; const char* title; const char* heading; };
        for (const Case& c : {Case{"項目/分類別集計表", "棚卸表 (項目/分類別集計)", "項目/分類名"},
                              Case{"品名別集計表", "棚卸表 (品名別集計)", "品名"}}) {
            Fixture fx;
            windows::setStandIn("DialogTanaMoto3", [] { return forms::get<PrintDialog<3>>(); });
            PrintDialog<3>::activatedWith.clear();
            auto* f = open();
            const QDate changed(2024, 12, 31);
            f->DTPicker1->setDate(changed);
            pick(f, QString::fromUtf8(c.mode));
            QStringList atDriver;
            bool listGone = false;
            forms::setModalDriver([&](Form* w) {
                auto* d = static_cast<PrintDialog<3>*>(w);
                listGone = !forms::find<frmList>();
                atDriver = {d->DTPicker1->date().toString(Qt::ISODate), d->Text3->text(), d->Text4->text()};
            });
            f->Command2->click();
            // Set after the dialog's own load, before its first activation read them.
            const QStringList want{changed.toString(Qt::ISODate), QString::fromUtf8(c.title), QString::fromUtf8(c.heading)};
            QCOMPARE(PrintDialog<3>::activatedWith, want);
            QCOMPARE(atDriver, want);
            QVERIFY(listGone);
            QVERIFY(fx.env.dialogs.shown.isEmpty());
        }
    }

    void everyLinePrintsTheCountSheets()
    {
        Fixture fx;
        windows::setStandIn("DialogTanaMoto1", [] { return forms::get<PrintDialog<1>>(); });
        PrintDialog<1>::activatedWith.clear();
        auto* f = open();
        f->DTPicker1->setDate(kOther);   // the dialog takes its own date, not this one
        pick(f, "棚卸をすべて表示");
        f->Command2->click();
        QCOMPARE(PrintDialog<1>::activatedWith, (QStringList{QDate::currentDate().toString(Qt::ISODate), "", ""}));
        QVERIFY(!forms::find<frmList>());
    }

    void printWithoutADialogOrAMode()
    {
        Fixture fx;
        auto* f = open();
        // The mode text is read at the click: 単価未入力 prints nothing and the window stays.
        pick(f, "項目/分類別集計表");
        typeMode(f, "単価未入力の棚卸");
        f->Command2->click();
        QVERIFY(forms::find<frmList>());
        QVERIFY(fx.env.dialogs.shown.isEmpty());
        // A typed mode name hands over like a picked one, to the real summary dialog.
        testsupport::OnePrinter printer;
        forms::shownModal().clear();
        typeMode(f, "項目/分類別集計表");
        f->Command2->click();
        QCOMPARE(forms::shownModal(), QStringList{"DialogTanaMoto3"});
        QVERIFY(fx.env.dialogs.shown.isEmpty());
        QVERIFY(!forms::find<frmList>());
    }

    void theSummaryDialogItselfTakesTheHandOver()
    {
        struct Case { const char* mode; const char* title; const char* heading; };
        for (const Case& c : {Case{"項目/分類別集計表", "棚卸表 (項目/分類別集計)", "項目/分類名"},
                              Case{"品名別集計表", "棚卸表 (品名別集計)", "品名"}}) {
            Fixture fx;
            testsupport::OnePrinter printer;
            static QList<printing::SummaryRequest> asked;
            asked.clear();
            printing::sheetEngines().summary = [](prn::PrinterObject&, const printing::SummaryRequest& r) {
                asked << r;
                return printing::SheetResult{};
            };
            auto* f = open();
            const QDate changed(2024, 12, 31);
            f->DTPicker1->setDate(changed);
            pick(f, QString::fromUtf8(c.mode));
            QString caption;
            QDate date;
            forms::setModalDriver([&](Form* w) {
                auto* d = qobject_cast<DialogTanaMoto3*>(w);
                QVERIFY(d);
                caption = d->windowTitle();
                date = d->DTPicker1->date();
                d->Command3->click();
            });
            f->Command2->click();
            printing::restoreSheetEngines();
            // The dialog's own load set today; the list's values stood by its first activation.
            QCOMPARE(caption, QString::fromUtf8(c.title));
            QCOMPARE(date, changed);
            QCOMPARE(asked.size(), 1);
            QCOMPARE(asked.at(0).date, changed);
            QCOMPARE(asked.at(0).title, QString::fromUtf8(c.title));
            QCOMPARE(asked.at(0).groupHeading, QString::fromUtf8(c.heading));
            QVERIFY(!forms::find<DialogTanaMoto3>());
            QVERIFY(fx.env.dialogs.shown.isEmpty());
        }
    }

    void excelExport()
    {
        Fixture fx;
        auto* f = open();
        const QString file = fx.env.path("棚卸.xls");

        pick(f, "棚卸をすべて表示");
        fx.env.dialogs.files = {file};
        f->Command3->click();
        const QJsonObject all = readBook(file);
        QCOMPARE(all.value("sheets").toArray(), QJsonArray{"Sheet1"});
        const QJsonArray rows = all.value("rows").toArray();
        QCOMPARE(rows.at(0).toArray(), (QJsonArray{"項目分類", "品名", "数量", "単位", "単価", "金額"}));
        QCOMPARE(rows.size(), 7);   // the heading and six lines: not the deleted category's
        QCOMPARE(rows.at(1).toArray(), (QJsonArray{"文具", "ボールペン", 2.0, "個", 100.0, 200.0}));
        QCOMPARE(rows.at(3).toArray().at(1).toString(), QStringLiteral("りんご(旧)"));

        pick(f, "単価未入力の棚卸");
        fx.env.dialogs.clear();
        fx.env.dialogs.files = {file};
        fx.env.dialogs.answers << dlg::vbYes;   // overwrite
        f->Command3->click();
        const QJsonArray unpriced = readBook(file).value("rows").toArray();
        QCOMPARE(unpriced.size(), 3);
        QCOMPARE(unpriced.at(1).toArray().at(1).toString(), QStringLiteral("みかん"));
        QCOMPARE(unpriced.at(2).toArray().at(1).toString(), QStringLiteral("消しゴム"));

        // The mode is read at the click: a text without an export shows no save dialog.
        typeMode(f, "項目/分類別集計表");
        fx.env.dialogs.clear();
        f->Command3->click();
        QVERIFY(fx.env.dialogs.shown.isEmpty());
    }

    void fileSwitch()
    {
        Fixture fx;
        auto* f = open();
        pick(f, "単価未入力の棚卸");
        db::close();
        QVERIFY(!f->listModel());
        QVERIFY(!f->dgdSub->model());
        // Another file: the same mode listed from it, its totals shown.
        db::open(fx.env.newDatabase("other.idb"));
        summarydata::line(1, kDate, 0, QStringLiteral("ペン立て"), 1, 0, 0, 1);
        db::close();
        db::open(fx.env.path("other.idb"));
        QCOMPARE(shown(f, "品名"), QStringList{"ペン立て"});
        QCOMPARE(f->Text1->text(), QStringLiteral("Max Record 1   Total 0"));
        QCOMPARE(buttons(f), QStringLiteral("-E"));
    }

    void openedFromTheWindowTable()
    {
        Fixture fx;
        QStringList atOpening;
        forms::setModalDriver([&](Form* w) {
            QCOMPARE(w->objectName(), QStringLiteral("frmList"));
            atOpening = shown(static_cast<frmList*>(w), "品名");
        });
        QVERIFY(windows::open(QStringLiteral("frmList"), windows::Show::Modal));
        QCOMPARE(atOpening, (QStringList{"ボールペン", "ノート", "りんご(旧)", "みかん", "消しゴム", "ノート"}));
        QVERIFY(!forms::find<frmList>());
    }
};

BREVOTANE_TEST_MAIN(TestFrmList)
#include "test_frmList.moc"
