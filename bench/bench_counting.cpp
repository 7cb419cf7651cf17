// Times the count windows on a small and a large count of one closing date, beside the same work
// done by plain SQL in the sqlite3 command-line tool on the same file.
//
//   bench_counting [large lines] [small lines]      (defaults: 100000 and 1000)
//
// Two database files are generated from the template: the same masters (10,000 products, 500
// categories) and the same lines of two earlier closing dates, plus the small or the large count
// of the closing date. Each window is then driven offscreen through its own handlers and named
// controls, in a process of its own per file size, so that the memory a window takes when it
// opens is not hidden by memory an earlier measure has left behind. Every timed step includes the
// events it posts (repaints, deferred fetches) until the window is idle again.
//
// The sqlite3 column runs, for each window measure, exactly the statements the window ran on the
// large file (recorded with SQLite's trace hook, bound values written in); a statement the window
// left open, reading on as its grid scrolls, runs with the rows it read as LIMIT. 入力 is set
// beside one plain INSERT, the orphan marking beside one plain UPDATE of every line of the date.
// BENCH_TRACE=1 writes every recorded statement to stderr.
#include "BenchCount.h"
#include "BenchSupport.h"

#include "common/MainWindowInfo.h"
#include "common/WindowTable.h"
#include "counting/ClosingDateTotals.h"
#include "counting/OrphanQuestions.h"
#include "counting/frmInAmd2.h"
#include "counting/frmTana.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <dlfcn.h>
#include <unistd.h>

