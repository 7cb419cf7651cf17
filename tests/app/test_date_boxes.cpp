// Every window's closing date, typed on the keyboard as a person types it: into the box from its
// access key, then Tab or Enter. The window then holds the date typed, and what is entered after
// goes under it.
#include "TestSupport.h"

#include "app/frmAMain.h"
#include "common/MainWindowInfo.h"
#include "common/Settings.h"
#include "counting/CountLineGrid.h"
#include "counting/frmInAmd2.h"
#include "counting/frmList.h"
#include "counting/frmTana.h"
#include "import/DialogExcel.h"
#include "platform/DataCombo.h"
#include "platform/DateBox.h"
#include "platform/Db.h"
#include "platform/Form.h"
#include "printing/DialogTanaMoto1.h"
#include "printing/DialogTanaMoto2.h"
#include "printing/DialogTanaMoto3.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

Q_DECLARE_METATYPE(QDate)

namespace {

const QDate kStart(2025, 3, 31);

class MainStandIn : public app::MainWindowInfo {
public:
    QDate closingDate() const override { return kStart; }
    QString openFileName() const override { return db::openPath(); }
};

Form* openWindow(const QString& name, const testsupport::Env& env)
{
    static const QHash<QString, std::function<Form*()>> windows = {
        {"frmAMain", [] { return forms::get<frmAMain>(); }},
        {"frmTana", [] { return forms::get<frmTana>(); }},
        {"frmInAmd2", [] { return forms::get<frmInAmd2>(); }},
        {"frmList", [] { return forms::get<frmList>(); }},
        {"DialogExcelA", [] { return forms::get<DialogExcelA>(); }},
        {"DialogTanaMoto1", [] { return forms::get<DialogTanaMoto1>(); }},
        {"DialogTanaMoto2", [] { return forms::get<DialogTanaMoto2>(); }},
        {"DialogTanaMoto3", [] { return forms::get<DialogTanaMoto3>(); }},
    };
    if (name == QLatin1String("frmAMain"))
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
    else
        env.openNewDatabase();
    Form* f = windows.value(name)();
    f->showModeless();
    if (!QTest::qWaitForWindowActive(f))
        qWarning("window %s not active", qPrintable(name));
    return f;
}


// Alt+D, again while another control of the window shares the access key (the focus goes round
// them), until the box has the focus.
void enter(DateBox* box)
{
    for (int i = 0; i < 3 && !box->hasFocus(); ++i)
        testsupport::pressKeys(QStringLiteral("<Alt+D>"));
    QVERIFY(box->hasFocus());
}

DateBox* dateBox(QWidget* w)
{
    return qobject_cast<DateBox*>(w->findChild<QDateEdit*>(QStringLiteral("DTPicker1")));
}

} // namespace

