// Times the full A4 count sheet into a PDF file through the page engine, beside the same texts and
// rules drawn by plain QPainter calls into a PDF of the same resolution, and shows the memory each
// takes at two sizes, so that memory flat in the number of pages can be seen. Then the same for the
// count-entry book of an earlier closing date.
//
//   bench_print [lines] [categories] [book lines] [book categories]
//                                         (defaults: 10000, 50, 10000 and 500)
//
// Each measure runs in a process of its own (three runs each, the median is shown), so the
// memory one leaves behind is not charged to the next. The small size is a fifth of the lines
// over the same categories.
#include "platform/Db.h"
#include "platform/PrinterObject.h"
#include "platform/PrinterPainter.h"
#include "printing/CountSheet.h"
#include "printing/EntryBook.h"
#include "printing/PagePrimitives.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <optional>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using benchsupport::peakMb;
using benchsupport::residentMb;

namespace {

const QDate kDate(2026, 3, 31);
const QDate kEarlier(2025, 3, 31);   // the count-entry book's previous count
constexpr int kRuns = 3;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? std::nan("") : v.at(v.size() / 2);
}

// A database with the given lines of the date spread evenly over the categories.
void makeDatabase(const QString& path, int lines, int categories, const QDate& date)
{
    QFile::remove(path);
    QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    db::open(path);
    {
        db::Transaction t;
        for (int c = 1; c <= categories; ++c)
            db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)", {c, QStringLiteral("分類%1").arg(c)});
        QSqlQuery q(db::connection());
        q.prepare("INSERT INTO 棚卸マスター (日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < lines; ++i) {
            const double qty = (i % 7 == 0) ? 2.25 + i % 5 : 1 + i % 40;
            const double price = 100 + (i * 37) % 5000;
            q.addBindValue(db::isoDate(date));
            q.addBindValue(1 + i % categories);
            q.addBindValue(QStringLiteral("ボールペン　黒　品番%1").arg(i));
            q.addBindValue(qty);
            q.addBindValue(QStringLiteral("本"));
            q.addBindValue(price);
            q.addBindValue(std::round(qty * price));
            q.addBindValue(i % 3 == 0 ? QVariant(QStringLiteral("棚%1").arg(i % 12)) : QVariant());
            q.exec();
        }
        t.commit();
    }
    db::close();
}

// A PDF of the engine's resolution drawn by plain QPainter calls in millimetres, in the engine's
// fonts and measured with the same metrics.
class PlainPdf {
public:
    explicit PlainPdf(const QString& file) : printer(QPrinter::HighResolution)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(576);
        printer.setFullPage(false);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}));
        p.begin(&printer);
        fm.emplace(text, &printer);
        tfm.emplace(title, &printer);
        solid.setCapStyle(Qt::FlatCap);
        dotted.setCapStyle(Qt::FlatCap);
        dotted.setDashPattern({6, 6});
    }

    void at(double x, double y, const QString& s) { drawIn(text, fm->ascent(), x, y, s); }
    void titleAt(double x, double y, const QString& s) { drawIn(title, tfm->ascent(), x, y, s); }
    void right(double base, double y, const QString& ref, const QString& s, const QString& measured)
    {
        at(base + (fm->horizontalAdvance(ref) - fm->horizontalAdvance(measured)) / px, y, s);
    }
    void line(double x1, double y1, double x2, double y2, const QPen& pen)
    {
        p.setPen(pen);
        p.drawLine(QPointF(x1 * px, y1 * px), QPointF(x2 * px, y2 * px));
    }
    // A new page after the first; returns its number.
    int newFrame()
    {
        if (pages > 0)
            printer.newPage();
        return ++pages;
    }
    // The rounded box round the rows.
    void roundBox()
    {
        p.setPen(solid);
        p.drawArc(QRectF(12 * px, 29 * px, 2 * px, 2 * px), 90 * 16, 90 * 16);
        p.drawArc(QRectF(12 * px, 268 * px, 2 * px, 2 * px), 180 * 16, 90 * 16);
        p.drawArc(QRectF(190 * px, 268 * px, 2 * px, 2 * px), 270 * 16, 90 * 16);
        p.drawArc(QRectF(190 * px, 29 * px, 2 * px, 2 * px), 0, 90 * 16);
        line(13, 29, 191, 29, solid);
        line(12, 30, 12, 269, solid);
        line(13, 270, 191, 270, solid);
        line(192, 30, 192, 269, solid);
    }
    // The dotted columns and rows and the rule above the subtotal.
    void gridLines()
    {
        for (double x : {82.0, 102.0, 112.0, 137.0, 162.0})
            line(x, 29, x, 270, dotted);
        for (int y = 42; y <= 250; y += 8)
            line(12, y, 192, y, dotted);
        line(12, 258, 192, 258, solid);
    }
    void pageNumber()
    {
        at(192, 10, QStringLiteral("頁"));
        right(185, 10, QStringLiteral("頁"), QStringLiteral(" %1 ").arg(pages), QString::number(pages));
    }
    void heading(const QString& name)
    {
        at(12, 18, QStringLiteral("項目"));
        at(20, 18, name);
    }
    int end()
    {
        p.end();
        return pages;
    }

    QPrinter printer;
    QPainter p;
    QPen solid{Qt::black, 1}, dotted{Qt::black, 1};