namespace {

using namespace benchcount;
using namespace benchsupport;

const QString kSearchShort = QStringLiteral("ボ");
const QString kSearchLong = QStringLiteral("ボールペン");

// ---------------------------------------------------------------------------------------------
// Small helpers

void result(const QString& key, double value)
{
    std::printf("R %s %.6f\n", qPrintable(key), value);
    std::fflush(stdout);
}

void warn(const QString& text)
{
    std::printf("W %s\n", qPrintable(text));
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------------------------
// The statements a window runs, from SQLite's own trace hook on the shared connection (the library
// the Qt driver loaded): each with its bound values written in, how many rows it returned and
// whether it was run to its end. The sqlite3 column replays them, so both sides do the same work.

class StatementLog {
public:
    struct Statement {
        QString sql;
        qint64 rows = 0;
        qint64 ns = -1;   // SQLite's own time; -1: still open (a grid reads on as it scrolls)
    };

    void attach()
    {
        void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
        if (!lib)
            return;
        m_trace = reinterpret_cast<TraceFn>(dlsym(lib, "sqlite3_trace_v2"));
        m_expanded = reinterpret_cast<char* (*)(void*)>(dlsym(lib, "sqlite3_expanded_sql"));
        m_free = reinterpret_cast<void (*)(void*)>(dlsym(lib, "sqlite3_free"));
        const QVariant h = db::connection().driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            m_handle = *static_cast<void* const*>(h.constData());
        if (m_trace && m_expanded && m_free && m_handle)
            m_trace(m_handle, kStmt | kProfile | kRow, &StatementLog::onEvent, this);
    }
    void detach()
    {
        if (m_trace && m_handle)
            m_trace(m_handle, 0, nullptr, nullptr);
        m_handle = nullptr;
    }
    void start()
    {
        m_statements.clear();
        m_open.clear();
    }
    const QList<Statement>& statements() const { return m_statements; }

private:
    using Callback = int (*)(unsigned, void*, void*, void*);
    using TraceFn = int (*)(void*, unsigned, Callback, void*);
    static constexpr unsigned kStmt = 0x01;
    static constexpr unsigned kProfile = 0x02;
    static constexpr unsigned kRow = 0x04;

    static int onEvent(unsigned type, void* self, void* stmt, void* x)
    {
        auto* log = static_cast<StatementLog*>(self);
        if (type == kStmt) {
            // Statements run by triggers come as comments.
            if (qstrncmp(static_cast<const char*>(x), "--", 2) == 0)
                return 0;
            char* sql = log->m_expanded(stmt);
            log->m_open.insert(stmt, log->m_statements.size());
            log->m_statements.append({QString::fromUtf8(sql ? sql : static_cast<const char*>(x))});
            log->m_free(sql);
        } else if (type == kRow) {
            if (const auto it = log->m_open.constFind(stmt); it != log->m_open.cend())
                ++log->m_statements[*it].rows;
        } else if (type == kProfile) {
            if (const auto it = log->m_open.constFind(stmt); it != log->m_open.cend()) {
                log->m_statements[*it].ns = *static_cast<qint64*>(x);
                log->m_open.erase(it);
            }
        }
        return 0;
    }

    TraceFn m_trace = nullptr;
    char* (*m_expanded)(void*) = nullptr;
    void (*m_free)(void*) = nullptr;
    void* m_handle = nullptr;
    QList<Statement> m_statements;
    QHash<void*, qsizetype> m_open;
};

StatementLog& statementLog()
{
    static StatementLog log;
    return log;
}

// What a measured step ran, kept per measure (the last repetition wins) and handed to the parent
// with the times. A statement the window left open (a grid reading on as it scrolls) is replayed
// with the rows it read as LIMIT. With BENCH_TRACE set, every statement also goes to stderr.
QMap<QString, QStringList>& replays()
{
    static QMap<QString, QStringList> r;
    return r;
}

void keepStatements(const QString& key)
{
    QStringList group;
    for (const StatementLog::Statement& s : statementLog().statements()) {
        QString sql = s.sql.simplified();
        if (s.ns < 0 && sql.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)
            && !sql.contains(QLatin1String(" LIMIT "), Qt::CaseInsensitive))
            sql += QStringLiteral(" LIMIT %1").arg(s.rows);
        group << sql;
        if (!qEnvironmentVariableIsEmpty("BENCH_TRACE"))
            std::fprintf(stderr, "%s\t%s\t%lld rows\t%s\n", qPrintable(key),
                         s.ns < 0 ? "open" : qPrintable(QString::number(s.ns / 1e6, 'f', 0) + " ms"), s.rows,
                         qPrintable(sql.left(300)));
    }
    replays()[key] = group;
}

void reportStatements()
{
    for (auto it = replays().cbegin(); it != replays().cend(); ++it)
        for (const QString& sql : it.value())
            std::printf("Q %s %s\n", qPrintable(it.key()), qPrintable(sql));
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------------------------
// The windows, driven in a child process

class BenchMainWindow : public app::MainWindowInfo {
public:
    QDate closingDate() const override { return kClosingDate; }
    QString openFileName() const override { return db::openPath(); }
};

void reportMessages(const dlg::ScriptedBackend& dialogs, qsizetype from, const QString& during)
{
    for (qsizetype i = from; i < dialogs.shown.size(); ++i) {
        const dlg::Shown& s = dialogs.shown.at(i);
        // The orphan question is expected: every count carries a few lines of a deleted category.
        if (s.text == counting::kAskOrphanCategory)
            continue;
        warn(during + QStringLiteral(": unexpected message \"") + s.text + '"');
    }
}

qint64 linesOfDate()
{
    return db::scalar(QStringLiteral("SELECT COUNT(*) FROM 棚卸マスター WHERE 日付 = ?"), {db::isoDate(kClosingDate)})
        .toLongLong();
}

// Rows a grid shows (fetched so far); -1 when there is no such grid.
int gridRows(QWidget* window, const char* name)
{
    const auto* view = window->findChild<QAbstractItemView*>(QString::fromLatin1(name));
    return view && view->model() ? view->model()->rowCount() : -1;
}

template <class W>
W* control(QWidget* window, const char* name)
{
    W* w = window->findChild<W*>(QString::fromLatin1(name));
    if (!w)
        throw std::runtime_error(std::string("control not found: ") + name);
    return w;
}

// Types one character into a box as the keyboard does, so the box reports a user's edit.
void typeChar(QWidget* box, QChar c)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &release);
}

// Opens a window once on an empty file first, so that one-time costs of the toolkit (styles,
// fonts, the first window) do not count against the first measured opening.
void warmUp(const QString& emptyDb, const std::function<void()>& open)
{
    db::open(emptyDb);
    open();
    forms::unloadAll();
    dropUnloaded();
    db::close();
}