class TestDateBoxes : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        frmTana::TipShown = true;
    }
    void cleanup()
    {
        forms::unloadAll();
        app::setMainWindowInfo(nullptr);
    }

    void everyWindowTakesTheDateTyped_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QDate>("expected");

        QTest::newRow("main window, Tab") << "frmAMain" << "2026/12/31<Tab>" << QDate(2026, 12, 31);
        QTest::newRow("main window, Enter") << "frmAMain" << "2027/1/5<Enter>" << QDate(2027, 1, 5);
        QTest::newRow("count entry, Tab") << "frmTana" << "2026/12/31<Tab>" << QDate(2026, 12, 31);
        QTest::newRow("count entry, Enter") << "frmTana" << "2026-1-5<Enter>" << QDate(2026, 1, 5);
        QTest::newRow("correction") << "frmInAmd2" << "2026/12/31<Tab>" << QDate(2026, 12, 31);
        QTest::newRow("summary list") << "frmList" << "2026/12/31<Enter>" << QDate(2026, 12, 31);
        QTest::newRow("count import") << "DialogExcelA" << "2026/12/31<Tab>" << QDate(2026, 12, 31);
        QTest::newRow("count sheet") << "DialogTanaMoto1" << "2026/12/31<Tab>" << QDate(2026, 12, 31);
        QTest::newRow("count-entry book") << "DialogTanaMoto2" << "20261231<Enter>" << QDate(2026, 12, 31);
        QTest::newRow("summary sheet") << "DialogTanaMoto3" << "2026/12/31<Tab>" << QDate(2026, 12, 31);
    }

    void everyWindowTakesTheDateTyped()
    {
        QFETCH(QString, window);
        QFETCH(QString, keys);
        QFETCH(QDate, expected);
        testsupport::Env env;
        MainStandIn main;
        if (window != QLatin1String("frmAMain"))
            app::setMainWindowInfo(&main);
        testsupport::OnePrinter printer;
        Form* f = openWindow(window, env);
        DateBox* box = dateBox(f);
        QVERIFY(box);
        QVERIFY(box->date() != expected);
        enter(box);
        testsupport::pressKeys(keys);
        QCOMPARE(box->date(), expected);
        QCOMPARE(box->text(), expected.toString(QStringLiteral("yyyy/MM/dd")));
        QVERIFY(f->isActiveWindow());
        QVERIFY(!box->hasFocus());   // gone on to the next control
        if (window == QLatin1String("frmAMain"))
            QCOMPARE(app::closingDate(), expected);

        // A date that does not exist leaves the date as it was and the focus in the box.
        enter(box);
        testsupport::pressKeys(QStringLiteral("2026/02/30<Enter>"));
        QVERIFY(box->hasFocus());
        QCOMPARE(box->date(), expected);
        QCOMPARE(box->text(), QStringLiteral("2026/02/30"));
        testsupport::pressKeys(QStringLiteral("2026/02/28<Tab>"));
        QCOMPARE(box->date(), QDate(2026, 2, 28));
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    // The closing date typed in the main window is the one the entry window opens with, and a
    // date typed there is the date of the lines entered.
    void linesGoUnderTheDateTyped()
    {
        testsupport::Env env;
        auto* m = static_cast<frmAMain*>(openWindow(QStringLiteral("frmAMain"), env));
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '文具')");
        if (QDate::currentDate() == QDate(2026, 12, 31))
            env.dialogs.answers << dlg::vbYes;   // the today question
        // Straight from the typed date to the entry button's access key.
        enter(dateBox(m));
        testsupport::pressKeys(QStringLiteral("2026/12/31<Alt+E>"));
        QTRY_VERIFY(forms::find<frmTana>());
        auto* tana = forms::find<frmTana>();
        QVERIFY(tana->isVisible());
        QCOMPARE(m->DTPicker1->date(), QDate(2026, 12, 31));
        QCOMPARE(tana->DTPicker1->date(), QDate(2026, 12, 31));

        QVERIFY(QTest::qWaitForWindowActive(tana));
        enter(dateBox(tana));
        testsupport::pressKeys(QStringLiteral("2027/1/5<Enter>"));
        QCOMPARE(tana->DTPicker1->date(), QDate(2027, 1, 5));
        tana->dbcNouhin->setText(QStringLiteral("文具"));
        tana->dbcShohin->setText(QStringLiteral("ボールペン"));
        tana->txtCnt->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        tana->txtCnt->setText(QStringLiteral("3"));
        tana->txtTanka->setText(QStringLiteral("100"));
        tana->cmdSubAdd->click();
        QCOMPARE(testsupport::queryRows("SELECT 日付, 品名 FROM 棚卸マスター"),
                 QStringList{QStringLiteral("2027-01-05|ボールペン")});
    }

    // The date cells of the correction grid: typed into the cell, Tab takes the date; a date that
    // does not exist keeps the cell's editor open.
    void correctionGridCell()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単価, 価格) VALUES (1, ?, 0, 'ペン', 1, 10, 10)",
                 {db::isoDate(kStart)});
        auto* f = forms::get<frmInAmd2>();
        f->DTPicker1->setDate(kStart);
        f->showModeless();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->Command4->click();
        QTableView* grid = f->dgdSub;
        const QModelIndex cell = f->gridModel()->index(0, f->gridModel()->record().indexOf(QStringLiteral("日付")));
        grid->setFocus(Qt::OtherFocusReason);
        grid->setCurrentIndex(cell);

        testsupport::pressKeys(QStringLiteral("2026/02/30<Tab>"));   // the first key opens the cell's editor
        QVERIFY(qobject_cast<DateBox*>(QApplication::focusWidget()));
        QCOMPARE(cell.data(Qt::EditRole).toString(), db::isoDate(kStart));
        testsupport::pressKeys(QStringLiteral("2026/12/31<Tab>"));
        QVERIFY(!qobject_cast<DateBox*>(QApplication::focusWidget()));
        QCOMPARE(cell.data(Qt::EditRole).toString(), QStringLiteral("2026-12-31"));

        grid->setCurrentIndex(cell);
        testsupport::pressKeys(QStringLiteral("<F2>2027/1/5<Enter>"));
        QTRY_COMPARE(cell.data(Qt::EditRole).toString(), QStringLiteral("2027-01-05"));
        f->Command3->click();
        QCOMPARE(db::scalar("SELECT 日付 FROM 棚卸マスター WHERE ID = 1").toString(), QStringLiteral("2027-01-05"));
        QVERIFY(env.dialogs.shown.isEmpty());
    }
};

BREVOTANE_TEST_MAIN(TestDateBoxes)
#include "test_date_boxes.moc"
