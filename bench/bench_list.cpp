// Times the summary list on a count of 100,000 lines of one closing date (10,000 products, 500
// categories), beside the same statements in the sqlite3 shell on the same file:
//
//   (a) opening the list until its first rows are shown, and each mode picked until its rows are
//       shown;
//   (b) the Excel export of 65,535 lines (the most one sheet holds) beside `sqlite3 -csv` writing
//       the same SELECT to a file.
//
//   bench_list [lines] [export lines]      (defaults: 100000 and 65535)
//
// The window is driven offscreen through its own handlers and named controls; every timed step
// includes the events it posts (repaints, deferred fetches) until the window is idle again. Each
// figure is the median of several runs.
#include "BenchCount.h"
#include "BenchSupport.h"

#include "common/MainWindowInfo.h"
#include "counting/SummaryList.h"
#include "counting/frmList.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace benchcount;
using namespace benchsupport;
using counting::ListMode;

namespace {

const QDate kExportDate(2025, 3, 31);
constexpr int kRuns = 5;

class BenchMainWindow : public app::MainWindowInfo {
public:
    QDate date = kClosingDate;
    QDate closingDate() const override { return date; }
    QString openFileName() const override { return db::openPath(); }
};

// The statement as the shell gets it: the bound date written in as a literal.
QString literalSql(const counting::ListSql& q)
{
    QString sql = q.sql;
    for (const QVariant& a : q.args)
        sql.replace(sql.indexOf('?'), 1, '\'' + a.toString() + '\'');
    return sql;
}

struct SqlTime {
    double ms = std::nan("");
    QString error;
};

// Runs the script's statements (one line) `runs` times in one shell with `.timer on`; the median of
// the shell's real times.
SqlTime sqliteTime(const QString& file, const QString& statements, const QString& output, int runs,
                   const QStringList& options = {})
{
    QString script = QStringLiteral(".output %1\n.timer on\n").arg(output);
    for (int i = 0; i < runs; ++i)
        script += statements + '\n';
    QProcess p;
    p.start(QStringLiteral("sqlite3"), QStringList{QStringLiteral("-batch")} + options + QStringList{file});
    SqlTime r;
    if (!p.waitForStarted()) {
        r.error = QStringLiteral("sqlite3 not found (make deps installs it)");
        return r;
    }
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    const QString err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    if (!err.isEmpty())
        r.error = err.section('\n', 0, 0);
    // With several statements on a line the shell times each; a line's time is their sum.
    static const QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    QList<double> each;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = re.globalMatch(out); it.hasNext();)
        each << it.next().captured(1).toDouble() * 1000.0;
    const qsizetype perRun = runs > 0 ? each.size() / runs : 0;
    if (perRun == 0 || each.size() % runs != 0) {
        if (r.error.isEmpty())
            r.error = QStringLiteral("no timing from sqlite3");
        return r;
    }
    QList<double> sums;
    for (int i = 0; i < runs; ++i) {
        double s = 0;
        for (qsizetype k = 0; k < perRun; ++k)
            s += each.at(i * perRun + k);
        sums << s;
    }
    r.ms = medianOf(sums);
    return r;
}

QString figure(double v)
{
    return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', v < 10 ? 2 : 1) + QStringLiteral(" ms");
}

QString ratio(double a, double b)
{
    return (std::isnan(a) || std::isnan(b) || b <= 0) ? QStringLiteral("-") : QString::number(a / b, 'f', 2);
}

int displayWidth(const QString& s)
{
    int w = 0;
    for (const QChar c : s)
        w += (c.unicode() >= 0x2E80) ? 2 : 1;
    return w;
}

QString pad(const QString& s, int width, bool left)
{
    const QString fill(std::max(0, width - displayWidth(s)), ' ');
    return left ? fill + s : s + fill;
}

void printRow(const QStringList& cells)
{
    static const QList<int> widths{40, 11, 12, 12, 8, 8};
    QString line = pad(cells.at(0), widths.at(0), false);
    for (int i = 1; i < cells.size(); ++i)
        line += ' ' + pad(cells.at(i), widths.at(i), true);
    std::printf("%s\n", qPrintable(line));
}

int rowsShown(frmList* w)
{
    return w->listModel() ? w->listModel()->rowCount() : -1;
}

