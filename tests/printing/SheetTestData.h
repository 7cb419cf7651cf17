#pragma once
// Count lines and categories for the sheet tests, written straight into the open database.
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/PrinterRecording.h"
#include "printing/CountSheet.h"

#include <QDate>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QVariant>

// A job that ended without sending anything, its failure told by its kind (a PrintFailure): the
// copy pen back and the normal pointer. Asserts in the calling test function.
#define SHEET_VERIFY_DROPPED(result, printer, kind)                                        \
    do {                                                                                   \
        QVERIFY(!(result).printed);                                                        \
        QVERIFY(!(result).error.isEmpty());                                                \
        QCOMPARE((result).failure, printing::PrintFailure::kind);                          \
        QCOMPARE((printer).sentCount(), 0);                                                \
        QCOMPARE((printer).log.last().describe(), QStringLiteral("drawMode 13"));          \
        QVERIFY(!pointer::isHourglass());                                                  \
    } while (false)

namespace sheettest {

// Makes the lines that match condition (a filter on 棚卸マスター's columns) fail to read: the
// table is renamed and stands behind a view whose 品名 is an error for those lines.
inline void breakNamesWhere(const QString& condition)
{
    db::exec("ALTER TABLE 棚卸マスター RENAME TO 棚卸行");
    db::exec(QStringLiteral("CREATE VIEW 棚卸マスター AS SELECT ID, 日付, 項目ID, "
                            "CASE WHEN %1 THEN json('broken') ELSE 品名 END AS 品名, "
                            "数量, 単位, 単価, 価格, 備考 FROM 棚卸行").arg(condition));
}

inline const QDate kDate(2026, 3, 31);
inline const QDate kOtherDate(2025, 3, 31);

// A product name of 40 bytes, as long as the entry window lets one be; a category name longer than
// the room of a block's heading.
inline const QString kName40 = QStringLiteral("北海道産小豆使用こしあん最中詰合せ十個入");
inline const QString kLongCategoryName = QStringLiteral("季節の贈答用菓子").repeated(6);

inline void category(int id, const QString& name)
{
    db::exec("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)", {id, name});
}

struct Line {
    QVariant category = 1;
    QVariant name = QStringLiteral("品");
    QVariant quantity = 1;
    QVariant unit = QStringLiteral("個");
    QVariant price = 100;
    QVariant amount = 100;
    QVariant note;
    QDate date = kDate;
};

inline void add(const Line& l)
{
    db::exec("INSERT INTO 棚卸マスター (日付, 項目ID, 品名, 数量, 単位, 単価, 価格, 備考) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
             {db::isoDate(l.date), l.category, l.name, l.quantity, l.unit, l.price, l.amount, l.note});
}

// n lines "<prefix>1" … "<prefix>n" in a category, line i worth i × 100.
inline void addNumbered(int n, const QVariant& cat, const QString& prefix = QStringLiteral("品"))
{
    db::Transaction t;
    for (int i = 1; i <= n; ++i) {
        Line l;
        l.category = cat;
        l.name = prefix + QString::number(i);
        l.quantity = i;
        l.amount = i * 100;
        add(l);
    }
    t.commit();
}

inline printing::SheetRequest request(bool all = true, qint64 cat = 0)
{
    printing::SheetRequest r;
    r.date = kDate;
    r.allCategories = all;
    r.categoryId = cat;
    r.fontName = QStringLiteral("ＭＳ 明朝");
    return r;
}

// The texts of a page.
inline QList<prn::Recorded> texts(const prn::RecordingPrinter& p, int page)
{
    QList<prn::Recorded> out;
    for (const auto& r : p.page(page))
        if (r.op == QLatin1String("text"))
            out.append(r);
    return out;
}

// The first text of a page equal to text (after trimming the blanks a number is printed with).
inline prn::Recorded find(const prn::RecordingPrinter& p, int page, const QString& text)
{
    for (const auto& r : texts(p, page))
        if (r.text == text || r.text.trimmed() == text)
            return r;
    return {};
}

inline bool has(const prn::RecordingPrinter& p, int page, const QString& text)
{
    return !find(p, page, text).op.isEmpty();
}

// The text printed at (x, y) of a page; empty op when there is none.
inline prn::Recorded textAt(const prn::RecordingPrinter& p, int page, double x, double y)
{
    for (const auto& t : texts(p, page))
        if (qAbs(t.x - x) < 0.01 && qAbs(t.y - y) < 0.01)
            return t;
    return {};
}

// The text printed at a given height of a page, right of x (for the figures beside a caption).
inline prn::Recorded at(const prn::RecordingPrinter& p, int page, double y, double fromX)
{
    for (const auto& r : texts(p, page))
        if (qAbs(r.y - y) < 1e-6 && r.x > fromX)
            return r;
    return {};
}

// Why the printed text t of a column is not the stored text cut to end before limit (a rule or
// the next figure's left edge, in the unit the text was printed in); empty when it is. It must be
// a leading part of stored, of whole characters (no surrogate pair or mark parted from its
// letter), end before limit, and be cut no shorter than the column needs: with its next character
// it would reach to within slack of limit.
inline QString notCutBefore(prn::RecordingPrinter& p, const prn::Recorded& t, const QString& stored, double limit,
                            double slack)
{
    if (t.op != QLatin1String("text"))
        return QStringLiteral("「%1」 is not printed").arg(stored);
    const QString why = QStringLiteral("%1 (stored 「%2」, limit %3): ").arg(t.describe(), stored).arg(limit);
    if (!stored.startsWith(t.text))
        return why + QStringLiteral("not a leading part");
    p.setFontName(t.fontName);
    p.setFontSize(t.fontSize);
    if (!(t.x + p.textWidth(t.text) < limit))
        return why + QStringLiteral("ends at %1").arg(t.x + p.textWidth(t.text));
    if (t.text.size() == stored.size())
        return {};
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, stored);
    graphemes.setPosition(t.text.size());
    if (!graphemes.isAtBoundary())
        return why + QStringLiteral("a character cut in two");
    const qsizetype next = graphemes.toNextBoundary();
    if (!(t.x + p.textWidth(stored.left(next)) > limit - slack))
        return why + QStringLiteral("cut shorter than its column");
    return {};
}

// The A4 sheets' rows, in millimetres.
namespace a4 {

inline double rowY(int i)
{
    return 38 + 8 * i;
}

inline bool near(double a, double b)
{
    return qAbs(a - b) < 1e-6;
}

// The right edge of a column: the base plus the width of its reference text, in the rows' font.
inline double edge(prn::RecordingPrinter& p, double base, const QString& reference)
{
    p.setFontName(QStringLiteral("ＭＳ 明朝"));
    p.setFontSize(9.75);
    return base + p.textWidth(reference);
}

// The page number printed left of "頁".
inline prn::Recorded pageNumber(const prn::RecordingPrinter& p, int page)
{
    for (const auto& t : texts(p, page))
        if (t.y == 10 && t.x > 150 && t.x < 192)
            return t;
    return {};
}

} // namespace a4

} // namespace sheettest
