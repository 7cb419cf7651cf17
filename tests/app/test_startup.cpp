// Start-up: the command line, the splash and the main window, one copy of the program per user.
#include "TestSupport.h"

#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/frmAMain.h"
#include "app/frmSplash.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QPointer>
#include <QProcess>
#include <QThread>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <sys/syscall.h>

namespace {
// Whether the process's main thread sleeps waiting for input (in poll, as an event loop does with
// nothing to do). False when that cannot be read.
bool waitsForInput(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/syscall").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const long call = f.readAll().split(' ').value(0).toLong(&ok);
#ifdef SYS_poll
    if (ok && call == SYS_poll)
        return true;
#endif
    return ok && call == SYS_ppoll;
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

// The real program in a folder of its own (so that the backup it writes beside itself is the
// test's), with its own settings, data and runtime folders, run headless.
struct PrivateCopy {
    QTemporaryDir home;
    const QString prog = home.path() + "/prog";

    bool install() const
    {
        const bool made = QDir().mkpath(prog) && QFile::copy(QStringLiteral(BREVOTANE_EXE_PATH), prog + "/brevotane")
                          && QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), prog + "/Brevotane.idb")
                          && QDir().mkpath(home.path() + "/run");
        return made
               && QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Starts the program; true once it has claimed its place as the one running copy.
    bool start(QProcess& program, const QStringList& args) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", home.path() + "/run");
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        env.insert("XDG_DATA_HOME", home.path() + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(home.path());
        program.start(prog + "/brevotane", args);
        if (!program.waitForStarted())
            return false;
        for (int i = 0; i < 200; ++i) {
            if (QDir(home.path() + "/run").entryList({"*.sock"}, QDir::System).size() == 1)
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    // Sends the signal; true when the program then ended by itself (it is killed otherwise).
    static bool endsOn(QProcess& program, int sig)
    {
        ::kill(pid_t(program.processId()), sig);
        if (program.waitForFinished(30000))
            return true;
        program.kill();
        program.waitForFinished();
        return false;
    }

    QString settingsFile() const { return home.path() + "/config/Brevotane/Brevotane.ini"; }
};

// The database files under a folder, every level down.
QStringList databaseFiles(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.idb"), QStringLiteral("*.IDB")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}
} // namespace

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
        if (!QFile::exists(QStringLiteral(BREVOTANE_EXE_PATH)))
            QSKIP("the program is not built");
        PrivateCopy copy;
        QVERIFY(copy.install());
        const QTemporaryDir& home = copy.home;
        const QString& prog = copy.prog;
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

        QProcess program;
        QVERIFY(copy.start(program, {work}));
        QVERIFY(PrivateCopy::endsOn(program, sig));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QSettings settings(copy.settingsFile(), QSettings::IniFormat);
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

    void endOfSessionDuringTheFirstRun_data()
    {
        endOfSessionRunsTheShutdown_data();
    }

    // The real program started on the template, ended by the session while the first run's tip
    // waits for its reader: it ends by itself as when the first run is given up, having made no
    // file.
    void endOfSessionDuringTheFirstRun()
    {
        QFETCH(int, sig);
        if (!QFile::exists(QStringLiteral(BREVOTANE_EXE_PATH)))
            QSKIP("the program is not built");
        PrivateCopy copy;
        QVERIFY(copy.install());
        const QString templateFile = copy.prog + "/Brevotane.idb";
        const QByteArray templateBefore = digest(templateFile);

        QProcess program;
        QVERIFY(copy.start(program, {}));
        // The tip is open once the program sits waiting for input. A signal that comes earlier,
        // while it still loads, must end it all the same.
        for (int i = 0, idle = 0; i < 200 && idle < 3; ++i) {
            idle = waitsForInput(program.processId()) ? idle + 1 : 0;
            QTest::qWait(100);
        }
        QVERIFY(PrivateCopy::endsOn(program, sig));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(databaseFiles(copy.home.path()), QStringList{"prog/Brevotane.idb"});
        QCOMPARE(digest(templateFile), templateBefore);
        QSettings settings(copy.settingsFile(), QSettings::IniFormat);
        QVERIFY(settings.value("Settings/MDBFileName").toString().isEmpty());
    }

    // The file question of the first run is the desktop's own dialog: a signal while it is open
    // closes it as cancelled, and what is asked after is answered the same way, unseen.
    void endOfSessionClosesTheOpenQuestion()
    {
        testsupport::Env env;
        startup::installEndOfSession();
        struct Back {
            ~Back()
            {
                dlg::endQuestions(false);
                forms::endModalWindows(false);
            }
        } back;
        dlg::setBackend(nullptr);
        QWidget window;
        window.show();
        QTimer::singleShot(0, qApp, [] { ::raise(SIGTERM); });
        // Were the signal not heard, the question would wait for a person: it is given up here.
        bool gaveUp = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, qApp, [&gaveUp] {
            gaveUp = true;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->reject();
        });
        watchdog.start(30000);
        const std::optional<QString> chosen = dlg::OpenFile(
            QStringLiteral("新しいファイル名"), QStringLiteral("cdb ﾌｧｲﾙ (*.idb)|*.idb"), 1, &window);
        watchdog.stop();
        dlg::setBackend(&env.dialogs);
        QVERIFY(!gaveUp);
        QVERIFY(!chosen);
        QCOMPARE(dlg::Question(QStringLiteral("上書きしますか？"), &window), int(dlg::vbNo));
        QVERIFY(!dlg::OpenFile(QStringLiteral("新しいファイル名"), QStringLiteral("cdb ﾌｧｲﾙ (*.idb)|*.idb")));
        QVERIFY(env.dialogs.shown.isEmpty());
    }

    // A signal in the middle of the session: the handler whose question it closed still runs in
    // its own loop, and the main window is there until that handler has returned.
    void endOfSessionWaitsForTheHandlerToReturn()
    {
        testsupport::Env env;
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        frmAMain* main = forms::get<frmAMain>();
        main->showModeless();
        const QPointer<frmAMain> watched(main);
        const int base = QThread::currentThread()->loopLevel();
        QEventLoop handler;
        QTimer::singleShot(0, qApp, [&handler, base] {
            startup::endSessionAtLoopLevel(base);
            QTimer::singleShot(300, &handler, &QEventLoop::quit);
        });
        handler.exec();
        QVERIFY(watched && !watched->isUnloaded());
        QTRY_VERIFY(!watched || watched->isUnloaded());
        QVERIFY(QFile::exists(paths::backupPath()));
    }
};

BREVOTANE_TEST_MAIN(TestStartup)
#include "test_startup.moc"
