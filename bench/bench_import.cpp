// Times the count import of a large code page 932 file through the import window's own run, beside
// sqlite3's .import of the same file (converted to UTF-8) into a scratch table.
//
//   bench_import [lines] [products] [categories]     (defaults: 100000, 10000, 500)
//   bench_import --run <database> <import file>      one import into an existing file, nothing
//                                                    timed (for the kill -9 test by hand)
//
// The file has the count mapping's seven columns; names repeat, so the run finds most categories
// and products and adds the rest. Each side runs three times on a fresh copy; the median counts.
#include "common/global.h"
#include "import/DialogExcel.h"
#include "import/ImportFile.h"
#include "import/Mapping.h"
#include "platform/CodePage.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr int kRounds = 3;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

QString writeImportFile(const QString& path, int lines, int products, int categories)
{
    std::mt19937 rng(11);
    QString text = QStringLiteral("項目/分類\t品名\t数量\t単位\t単価\t価格\t備考\r\n");
    text.reserve(lines * 60);
    const QStringList units{QStringLiteral("個"), QStringLiteral("本"), QStringLiteral("箱"), QStringLiteral("ｹｰｽ")};
    for (int i = 0; i < lines; ++i) {
        const int p = static_cast<int>(rng() % products);
        const int qty = static_cast<int>(rng() % 500);
        const double price = (rng() % 100000) / 10.0;
        text += QStringLiteral("分類%1\t商品①㈱髙～%2\t%3\t%4\t%5\t%6\t棚%7\r\n")
                    .arg(p % categories)
                    .arg(p)
                    .arg(qty)
                    .arg(units.at(p % units.size()))
                    .arg(price)
                    .arg(static_cast<long long>(price * qty))
                    .arg(i % 40);
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(cp932::encode(text));
    return text;
}

void saveIdentityMapping()
{
    importer::Mapping mapping(importer::Kind::Count);
    for (int i = 1; i <= 7; ++i)
        mapping.assign(i, QStringLiteral("列%1").arg(i), i);
    if (!importer::saveMapping(mapping))
        qFatal("cannot save the mapping");
}

// One run through the window: the file chosen with 参照, every question answered Yes.
bool runImport(dlg::ScriptedBackend& dialogs, const QString& file)
{
    auto* d = forms::get<DialogExcelA>();
    d->DTPicker1->setDate(QDate(2026, 3, 31));
    dialogs.clear();
    dialogs.files = {file};
    d->Command2_Click();
    dialogs.answers = {dlg::vbYes, dlg::vbYes, dlg::vbYes, dlg::vbOK};
    d->Command1_Click();
    const bool ok = dialogs.messages().last() == QStringLiteral("棚卸のインポートは正常に完了しました。");
    d->unload();
    return ok;
}

double sqliteImportMs(const QString& dir, const QString& utf8File)
{
    const QString scratch = dir + "/scratch.db";
    QFile::remove(scratch);
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), scratch});
    p.write(QStringLiteral(".mode tabs\n.import '%1' scratch\n").arg(utf8File).toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    const double ms = t.nsecsElapsed() / 1e6;
    if (p.exitCode() != 0)
        qFatal("sqlite3 failed: %s", p.readAllStandardError().constData());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::setTestMode(true);
    dlg::ScriptedBackend dialogs;
    dlg::setBackend(&dialogs);
    const QStringList args = app.arguments();

    if (args.size() == 4 && args.at(1) == QLatin1String("--run")) {
        db::open(args.at(2));
        saveIdentityMapping();
        const bool ok = runImport(dialogs, args.at(3));
        std::printf("%s\n", ok ? "imported" : qPrintable(dialogs.messages().join(" / ")));
        return ok ? 0 : 1;
    }

    const int lines = args.size() > 1 ? args.at(1).toInt() : 100000;
    const int products = args.size() > 2 ? args.at(2).toInt() : 10000;
    const int categories = args.size() > 3 ? args.at(3).toInt() : 500;
    QTemporaryDir dir;
    const QString file = dir.path() + "/count.txt";
    const QString text = writeImportFile(file, lines, products, categories);
    const QString utf8File = dir.path() + "/count-utf8.txt";
    {
        QFile f(utf8File);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(utf8File));
        f.write(text.toUtf8());
    }
    saveIdentityMapping();

    QList<double> importMs;
    for (int r = 0; r < kRounds; ++r) {
        const QString work = dir.path() + QStringLiteral("/work%1.idb").arg(r);
        QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), work);
        QFile::setPermissions(work, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db::open(work);
        QElapsedTimer t;
        t.start();
        if (!runImport(dialogs, file))
            qFatal("the import failed: %s", qPrintable(dialogs.messages().join(" / ")));
        importMs << t.nsecsElapsed() / 1e6;
        const int stored = db::scalar("SELECT COUNT(*) FROM 棚卸マスター").toInt();
        if (stored != lines)
            qFatal("stored %d lines of %d", stored, lines);
        db::close();
    }

    const bool haveSqlite = !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
    QList<double> sqliteMs;
    for (int r = 0; haveSqlite && r < kRounds; ++r)
        sqliteMs << sqliteImportMs(dir.path(), utf8File);

    // The mapping window lists the headings at 参照 and at every activation: the first line only.
    QList<double> headingMs;
    QList<double> headMs;
    for (int r = 0; r < kRounds; ++r) {
        QElapsedTimer t;
        t.start();
        if (!importer::readHeadings(file))
            qFatal("no headings in %s", qPrintable(file));
        headingMs << t.nsecsElapsed() / 1e6;
        t.restart();
        QProcess head;
        head.start(QStringLiteral("head"), {QStringLiteral("-n"), QStringLiteral("1"), file});
        head.waitForFinished(-1);
        headMs << t.nsecsElapsed() / 1e6;
    }

    const double ours = median(importMs);
    std::printf("count import of %d lines (%d products, %d categories), code page 932, median of %d runs\n",
                lines, products, categories, kRounds);
    std::printf("  %-44s %10.1f ms\n", "Brevotane import (window run, one transaction)", ours);
    if (haveSqlite) {
        const double theirs = median(sqliteMs);
        std::printf("  %-44s %10.1f ms\n", "sqlite3 .import of the UTF-8 file", theirs);
        std::printf("  %-44s %10.2f x   (target <= 3 x)\n", "ratio", ours / theirs);
    } else {
        std::printf("  sqlite3 not found (make deps installs it)\n");
    }
    std::printf("headings of the same file (%.1f MB), median of %d runs\n", QFileInfo(file).size() / 1048576.0, kRounds);
    std::printf("  %-44s %10.2f ms\n", "Brevotane heading list", median(headingMs));
    std::printf("  %-44s %10.2f ms\n", "head -n 1 (a process of its own)", median(headMs));
    return 0;
}