void pick(frmList* w, ListMode mode)
{
    const int i = w->Combo1->findText(counting::listModeName(mode));
    w->Combo1->setCurrentIndex(i);
    emit w->Combo1->activated(i);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    QDir().mkpath(home.path() + "/runtime");
    QFile::setPermissions(home.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + "/runtime"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lines = args.size() > 1 ? args.at(1).toInt() : 100000;
    const int exportLines = args.size() > 2 ? args.at(2).toInt() : 65535;
    if (lines <= 0 || exportLines <= 0) {
        std::fprintf(stderr, "usage: bench_list [lines] [export lines]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString emptyDb = dir.filePath(QStringLiteral("empty.idb"));
    const QString countDb = dir.filePath(QStringLiteral("count.idb"));
    const QString exportDb = dir.filePath(QStringLiteral("export.idb"));
    const QString tmpl = QStringLiteral(BREVOTANE_TEMPLATE_PATH);
    QElapsedTimer gen;
    gen.start();
    try {
        for (const QString& f : {emptyDb, countDb, exportDb})
            if (!copyTemplate(tmpl, f))
                throw std::runtime_error("cannot copy the template database");
        const QList<Product> list = products();
        {
            Generator g(countDb);
            g.masters(list);
            g.lines(list, kClosingDate, lines, 2026, true);
        }
        {
            // A few products deleted since the count, so that the product check finds lines.
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench_products"));
            d.setDatabaseName(countDb);
            d.open();
            QSqlQuery(QStringLiteral("DELETE FROM 仕入商品 WHERE 品名ID IN (17, 4711, 9001)"), d);
            d.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench_products"));
        {
            // No deleted category here: every generated line is written.
            Generator g(exportDb);
            g.masters(list);
            g.lines(list, kExportDate, exportLines, 2025, false);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generating the count failed: %s\n", e.what());
        return 1;
    }
    std::printf("Count of %s: %d lines (%d products, %d categories); export file: %d lines of %s (generated in %.1f s)\n",
                qPrintable(kClosingDate.toString(QStringLiteral("yyyy/MM/dd"))), lines, kProducts,
                kCategoryGroups * kCategoryPlaces, exportLines,
                qPrintable(kExportDate.toString(QStringLiteral("yyyy/MM/dd"))), gen.nsecsElapsed() / 1e9);
    std::fflush(stdout);

    dlg::ScriptedBackend dialogs;
    dlg::setBackend(&dialogs);
    forms::setTestMode(true);
    BenchMainWindow mainWindow;
    app::setMainWindowInfo(&mainWindow);
    QStringList warnings;

    // One-time costs of the toolkit (styles, fonts, the first window) are paid on an empty file.
    db::open(emptyDb);
    forms::get<frmList>()->showModeless();
    settle();
    forms::unloadAll();
    dropUnloaded();
    db::close();

    // (a) The window on the large count.
    db::open(countDb);
    QList<double> openMs;
    int openRows = 0;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        auto* w = forms::get<frmList>();
        w->showModeless();
        settle();
        openMs << msSince(t);
        openRows = rowsShown(w);
        forms::unloadAll();
        dropUnloaded();
    }
    if (openRows <= 0)
        warnings << QStringLiteral("opening showed no rows");

    const QList<ListMode> modes{ListMode::CategorySum, ListMode::OrphanCategory, ListMode::ProductSum,
                                ListMode::OrphanProduct, ListMode::Unpriced, ListMode::All};
    QMap<ListMode, QList<double>> modeMs;
    QMap<ListMode, int> modeRows;
    auto* w = forms::get<frmList>();
    w->showModeless();
    settle();
    for (int i = 0; i < kRuns; ++i) {
        for (ListMode m : modes) {
            // The category mode asks to repair the lines of deleted categories: No, so that every
            // run finds them again.
            dialogs.answers = {dlg::vbNo};
            QElapsedTimer t;
            t.start();
            pick(w, m);
            settle();
            modeMs[m] << msSince(t);
            modeRows[m] = rowsShown(w);
        }
    }
    // 品名リスト, typed and run by a change of the date.
    QList<double> productListMs;
    w->Combo1->setEditText(counting::listModeName(ListMode::ProductList));
    for (int i = 0; i < kRuns; ++i) {
        w->DTPicker1->setDate(kClosingDate.addDays(1));
        settle();
        QElapsedTimer t;
        t.start();
        w->DTPicker1->setDate(kClosingDate);
        settle();
        productListMs << msSince(t);
    }
    modeMs[ListMode::ProductList] = productListMs;
    modeRows[ListMode::ProductList] = rowsShown(w);
    const QString totals = w->Text1->text();
    forms::unloadAll();
    dropUnloaded();
    db::close();
    for (auto it = modeRows.constBegin(); it != modeRows.constEnd(); ++it)
        if (it.value() <= 0)
            warnings << QStringLiteral("%1 showed no rows").arg(counting::listModeName(it.key()));

    // (b) The export of the largest list a sheet holds.
    db::open(exportDb);
    mainWindow.date = kExportDate;
    const QString xlsFile = dir.filePath(QStringLiteral("棚卸.xls"));
    QList<double> exportMs;
    w = forms::get<frmList>();
    w->showModeless();
    settle();
    pick(w, ListMode::All);
    settle();
    for (int i = 0; i < kRuns; ++i) {
        dialogs.clear();
        dialogs.files = {xlsFile};
        dialogs.answers = {dlg::vbYes};   // overwrite the last run's workbook
        QElapsedTimer t;
        t.start();
        w->Command3->click();
        exportMs << msSince(t);
        for (const dlg::Shown& s : std::as_const(dialogs.shown))
            if (s.kind == QLatin1String("message") && !s.yesNo)
                warnings << QStringLiteral("export: message \"%1\"").arg(s.text);
    }
    const qint64 xlsBytes = QFileInfo(xlsFile).size();
    forms::unloadAll();
    dropUnloaded();
    db::close();
    if (xlsBytes <= 0)
        warnings << QStringLiteral("no workbook written");

    // The same statements in the shell.
    const bool haveSqlite = !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
    if (!haveSqlite)
        warnings << QStringLiteral("sqlite3 is not installed (make deps installs it)");
    const QString totalSql =
        QStringLiteral("SELECT SUM(価格) AS 合計, COUNT(価格) AS 件数 FROM  棚卸マスター Where 日付 = '%1';")
            .arg(db::isoDate(kClosingDate));
    auto modeSql = [](ListMode m) -> QString {
        const QString d = db::isoDate(kClosingDate);
        if (m == ListMode::OrphanCategory || m == ListMode::OrphanProduct) {
            const QString found = m == ListMode::OrphanCategory
                ? QStringLiteral("(NOT EXISTS (SELECT 1 FROM 項目分類 k WHERE k.項目ID = 棚卸マスター.項目ID))")
                : QStringLiteral("(NOT EXISTS (SELECT 1 FROM 仕入商品 s WHERE s.品名ID = 棚卸マスター.品名ID))");
            return QStringLiteral("UPDATE 棚卸マスター SET 区分調整 = %1 WHERE 日付 = '%2' AND 区分調整 IS NOT %1; "
                                  "SELECT * FROM 棚卸マスター WHERE 日付 = '%2' AND 区分調整 = 1 ORDER BY ID;")
                .arg(found, d);
        }
        // The grouped summaries as they are written for the printed sheets; the window sums by key
        // first, to the same rows.
        if (m == ListMode::CategorySum)
            return QStringLiteral("SELECT 棚卸マスター.日付, 項目分類.項目分類名, SUM(棚卸マスター.価格) AS 合計, COUNT(*) AS 集計数 "
                                  "From 項目分類, 棚卸マスター Where 項目分類.項目ID = 棚卸マスター.項目ID AND 棚卸マスター.日付 = '%1' "
                                  "GROUP BY 項目分類.項目分類名, 棚卸マスター.日付 ORDER BY SUM(棚卸マスター.価格) DESC;").arg(d);
        if (m == ListMode::ProductSum)
            return QStringLiteral("SELECT 棚卸マスター.日付, 仕入商品.品名, SUM(棚卸マスター.価格) AS 合計, COUNT(*) AS 集計数 "
                                  "From 仕入商品, 棚卸マスター Where 仕入商品.品名ID = 棚卸マスター.品名ID AND 棚卸マスター.日付 = '%1' "
                                  "GROUP BY 仕入商品.品名, 棚卸マスター.日付 ORDER BY 仕入商品.品名;").arg(d);
        return literalSql(counting::listQuery(m, kClosingDate)) + ';';
    };
    // What the window itself runs, for the first rows.
    auto windowSql = [&](ListMode m) {
        return counting::isOrphanMode(m) ? modeSql(m) : literalSql(counting::listQuery(m, kClosingDate)) + ';';
    };
    auto firstRows = [](const QString& sql) {
        // The rows a grid reads before it shows anything: the model's first batch.
        QString s = sql;
        s.chop(1);
        return s + QStringLiteral(" LIMIT 256;");
    };

    std::printf("\n(a) Summary list on %d lines: from the pick (or the opening) until the rows are shown\n\n", lines);
    printRow({QStringLiteral("measure"), QStringLiteral("window"), QStringLiteral("sqlite3 all"),
              QStringLiteral("sqlite3 256"), QStringLiteral("/all"), QStringLiteral("/256")});
    std::printf("%s\n", qPrintable(QString(96, '-')));
    auto sqlRow = [&](const QString& label, double windowMs, const QString& whole, const QString& first, int rows) {
        SqlTime a, b;
        if (haveSqlite) {
            a = sqliteTime(countDb, whole, QStringLiteral("/dev/null"), kRuns);
            b = first.isEmpty() ? a : sqliteTime(countDb, first, QStringLiteral("/dev/null"), kRuns);
            for (const SqlTime* s : {&a, &b})
                if (!s->error.isEmpty())
                    warnings << label + QStringLiteral(": sqlite3: ") + s->error;
        }
        printRow({label + QStringLiteral(" (%1 rows)").arg(rows), figure(windowMs), figure(a.ms), figure(b.ms),
                  ratio(windowMs, a.ms), ratio(windowMs, b.ms)});
    };
    const QString allSql = modeSql(ListMode::All);
    sqlRow(QStringLiteral("open → 棚卸をすべて表示"), medianOf(openMs), allSql + ' ' + totalSql,
           firstRows(allSql) + ' ' + totalSql, openRows);
    for (ListMode m : modes + QList<ListMode>{ListMode::ProductList}) {
        // The orphan modes read their marked lines whole in both: there are few.
        const bool orphan = counting::isOrphanMode(m);
        sqlRow(counting::listModeName(m), medianOf(modeMs.value(m)), modeSql(m),
               orphan ? QString() : firstRows(windowSql(m)), modeRows.value(m));
    }
    std::printf("Totals line: %s\n", qPrintable(totals));

    std::printf("\n(b) Export of %d lines\n\n", exportLines);
    printRow({QStringLiteral("measure"), QStringLiteral("window"), QStringLiteral("sqlite3 -csv"), QString(),
              QStringLiteral("ratio"), QString()});
    std::printf("%s\n", qPrintable(QString(96, '-')));
    SqlTime csv;
    const QString csvFile = dir.filePath(QStringLiteral("棚卸.csv"));
    if (haveSqlite) {
        const QString sql = literalSql(*counting::exportQuery(ListMode::All, kExportDate)) + ';';
        // One shell per run, each writing a new file, as each export writes a new workbook.
        QList<double> runs;
        for (int i = 0; i < kRuns; ++i) {
            QFile::remove(csvFile);
            const SqlTime one =
                sqliteTime(exportDb, sql, csvFile, 1, {QStringLiteral("-csv"), QStringLiteral("-header")});
            if (!one.error.isEmpty())
                warnings << QStringLiteral("export: sqlite3: ") + one.error;
            runs << one.ms;
        }
        csv.ms = medianOf(runs);
    }
    printRow({QStringLiteral("Excel(&P) → .xls (%1 KB)").arg(xlsBytes / 1024), figure(medianOf(exportMs)),
              figure(csv.ms), QString(), ratio(medianOf(exportMs), csv.ms), QString()});
    std::printf("  (.csv written by sqlite3: %lld KB)\n", QFileInfo(csvFile).size() / 1024);

    std::printf("\nwindow: median of %d runs, each until the window is idle (drawn). sqlite3 all: the mode's\n"
                "statement as written for the list and the printed sheets, run to its end in the sqlite3 shell\n"
                "(.timer on, output to /dev/null); sqlite3 256: the statement the window runs, only the rows the\n"
                "grid reads before it shows anything. Orphan modes: the marking UPDATE and the marked lines in\n"
                "both columns. Opening includes the totals line. (b): the export from the button press (save\n"
                "dialog scripted) to the finished workbook, beside sqlite3 -csv -header writing the same SELECT\n"
                "to a new file. Targets: (a) window ≤ 1.5 × sqlite3, (b) ≤ 2 × sqlite3 -csv.\n",
                kRuns);
    warnings.removeDuplicates();
    for (const QString& wng : std::as_const(warnings))
        std::printf("WARNING %s\n", qPrintable(wng));
    app::setMainWindowInfo(nullptr);
    dlg::setBackend(nullptr);
    return warnings.isEmpty() ? 0 : 1;
}
