// The database file's operations without a window: replacing a file by a copy, the soundness
// check, the backup decision, repair and compaction against other connections, clearing tables,
// how paths are compared, and where the file commands leave the work when they fail.
#include "TestSupport.h"

#include "DamagedFile.h"

#include "app/DbFile.h"
#include "app/FileController.h"
#include "common/AppPaths.h"
#include "platform/Db.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void fill(const QString& path, int products)
{
    db::open(path);
    {
        db::Transaction t;
        for (int i = 1; i <= products; ++i)
            db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (?, ?)", {i, QStringLiteral("a product with a long name %1").arg(i)});
        t.commit();
    }
    db::close();
}

using testsupport::damagePages;

// A second connection to the same file, as another program would hold it.
class OtherUser {
public:
    explicit OtherUser(const QString& path)
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "other user");
        d.setDatabaseName(path);
        d.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
        d.open();
    }
    ~OtherUser()
    {
        QSqlDatabase::database("other user", false).close();
        QSqlDatabase::removeDatabase("other user");
    }
    bool exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database("other user", false));
        return q.exec(sql);
    }
    int products()
    {
        QSqlQuery q(QSqlDatabase::database("other user", false));
        return q.exec("SELECT COUNT(*) FROM 仕入商品") && q.next() ? q.value(0).toInt() : -1;
    }
};

