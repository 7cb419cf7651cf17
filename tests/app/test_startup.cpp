// Start-up: the command line, the splash and the main window, one copy of the program per user.
#include "TestSupport.h"

#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/frmAMain.h"
#include "app/frmSplash.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>

#include <csignal>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        singleinstance::stop();
        singleinstance::setEndProcess(nullptr);
        frmAMain::setCommandLine(QString());
    }

    void commandLine()
    {
        QCOMPARE(startup::databaseArgument({"brevotane"}), QString());
        QCOMPARE(startup::databaseArgument({"brevotane", "/data/a.idb"}), QStringLiteral("/data/a.idb"));
        QCOMPARE(startup::databaseArgument({"brevotane", "/data/my", "file.idb"}), QStringLiteral("/data/my file.idb"));

        QCOMPARE(startup::pathFromCommandLine("/data/a.idb"), QStringLiteral("/data/a.idb"));
        QCOMPARE(startup::pathFromCommandLine("\"/data/a b.idb\""), QStringLiteral("/data/a b.idb"));
        QCOMPARE(startup::pathFromCommandLine("\"\""), QString());
        QCOMPARE(startup::pathFromCommandLine("ab"), QStringLiteral("ab"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, startup::pathFromCommandLine("x"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, startup::pathFromCommandLine("\""));
    }

    void splashShowsTheVersion()
    {
        testsupport::Env env;
        auto* splash = forms::get<frmSplash>();
        QCOMPARE(splash->lblVersion->text(), QStringLiteral("Version 1.0.1"));
    }

    void splashThenMainWindow()
    {
        testsupport::Env env;
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        frmAMain* main = startup::showMainWindow();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QVERIFY(main->connected());
        QVERIFY(forms::find<frmSplash>() == nullptr);
        QCOMPARE(forms::loaded(), (QList<Form*>{main}));
        forms::unloadAll();

        // Giving up the first run ends the program before the event loop would start.
        env.dialogs.files << std::nullopt;
        SaveSetting("Settings", "MDBFileName", QString());
        QVERIFY(startup::showMainWindow() == nullptr);
        QVERIFY(forms::loaded().isEmpty());
    }

    void aRelativePathToTheTemplateStartsTheFirstRun()
    {
        testsupport::Env env;
        struct Back {
            QString dir = QDir::currentPath();
            ~Back() { QDir::setCurrent(dir); }
        } back;
        QVERIFY(QDir::setCurrent(env.programFolder()));
        for (const QString& arg : {QStringLiteral("Brevotane.idb"), QStringLiteral("../prog/./Brevotane.idb")}) {
            env.dialogs.clear();
            forms::shownModal().clear();
            env.dialogs.files << std::nullopt;
            frmAMain::setCommandLine(arg);
            frmAMain* main = forms::get<frmAMain>();
            QVERIFY(main->connected());
            main->showModeless();
            QCOMPARE(forms::shownModal(), QStringList{"frmTipA"});
            QCOMPARE(env.dialogs.messages(),
                     QStringList{QStringLiteral("現在、初期設定用のファイルが選択されていますので、一旦処理を中止します。")});
            QVERIFY(forms::find<frmAMain>() == nullptr);
        }
    }

    void firstCopyComesForwardWhenAsked()
    {
        testsupport::Env env;
        const QString key = QStringLiteral("brevotane-test-raise");
        singleinstance::start(key);
        QVERIFY(!singleinstance::previousInstance());
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        frmAMain* main = forms::get<frmAMain>();
        main->showModeless();
        main->showMinimized();
        QVERIFY(main->isMinimized());

        singleinstance::Guard later(key);
        QVERIFY(later.earlierCopyRunning());
        QVERIFY(later.askEarlierCopyToRaise());
        QTRY_VERIFY(!main->isMinimized());
        QVERIFY(main->isVisible());
    }

    void secondCopyEndsWithoutSideEffects()
    {
        testsupport::Env env;
        const QString key = QStringLiteral("brevotane-test-second");
        int raised = 0;
        singleinstance::Guard first(key);
        first.onRaiseRequest = [&raised] { ++raised; };
        QVERIFY(!first.earlierCopyRunning());

        singleinstance::start(key);
        QVERIFY(singleinstance::previousInstance());
        int ended = 0;
        singleinstance::setEndProcess([&ended] {
            ++ended;
            // What ending at once leaves behind: nothing was unloaded, saved or copied.
            QVERIFY(forms::find<frmAMain>() != nullptr);
            QCOMPARE(GetSetting("Settings", "FDate", "unset"), QStringLiteral("unset"));
            QVERIFY(!QFile::exists(paths::backupPath()));
        });
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        forms::get<frmAMain>()->showModeless();
        QCOMPARE(ended, 1);
        QTRY_COMPARE(raised, 1);
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    void noEarlierCopyAnsweringMeansGoOn()
    {
        testsupport::Env env;
        const QString key = QStringLiteral("brevotane-test-silent");
        // An earlier copy that holds the lock but does not listen (still starting, say).
        QLockFile held(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + '/' + key + ".lock");
        QVERIFY(held.tryLock(0));
        singleinstance::start(key);
        QVERIFY(singleinstance::previousInstance());
        int ended = 0;
        singleinstance::setEndProcess([&ended] { ++ended; });
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        frmAMain* main = forms::get<frmAMain>();
        main->showModeless();
        QCOMPARE(ended, 0);
        QVERIFY(main->connected());
        held.unlock();
    }

    void lockOfACrashedCopyIsTakenOver()
    {
        const QString key = QStringLiteral("brevotane-test-crashed");
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        QFile lock(dir + '/' + key + ".lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        // A process id that is not running, on this machine.
        lock.write("2147483000\nbrevotane\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QFile sock(dir + '/' + key + ".sock");
        QVERIFY(sock.open(QIODevice::WriteOnly));
        sock.close();

        singleinstance::Guard again(key);
        QVERIFY(!again.earlierCopyRunning());
        singleinstance::Guard later(key);
        QVERIFY(later.earlierCopyRunning());
        QVERIFY(later.askEarlierCopyToRaise());
    }

    void secondProcessEndsAtOnce()
    {
        // The real program twice: the second process ends by itself and writes nothing.
        const QString exe = QStringLiteral(BREVOTANE_EXE_PATH);
        if (!QFile::exists(exe))
            QSKIP("the program is not built");
        QTemporaryDir home;
        QDir().mkpath(home.path() + "/run");
        QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString work = home.path() + "/work.idb";
        QVERIFY(QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), work));
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", home.path() + "/run");
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        env.insert("XDG_DATA_HOME", home.path() + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        const QString backup = QFileInfo(exe).absolutePath() + "/BackupBrevotane.idb";
        const QDateTime backupBefore = QFileInfo(backup).lastModified();

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(exe, {work});
        QVERIFY(first.waitForStarted());
        // The first copy listens once it has claimed the lock.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(home.path() + "/run").entryList({"*.sock"}, QDir::System).size() == 1, 20000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(exe, {work});
        const bool finished = second.waitForFinished(30000);
        first.kill();
        first.waitForFinished();
        if (!finished) {
            second.kill();
            second.waitForFinished();
        }
        QVERIFY(finished);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!QFile::exists(home.path() + "/config/Brevotane/Brevotane.ini"));
        QCOMPARE(QFileInfo(backup).lastModified(), backupBefore);
    }

    void endOfSessionRunsTheShutdown_data()
    {
        QTest::addColumn<int>("sig");
        QTest::newRow("logout or shutdown (SIGTERM)") << int(SIGTERM);
        QTest::newRow("terminal gone (SIGHUP)") << int(SIGHUP);
        QTest::newRow("Ctrl+C (SIGINT)") << int(SIGINT);
    }

    // The real program, ended by the session: the windows close, the settings are written and the
    // backup is made, as for the close button.
    void endOfSessionRunsTheShutdown()
    {
        QFETCH(int, sig);
        const QString exe = QStringLiteral(BREVOTANE_EXE_PATH);
        if (!QFile::exists(exe))
            QSKIP("the program is not built");
        QTemporaryDir home;
        // A program folder of its own, so that the backup it writes beside itself is this test's.
        const QString prog = home.path() + "/prog";
        QVERIFY(QDir().mkpath(prog));
        QVERIFY(QFile::copy(exe, prog + "/brevotane"));
        QVERIFY(QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), prog + "/Brevotane.idb"));
        QDir().mkpath(home.path() + "/run");
        QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString work = home.path() + "/work.idb";
        QVERIFY(QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), work));
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
        {
            QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "seed");
            d.setDatabaseName(work);
            QVERIFY(d.open());
            QVERIFY(QSqlQuery(d).exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'counted')"));
            d.close();
        }
        QSqlDatabase::removeDatabase("seed");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", home.path() + "/run");
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        env.insert("XDG_DATA_HOME", home.path() + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");

        QProcess program;
        program.setProcessEnvironment(env);
        program.start(prog + "/brevotane", {work});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QDir(home.path() + "/run").entryList({"*.sock"}, QDir::System).size() == 1, 20000);
        ::kill(pid_t(program.processId()), sig);
        const bool ended = program.waitForFinished(30000);
        if (!ended) {
            program.kill();
            program.waitForFinished();
        }
        QVERIFY(ended);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QSettings settings(home.path() + "/config/Brevotane/Brevotane.ini", QSettings::IniFormat);
        QVERIFY(QDate::fromString(settings.value("Settings/FDate").toString(), "yyyy/MM/dd").isValid());
        QVERIFY(settings.contains("Settings/MainLeft"));
        QVERIFY(settings.contains("Settings/MainTop"));
        const QString backup = prog + "/BackupBrevotane.idb";
        QVERIFY(QFile::exists(backup));
        {
            QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "backup");
            d.setDatabaseName(backup);
            QVERIFY(d.open());
            QSqlQuery q(d);
            QVERIFY(q.exec("SELECT 品名 FROM 仕入商品") && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("counted"));
            q.finish();
            d.close();
        }
        QSqlDatabase::removeDatabase("backup");
    }
};

BREVOTANE_TEST_MAIN(TestStartup)
#include "test_startup.moc"
