// The main window's database file commands: the file chosen at start, the first run on the
// template, new / open / save as / backup, compaction, clearing tables and the backup at exit.
#include "TestSupport.h"

#include "DamagedFile.h"

#include "app/DbFile.h"
#include "app/frmAMain.h"
#include "app/frmTipA.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "common/global.h"
#include "counting/frmTana.h"
#include "masters/MasterModel.h"
#include "masters/frmInShohin.h"
#include "masters/frmKoumoku.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QComboBox>
#include <QDateEdit>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QPushButton>
#include <QTableView>

namespace {

const QString kStopFirstRun = QStringLiteral("現在、初期設定用のファイルが選択されていますので、一旦処理を中止します。");
const QString kOverwrite = QStringLiteral("指定した名前のファイルが存在します。\r上書きしますか？");
const QString kStartFailed = QStringLiteral("データベースの接続に失敗しました。ファイル名を変更してください。");
const QString kDamaged = QStringLiteral("データベースファイルが破損しています。ﾃﾞｰﾀﾍﾞｰｽの修復/最適化で修復できる場合があります。");

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The main window loaded as at start, with the given setting and command line.
frmAMain* startMain(const QString& setting, const QString& commandLine = QString())
{
    SaveSetting("Settings", "MDBFileName", setting);
    frmAMain::setCommandLine(commandLine);
    return forms::get<frmAMain>();
}

void addProduct(int id, const QString& name)
{
    db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単価, 単位) VALUES (?, ?, 100, '個')", {id, name});
}

int count(const char* table)
{
    return db::scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QString::fromUtf8(table))).toInt();
}

int countIn(const QString& file, const char* table)
{
    int n = -1;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "peek");
        d.setDatabaseName(file);
        d.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (d.open()) {
            QSqlQuery q(d);
            if (q.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QString::fromUtf8(table))) && q.next())
                n = q.value(0).toInt();
        }
        d.close();
    }
    QSqlDatabase::removeDatabase("peek");
    return n;
}

using testsupport::damagePages;

void addProducts(int n)
{
    db::Transaction t;
    for (int i = 1; i <= n; ++i)
        addProduct(i, QStringLiteral("product with a rather long name %1").arg(i));
    t.commit();
}

QString settingsFile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevotane"), QStringLiteral("Brevotane")).fileName();
}