private:
    void drawIn(const QFont& f, double ascent, double x, double y, const QString& s)
    {
        p.setFont(f);
        p.drawText(QPointF(x * px, y * px + ascent), s);
    }

    const double px = 576 / 25.4;
    const QFont title = prn::printFont(QStringLiteral("ＭＳ 明朝"), 14.25);
    const QFont text = prn::printFont(QStringLiteral("ＭＳ 明朝"), 9.75);
    std::optional<QFontMetricsF> fm, tfm;
    int pages = 0;
};

// Each category of 1 and above in key order with its lines of the date, read as the engines read
// them.
void forEachCategory(const QDate& date, const std::function<void(const QString& name, QSqlQuery& lines)>& f)
{
    QSqlQuery cats(db::connection());
    cats.setForwardOnly(true);
    cats.exec("SELECT 項目ID, 項目分類名 FROM 項目分類 WHERE 項目ID >= 1 ORDER BY 項目ID");
    while (cats.next()) {
        QSqlQuery q(db::connection());
        q.setForwardOnly(true);
        q.prepare("SELECT 品名, 数量, 単位, 単価, 価格, 備考 FROM 棚卸マスター WHERE 日付 = ? AND 項目ID = ? ORDER BY 日付, ID");
        q.addBindValue(db::isoDate(date));
        q.addBindValue(cats.value(0));
        q.exec();
        f(cats.value(1).toString(), q);
    }
}

// The same sheet by plain QPainter calls: the same query per category, the same texts at the
// same places, the same rules, measured with the same font metrics.
int paintPlain(const QString& file)
{
    PlainPdf d(file);
    const QString date = kDate.toString(QStringLiteral("yyyy/MM/dd"));
    auto frame = [&](const QString& name) {
        d.newFrame();
        d.p.setPen(Qt::black);
        d.titleAt(87, 11, QStringLiteral("棚　卸　表"));
        for (auto [x, s] : {std::pair{22.0, "品　名"}, {85.0, "数　量"}, {103.0, "単位"}, {117.0, "単　価"},
                            {142.0, "価　格"}, {167.0, "備考"}})
            d.at(x, 30, QString::fromUtf8(s));
        d.pageNumber();
        d.at(142, 20, QStringLiteral("日付　　　　　　　　　日現在"));
        d.at(152, 20, date);
        d.roundBox();
        d.line(72, 16, 122, 16, d.solid);
        d.line(12, 35, 192, 35, d.solid);
        d.gridLines();
        d.p.setPen(Qt::black);
        d.heading(name);
    };
    auto subtotal = [&](double sub) {
        d.at(17, 258, QStringLiteral("小計"));
        d.right(154, 258, QStringLiteral("小計"), printing::amountText(sub), printing::amountText(sub));
    };
    double total = 0;
    forEachCategory(kDate, [&](const QString& name, QSqlQuery& q) {
        frame(name);
        int row = 0;
        double sub = 0;
        while (q.next()) {
            if (row > 27) {
                subtotal(sub);
                frame(name);
                row = 0;
                sub = 0;
            }
            const double y = 38 + 8 * row;
            d.at(15, y, q.value(0).toString());
            const double qty = q.value(1).toDouble(), price = q.value(3).toDouble(), amount = q.value(4).toDouble();
            d.right(90, y, QStringLiteral("数量"), printing::wholeOrTwoDecimals(qty), printing::amountText(std::trunc(qty)));
            d.at(103, y, q.value(2).toString());
            d.right(125, y, QStringLiteral("単価"), printing::wholeOrTwoDecimals(price), printing::amountText(std::trunc(price)));
            d.right(154, y, QStringLiteral("価格"), printing::amountText(amount), printing::amountText(amount));
            if (!q.value(5).isNull())
                d.at(164, y, q.value(5).toString());
            sub += amount;
            total += amount;
            ++row;
        }
        subtotal(sub);
    });
    d.at(17, 262, QStringLiteral("合計"));
    d.right(154, 262, QStringLiteral("合計"), printing::amountText(total), printing::amountText(total));
    return d.end();
}

