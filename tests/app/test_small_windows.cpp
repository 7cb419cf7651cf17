// The version box, the tip window and the update dialog.
#include "TestSupport.h"

#include "app/Addresses.h"
#include "app/DialogUpdate.h"
#include "app/frmAMain.h"
#include "app/frmAbout.h"
#include "app/frmTipA.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

class TestSmallWindows : public QObject {
    Q_OBJECT
private slots:
    void versionBox()
    {
        testsupport::Env env;
        auto* about = forms::get<frmAbout>();
        QCOMPARE(about->windowTitle(), QStringLiteral("Brevotaneのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
        const QString description = about->lblDescription->text();
        QVERIFY(description.startsWith(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明")));
        QVERIFY(description.endsWith(QStringLiteral("棚卸表を作成するソフトウエア")));
        QCOMPARE(description.count(QChar(0x3000)), 54);

        // No system-information tool on this platform: the box says so.
        about->cmdSysInfo->click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        const dlg::Shown box = env.dialogs.shown.at(0);
        QCOMPARE(box.text, QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
        QCOMPARE(box.title, QStringLiteral("Brevotane"));
        QCOMPARE(box.icon, dlg::Icon::None);
        QVERIFY(!box.yesNo);
        QVERIFY(forms::find<frmAbout>() != nullptr);

        about->cmdOK->click();
        QVERIFY(forms::find<frmAbout>() == nullptr);
    }

    void tipWindowStartsEmptyEachTime()
    {
        testsupport::Env env;
        QStringList seen;
        forms::setModalDriver([&seen](Form* f) {
            if (auto* tip = qobject_cast<frmTipA*>(f))
                seen << tip->text();
        });
        frmTipA::showLines({QStringLiteral("一"), QString(), QStringLiteral("三")});
        frmTipA::showLines({QStringLiteral("next")});
        QCOMPARE(seen, (QStringList{QStringLiteral("一\n\n三\n"), QStringLiteral("next\n")}));
    }

    void enterAndEscapeActAsInADialog()
    {
        testsupport::Env env;
        // The tip: Enter in the text closes it, as does Escape.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            bool closedByKey = false;
            forms::setModalDriver([&closedByKey, key](Form* f) {
                auto* tip = qobject_cast<frmTipA*>(f);
                QVERIFY(tip);
                QTest::keyClick(tip->RichTextBox1, key);
                closedByKey = tip->isUnloaded();
            });
            frmTipA::showLines({QStringLiteral("一行")});
            QVERIFY2(closedByKey, qPrintable(QStringLiteral("key %1").arg(key)));
        }
        forms::setModalDriver(nullptr);

        // The version box: a key with a modifier or another key leaves it open; Enter and Escape close it.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            auto* about = forms::get<frmAbout>();
            about->showModeless();
            QTest::keyClick(about->lblDescription, Qt::Key_A);
            QTest::keyClick(about->lblDescription, key, Qt::ControlModifier);
            QVERIFY(!about->isUnloaded());
            QTest::keyClick(about->lblDescription, key);
            QVERIFY(about->isUnloaded());
            QVERIFY(env.dialogs.shown.isEmpty());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }

        // The update dialog: Escape is its Cancel (the clipboard is emptied), Enter its OK.
        auto* update = forms::get<DialogUpdate>();
        update->showModeless();
        QTest::keyClick(update->Text1, Qt::Key_Escape);
        QVERIFY(update->isUnloaded());
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(env.dialogs.shown.isEmpty());

        env.dialogs.externalResult = false;   // the page does not open: the program stays
        update = forms::get<DialogUpdate>();
        update->showModeless();
        QTest::keyClick(update->Text1, Qt::Key_Return);
        QCOMPARE(env.dialogs.shown.size(), 1);
        QCOMPARE(env.dialogs.shown.at(0).text, addresses::kUpdatePage);
    }

    void updateDialogCancel()
    {
        testsupport::Env env;
        QGuiApplication::clipboard()->setText("something");
        auto* update = forms::get<DialogUpdate>();
        const QString folder = env.programFolder().chopped(1);
        QCOMPARE(update->Text1->text(), folder);
        QCOMPARE(QGuiApplication::clipboard()->text(), folder);

        update->CancelButton->click();
        QVERIFY(forms::find<DialogUpdate>() == nullptr);
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void updateDialogOkEndsTheProgram()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        SaveSetting("Settings", "MDBFileName", work);
        frmAMain* main = forms::get<frmAMain>();
        main->showModeless();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'x')");

        // The page cannot be opened: the program stays.
        env.dialogs.externalResult = false;
        forms::setModalDriver([](Form* f) {
            if (auto* d = qobject_cast<DialogUpdate*>(f))
                d->OKButton->click();
        });
        forms::get<DialogUpdate>()->showModal();
        QVERIFY(forms::find<frmAMain>() == main);
        QVERIFY(db::isOpen());

        env.dialogs.clear();
        env.dialogs.externalResult = true;
        forms::get<DialogUpdate>()->showModal();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QCOMPARE(env.dialogs.shown.at(0).kind, QStringLiteral("url"));
        QCOMPARE(env.dialogs.shown.at(0).text, addresses::kUpdatePage);
        QVERIFY(forms::loaded().isEmpty());
        QVERIFY(!db::isOpen());
        // Ended as at any exit: settings and the backup written, the folder left on the clipboard.
        QVERIFY(!GetSetting("Settings", "FDate", "").isEmpty());
        QVERIFY(QFile::exists(paths::backupPath()));
        db::open(paths::backupPath());
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品").toString(), QStringLiteral("x"));
        db::close();
        QCOMPARE(QGuiApplication::clipboard()->text(), env.programFolder().chopped(1));
    }
};

BREVOTANE_TEST_MAIN(TestSmallWindows)
#include "test_small_windows.moc"
