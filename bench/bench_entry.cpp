// Times a long count typed in line by line: 2000 lines through the entry window's data path
// (unit, product and line in one transaction each), with the totals line read after every line
// as the window does. Usage: bench_entry [lines]
#include "counting/CountData.h"
#include "counting/EntryLine.h"
#include "platform/Db.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.idb"));
    if (!QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), path)) {
        std::fprintf(stderr, "cannot copy the template database\n");
        return 1;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    db::open(path);

    const QDate date(2026, 3, 31);
    const QStringList categories{QStringLiteral("文具"), QStringLiteral("食品"), QStringLiteral("雑貨")};
    const QStringList units{QStringLiteral("個"), QStringLiteral("本"), QStringLiteral("箱")};

    QElapsedTimer timer;
    timer.start();
    qint64 slowest = 0;
    for (int i = 0; i < lines; ++i) {
        QElapsedTimer one;
        one.start();
        counting::EntryLine line;
        line.date = date;
        line.category = categories.at(i % categories.size());
        // About half the lines name a product already entered.
        line.product = QStringLiteral("品名%1").arg(i % (lines / 2 + 1));
        line.quantity = 1 + i % 17;
        line.unit = units.at(i % units.size());
        line.price = (i % 10 == 0) ? 0.0 : 12.5 * (i % 40);
        counting::addEntryLine(line);
        counting::totalsText(date);
        slowest = std::max(slowest, one.nsecsElapsed());
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("%d lines: %.1f ms total, %.3f ms per line, slowest %.3f ms\n", lines, ms, ms / lines,
                slowest / 1e6);
    std::printf("%s\n", qPrintable(counting::totalsText(date)));
    db::close();
    return 0;
}