QStringList hiddenBeside(const QString& file)
{
    const QFileInfo info(file);
    return QDir(info.absolutePath()).entryList({'.' + info.fileName() + '*'}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestDatabaseFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        frmAMain::setCommandLine(QString());
    }

    void fileChosenAtStart()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        const QString other = env.newDatabase("other.idb");

        frmAMain* main = startMain(work);
        QVERIFY(main->connected());
        QCOMPARE(main->txtFileName->text(), work);
        QCOMPARE(db::openPath(), work);
        forms::unloadAll();

        // A path still in quotes is opened for this run only; the setting keeps its value.
        main = startMain(work, '"' + other + '"');
        QCOMPARE(db::openPath(), other);
        QCOMPARE(global::DbFilePath, other);
        QCOMPARE(GetSetting("Settings", "MDBFileName", ""), work);
        forms::unloadAll();

        // An unquoted path as the shell passes it.
        main = startMain(work, other);
        QCOMPARE(db::openPath(), other);
        forms::unloadAll();

        // Two double quotes leave no path: the template replaces the setting's file.
        main = startMain(work, QStringLiteral("\"\""));
        QVERIFY(main->connected());
        QVERIFY(paths::isTemplatePath(db::openPath()));
        forms::unloadAll();
        QVERIFY(env.dialogs.messages().isEmpty());

        // A single character names no file: the load fails with the start-up message.
        main = startMain(work, QStringLiteral("x"));
        QVERIFY(!main->connected());
        QCOMPARE(env.dialogs.messages(), QStringList{db::withCause(kStartFailed, db::Cause::Other)});
        forms::unloadAll();

        // No setting and no command line: the template.
        env.dialogs.clear();
        main = startMain(QString());
        QCOMPARE(main->txtFileName->text(), paths::templatePath());
        forms::unloadAll();

        // A setting naming a missing file fails the start and creates nothing.
        const QString missing = env.path("gone.idb");
        main = startMain(missing);
        QVERIFY(!main->connected());
        QCOMPARE(env.dialogs.messages(), QStringList{kStartFailed + QStringLiteral("\nデータベースファイルが見つかりません。")});
        QVERIFY(!QFile::exists(missing));
    }

    void firstRunCancelledOrTemplateChosenEndsTheProgram()
    {
        testsupport::Env env;
        // A backup from an earlier run must survive a first run that is given up.
        const QString backup = env.newDatabase("seed.idb");
        db::open(backup);
        addProduct(1, "kept");
        db::close();
        QVERIFY(QFile::rename(backup, paths::backupPath()));
        const QByteArray backupBefore = digest(paths::backupPath());

        for (int round = 0; round < 2; ++round) {
            env.dialogs.clear();
            forms::shownModal().clear();
            QString tipText;
            forms::setModalDriver([&tipText](Form* f) {
                if (auto* tip = qobject_cast<frmTipA*>(f))
                    tipText = tip->text();
            });
            if (round == 0)
                env.dialogs.files << std::nullopt;
            else
                env.dialogs.files << env.programFolder() + "brevotane.IDB";
            frmAMain* main = startMain(QString());
            QPointer<frmAMain> alive(main);
            main->showModeless();

            QCOMPARE(forms::shownModal(), QStringList{"frmTipA"});
            const QStringList lines = tipText.split('\n');
            QCOMPARE(lines.size(), 14);   // thirteen lines, each ending in a line feed
            QCOMPARE(lines.at(1), QStringLiteral("ミルネ帳をご利用いただきありがとうございます。"));
            QVERIFY(lines.at(12).endsWith(QStringLiteral("誤作動を起こす場合があります｡ ")));
            QCOMPARE(env.dialogs.shown.at(0).kind, QStringLiteral("open"));
            QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("新しいファイル名"));
            QCOMPARE(env.dialogs.shown.at(0).text, QStringLiteral("すべてのファイル (*);;cdb ﾌｧｲﾙ (*.idb)"));
            QCOMPARE(env.dialogs.messages(), QStringList{kStopFirstRun});
            QVERIFY(forms::find<frmAMain>() == nullptr);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(alive.isNull());
            QCOMPARE(digest(paths::backupPath()), backupBefore);
        }
    }

    void firstRunCreatesTheWorkingFile()
    {
        testsupport::Env env;
        const QString fresh = env.path("mine.idb");
        env.dialogs.files << fresh;
        frmAMain* main = startMain(QString());
        main->showModeless();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("棚卸表データファイルを作成しました。決算日を入力してください。")});
        QVERIFY(main->connected());
        QCOMPARE(db::openPath(), fresh);
        QCOMPARE(main->txtFileName->text(), fresh);
        QCOMPARE(GetSetting("Settings", "MDBFileName", ""), fresh);
        QCOMPARE(count("項目分類"), 1);
        QCOMPARE(digest(paths::templatePath()), digest(QStringLiteral(BREVOTANE_TEMPLATE_PATH)));
        QWidget* focus = main->focusWidget();
        QVERIFY(focus == main->DTPicker1 || main->DTPicker1->isAncestorOf(focus));
    }

    void firstRunOntoAnExistingFile()
    {
        testsupport::Env env;
        const QString existing = env.newDatabase("old.idb");
        db::open(existing);
        addProduct(1, "old");
        db::close();
        const QByteArray before = digest(existing);

        // No: the file stays and the program ends.
        env.dialogs.files << existing;
        env.dialogs.answers << dlg::vbNo;
        startMain(QString())->showModeless();
        QCOMPARE(env.dialogs.messages().last(), kStopFirstRun);
        QVERIFY(forms::find<frmAMain>() == nullptr);
        QCOMPARE(digest(existing), before);

        // Yes: it becomes a copy of the template.
        env.dialogs.clear();
        env.dialogs.files << existing;
        env.dialogs.answers << dlg::vbYes;
        frmAMain* main = startMain(QString());
        main->showModeless();
        QCOMPARE(env.dialogs.shown.at(1).text, kOverwrite);
        QVERIFY(main->connected());
        QCOMPARE(count("仕入商品"), 0);
    }

    void newFile()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        frmAMain* main = startMain(work);
        addProduct(1, "a");

        // Naming an existing file and answering No changes nothing.
        const QString other = env.newDatabase("other.idb");
        const QByteArray otherBefore = digest(other);
        env.dialogs.files << other;
        env.dialogs.answers << dlg::vbNo;
        main->mnuNew_Click();
        QCOMPARE(db::openPath(), work);
        QCOMPARE(count("仕入商品"), 1);
        QCOMPARE(digest(other), otherBefore);

        // Naming the template is refused.
        env.dialogs.clear();
        env.dialogs.files << paths::templatePath();
        main->mnuNew_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("ファイル名が不正です。")});
        QCOMPARE(db::openPath(), work);

        // Cancel: silent, nothing changes.
        env.dialogs.clear();
        env.dialogs.files << std::nullopt;
        main->mnuNew_Click();
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(main->txtFileName->text(), work);
        QCOMPARE(count("仕入商品"), 1);

        // Naming the open file and answering Yes replaces it with an empty copy of the template.
        env.dialogs.clear();
        env.dialogs.files << work;
        env.dialogs.answers << dlg::vbYes;
        main->mnuNew_Click();
        QCOMPARE(env.dialogs.messages(), (QStringList{kOverwrite, QStringLiteral("新規に棚卸表データファイルを作成しました。")}));
        QVERIFY(main->connected());
        QCOMPARE(db::openPath(), work);
        QCOMPARE(count("仕入商品"), 0);
        QCOMPARE(count("項目分類"), 1);

        // A copy that cannot be made (a folder in the way) leaves the open file in use.
        addProduct(2, "b");
        const QString blocked = env.path("blocked");
        QDir().mkpath(blocked + "/x.idb");
        env.dialogs.clear();
        env.dialogs.files << blocked + "/x.idb";
        env.dialogs.answers << dlg::vbYes;
        main->mnuNew_Click();
        QVERIFY(db::isOpen());
        QCOMPARE(db::openPath(), work);
        QCOMPARE(global::DbFilePath, work);
        QCOMPARE(main->txtFileName->text(), work);
        QCOMPARE(count("仕入商品"), 1);
    }

    void openFile()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        const QString other = env.newDatabase("other.idb");
        frmAMain* main = startMain(work);

        env.dialogs.files << other;
        main->mnuOpen_Click();
        QCOMPARE(db::openPath(), other);
        QCOMPARE(GetSetting("Settings", "MDBFileName", ""), other);
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("データベースの変更"));

        // The template in other letter case starts New.
        env.dialogs.clear();
        const QString fresh = env.path("fresh.idb");
        env.dialogs.files << env.programFolder() + "BREVOTANE.IDB" << fresh;
        main->mnuOpen_Click();
        QCOMPARE(env.dialogs.messages(),
                 (QStringList{QStringLiteral("現在、初期設定用のファイルが選択されていますので、新規にデータベースを作成します。"),
                              QStringLiteral("新規に棚卸表データファイルを作成しました。")}));
        QCOMPARE(db::openPath(), fresh);
        QCOMPARE(main->txtFileName->text(), fresh);

        // Cancel puts the open file's path back.
        env.dialogs.clear();
        env.dialogs.files << std::nullopt;
        main->mnuOpen_Click();
        QCOMPARE(main->txtFileName->text(), fresh);
        QVERIFY(env.dialogs.messages().isEmpty());
    }

    void aFileThatCannotBeWrittenIsToldAtOpen()
    {
        testsupport::Env env;
        QDir().mkpath(env.path("data"));
        const QString work = env.newDatabase("data/work.idb");
        const QString other = env.newDatabase("other.idb");
        db::open(work);
        addProduct(1, QStringLiteral("ペン"));
        db::close();
        const testsupport::ReadOnlyFolder readOnly(env.path("data"));
        if (!readOnly.ok())
            QSKIP("this test may not make a read-only folder (no mount namespace)");
        const QString told = QStringLiteral("データベースファイルが読み取り専用のため、変更を保存できません。");

        // At start: told once, and the file stays open for reading.
        frmAMain* main = startMain(work);
        QVERIFY(main->connected());
        QCOMPARE(env.dialogs.messages(), QStringList{told});
        QCOMPARE(count("仕入商品"), 1);

        // A later write is refused with the same cause, and nothing is lost from the file.
        env.dialogs.clear();
        auto* products = forms::get<frmInShohin>();
        products->showModeless();
        QApplication::processEvents();
        products->nameBox->setFocus();
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("鉛筆"));
        QApplication::sendEvent(products->nameBox, &typed);
        // Closing the window stores the edit: refused with the cause, and the window stays.
        QVERIFY(!products->unload());
        QCOMPARE(env.dialogs.messages(), QStringList{masters::MasterWindow::kEditRefused + QLatin1Char('\n') + told});
        // Closing again gives the edit up, and says why.
        env.dialogs.clear();
        QVERIFY(products->unload());
        QCOMPARE(env.dialogs.messages(), QStringList{masters::MasterWindow::kEditNotStored + QLatin1Char('\n') + told});
        QCOMPARE(testsupport::queryRows("SELECT 品名 FROM 仕入商品"), QStringList{QStringLiteral("ペン")});

        // Through 開く: a writable file says nothing, the read-only one is told once more.
        env.dialogs.clear();
        env.dialogs.files << other;
        main->mnuOpen_Click();
        QCOMPARE(db::openPath(), other);
        QVERIFY(env.dialogs.messages().isEmpty());
        env.dialogs.files << work;
        main->mnuOpen_Click();
        QCOMPARE(db::openPath(), work);
        QCOMPARE(env.dialogs.messages(), QStringList{told});
        forms::unloadAll();
    }

    void aFileThatIsNoDatabaseIsRefusedUnchanged()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        const QString text = env.path("notes.idb");
        {
            QFile f(text);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("just some notes\n");
        }
        const QByteArray before = digest(text);
        frmAMain* main = startMain(work);
        env.dialogs.files << text;
        main->mnuOpen_Click();
        QCOMPARE(env.dialogs.messages(),
                 QStringList{QStringLiteral("データベースの接続に失敗しました。データベースが使用可能になってから再度実行してください。\n"
                                            "このプログラムのデータベースファイルではありません。")});
        QVERIFY(!main->connected());
        QCOMPARE(digest(text), before);
        // Leaving afterwards does not push the backup out with that file.
        main->unload();
        QVERIFY(!QFile::exists(paths::backupPath()));
        QCOMPARE(digest(text), before);
    }

    void aFileLeftByAKilledWriterIsRecovered_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("start") << "start";
        QTest::newRow("open") << "open";
        QTest::newRow("open the backup") << "backup";
        QTest::newRow("compaction") << "compaction";
        QTest::newRow("backup at exit") << "exit";
    }

    // A crash in the middle of a write (an import, an entry) leaves the file with its journal;
    // every command takes the file back, with none of the unfinished write in it.
    void aFileLeftByAKilledWriterIsRecovered()
    {
        QFETCH(QString, command);
        testsupport::Env env;
        const QString work = command == "backup" ? paths::backupPath() : env.path("work.idb");
        QVERIFY(QFile::copy(env.newDatabase("seed.idb"), work));
        db::open(work);
        addProduct(1, "committed");
        db::close();
        const QString other = env.newDatabase("other.idb");

        frmAMain* main = nullptr;
        QStringList expected;
        if (command == "start") {
            testsupport::interruptWrite(work);
            main = startMain(work);
        } else if (command == "open") {
            main = startMain(other);
            testsupport::interruptWrite(work);
            env.dialogs.files << work;
            main->mnuOpen_Click();
        } else if (command == "backup") {
            main = startMain(other);
            testsupport::interruptWrite(work);
            main->mnuBackupOpen_Click();
        } else if (command == "compaction") {
            main = startMain(work);
            testsupport::interruptWrite(work);
            main->Command22_Click();
            expected << QStringLiteral("データベースを最適化しました。");
        } else {
            main = startMain(work);
            testsupport::interruptWrite(work);
            main->unload();
            QCOMPARE(countIn(paths::backupPath(), "仕入商品"), 1);
        }
        QCOMPARE(env.dialogs.messages(), expected);
        if (command != "exit") {
            QVERIFY(main->connected());
            QCOMPARE(db::openPath(), work);
            QCOMPARE(count("仕入商品"), 1);
            db::close();
        }
        QCOMPARE(countIn(work, "仕入商品"), 1);
        QVERIFY(!QFile::exists(work + "-journal"));
        QVERIFY(dbfile::isSound(work));
    }

    void saveAs()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        frmAMain* main = startMain(work);
        addProduct(1, "a");

        env.dialogs.files << work;
        main->mnuSave_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("ファイル名が不正です。")});
        QCOMPARE(env.dialogs.shown.at(0).kind, QStringLiteral("save"));
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("名前を付けて保存"));
        QCOMPARE(db::openPath(), work);

        env.dialogs.clear();
        const QString copy = env.path("copy.idb");
        env.dialogs.files << copy;
        main->mnuSave_Click();
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(db::openPath(), copy);
        QCOMPARE(GetSetting("Settings", "MDBFileName", ""), copy);
        QCOMPARE(count("仕入商品"), 1);
        addProduct(2, "only in the copy");
        QCOMPARE(countIn(work, "仕入商品"), 1);

        // A copy that cannot be written reports the failure and keeps working in the open file.
        env.dialogs.clear();
        QDir().mkpath(env.path("dir.idb"));
        env.dialogs.files << env.path("dir.idb");
        env.dialogs.answers << dlg::vbYes;
        main->mnuSave_Click();
        QCOMPARE(env.dialogs.messages(),
                 (QStringList{kOverwrite, db::withCause(QStringLiteral("データベースの保存に失敗しました。"), db::Cause::Other)}));
        QVERIFY(db::isOpen());
        QCOMPARE(db::openPath(), copy);
        QCOMPARE(main->txtFileName->text(), copy);
        QCOMPARE(count("仕入商品"), 2);
    }

    void clearingTables_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<int>>("counts");   // 棚卸マスター, 項目分類, 仕入商品, 単位 afterwards
        QTest::newRow("count lines") << "棚卸表" << "棚卸マスターを削除しました。" << QList<int>{0, 3, 2, 2};
        QTest::newRow("categories") << "項目分類情報" << "項目分類情報を削除しました。" << QList<int>{2, 1, 2, 2};
        QTest::newRow("products") << "品名情報" << "品名情報を削除しました。" << QList<int>{2, 3, 0, 2};
        QTest::newRow("units") << "数量単位情報" << "数量単位情報を削除しました。" << QList<int>{2, 3, 2, 0};
        QTest::newRow("all") << "すべて選択" << "すべて選択を削除しました。" << QList<int>{0, 1, 0, 0};
    }

    void clearingTables()
    {
        QFETCH(QString, choice);
        QFETCH(QString, message);
        QFETCH(QList<int>, counts);
        testsupport::Env env;
        frmAMain* main = startMain(env.newDatabase());
        for (int i = 1; i <= 2; ++i) {
            addProduct(i, QStringLiteral("p%1").arg(i));
            db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)", {i, QStringLiteral("c%1").arg(i)});
            db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (?, ?)", {i, QStringLiteral("u%1").arg(i)});
            db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名) VALUES (?, '2024-03-31', 1, 'p')", {i});
        }
        main->Combo3->setCurrentText(choice);

        // Anything but Yes leaves the tables alone.
        env.dialogs.answers << dlg::vbNo;
        main->Command58_Click();
        QCOMPARE(env.dialogs.shown.at(0).text, QStringLiteral(" ") + choice + QStringLiteral("を削除します。よろしいですか？"));
        QCOMPARE(count("棚卸マスター"), 2);

        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        main->Command58_Click();
        QCOMPARE(env.dialogs.messages().last(), message);
        QCOMPARE((QList<int>{count("棚卸マスター"), count("項目分類"), count("仕入商品"), count("単位")}), counts);
        if (counts.at(1) == 1) {
            QCOMPARE(db::scalar("SELECT 項目ID FROM 項目分類").toInt(), 0);
            QCOMPARE(db::scalar("SELECT 項目分類名 FROM 項目分類").toString(), QStringLiteral("未区分"));
        }
    }

    void clearingReloadsTheOpenWindowsAndLists()
    {
        testsupport::Env env;
        frmAMain* main = startMain(env.newDatabase());
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (1, '食品'), (2, '文具')");
        addProduct(1, QStringLiteral("ペン"));
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 品名ID) VALUES (1, ?, 1, 'ペン', 1)",
                 {db::isoDate(main->DTPicker1->date())});
        auto* k = forms::get<frmKoumoku>();
        k->showModeless();
        k->nameBox->setText(QStringLiteral("食品類"));           // typed, not yet registered
        auto* p = forms::get<frmInShohin>();
        p->showModeless();
        p->cmdAdd->click();                                      // a new product being filled in
        frmTana::TipShown = true;
        auto* t = forms::get<frmTana>();
        t->showModeless();
        t->dbcNouhin_GotFocus();
        QCOMPARE(t->dbcNouhin->rowCount(), 2);
        QCOMPARE(t->dgdSub->model()->rowCount(), 1);

        main->Combo3->setCurrentText(QStringLiteral("項目分類情報"));
        env.dialogs.answers << dlg::vbYes;
        main->Command58_Click();
        QCOMPARE(k->model()->rowCount(), 0);                     // the window shows what is left
        QVERIFY(k->nameBox->text().isEmpty() && !k->nameBox->isEnabled());
        QVERIFY(!k->cmdDelete->isEnabled());
        QCOMPARE(t->dbcNouhin->rowCount(), 0);
        QCOMPARE(p->EditMode, 2);                                // other tables' windows go on
        QCOMPARE(p->model()->rowCount(), 2);
        QCOMPARE(env.dialogs.messages().size(), 2);              // the question and the report

        // Coming back to the category window starts a new row, above the key line 1 still carries.
        k->Form_Activate();
        QCOMPARE(k->currentKey(), 2);
        k->nameBox->setText(QStringLiteral("飲料"));
        k->cmdUpdate->click();
        QCOMPARE(db::scalar("SELECT 項目分類名 FROM 項目分類 WHERE 項目ID = 2").toString(), QStringLiteral("飲料"));
        QCOMPARE(count("項目分類"), 2);

        main->Combo3->setCurrentText(QStringLiteral("すべて選択"));
        env.dialogs.answers << dlg::vbYes;
        main->Command58_Click();
        QCOMPARE(p->model()->rowCount(), 0);
        QCOMPARE(p->EditMode, 1);
        QCOMPARE(t->dgdSub->model()->rowCount(), 0);
        QCOMPARE(t->Text3->text(), QStringLiteral("Max Record 0   Total 0"));
        QCOMPARE(env.dialogs.messages().last(), QStringLiteral("すべて選択を削除しました。"));
        QCOMPARE(count("仕入商品"), 0);
    }

    void clearingWithoutAnOpenFileClaimsNothing()
    {
        testsupport::Env env;
        frmAMain* main = startMain(env.path("missing.idb"));
        main->Combo3->setCurrentText(QStringLiteral("品名情報"));
        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        main->Command58_Click();
        QCOMPARE(env.dialogs.messages().last(), db::withCause(QStringLiteral("品名情報の削除に失敗しました。"), db::Cause::Other));
    }

    void backupAtExit()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        frmAMain* main = startMain(work);
        addProduct(1, "a");
        main->unload();
        QVERIFY(!db::isOpen());
        QCOMPARE(countIn(paths::backupPath(), "仕入商品"), 1);
        QVERIFY(env.dialogs.messages().isEmpty());

        // Working in the backup itself: no copy is made at exit.
        main = startMain(work);
        main->mnuBackupOpen_Click();
        QCOMPARE(db::openPath(), paths::backupPath());
        QCOMPARE(GetSetting("Settings", "MDBFileName", ""), paths::backupPath());
        addProduct(2, "b");
        db::close();
        const QByteArray before = digest(paths::backupPath());
        main->unload();
        QCOMPARE(digest(paths::backupPath()), before);
        QCOMPARE(countIn(paths::backupPath(), "仕入商品"), 2);

        // A backup that cannot be written is reported, and the old one stays.
        main = startMain(work);
        QFile::remove(paths::backupPath());
        QDir().mkpath(paths::backupPath());   // a folder where the backup belongs
        main->unload();
        QCOMPARE(env.dialogs.messages(),
                 QStringList{db::withCause(QStringLiteral("データベースのバックアップに失敗しました。"), db::Cause::Other)});
    }

    void compaction()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        frmAMain* main = startMain(work);
        {
            db::Transaction t;
            for (int i = 1; i <= 3000; ++i)
                addProduct(i, QStringLiteral("product with a rather long name %1").arg(i));
            t.commit();
        }
        db::exec("DELETE FROM 仕入商品 WHERE 品名ID > 10");
        // A copy left behind by an interrupted run does not block the next one.
        const QString stale = env.path(".work.idb.compact-Ab12Cd");
        {
            QFile f(stale);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("left over");
        }
        const qint64 oldSize = QFileInfo(work).size();
        main->Command22_Click();
        const qint64 newSize = QFileInfo(work).size();
        QVERIFY(newSize < oldSize);
        QCOMPARE(main->Label5->text(), QStringLiteral("Old FileSize %1 byte").arg(oldSize));
        QCOMPARE(main->Label7->text(), QStringLiteral("New FileSize %1 byte").arg(newSize));
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QVERIFY(main->connected());
        QCOMPARE(db::openPath(), work);
        QCOMPARE(count("仕入商品"), 10);
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品 WHERE 品名ID = 7").toString(),
                 QStringLiteral("product with a rather long name 7"));
        QVERIFY(!QFile::exists(stale));
        QCOMPARE(QDir(env.path(QString())).entryList({".work.idb*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void compactionFailureKeepsTheFile()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        frmAMain* main = startMain(work);
        addProduct(1, "a");
        db::exec("DELETE FROM 仕入商品");
        addProduct(2, "b");
        const QByteArray before = digest(work);

        // Another user holds the file.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other user");
            other.setDatabaseName(work);
            other.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("BEGIN EXCLUSIVE"));
            main->Command22_Click();
            QVERIFY(q.exec("ROLLBACK"));
            other.close();
        }
        QSqlDatabase::removeDatabase("other user");
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースに接続してるユーザーがいます。\n"
                                                                    "データベースファイルがほかのプログラムで使用中です。")});
        QVERIFY(!main->connected());
        QCOMPARE(digest(work), before);
        QCOMPARE(QDir(env.path(QString())).entryList({".work.idb*"}, QDir::Files | QDir::Hidden), QStringList());

        // A name too long for a temporary file beside it is no obstacle: nothing is made beside it.
        env.dialogs.clear();
        const QString longName = env.path(QString(240, QLatin1Char('n')) + ".idb");
        QVERIFY(QFile::copy(work, longName));
        env.dialogs.files << longName;
        main->mnuOpen_Click();
        QVERIFY(main->connected());
        main->Command22_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品").toString(), QStringLiteral("b"));

        // No room on the disk for the compaction's work: the file stays as it was.
        env.dialogs.clear();
        db::exec("WITH RECURSIVE n(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM n WHERE i < 3009) "
                 "INSERT INTO 仕入商品 (品名ID, 品名) SELECT i, 'a product with a long name ' || i FROM n");
        db::exec("DELETE FROM 仕入商品 WHERE 品名ID >= 10");
        const QByteArray fullBefore = digest(longName);
        {
            testsupport::FullDisk full;
            main->Command22_Click();
        }
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースに接続してるユーザーがいます。\n"
                                                                    "ディスクの空き容量が足りないため、書き込めません。")});
        QCOMPARE(digest(longName), fullBefore);
        QVERIFY(!QFile::exists(longName + "-journal"));

        // The user opens the file again and everything is there.
        env.dialogs.clear();
        env.dialogs.files << work;
        main->mnuOpen_Click();
        QVERIFY(main->connected());
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品").toString(), QStringLiteral("b"));
    }

    void theBoxShowsTheOpenFileAndTheCommandsUseIt()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        const QString other = env.newDatabase("other.idb");
        const QByteArray otherBefore = digest(other);
        frmAMain* main = startMain(work);
        main->showModeless();
        addProduct(1, "a");

        // Typing cannot make the box name another file.
        main->txtFileName->setFocus();
        main->txtFileName->end(false);
        testsupport::typeText(main->txtFileName, QStringLiteral("x"));
        QCOMPARE(main->txtFileName->text(), work);

        // Whatever the box shows, compaction and the exit's backup work on the open file.
        main->txtFileName->setText(other);
        env.dialogs.clear();
        const qint64 workSize = QFileInfo(work).size();
        main->Command22_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QCOMPARE(main->Label5->text(), QStringLiteral("Old FileSize %1 byte").arg(workSize));
        QCOMPARE(db::openPath(), work);
        main->txtFileName->setText(other);
        main->unload();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QCOMPARE(countIn(paths::backupPath(), "仕入商品"), 1);
        QCOMPARE(digest(other), otherBefore);
    }

    void aDamagedFileDoesNotReplaceTheBackup()
    {
        testsupport::Env env;
        const QString good = env.newDatabase("good.idb");
        frmAMain* main = startMain(good);
        addProduct(1, "kept");
        main->unload();
        QVERIFY(env.dialogs.messages().isEmpty());
        const QByteArray backupBefore = digest(paths::backupPath());

        const QString work = env.openNewDatabase("work.idb");
        addProducts(3000);
        db::close();
        damagePages(work);
        // Damage behind a readable header and table list: the file opens, and the user is told.
        QVERIFY(db::isUsableDatabase(work));
        main = startMain(work);
        QVERIFY(main->connected());
        QCOMPARE(env.dialogs.messages(), QStringList{kDamaged});
        env.dialogs.clear();
        env.dialogs.files << good << work;
        main->mnuOpen_Click();
        QVERIFY(env.dialogs.messages().isEmpty());
        main->mnuOpen_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{kDamaged});

        // The repair cannot mend it: said so, and the file stays open as it was.
        env.dialogs.clear();
        main->Command22_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースファイルが破損しているため、修復できませんでした。")});
        QVERIFY(main->connected());
        QCOMPARE(db::openPath(), work);
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品 WHERE 品名ID = 1").toString(),
                 QStringLiteral("product with a rather long name 1"));

        env.dialogs.clear();
        main->unload();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースのバックアップに失敗しました。\n"
                                                                    "データベースファイルが破損しています。")});
        QCOMPARE(digest(paths::backupPath()), backupBefore);
    }

    void settingsThatCannotBeWrittenAreReportedAtExit()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        frmAMain* main = startMain(work);
        addProduct(1, "a");
        // Something that is not a file where the settings file belongs.
        const QString ini = settingsFile();
        QFile::remove(ini);
        QVERIFY(QDir().mkpath(ini));
        QVERIFY(!SaveSetting("Settings", "Probe", "x"));
        main->unload();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースのバックアップに失敗しました。")});
        // The backup is written all the same.
        QCOMPARE(countIn(paths::backupPath(), "仕入商品"), 1);
        QVERIFY(QDir(ini).removeRecursively());
        QVERIFY(SaveSetting("Settings", "Probe", "x"));
    }

    void saveAsNeverWritesOverTheTemplate()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        frmAMain* main = startMain(work);
        addProduct(1, "a");
        const QByteArray templateBefore = digest(paths::templatePath());
        QVERIFY(QFile::link(paths::templatePath(), env.path("link.idb")));
        const QStringList spellings{paths::templatePath(), env.programFolder() + "./Brevotane.idb",
                                    env.programFolder() + "../prog/Brevotane.idb", env.path("link.idb")};
        for (const QString& target : spellings) {
            env.dialogs.clear();
            env.dialogs.files << target;
            env.dialogs.answers << dlg::vbYes;
            main->mnuSave_Click();
            QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("ファイル名が不正です。")});
            QCOMPARE(digest(paths::templatePath()), templateBefore);
            QCOMPARE(db::openPath(), work);
            QCOMPARE(count("仕入商品"), 1);
        }
        // The open file spelled another way is the open file.
        env.dialogs.clear();
        env.dialogs.files << QFileInfo(work).absolutePath() + "/./" + QFileInfo(work).fileName();
        main->mnuSave_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("ファイル名が不正です。")});
    }

    void compactionLosesNoOtherWritersRow()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        frmAMain* main = startMain(work);
        addProduct(1, "a");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other writer");
            other.setDatabaseName(work);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("BEGIN IMMEDIATE"));
            QVERIFY(q.exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (2, 'written meanwhile')"));
            main->Command22_Click();
            QVERIFY(q.exec("COMMIT"));
            other.close();
        }
        QSqlDatabase::removeDatabase("other writer");
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースに接続してるユーザーがいます。\n"
                                                                    "データベースファイルがほかのプログラムで使用中です。")});
        QVERIFY(!main->connected());
        QCOMPARE(countIn(work, "仕入商品"), 2);
        QCOMPARE(hiddenBeside(work), QStringList());

        // A second user with the file open but idle: the compaction goes ahead, and that user's
        // next entry is stored in the working file.
        env.dialogs.clear();
        env.dialogs.files << work;
        main->mnuOpen_Click();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "second user");
            other.setDatabaseName(work);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("SELECT COUNT(*) FROM 仕入商品") && q.next());
            q.finish();
            main->Command22_Click();
            QVERIFY(q.exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (3, 'entered after the compaction')"));
            other.close();
        }
        QSqlDatabase::removeDatabase("second user");
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QVERIFY(main->connected());
        QCOMPARE(count("仕入商品"), 3);
        QCOMPARE(countIn(work, "仕入商品"), 3);
    }

    void compactionKeepsTheFileItsNameAndPermissions()
    {
        testsupport::Env env;
        // A working file named as the compaction's temporary file once was, readable by its owner
        // only.
        const QString work = env.programFolder() + "CompactFileName.idb";
        QVERIFY(QFile::copy(paths::templatePath(), work));
        const QFileDevice::Permissions ownerOnly(QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::setPermissions(work, ownerOnly));
        frmAMain* main = startMain(work);
        addProducts(50);
        db::exec("DELETE FROM 仕入商品 WHERE 品名ID > 5");
        main->Command22_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QCOMPARE(count("仕入商品"), 5);
        const QFileDevice::Permissions modeBits(0x7077);   // owner, group, others
        QCOMPARE(QFile::permissions(work) & modeBits, ownerOnly);
        QCOMPARE(hiddenBeside(work), QStringList());
    }

    void apostrophesInPaths()
    {
        testsupport::Env env;
        const QString folder = env.path("O'Brien's files");
        QDir().mkpath(folder);
        const QString work = folder + "/it's mine.idb";
        env.dialogs.files << work;
        frmAMain* main = startMain(QString());
        main->showModeless();
        QVERIFY(main->connected());
        QCOMPARE(db::openPath(), work);
        addProduct(1, "O'Brien's");
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (2, 'x')");
        db::exec("DELETE FROM 仕入商品 WHERE 品名ID = 2");

        env.dialogs.clear();
        main->Command22_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("データベースを最適化しました。")});
        QCOMPARE(db::scalar("SELECT 品名 FROM 仕入商品").toString(), QStringLiteral("O'Brien's"));

        env.dialogs.files << folder + "/copy of it's.idb";
        main->mnuSave_Click();
        QCOMPARE(db::openPath(), folder + "/copy of it's.idb");
        QCOMPARE(count("仕入商品"), 1);
    }
};

BREVOTANE_TEST_MAIN(TestDatabaseFile)
#include "test_database_file.moc"