// The count-entry book by plain QPainter calls: the same queries, texts, places and rules as the
// engine's book.
int paintPlainBook(const QString& file)
{
    PlainPdf d(file);
    const QString date = kEarlier.toString(QStringLiteral("yyyy/MM/dd"));
    auto frame = [&](const QString& name) {
        d.newFrame();
        d.roundBox();
        d.line(72, 16, 142, 16, d.solid);
        d.p.setPen(Qt::black);
        d.titleAt(87, 11, QStringLiteral("棚　卸　記　入　帳"));
        d.at(22, 30, QStringLiteral("品　名"));
        d.line(12, 35, 192, 35, d.solid);
        d.p.setPen(Qt::black);
        for (auto [x, s] : {std::pair{85.0, "数　量"}, {103.0, "単位"}, {117.0, "参考単価"}, {142.0, "単　価"},
                            {167.0, "備考"}})
            d.at(x, 30, QString::fromUtf8(s));
        d.gridLines();
        d.p.setPen(Qt::black);
        d.pageNumber();
        d.at(142, 20, QStringLiteral("前期棚卸日"));
        d.at(165, 20, date);
        d.heading(name);
    };
    forEachCategory(kEarlier, [&](const QString& name, QSqlQuery& q) {
        frame(name);
        int row = 0;
        while (q.next()) {
            if (row > 27) {
                frame(name);
                row = 0;
            }
            const double y = 38 + 8 * row;
            d.at(15, y, q.value(0).toString());
            d.at(103, y, q.value(2).toString());
            const double price = q.value(3).toDouble();
            d.right(125, y, QStringLiteral("単価"), printing::wholeOrTwoDecimals(price), printing::amountText(std::trunc(price)));
            ++row;
        }
    });
    return d.end();
}

