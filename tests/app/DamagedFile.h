#pragma once
// A database file damaged as a failing disk or an interrupted copy would leave it.
#include <QByteArray>
#include <QFile>
#include <QTest>

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

} // namespace testsupport
