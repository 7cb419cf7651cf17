// The main road through the real windows: the main window opens the entry window, a line is
// entered, the correction window finds it, and closing the main window winds everything down.
#include "TestSupport.h"

#include "app/Settings.h"
#include "app/frmAMain.h"
#include "counting/frmInAmd2.h"
#include "counting/frmTana.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

class TestCountingFlow : public QObject {
    Q_OBJECT
private slots:
    void enterCorrectAndClose()
    {
        testsupport::Env env;
        const QString file = env.newDatabase("shop.idb");
        SaveSetting("Settings", "MDBFileName", file);
        SaveSetting("Settings", "FDate", "2026-03-31");
        frmTana::TipShown = true;
        auto* main = forms::get<frmAMain>();
        main->showModeless();
        QVERIFY(env.dialogs.messages().isEmpty());

        // No line yet: the correction button says so and opens nothing.
        main->Command19_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("現在、該当する棚卸はありません。")});
        QVERIFY(!forms::shownModal().contains("frmInAmd2"));

        // The entry window opens modeless on the main window's closing date.
        env.dialogs.clear();
        main->Command17_Click();
        auto* tana = forms::find<frmTana>();
        QVERIFY(tana);
        QCOMPARE(tana->findChild<QDateEdit*>("DTPicker1")->date(), QDate(2026, 3, 31));
        tana->findChild<DataCombo*>("dbcNouhin")->setText(QStringLiteral("文具"));
        tana->findChild<DataCombo*>("dbcShohin")->setText(QStringLiteral("ボールペン"));
        tana->findChild<QLineEdit*>("txtCnt")->setText("3");
        tana->findChild<QLineEdit*>("txtTanka")->setText("123.45");
        tana->findChild<DataCombo*>("dbcTani")->setText(QStringLiteral("本"));
        QTest::mouseClick(tana->findChild<QPushButton*>("cmdSubAdd"), Qt::LeftButton);
        QVERIFY2(env.dialogs.messages().isEmpty(), qPrintable(env.dialogs.messages().join('|')));
        QCOMPARE(db::scalar("SELECT 価格 FROM 棚卸マスター WHERE 日付 = '2026-03-31'").toDouble(), 370.0);

        // The correction window finds the line under its category.
        int shownRows = -1;
        forms::setModalDriver([&](Form* f) {
            auto* amd = qobject_cast<frmInAmd2*>(f);
            QVERIFY(amd);
            auto* combo = amd->findChild<DataCombo*>("dbcNouhin");
            combo->setText(QStringLiteral("文具"));
            emit combo->Change();
            emit combo->activated(0);
            shownRows = amd->findChild<QTableView*>("dgdSub")->model()->rowCount();
        });
        main->Command19_Click();
        QCOMPARE(shownRows, 1);
        QVERIFY(forms::find<frmTana>());   // the modeless entry window stays open meanwhile

        // Closing the main window unloads the entry window first, then writes the backup.
        QVERIFY(main->unload());
        QVERIFY(!forms::find<frmTana>());
        QVERIFY(!db::isOpen());
        QVERIFY(QFile::exists(env.programFolder() + "BackupBrevotane.idb"));
        QCOMPARE(GetSetting("Settings", "FDate"), QStringLiteral("2026/03/31"));
    }
};

BREVOTANE_TEST_MAIN(TestCountingFlow)
#include "test_counting_flow.moc"