int entryWindowChild(const QString& dbPath, const QString& emptyDb, dlg::ScriptedBackend& dialogs)
{
    warmUp(emptyDb, [] {
        windows::open(QStringLiteral("frmTana"), windows::Show::Modeless);
        settle();
    });
    db::open(dbPath);
    statementLog().attach();
    const QList<Product> list = products();

    // Opening, as the main window opens it: load, show, first activation. Memory at the first.
    QList<double> openMs;
    const double rss0 = residentMb();
    QElapsedTimer t;
    statementLog().start();
    t.start();
    windows::open(QStringLiteral("frmTana"), windows::Show::Modeless);
    settle();
    openMs << msSince(t);
    keepStatements(QStringLiteral("open_tana"));
    frmTana* w = forms::find<frmTana>();
    if (!w)
        throw std::runtime_error("棚卸入力 did not open");
    result(QStringLiteral("open_tana_rss"), residentMb() - rss0);
    reportMessages(dialogs, 0, QStringLiteral("opening 棚卸入力"));

    // 入力: the boxes filled as the user fills them (leaving the category and product boxes runs
    // their lookups), then the button. Only the button is timed, and not at its first press, which
    // also prepares what every later press reuses.
    auto* nouhin = control<DataCombo>(w, "dbcNouhin");
    auto* shohin = control<DataCombo>(w, "dbcShohin");
    auto* tani = control<DataCombo>(w, "dbcTani");
    auto* cnt = control<QLineEdit>(w, "txtCnt");
    auto* tanka = control<QLineEdit>(w, "txtTanka");
    control<QWidget>(w, "cmdSubAdd");
    control<QWidget>(w, "dgdSub");
    control<QLineEdit>(w, "Text3");
    control<QLineEdit>(w, "Text1");
    const qint64 before = linesOfDate();
    QList<double> addMs;
    constexpr int presses = 16;
    std::mt19937 rng(7);
    for (int i = 0; i < presses; ++i) {
        const int k = int(rng() % unsigned(list.size()));
        const Product& p = list.at(k);
        nouhin->setText(categoryName(p.group * kCategoryPlaces + 1 + i % kCategoryPlaces));
        w->dbcNouhin_LostFocus();
        shohin->setText(p.name);
        w->dbcShohin_LostFocus();
        cnt->setText(QString::number(3 + i));
        tani->setText(p.unit);
        tanka->setText(QStringLiteral("120"));
        settle();
        const qsizetype shown = dialogs.shown.size();
        statementLog().start();
        t.restart();
        w->cmdSubAdd_Click();
        settle();
        if (i > 0)
            addMs << msSince(t);
        keepStatements(QStringLiteral("add"));
        reportMessages(dialogs, shown, QStringLiteral("入力"));
    }
    if (linesOfDate() != before + presses)
        warn(QStringLiteral("入力 stored %1 lines instead of %2").arg(linesOfDate() - before).arg(presses));
    result(QStringLiteral("add"), medianOf(addMs));

    // Leaving the product box with one character: a lookup that finds nothing and the history of
    // every line whose name contains it. Memory at the first time.
    QList<double> leaveMs;
    double leaveRss = 0;
    for (int i = 0; i < 3; ++i) {
        shohin->setText(kSearchShort);
        settle();
        const double r0 = residentMb();
        const qsizetype shown = dialogs.shown.size();
        statementLog().start();
        t.restart();
        w->dbcShohin_LostFocus();
        settle();
        leaveMs << msSince(t);
        keepStatements(QStringLiteral("leave_product"));
        if (i == 0)
            leaveRss = residentMb() - r0;
        if (gridRows(w, "MSFlexGrid1") == 0)
            warn(QStringLiteral("the history grid is empty after leaving the product box with \"%1\"").arg(kSearchShort));
        reportMessages(dialogs, shown, QStringLiteral("leaving the product box"));
    }
    result(QStringLiteral("leave_product"), medianOf(leaveMs));
    result(QStringLiteral("leave_product_rss"), leaveRss);

    w->unload();
    dropUnloaded();
    for (int i = 0; i < 4; ++i) {
        statementLog().start();
        t.restart();
        windows::open(QStringLiteral("frmTana"), windows::Show::Modeless);
        settle();
        openMs << msSince(t);
        keepStatements(QStringLiteral("open_tana"));
        if (frmTana* again = forms::find<frmTana>())
            again->unload();
        dropUnloaded();
    }
    result(QStringLiteral("open_tana"), medianOf(openMs));
    statementLog().detach();
    db::close();
    reportStatements();
    return 0;
}

