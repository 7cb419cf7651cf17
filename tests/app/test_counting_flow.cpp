// The main road through the real windows: the main window opens the entry window, a line is
// entered, the correction window finds it, and closing the main window winds everything down.
#include "TestSupport.h"

#include "app/frmAMain.h"
#include "common/Settings.h"
#include "counting/frmInAmd2.h"
#include "counting/frmTana.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>

namespace {

// Runs statements on a file through a connection of its own (not the program's).
QStringList onFile(const QString& path, const QStringList& statements, const QString& select = QString())
{
    QStringList rows;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "side");
        d.setDatabaseName(path);
        if (!d.open())
            qFatal("cannot open %s", qPrintable(path));
        for (const QString& sql : statements) {
            QSqlQuery q(d);
            if (!q.exec(sql))
                qFatal("%s", qPrintable(q.lastError().text()));
        }
        if (!select.isEmpty()) {
            QSqlQuery q(d);
            q.exec(select);
            while (q.next())
                rows << q.value(0).toString();
        }
        d.close();
    }
    QSqlDatabase::removeDatabase("side");
    return rows;
}

const QString kLinesOfFile = QStringLiteral("SELECT ID || ':' || 品名 FROM 棚卸マスター ORDER BY ID");

// Qt's warnings while a test runs (a query outliving its connection is reported this way).
QStringList s_warnings;
void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        s_warnings << text;
}

} // namespace

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

    // The main window opens, creates or saves as another file while the entry window stays
    // open: the entry window drops the old file's rows before the connection goes, shows the
    // new file's lines and totals, and a delete takes the line on screen from the file on screen.
    void theEntryWindowFollowsTheOpenFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("shownAfter");
        QTest::addColumn<QString>("totalsAfter");
        QTest::newRow("open") << "open" << QStringList{"1:B-1", "2:B-2", "3:B-3"}
                              << QStringLiteral("Max Record 3   Total 6,000");
        QTest::newRow("new") << "new" << QStringList{} << QStringLiteral("Max Record 0   Total 0");
        QTest::newRow("save as") << "saveAs" << QStringList{"1:A-1", "2:A-2"} << QStringLiteral("Max Record 2   Total 300");
    }

    void theEntryWindowFollowsTheOpenFile()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, shownAfter);
        QFETCH(QString, totalsAfter);

        testsupport::Env env;
        const QString fileA = env.newDatabase("shop.idb");
        const QString fileB = env.newDatabase("other.idb");
        const QString lineSql = QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格) "
                                               "VALUES (%1, '2026-03-31', 0, '%2', 1, '個', %3, %3)");
        onFile(fileA, {lineSql.arg(1).arg("A-1").arg(100), lineSql.arg(2).arg("A-2").arg(200)});
        onFile(fileB, {lineSql.arg(1).arg("B-1").arg(1000), lineSql.arg(2).arg("B-2").arg(2000),
                       lineSql.arg(3).arg("B-3").arg(3000)});
        SaveSetting("Settings", "MDBFileName", fileA);
        SaveSetting("Settings", "FDate", "2026-03-31");
        frmTana::TipShown = true;
        s_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);

        auto* main = forms::get<frmAMain>();
        main->showModeless();
        main->Command17_Click();
        auto* tana = forms::find<frmTana>();
        QVERIFY(tana);
        auto* grid = tana->findChild<QTableView*>("dgdSub");
        auto* del = tana->findChild<QPushButton*>("cmdMasterCancel");
        auto* totals = tana->findChild<QLineEdit*>("Text3");
        QCOMPARE(grid->model()->rowCount(), 2);
        // The user stands on the first line of the old file; the other file has a line of its own
        // under the same key.
        grid->setCurrentIndex(grid->model()->index(0, 3));
        QCOMPARE(tana->currentLineId().value_or(-1), 1L);

        QString target;
        if (command == "open") {
            target = fileB;
            env.dialogs.files << target;
            main->mnuOpen_Click();
        } else if (command == "new") {
            target = env.path("fresh.idb");
            env.dialogs.files << target;
            main->mnuNew_Click();
        } else {
            target = env.path("copy.idb");
            env.dialogs.files << target;
            main->mnuSave_Click();
        }
        QCOMPARE(db::openPath(), target);
        QVERIFY(forms::find<frmTana>() == tana);

        auto shown = [grid] {
            QStringList rows;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                rows << grid->model()->index(r, 0).data().toString() + ':' + grid->model()->index(r, 3).data().toString();
            return rows;
        };
        QCOMPARE(shown(), shownAfter);
        QCOMPARE(totals->text(), totalsAfter);
        QCOMPARE(del->isEnabled(), !shownAfter.isEmpty());

        // 削除 takes the line the grid stands on, from the file on screen; the key the user had
        // chosen in the old file is not touched in the new one.
        const std::optional<long> onScreen = tana->currentLineId();
        QCOMPARE(onScreen.has_value(), !shownAfter.isEmpty());
        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        QTest::mouseClick(del, Qt::LeftButton);
        QStringList expected = shownAfter;
        if (onScreen) {
            QVERIFY(*onScreen != 1);
            expected.removeIf([&](const QString& row) { return row.startsWith(QString::number(*onScreen) + ':'); });
            QCOMPARE(expected.size(), shownAfter.size() - 1);
        }
        QStringList inFile;
        QSqlQuery q = db::exec(kLinesOfFile);
        while (q.next())
            inFile << q.value(0).toString();
        QCOMPARE(inFile, expected);
        QCOMPARE(shown(), expected);

        // Closing the entry window and then the program winds down without a crash, and no query
        // outlived its connection.
        QTest::mouseClick(tana->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!forms::find<frmTana>());
        QVERIFY(main->unload());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qInstallMessageHandler(previous);
        QVERIFY2(s_warnings.filter("still in use").isEmpty(), qPrintable(s_warnings.join('\n')));
        QVERIFY(QFile::exists(env.programFolder() + "BackupBrevotane.idb"));

        // The file left behind keeps every line.
        QCOMPARE(onFile(fileA, {}, kLinesOfFile), (QStringList{"1:A-1", "2:A-2"}));
    }
};

BREVOTANE_TEST_MAIN(TestCountingFlow)
#include "test_counting_flow.moc"
