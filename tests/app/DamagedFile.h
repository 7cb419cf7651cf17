#pragma once
// A database file damaged as a failing disk, an interrupted copy or a crash would leave it, and a
// disk that fills up.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

// Leaves the header and the table list readable but writes over the later pages.
inline void damagePages(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray head = f.read(100);
    int pageSize = (uchar(head.at(16)) << 8) | uchar(head.at(17));
    if (pageSize == 1)
        pageSize = 65536;
    const qint64 pages = f.size() / pageSize;
    QVERIFY(pages > 6);
    for (qint64 p = pages / 2; p < pages; ++p) {
        f.seek(p * pageSize);
        f.write(QByteArray(pageSize, '\xA5'));
    }
}

// A write cut short by a crash: another process (the sqlite3 shell) adds 3,000 products from key
// 1000 on in one transaction, with a cache so small that changed pages reach the file before the
// commit, and is killed (SIGKILL) before it commits. The file keeps the journal beside it that
// only a connection able to write can roll back.
inline void interruptWrite(const QString& path)
{
    QTemporaryDir dir;
    const QString marker = dir.path() + "/ready";
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {path});
    QVERIFY2(shell.waitForStarted(), "the sqlite3 shell is needed");
    shell.write("PRAGMA cache_size = 1;\n"
                "BEGIN;\n"
                "WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 3999)\n"
                "  INSERT INTO 仕入商品 (品名ID, 品名) SELECT i, 'cut short ' || i FROM n;\n"
                ".once " + QFile::encodeName(marker) + "\n"
                "SELECT 'written';\n");
    auto written = [&marker] {
        QFile f(marker);
        return f.open(QIODevice::ReadOnly) && f.readAll().startsWith("written");
    };
    QTRY_VERIFY_WITH_TIMEOUT(written(), 30000);
    shell.kill();
    shell.waitForFinished();
    QVERIFY(QFile::exists(path + "-journal"));
}

} // namespace testsupport