int productsIn(const QString& path)
{
    OtherUser look(path);
    return look.products();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestDbFile : public QObject {
    Q_OBJECT
private slots:
    void copyReplacingIsAllOrNothing()
    {
        testsupport::Env env;
        const QString src = env.newDatabase("src.idb");
        fill(src, 10);
        const QString dst = env.path("dst.idb");
        {
            QFile f(dst);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old contents");
        }
        QVERIFY(QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        dbfile::copyReplacing(src, dst);
        QCOMPARE(digest(dst), digest(src));
        QCOMPARE(QFile::permissions(dst) & QFileDevice::Permissions(0x7077),
                 QFileDevice::Permissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));

        // A new copy of a private file is private too.
        QVERIFY(QFile::setPermissions(src, QFile::ReadOwner | QFile::WriteOwner));
        dbfile::copyReplacing(src, env.path("fresh.idb"));
        QCOMPARE(QFile::permissions(env.path("fresh.idb")) & QFileDevice::Permissions(0x7077),
                 QFileDevice::Permissions(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::remove(env.path("fresh.idb")));

        // A source that cannot be read, or a folder where the copy belongs: nothing changes and
        // nothing is left behind.
        const QStringList before = filesIn(env.path(QString()));
        const QByteArray dstBefore = digest(dst);
        QVERIFY_THROWS_EXCEPTION(dbfile::FileError, dbfile::copyReplacing(env.path("missing.idb"), dst));
        QCOMPARE(digest(dst), dstBefore);
        QVERIFY(QDir().mkpath(env.path("folder.idb")));
        QVERIFY_THROWS_EXCEPTION(dbfile::FileError, dbfile::copyReplacing(src, env.path("folder.idb")));
        QCOMPARE(filesIn(env.path(QString())), before);

        // A file a crash left with its journal: the journal goes back into that file, never into
        // the copy that replaces it.
        const QString crashed = env.newDatabase("crashed.idb");
        fill(crashed, 3);
        testsupport::interruptWrite(crashed);
        dbfile::copyReplacing(src, crashed);
        QVERIFY(!QFile::exists(crashed + "-journal"));
        QCOMPARE(digest(crashed), digest(src));
        QCOMPARE(productsIn(crashed), 10);
        QVERIFY(dbfile::isSound(crashed));
    }

    void soundnessAndTheBackup()
    {
        testsupport::Env env;
        const QString good = env.newDatabase("good.idb");
        fill(good, 3000);
        QVERIFY(dbfile::isSound(good));
        const QString backup = env.path("backup.idb");
        dbfile::writeBackup(good, backup);
        QCOMPARE(digest(backup), digest(good));
        const QByteArray backupBefore = digest(backup);

        // Pages corrupt behind a readable header: not sound, and the old backup stays.
        const QString damaged = env.path("damaged.idb");
        QVERIFY(QFile::copy(good, damaged));
        damagePages(damaged);
        QVERIFY(db::isUsableDatabase(damaged));
        QString why;
        QVERIFY(!dbfile::isSound(damaged, &why));
        QVERIFY(!why.isEmpty());
        QVERIFY_THROWS_EXCEPTION(dbfile::FileError, dbfile::writeBackup(damaged, backup));
        QCOMPARE(digest(backup), backupBefore);

        // An empty file is an empty database to SQLite, but none of ours.
        const QString empty = env.path("empty.idb");
        QFile(empty).open(QIODevice::WriteOnly);
        QVERIFY(!dbfile::isSound(empty));
        QVERIFY_THROWS_EXCEPTION(dbfile::FileError, dbfile::writeBackup(empty, backup));
        QCOMPARE(digest(backup), backupBefore);
    }

    void backupDecision()
    {
        testsupport::Env env;
        const QString backup = paths::backupPath();
        QVERIFY(dbfile::backupDue(env.path("work.idb"), backup));
        QVERIFY(!dbfile::backupDue(QString(), backup));
        QVERIFY(!dbfile::backupDue(backup, backup));
        QVERIFY(!dbfile::backupDue(QFileInfo(backup).absolutePath() + "/./backupbrevotane.IDB", backup));
        QVERIFY(!dbfile::backupDue(paths::templatePath(), backup));
        QVERIFY(!dbfile::backupDue(env.programFolder() + "../prog/BREVOTANE.idb", backup));
    }

    void pathsAreComparedAsFiles()
    {
        testsupport::Env env;
        const QString work = env.newDatabase("work.idb");
        QVERIFY(QFile::link(env.path(QString()), env.path("linked")));
        QVERIFY(paths::samePath(work, env.path("linked/work.idb")));
        QVERIFY(paths::samePath(work, env.path("./sub/../work.idb")));
        QVERIFY(paths::samePath(env.path("new.idb"), env.path("linked/new.idb")));   // not made yet
        QVERIFY(!paths::samePath(work, env.path("WORK.idb")));
        QVERIFY(paths::samePathIgnoringCase(work, env.path("WORK.idb")));
        QVERIFY(!paths::samePath(QString(), QString()));
        QVERIFY(paths::isTemplatePath(env.path("linked/prog/brevotane.idb")));

        struct Back {
            QString dir = QDir::currentPath();
            ~Back() { QDir::setCurrent(dir); }
        } back;
        QVERIFY(QDir::setCurrent(env.programFolder()));
        QVERIFY(paths::isTemplatePath("Brevotane.idb"));
        QVERIFY(paths::samePath("../work.idb", work));
    }

    void compactionShrinksAndKeepsEveryRow()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        fill(work, 3000);
        db::open(work);
        db::exec("DELETE FROM 仕入商品 WHERE 品名ID > 10");
        db::close();
        QVERIFY(QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner));
        const qint64 before = QFileInfo(work).size();
        dbfile::repairAndCompact(work);
        QVERIFY(QFileInfo(work).size() < before);
        QCOMPARE(productsIn(work), 10);
        QVERIFY(dbfile::isSound(work));
        QCOMPARE(QFile::permissions(work) & QFileDevice::Permissions(0x7077),
                 QFileDevice::Permissions(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(filesIn(env.path(QString())), QStringList{"work.idb"});
    }

    void compactionThroughALinkKeepsTheLink()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        fill(work, 20);
        QVERIFY(QFile::link(work, env.path("link.idb")));
        dbfile::repairAndCompact(env.path("link.idb"));
        QVERIFY(QFileInfo(env.path("link.idb")).isSymLink());
        QCOMPARE(productsIn(work), 20);
    }

    void compactionYieldsToOtherConnections()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        fill(work, 5);

        // A write transaction still open elsewhere: compaction gives up, and the writer's row is
        // committed into the file that stays.
        {
            OtherUser writer(work);
            QVERIFY(writer.exec("BEGIN IMMEDIATE"));
            QVERIFY(writer.exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (100, 'meanwhile')"));
            QVERIFY_THROWS_EXCEPTION(dbfile::FileError, dbfile::repairAndCompact(work));
            QVERIFY(writer.exec("COMMIT"));
        }
        QCOMPARE(productsIn(work), 6);
        QCOMPARE(filesIn(env.path(QString())), QStringList{"work.idb"});

        // A reader in the middle of reading holds the file too.
        {
            OtherUser reader(work);
            QVERIFY(reader.exec("BEGIN"));
            QCOMPARE(reader.products(), 6);
            QVERIFY_THROWS_EXCEPTION(dbfile::FileError, dbfile::repairAndCompact(work));
            QVERIFY(reader.exec("COMMIT"));
        }

        // A connection left open but idle across a compaction goes on working in the compacted
        // file: its write lands in the working file.
        {
            OtherUser idle(work);
            QCOMPARE(idle.products(), 6);
            dbfile::repairAndCompact(work);
            QVERIFY(idle.exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (101, 'afterwards')"));
        }
        QCOMPARE(productsIn(work), 7);
        QCOMPARE(filesIn(env.path(QString())), QStringList{"work.idb"});
    }

    void compactionCleansUpAfterAKilledRun()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        fill(work, 5);
        const QStringList leftovers{".work.idb.compact-AbC123", ".work.idb.compact-AbC123-journal"};
        for (const QString& name : leftovers) {
            QFile f(env.path(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        // Files of other names are not ours to remove.
        QFile(env.path(".other.idb.compact-AbC123")).open(QIODevice::WriteOnly);
        QCOMPARE(dbfile::compactionLeftovers(work).size(), 2);
        dbfile::repairAndCompact(work);
        QCOMPARE(productsIn(work), 5);
        QCOMPARE(filesIn(env.path(QString())), (QStringList{".other.idb.compact-AbC123", "work.idb"}));
    }

    void aFileThatCannotBeRepairedStaysAsItWas()
    {
        testsupport::Env env;
        const QString work = env.newDatabase();
        fill(work, 3000);
        damagePages(work);
        // The repair may mend what it can in place; the file is never replaced by a copy of the
        // damage, and nothing is left beside it.
        QVERIFY_THROWS_EXCEPTION(dbfile::DamagedFile, dbfile::repairAndCompact(work));
        QVERIFY(db::isUsableDatabase(work));
        QVERIFY(QFileInfo(work).size() > 100000);
        QCOMPARE(filesIn(env.path(QString())), QStringList{"work.idb"});
    }

    void clearingGoesOnPastAFailedTable()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, 'p')");
        db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (5, 'c')");
        db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名) VALUES (1, '2024-03-31', 5, 'p')");
        db::exec("DROP TABLE 単位");
        QVERIFY(dbfile::tablesNamed(QStringLiteral("すべて選択")) == dbfile::Tables::All);
        QVERIFY(!dbfile::tablesNamed(QString()));
        QVERIFY(!dbfile::clearTables(dbfile::Tables::All));
        QCOMPARE(db::scalar("SELECT COUNT(*) FROM 棚卸マスター").toInt(), 0);
        QCOMPARE(db::scalar("SELECT COUNT(*) FROM 仕入商品").toInt(), 0);
        QCOMPARE(db::scalar("SELECT group_concat(項目ID || ':' || 項目分類名) FROM 項目分類").toString(), QStringLiteral("0:未区分"));
        QVERIFY(!db::inTransaction());
        QVERIFY(dbfile::clearTables(dbfile::Tables::Products));
    }

    void failedFileCommandsGoBackToTheOpenFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("before");   // the working file: "open", "gone" (deleted while open), "none"
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("openAfter");
        QTest::addColumn<QStringList>("told");   // what the notifier told the windows
        const QString saveFailed = QStringLiteral("データベースの保存に失敗しました。");
        QTest::newRow("new, copy fails") << "new" << "open" << "" << true << QStringList{"close", "opened"};
        QTest::newRow("first run, copy fails") << "first" << "open" << "" << true << QStringList{"close", "opened"};
        QTest::newRow("new, copy fails, file gone") << "new" << "gone" << "" << false << QStringList{"close"};
        QTest::newRow("new, copy fails, none open") << "new" << "none" << "" << false << QStringList{};
        const QString gone = QStringLiteral("\nデータベースファイルが見つかりません。");
        QTest::newRow("save as, copy fails, file gone") << "save" << "gone" << saveFailed + gone << false << QStringList{"close"};
        QTest::newRow("save as, cancelled") << "cancel" << "open" << saveFailed << true << QStringList{};
        QTest::newRow("compaction, file gone") << "compact" << "gone" << QStringLiteral("データベースに接続してるユーザーがいます。") + gone
                                               << false << QStringList{"close"};
    }

    void failedFileCommandsGoBackToTheOpenFile()
    {
        QFETCH(QString, command);
        QFETCH(QString, before);
        QFETCH(QString, message);
        QFETCH(bool, openAfter);
        QFETCH(QStringList, told);
        testsupport::Env env;
        const QString work = env.path("work.idb");
        dbfile::FileController files;
        files.openAtStart(work);   // "none": the file is made only after the failed start
        QVERIFY(QFile::copy(env.newDatabase("seed.idb"), work));
        if (before != "none")
            QCOMPARE(files.openAtStart(work).outcome, dbfile::FileResult::Outcome::Done);
        if (before == "gone")
            QVERIFY(QFile::remove(work));
        QVERIFY(QDir().mkpath(env.path("folder.idb")));   // no copy can be made there

        QStringList heard;
        QObject ear;
        QObject::connect(&db::notifier(), &db::Notifier::aboutToClose, &ear, [&heard] { heard << "close"; });
        QObject::connect(&db::notifier(), &db::Notifier::opened, &ear, [&heard, work](const QString& p) {
            heard << (p == work ? "opened" : "opened " + p);
        });
        const dbfile::FileSteps replace{[](const QString&) { return true; }, {}};
        dbfile::FileResult r;
        if (command == "new")
            r = files.newFile(env.path("folder.idb"), replace);
        else if (command == "first")
            r = files.firstFile(env.path("folder.idb"), replace);
        else if (command == "save")
            r = files.saveAs(env.path("folder.idb"), replace);
        else if (command == "cancel")
            r = files.saveAs(std::nullopt, replace);
        else
            r = files.repairAndCompactOpenFile();
        QCOMPARE(r.outcome, dbfile::FileResult::Outcome::Refused);
        QCOMPARE(r.message, message);
        QCOMPARE(heard, told);
        QCOMPARE(files.path(), work);
        QCOMPARE(files.connected(), openAfter);
        QCOMPARE(db::openPath(), openAfter ? work : QString());
    }
};

BREVOTANE_TEST_MAIN(TestDbFile)
#include "test_dbfile.moc"