// One measure: prints "ms pages rssBeforeMb rssAfterMb peakMb pdfKb".
int child(char** argv)
{
    int argc = 1;
    QApplication app(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const QString dbPath = QString::fromLocal8Bit(argv[3]);
    const QString pdf = QString::fromLocal8Bit(argv[4]);
    db::open(dbPath);
    // Fonts found and loaded before the first reading, for both alike.
    QFontMetricsF(prn::printFont(QStringLiteral("ＭＳ 明朝"), 9.75)).horizontalAdvance(QStringLiteral("棚卸"));
    const double before = residentMb();
    QElapsedTimer t;
    t.start();
    int pages = 0;
    if (mode == QLatin1String("engine")) {
        prn::PdfFilePrinter printer(QStringLiteral("PDF"), pdf);
        printing::SheetRequest r;
        r.date = kDate;
        r.fontName = QStringLiteral("ＭＳ 明朝");
        const auto result = printing::PrintA4Full(printer, r);
        if (!result.printed)
            return 2;
        pages = result.pages;
    } else if (mode == QLatin1String("book")) {
        prn::PdfFilePrinter printer(QStringLiteral("PDF"), pdf);
        printing::SheetRequest r;
        r.date = kEarlier;
        r.fontName = QStringLiteral("ＭＳ 明朝");
        const auto result = printing::PrintEntryBook(printer, r);
        if (!result.printed)
            return 2;
        pages = result.pages;
    } else if (mode == QLatin1String("bookpainter")) {
        pages = paintPlainBook(pdf);
    } else {
        pages = paintPlain(pdf);
    }
    const double ms = t.nsecsElapsed() / 1e6;
    const double after = residentMb();
    std::printf("%.1f %d %.1f %.1f %.1f %.0f\n", ms, pages, before, after, peakMb(), QFileInfo(pdf).size() / 1024.0);
    db::close();
    return 0;
}

struct Measure {
    double ms = 0, before = 0, after = 0, peak = 0, kb = 0;
    int pages = 0;
};

Measure measure(const QString& mode, const QString& dbPath, const QString& pdf)
{
    QList<double> ms, before, after, peak, kb;
    Measure m;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode, dbPath, pdf});
        p.waitForFinished(-1);
        const QStringList f = QString::fromLatin1(p.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
        if (p.exitCode() != 0 || f.size() < 6) {
            std::fprintf(stderr, "%s run failed\n", qPrintable(mode));
            return m;
        }
        ms << f[0].toDouble();
        m.pages = f[1].toInt();
        before << f[2].toDouble();
        after << f[3].toDouble();
        peak << f[4].toDouble();
        kb << f[5].toDouble();
    }
    m.ms = median(ms);
    m.before = median(before);
    m.after = median(after);
    m.peak = median(peak);
    m.kb = median(kb);
    return m;
}

// Both sizes of one document: the engine and plain QPainter, side by side.
void section(const char* title, const QString& engineMode, const QString& painterMode, int lines, int categories,
             const QDate& date, const QTemporaryDir& dir)
{
    std::printf("%s into PDF, %d categories; median of %d runs, each in its own process\n\n", title, categories,
                kRuns);
    std::printf("%-8s %-8s %6s %10s %9s %11s %10s %9s %9s\n", "lines", "drawn by", "pages", "time ms",
                "ms/page", "RSS before", "RSS after", "peak MB", "PDF KB");
    QList<QPair<int, QPair<Measure, Measure>>> results;
    for (int n : {lines / 5, lines}) {
        const QString dbPath = dir.filePath(QStringLiteral("%1-%2.idb").arg(engineMode).arg(n));
        makeDatabase(dbPath, n, categories, date);
        const Measure e = measure(engineMode, dbPath, dir.filePath(QStringLiteral("engine.pdf")));
        const Measure q = measure(painterMode, dbPath, dir.filePath(QStringLiteral("painter.pdf")));
        for (const auto& [name, m] : {std::pair{"engine", e}, std::pair{"QPainter", q}})
            std::printf("%-8d %-8s %6d %10.0f %9.2f %11.1f %10.1f %9.1f %9.0f\n", n, name, m.pages, m.ms,
                        m.pages ? m.ms / m.pages : 0.0, m.before, m.after, m.peak, m.kb);
        results.append({n, {e, q}});
    }
    std::printf("\n");
    for (const auto& [n, pair] : results)
        std::printf("%d lines: engine / QPainter time %.2fx, growth of RSS while printing: engine %.1f MB, QPainter %.1f MB\n",
                    n, pair.first.ms / pair.second.ms, pair.first.after - pair.first.before,
                    pair.second.after - pair.second.before);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 4 && qstrcmp(argv[1], "--child") == 0)
        return child(argv);

    static QTemporaryDir home;
    QDir().mkpath(home.path() + "/runtime");
    QFile::setPermissions(home.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + "/runtime"));
    QCoreApplication app(argc, argv);
    auto arg = [&](int i, int fallback) { return argc > i ? std::max(1, atoi(argv[i])) : fallback; };
    QTemporaryDir dir;
    section("Full A4 count sheet", QStringLiteral("engine"), QStringLiteral("painter"), arg(1, 10000), arg(2, 50),
            kDate, dir);
    section("Count-entry book of an earlier date", QStringLiteral("book"), QStringLiteral("bookpainter"),
            arg(3, 10000), arg(4, 500), kEarlier, dir);
    return 0;
}