int correctionWindowChild(const QString& dbPath, const QString& emptyDb, dlg::ScriptedBackend& dialogs)
{
    warmUp(emptyDb, [] {
        forms::setModalDriver(nullptr);
        windows::open(QStringLiteral("frmInAmd2"), windows::Show::Modal);
        settle();
    });
    db::open(dbPath);
    statementLog().attach();

    // The window opens modal: the driver runs once it is shown and activated (its orphan check
    // done), and the window is unloaded when the driver returns.
    QElapsedTimer t;
    QList<double> openMs;
    double rss0 = 0;
    double openRss = 0;
    bool first = true;
    QMap<QString, QList<double>> keyMs;
    QList<double> checkMs;
    forms::setModalDriver([&](Form* f) {
        settle();
        openMs << msSince(t);
        keepStatements(QStringLiteral("open_amd"));
        if (!first)
            return;
        first = false;
        openRss = residentMb() - rss0;
        reportMessages(dialogs, 0, QStringLiteral("opening 棚卸表訂正"));

        // One keystroke in the product box: the text up to its last character is already there,
        // the last character is typed.
        auto* shohin = control<DataCombo>(f, "dbcShohin");
        control<QWidget>(f, "dgdSub");
        control<QLineEdit>(f, "Text1");
        for (const QString& text : {kSearchShort, kSearchLong}) {
            for (int i = 0; i < 3; ++i) {
                shohin->setText(text.chopped(1));
                settle();
                const qsizetype shown = dialogs.shown.size();
                statementLog().start();
                t.restart();
                typeChar(shohin->lineEdit(), text.back());
                settle();
                keyMs[text] << msSince(t);
                keepStatements(text == kSearchShort ? QStringLiteral("key_short") : QStringLiteral("key_long"));
                reportMessages(dialogs, shown, QStringLiteral("product search"));
                if (gridRows(f, "dgdSub") == 0)
                    warn(QStringLiteral("no line listed for \"%1\"").arg(text));
                if (shohin->text() != text)
                    warn(QStringLiteral("product box reads \"%1\" after typing \"%2\"").arg(shohin->text(), text));
            }
        }
        auto* amd = static_cast<frmInAmd2*>(f);
        for (int i = 0; i < 3; ++i) {
            statementLog().start();
            t.restart();
            amd->CheckOrphanCategory();
            settle();
            checkMs << msSince(t);
            keepStatements(QStringLiteral("check_window"));
        }
    });
    for (int i = 0; i < 5; ++i) {
        dialogs.shown.clear();
        rss0 = residentMb();
        statementLog().start();
        t.start();
        windows::open(QStringLiteral("frmInAmd2"), windows::Show::Modal);
        dropUnloaded();
    }
    forms::setModalDriver(nullptr);
    if (openMs.size() != 5)
        warn(QStringLiteral("棚卸表訂正 opened %1 times instead of 5").arg(openMs.size()));
    result(QStringLiteral("open_amd"), medianOf(openMs));
    result(QStringLiteral("open_amd_rss"), openRss);
    result(QStringLiteral("key_short"), medianOf(keyMs.value(kSearchShort)));
    result(QStringLiteral("key_long"), medianOf(keyMs.value(kSearchLong)));
    result(QStringLiteral("check_window"), medianOf(checkMs));

    // The data work alone, without a window.
    QList<double> markMs;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        counting::markOrphans(kClosingDate, counting::OrphanKey::Category);
        markMs << msSince(t);
    }
    result(QStringLiteral("mark"), medianOf(markMs));
    QList<double> totalMs;
    QString totals;
    for (int i = 0; i < 7; ++i) {
        t.restart();
        totals = counting::totalsText(kClosingDate);
        totalMs << msSince(t);
    }
    result(QStringLiteral("total"), medianOf(totalMs));
    std::printf("T %s\n", qPrintable(totals));
    statementLog().detach();
    db::close();
    reportStatements();
    return 0;
}

// The offscreen platform says on every window that it cannot raise it; nothing else is dropped.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

int child(int argc, char** argv)
{
    qInstallMessageHandler(quietPlatform);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevotane"));
    QApplication::setOrganizationName(QStringLiteral("Brevotane"));
    const QStringList args = app.arguments();
    const QString kind = args.value(2);
    dlg::ScriptedBackend dialogs;
    dlg::setBackend(&dialogs);
    forms::setTestMode(true);
    BenchMainWindow mainWindow;
    app::setMainWindowInfo(&mainWindow);
    try {
        if (kind == QLatin1String("entry"))
            return entryWindowChild(args.value(3), args.value(4), dialogs);
        if (kind == QLatin1String("correction"))
            return correctionWindowChild(args.value(3), args.value(4), dialogs);
    } catch (const std::exception& e) {
        warn(QStringLiteral("%1 stopped: %2").arg(kind, QString::fromUtf8(e.what())));
        return 1;
    }
    return 2;
}

// ---------------------------------------------------------------------------------------------
// The same work in sqlite3

struct SqlResult {
    double ms = std::nan("");
    QString error;
};

// Runs the statements (one group, on one line so the shell times them together) `times` times per
// line, on three lines; returns the median per group.
SqlResult sqliteRun(const QString& file, const QString& group, int times)
{
    QString script = QStringLiteral(".timer on\n.output /dev/null\n");
    QStringList line;
    for (int i = 0; i < times; ++i)
        line << group;
    for (int i = 0; i < 3; ++i)
        script += line.join(' ') + '\n';
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file});
    SqlResult r;
    if (!p.waitForStarted()) {
        r.error = QStringLiteral("sqlite3 not found (make deps installs it)");
        return r;
    }
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(120000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    if (!err.isEmpty())
        r.error = err.section('\n', 0, 0);
    static const QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    QList<double> runs;
    for (auto it = re.globalMatch(out); it.hasNext();)
        runs << it.next().captured(1).toDouble() * 1000.0 / times;
    if (runs.size() == 3)
        r.ms = medianOf(runs);
    else if (r.error.isEmpty())
        r.error = QStringLiteral("no timing from sqlite3");
    return r;
}

// The shell reports milliseconds: a quick group is repeated on its line until the line takes long
// enough to be timed well. The first run only finds that count (and warms the file's pages).
SqlResult sqliteTime(const QString& file, const QString& group, int maxTimes)
{
    SqlResult r = sqliteRun(file, group, 1);
    if (!r.error.isEmpty() || std::isnan(r.ms))
        return r;
    int times = 1;
    if (r.ms < 50.0 && maxTimes > 1)
        times = std::clamp(int(std::ceil(100.0 / std::max(r.ms, 0.2))), 2, maxTimes);
    // Like the windows: the lower of two rounds.
    r = sqliteRun(file, group, times);
    const SqlResult again = sqliteRun(file, group, times);
    if (again.error.isEmpty() && !std::isnan(again.ms) && (std::isnan(r.ms) || again.ms < r.ms))
        r.ms = again.ms;
    return r;
}

QString sqlQuoted(const QString& s)
{
    return '\'' + QString(s).replace('\'', QStringLiteral("''")) + '\'';
}

// ---------------------------------------------------------------------------------------------
// The table

int displayWidth(const QString& s)
{
    int w = 0;
    for (const QChar c : s) {
        const ushort u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
                          || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
                          || (u >= 0xFFE0 && u <= 0xFFE6);
        w += wide ? 2 : 1;
    }
    return w;
}

QString padRight(const QString& s, int width)
{
    return s + QString(std::max(0, width - displayWidth(s)), ' ');
}

QString padLeft(const QString& s, int width)
{
    return QString(std::max(0, width - displayWidth(s)), ' ') + s;
}

QString grouped(int n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, ',');
    return digits;
}

// 100000 → "100k", for the ratio headings.
QString shortSize(int n)
{
    return n % 1000 == 0 ? QString::number(n / 1000) + 'k' : QString::number(n);
}

QString figure(double v, const QString& unit)
{
    if (std::isnan(v))
        return QStringLiteral("-");
    const int decimals = std::fabs(v) < 10 ? 2 : 1;
    return QString::number(v, 'f', decimals) + ' ' + unit;
}

QString ratio(double a, double b)
{
    if (std::isnan(a) || std::isnan(b) || b <= 0)
        return QStringLiteral("-");
    return QString::number(a / b, 'f', a / b < 10 ? 2 : 0);
}

struct Row {
    QString label;
    QString key;        // child result key
    QString unit;       // "ms" or "MB"
    QString sqlGroup;   // empty: no sqlite3 counterpart
    int sqlMaxTimes = 200;
    QString target;
};

QMap<QString, double> runChild(const QString& kind, const QString& dbPath, const QString& emptyDb, QStringList& warnings,
                               QString* totals, QMap<QString, QStringList>* statements)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind, dbPath, emptyDb});
    p.waitForFinished(600000);
    QMap<QString, double> results;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    const QString size = QFileInfo(dbPath).completeBaseName();
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("R ")))
            results.insert(line.section(' ', 1, 1), line.section(' ', 2, 2).toDouble());
        else if (line.startsWith(QLatin1String("W ")))
            warnings << size + QStringLiteral(" / ") + kind + QStringLiteral(": ") + line.mid(2);
        else if (line.startsWith(QLatin1String("T ")) && totals)
            *totals = line.mid(2);
        else if (line.startsWith(QLatin1String("Q ")) && statements)
            (*statements)[line.section(' ', 1, 1)] << line.section(' ', 2);
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        warnings << size + QStringLiteral(" / ") + kind + QStringLiteral(": the measuring process ended with code %1")
                                                              .arg(p.exitCode());
    return results;
}

int parent(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QElapsedTimer whole;
    whole.start();
    const QStringList args = app.arguments();
    const int large = args.size() > 1 ? args.at(1).toInt() : 100000;
    const int small = args.size() > 2 ? args.at(2).toInt() : 1000;
    if (large <= 0 || small <= 0) {
        std::fprintf(stderr, "usage: bench_counting [large lines] [small lines]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString emptyDb = dir.filePath(QStringLiteral("empty.idb"));
    const QString baseDb = dir.filePath(QStringLiteral("base.idb"));
    const QString smallDb = dir.filePath(QStringLiteral("small.idb"));
    const QString largeDb = dir.filePath(QStringLiteral("large.idb"));
    const QString tmpl = QStringLiteral(BREVOTANE_TEMPLATE_PATH);
    if (!copyTemplate(tmpl, emptyDb) || !copyTemplate(tmpl, baseDb)) {
        std::fprintf(stderr, "cannot copy the template database %s\n", qPrintable(tmpl));
        return 1;
    }

    QElapsedTimer gen;
    gen.start();
    int earlierLines = 0;
    try {
        const QList<Product> list = products();
        {
            Generator g(baseDb);
            g.masters(list);
            unsigned seed = 1;
            for (const auto& [date, count] : kEarlierCounts) {
                g.lines(list, date, count, seed++, false);
                earlierLines += count;
            }
        }
        for (const auto& [path, count] : {qMakePair(smallDb, small), qMakePair(largeDb, large)}) {
            copyTemplate(baseDb, path);
            Generator g(path);
            g.lines(list, kClosingDate, count, 2026, true);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generating the count failed: %s\n", e.what());
        return 1;
    }
    std::printf("Count of %s: %s and %s lines; %s products, %d categories, %s lines of earlier dates "
                "(generated in %.1f s)\n",
                qPrintable(kClosingDate.toString(QStringLiteral("yyyy/MM/dd"))), qPrintable(grouped(small)),
                qPrintable(grouped(large)), qPrintable(grouped(kProducts)), kCategoryGroups * kCategoryPlaces,
                qPrintable(grouped(earlierLines)), gen.nsecsElapsed() / 1e9);
    std::fflush(stdout);

    QStringList warnings;
    QString totalsSmall;
    QString totalsLarge;
    // Two rounds, the sizes taking turns, so that a burst of load on the machine (a build, a disk
    // flush) hits one round and not one size: each time is the lower of its two medians. Memory
    // is taken from the first round, whose processes started from the same state.
    QMap<QString, double> atSmall;
    // What the windows ran on the large file, for sqlite3 to run the same.
    QMap<QString, QStringList> windowStatements;
    QMap<QString, double> atLarge;
    for (int round = 0; round < 2; ++round) {
        for (const char* kind : {"entry", "correction"}) {
            for (const bool isLarge : {false, true}) {
                QMap<QString, double>& into = isLarge ? atLarge : atSmall;
                const QMap<QString, double> got =
                    runChild(QString::fromLatin1(kind), isLarge ? largeDb : smallDb, emptyDb, warnings,
                             isLarge ? &totalsLarge : &totalsSmall, isLarge && round == 0 ? &windowStatements : nullptr);
                for (auto it = got.constBegin(); it != got.constEnd(); ++it) {
                    if (!into.contains(it.key()))
                        into.insert(it.key(), it.value());
                    else if (!it.key().endsWith(QLatin1String("_rss")))
                        into[it.key()] = std::min(into.value(it.key()), it.value());
                }
            }
        }
    }

    const QString d = sqlQuoted(db::isoDate(kClosingDate));
    const QString total = QStringLiteral("SELECT SUM(価格) AS 合計, COUNT(価格) AS 件数 FROM 棚卸マスター WHERE 日付 = %1;").arg(d);
    const QString mark = QStringLiteral("UPDATE 棚卸マスター SET 区分調整 = CASE WHEN 項目ID IN (SELECT 項目ID FROM 項目分類) "
                                        "THEN 0 ELSE 1 END WHERE 日付 = %1;")
                             .arg(d);
    // The statements a window step ran, as one group for the shell.
    auto sameAsWindow = [&](const QString& key) {
        const QStringList group = windowStatements.value(key);
        if (group.isEmpty())
            warnings << QStringLiteral("no statements recorded for %1").arg(key);
        return group.isEmpty() ? QString() : group.join(QStringLiteral("; ")) + ';';
    };
    const QString insert =
        QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考, 品名ID) "
                       "SELECT MAX(ID) + 1, %1, 1, %2, 3, '本', 120, 360, '', 1 FROM 棚卸マスター;")
            .arg(d, sqlQuoted(productName(0)));

    const QList<Row> rows{
        {QStringLiteral("入力 (cmdSubAdd_Click)"), QStringLiteral("add"), QStringLiteral("ms"), insert, 20,
         QStringLiteral("≤ 1.2 × small")},
        {QStringLiteral("open 棚卸入力 (frmTana)"), QStringLiteral("open_tana"), QStringLiteral("ms"),
         sameAsWindow(QStringLiteral("open_tana")), 200, QStringLiteral("≤ 1.5 × sqlite3")},
        {QStringLiteral("  memory (RSS) growth"), QStringLiteral("open_tana_rss"), QStringLiteral("MB"), QString(), 0,
         QStringLiteral("flat")},
        {QStringLiteral("open 棚卸表訂正 (frmInAmd2)"), QStringLiteral("open_amd"), QStringLiteral("ms"),
         sameAsWindow(QStringLiteral("open_amd")), 20, QStringLiteral("≤ 1.5 × sqlite3")},
        {QStringLiteral("  memory (RSS) growth"), QStringLiteral("open_amd_rss"), QStringLiteral("MB"), QString(), 0,
         QStringLiteral("flat")},
        {QStringLiteral("訂正 search, key → \"%1\"").arg(kSearchShort), QStringLiteral("key_short"),
         QStringLiteral("ms"), sameAsWindow(QStringLiteral("key_short")), 200, QStringLiteral("≤ 1.5 × sqlite3")},
        {QStringLiteral("訂正 search, key → \"%1\"").arg(kSearchLong), QStringLiteral("key_long"),
         QStringLiteral("ms"), sameAsWindow(QStringLiteral("key_long")), 200, QStringLiteral("≤ 1.5 × sqlite3")},
        {QStringLiteral("入力 leave product box \"%1\"").arg(kSearchShort), QStringLiteral("leave_product"),
         QStringLiteral("ms"), sameAsWindow(QStringLiteral("leave_product")), 200, QStringLiteral("≤ 1.5 × sqlite3")},
        {QStringLiteral("  memory (RSS) growth"), QStringLiteral("leave_product_rss"), QStringLiteral("MB"), QString(), 0,
         QStringLiteral("flat")},
        {QStringLiteral("orphan check (markOrphans)"), QStringLiteral("mark"), QStringLiteral("ms"), mark, 20,
         QStringLiteral("beside UPDATE")},
        {QStringLiteral("orphan check (CheckOrphanCategory)"), QStringLiteral("check_window"), QStringLiteral("ms"),
         sameAsWindow(QStringLiteral("check_window")), 20, QString()},
        {QStringLiteral("ShowTotal (totalsText)"), QStringLiteral("total"), QStringLiteral("ms"), total, 200, QString()},
    };

    const bool haveSqlite = !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
    if (!haveSqlite)
        warnings << QStringLiteral("sqlite3 is not installed (make deps installs it): no plain-SQL column");

    const QString smallHead = QStringLiteral("at ") + grouped(small);
    const QString largeHead = QStringLiteral("at ") + grouped(large);
    const QList<int> widths{38, 11, 11, 11, 9, 9, 15};
    const QStringList head{QStringLiteral("measure"), smallHead, largeHead, QStringLiteral("sqlite3"),
                           shortSize(large) + '/' + shortSize(small), shortSize(large) + QStringLiteral("/sql"),
                           QStringLiteral("target")};
    auto printRow = [&](const QStringList& cells) {
        QString out = padRight(cells.at(0), widths.at(0));
        for (int i = 1; i < cells.size(); ++i)
            out += (i == cells.size() - 1 ? QStringLiteral("  ") + cells.at(i) : QStringLiteral(" ") + padLeft(cells.at(i), widths.at(i)));
        std::printf("%s\n", qPrintable(out));
    };
    std::printf("\n");
    printRow(head);
    std::printf("%s\n", qPrintable(QString(112, '-')));
    for (const Row& row : rows) {
        const double a = atSmall.value(row.key, std::nan(""));
        const double b = atLarge.value(row.key, std::nan(""));
        SqlResult sql;
        if (haveSqlite && !row.sqlGroup.isEmpty()) {
            sql = sqliteTime(largeDb, row.sqlGroup, row.sqlMaxTimes);
            if (!sql.error.isEmpty())
                warnings << QStringLiteral("sqlite3 for %1: %2").arg(row.label, sql.error);
        }
        printRow({row.label, figure(a, row.unit), figure(b, row.unit), figure(sql.ms, QStringLiteral("ms")), ratio(b, a),
                  ratio(b, sql.ms), row.target});
    }
    std::printf("\nsqlite3: the statements the window ran (traced; a statement left open for the grid runs with\n"
                "the rows it read as LIMIT), in the sqlite3 shell on the %s-line file (`.timer on`, real\n"
                "time; a quick group is repeated on one line and divided); 入力 beside one INSERT, markOrphans\n"
                "beside one plain UPDATE. Window times: the lower of two rounds' medians, each run until the\n"
                "window is idle. Ratios: the large count's time over the small count's, and over sqlite3's.\n",
                qPrintable(grouped(large)));
    std::printf("Totals line: %s | %s\n", qPrintable(totalsSmall), qPrintable(totalsLarge));
    warnings.removeDuplicates();
    for (const QString& w : std::as_const(warnings))
        std::printf("WARNING %s\n", qPrintable(w));
    std::printf("Whole run: %.1f s\n", whole.nsecsElapsed() / 1e9);
    return warnings.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise, with settings and runtime files of its own, so a run never
    // moves the user's windows or touches their settings.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    QDir().mkpath(home.path() + "/runtime");
    QFile::setPermissions(home.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + "/runtime"));
    return parent(argc, argv);
}
