// The grouped summary sheets on the recording printer: pages of 28 groups with their subtotals and
// the total, the page frame, the two orderings, the grouping by the masters' current names, a date
// without lines, and jobs that cannot finish.
#include "TestSupport.h"

#include "SheetTestData.h"
#include "platform/Cursor.h"
#include "printing/SummarySheet.h"

#include <QSqlDriver>
#include <dlfcn.h>
#include <algorithm>

using namespace sheettest;
using namespace sheettest::a4;
using printing::PrintSummarySheet;
using printing::SummaryRequest;
using prn::RecordingPrinter;

namespace {

const QString kCategoryTitle = QStringLiteral("棚卸表 (項目/分類別集計)");
const QString kProductTitle = QStringLiteral("棚卸表 (品名別集計)");

SummaryRequest byCategory(const QDate& date = kDate)
{
    return {date, kCategoryTitle, QStringLiteral("項目/分類名"), QStringLiteral("ＭＳ 明朝")};
}

SummaryRequest byProduct(const QDate& date = kDate)
{
    return {date, kProductTitle, QStringLiteral("品名"), QStringLiteral("ＭＳ 明朝")};
}

void product(int id, const QString& name)
{
    db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (?, ?)", {id, name});
}

// A count line of a category and a product with its amount.
void countLine(int categoryId, int productId, double amount, const QDate& date = kDate)
{
    db::exec("INSERT INTO 棚卸マスター (日付, 項目ID, 品名ID, 品名, 数量, 単価, 価格) VALUES (?, ?, ?, '品', 1, ?, ?)",
             {db::isoDate(date), categoryId, productId, amount, amount});
}

// The group lines of a page, top to bottom, each as "name|amount|count" with the blanks a number
// is printed with trimmed.
QStringList groups(const RecordingPrinter& p, int page)
{
    QStringList out;
    for (int i = 0; i < 28; ++i) {
        QList<prn::Recorded> row;
        for (const auto& t : texts(p, page))
            if (near(t.y, rowY(i)))
                row << t;
        if (row.isEmpty())
            continue;
        std::sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
        QStringList cells;
        for (const auto& t : row)
            cells << t.text.trimmed();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// A recorder that breaks off the database's running statement once it has printed n texts, as a
// database that fails while the sheet is being drawn.
class InterruptingPrinter : public RecordingPrinter {
public:
    explicit InterruptingPrinter(int n) : m_n(n)
    {
        void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
        if (lib)
            m_interrupt = reinterpret_cast<void (*)(void*)>(dlsym(lib, "sqlite3_interrupt"));
        const QVariant h = db::connection().driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            m_handle = *static_cast<void* const*>(h.constData());
    }
    bool usable() const { return m_interrupt && m_handle; }

protected:
    void drawText(double x, double y, const QString& text) override
    {
        RecordingPrinter::drawText(x, y, text);
        if (++m_texts == m_n && usable())
            m_interrupt(m_handle);
    }

private:
    int m_n;
    int m_texts = 0;
    void (*m_interrupt)(void*) = nullptr;
    void* m_handle = nullptr;
};

} // namespace

class TestSummarySheet : public QObject {
    Q_OBJECT
private slots:
    void twentyEightGroupsFillAPageAndATwentyNinthOpensTheNext()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // Products 品01 … 品29 with one line each worth 100 × its number; one product has two.
        for (int i = 1; i <= 29; ++i) {
            product(i, QStringLiteral("品%1").arg(i, 2, 10, QLatin1Char('0')));
            countLine(1, i, i * 100);
        }
        countLine(1, 3, 1000);

        RecordingPrinter p;
        const auto result = PrintSummarySheet(p, byProduct());
        QVERIFY(result.printed);
        QVERIFY(result.error.isEmpty());
        QCOMPARE(p.sentCount(), 1);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(result.pages, 2);
        QCOMPARE(result.printedTotal, 100.0 * 29 * 30 / 2 + 1000);

        const QStringList first = groups(p, 1);
        QCOMPARE(first.size(), 28);
        QCOMPARE(first.at(0), QStringLiteral("品01|100|1"));
        QCOMPARE(first.at(2), QStringLiteral("品03|1,300|2"));
        QCOMPARE(first.at(27), QStringLiteral("品28|2,800|1"));
        QCOMPARE(find(p, 1, "品28").y, 254.0);
        QCOMPARE(find(p, 1, "品01").x, 15.0);
        // The first page's subtotal holds its 28 groups; the total waits for the last page.
        QCOMPARE(find(p, 1, "小計").x, 17.0);
        QCOMPARE(find(p, 1, "小計").y, 258.0);
        const auto sub1 = at(p, 1, 258, 100);
        QCOMPARE(sub1.text, QStringLiteral("41,600"));
        QVERIFY(!has(p, 1, "合計"));

        // Page 2: its own frame and number, one group, its subtotal and the total of all 29.
        QCOMPARE(groups(p, 2), QStringList{"品29|2,900|1"});
        QCOMPARE(find(p, 2, kProductTitle).y, 11.0);
        QVERIFY(has(p, 2, "価格"));
        QCOMPARE(pageNumber(p, 2).text, QStringLiteral(" 2 "));
        QCOMPARE(at(p, 2, 258, 100).text, QStringLiteral("2,900"));
        QCOMPARE(find(p, 2, "合計").x, 17.0);
        QCOMPARE(find(p, 2, "合計").y, 262.0);
        const auto total = at(p, 2, 262, 100);
        QCOMPARE(total.text, QStringLiteral("44,500"));

        // Amounts end where "合計" at 120 mm would end, counts where "集計数" at 135 mm would; the
        // subtotal and total against their own captions at 120 mm.
        const double amountEdge = edge(p, 120, "合計");
        const double countEdge = edge(p, 135, "集計数");
        const auto amount = at(p, 2, rowY(0), 20);
        QVERIFY(near(amount.x + amount.width, amountEdge));
        const auto count = at(p, 2, rowY(0), amount.x + 1);
        QCOMPARE(count.text, QStringLiteral("1"));
        QVERIFY(near(count.x + count.width, countEdge));
        QVERIFY(near(sub1.x + sub1.width, edge(p, 120, "小計")));
        QVERIFY(near(total.x + total.width, amountEdge));

        // Exactly 28 groups: one page that carries both the subtotal and the total.
        db::exec("DELETE FROM 棚卸マスター WHERE 品名ID = 29");
        RecordingPrinter q;
        QVERIFY(PrintSummarySheet(q, byProduct()).printed);
        QCOMPARE(q.pageCount(), 1);
        QCOMPARE(groups(q, 1).size(), 28);
        QCOMPARE(at(q, 1, 258, 100).text, QStringLiteral("41,600"));
        QCOMPARE(at(q, 1, 262, 100).text, QStringLiteral("41,600"));
    }

    void thePageFrame()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        countLine(1, 0, 1234);

        RecordingPrinter p;
        QVERIFY(PrintSummarySheet(p, byCategory()).printed);
        QStringList state;
        for (const auto& r : p.log) {
            if (r.op == "text" || r.op == "line" || r.op == "arc")
                break;
            state << r.describe();
        }
        QVERIFY2(state.contains("paperSize 9") && state.contains("orientation 1") && state.contains("scaleMode 6")
                     && state.contains("drawMode 10"),
                 qPrintable(state.join(", ")));

        const QList<prn::Recorded> page = p.page(1);
        QStringList lines, arcs;
        for (const auto& r : page) {
            if (r.op == "line")
                lines << r.describe();
            else if (r.op == "arc")
                arcs << r.describe();
        }
        QCOMPARE(arcs.size(), 4);
        QStringList want{"line 13 29 191 29 s0 w1 m10", "line 12 30 12 269 s0 w1 m10", "line 13 270 191 270 s0 w1 m10",
                         "line 192 30 192 269 s0 w1 m10", "line 72 16 147 16 s0 w1 m10", "line 12 35 192 35 s0 w1 m10"};
        for (int y = 42; y <= 250; y += 8)
            want << QStringLiteral("line 12 %1 192 %1 s2 w1 m10").arg(y);
        want << "line 12 258 192 258 s0 w1 m10";
        for (int x : {97, 132, 147})
            want << QStringLiteral("line %1 29 %1 270 s0 w1 m10").arg(x);
        QCOMPARE(lines, want);

        const auto title = find(p, 1, kCategoryTitle);
        QCOMPARE(title.x, 77.0);
        QCOMPARE(title.fontSize, 14.25);
        QCOMPARE(title.fontName, QStringLiteral("ＭＳ 明朝"));
        for (const auto& [text, x] : {std::pair{"項目/分類名", 22.0}, {"価格", 107.0}, {"集計数", 134.0}}) {
            const auto heading = find(p, 1, QString::fromUtf8(text));
            QCOMPARE(heading.x, x);
            QCOMPARE(heading.y, 30.0);
            QCOMPARE(heading.fontSize, 9.75);
        }
        QCOMPARE(find(p, 1, "頁").x, 192.0);
        const auto number = pageNumber(p, 1);
        QCOMPARE(number.text, QStringLiteral(" 1 "));
        // Measured on its digits: they end where "頁" at 185 mm would end.
        QVERIFY(near(number.x + p.textWidth("1"), 185 + p.textWidth("頁")));
        QCOMPARE(find(p, 1, "日付　　　　　　　　　日現在").x, 142.0);
        const auto date = find(p, 1, "2026/03/31");
        QCOMPARE(date.x, 152.0);
        QCOMPARE(date.y, 20.0);
        // Rows, subtotal and total in the headings' size.
        QCOMPARE(find(p, 1, "文具").fontSize, 9.75);
        QCOMPARE(at(p, 1, 262, 100).text, QStringLiteral("1,234"));
        QCOMPARE(at(p, 1, 262, 100).fontSize, 9.75);
        // After the end of the document the pen is the copy pen again.
        QCOMPARE(p.log.last().describe(), QStringLiteral("drawMode 13"));
        QCOMPARE(p.log.at(p.log.size() - 2).op, QStringLiteral("endDoc"));
    }

    void categoriesByTotalProductsByName()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        category(3, QStringLiteral("工具"));
        product(1, QStringLiteral("りんご"));
        product(2, QStringLiteral("あめ"));
        product(3, QStringLiteral("ノート"));
        countLine(1, 1, 300);
        countLine(2, 2, 5000);
        countLine(3, 3, 1200);
        countLine(3, 3, 100);
        countLine(2, 1, 9999, kOtherDate);   // another date counts nowhere

        RecordingPrinter p;
        QVERIFY(PrintSummarySheet(p, byCategory()).printed);
        QCOMPARE(groups(p, 1), (QStringList{"食品|5,000|1", "工具|1,300|2", "文具|300|1"}));
        QCOMPARE(at(p, 1, 262, 100).text, QStringLiteral("6,600"));

        RecordingPrinter q;
        QVERIFY(PrintSummarySheet(q, byProduct()).printed);
        QCOMPARE(groups(q, 1), (QStringList{"あめ|5,000|1", "りんご|300|1", "ノート|1,300|2"}));
        QCOMPARE(find(q, 1, "品名").x, 22.0);
        QCOMPARE(find(q, 1, kProductTitle).x, 77.0);
    }

    void groupsAreTheMastersCurrentNames()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // 1 and 3 share a name; 9 is gone from the categories; 0 is 未区分, which always exists.
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        category(3, QStringLiteral("文具"));
        product(1, QStringLiteral("ノート"));
        product(2, QStringLiteral("ノート"));
        product(3, QStringLiteral("あめ"));
        countLine(1, 1, 100);
        countLine(3, 2, 250);
        countLine(2, 3, 400);
        countLine(0, 3, 70);
        countLine(0, 3, 30);
        countLine(9, 3, 5000);   // its category was deleted
        countLine(2, 8, 8000);   // its product was deleted

        RecordingPrinter p;
        const auto categories = PrintSummarySheet(p, byCategory());
        QVERIFY(categories.printed);
        QCOMPARE(groups(p, 1), (QStringList{"食品|8,400|2", "文具|350|2", "未区分|100|2"}));
        QCOMPARE(at(p, 1, 262, 100).text, QStringLiteral("8,850"));
        QCOMPARE(categories.printedTotal, 8850.0);

        RecordingPrinter q;
        QVERIFY(PrintSummarySheet(q, byProduct()).printed);
        QCOMPARE(groups(q, 1), (QStringList{"あめ|5,500|4", "ノート|350|2"}));
        QCOMPARE(at(q, 1, 262, 100).text, QStringLiteral("5,850"));
    }

    // The group's name ends before the rule at 97 mm, or before its amount when that is wider
    // than its column; the amount is printed whole.
    void aGroupsNameEndsBeforeItsAmount_data()
    {
        QTest::addColumn<bool>("byCategories");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("amountFigure");

        const QString longName = QStringLiteral("北海道産小豆使用こしあん最中詰合せ十個入り贈答用化粧箱特大号");
        QTest::newRow("by category, 7-digit amount") << true << longName << 1234567.0 << "1,234,567";
        QTest::newRow("by product, 7-digit amount") << false << longName << 1234567.0 << "1,234,567";
        QTest::newRow("by product, an amount wider than its column")
            << false << longName << 10000000000000.0 << "10,000,000,000,000";
        QTest::newRow("by category, surrogate pairs") << true << QStringLiteral("𠮷").repeated(30) << 1234567.0
                                                      << "1,234,567";
        QTest::newRow("a short name stays whole") << false << "鉛筆" << 100.0 << "100";
    }

    void aGroupsNameEndsBeforeItsAmount()
    {
        QFETCH(bool, byCategories);
        QFETCH(QString, name);
        QFETCH(double, amount);
        QFETCH(QString, amountFigure);
        testsupport::Env env;
        env.openNewDatabase();
        category(1, name);
        product(1, name);
        countLine(1, 1, amount);

        RecordingPrinter p;
        QVERIFY(PrintSummarySheet(p, byCategories ? byCategory() : byProduct()).printed);
        const auto figure = at(p, 1, rowY(0), 20);
        QCOMPARE(figure.text, amountFigure);
        const QString cut = notCutBefore(p, textAt(p, 1, 15, rowY(0)), name, std::min(97.0, figure.x), 1);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }

    void aDateWithoutLinesOrAHeadingOfNoGroupingPrintsNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        countLine(1, 0, 100, kOtherDate);

        RecordingPrinter p;
        const auto result = PrintSummarySheet(p, byCategory());
        QVERIFY(!result.printed);
        QVERIFY(!result.cancelled);
        QVERIFY(result.error.isEmpty());
        QCOMPARE(result.pages, 0);
        QCOMPARE(p.documentCount(), 0);
        // Not even the printer's paper or pen was touched.
        QVERIFY(p.log.isEmpty());
        QVERIFY(!pointer::isHourglass());

        // The other date prints, under its own date line.
        QVERIFY(PrintSummarySheet(p, byCategory(kOtherDate)).printed);
        QCOMPARE(groups(p, 1), QStringList{"文具|100|1"});
        QCOMPARE(find(p, 1, "2025/03/31").x, 152.0);
        // A heading that names no grouping prints nothing.
        SummaryRequest odd = byCategory(kOtherDate);
        odd.groupHeading = QStringLiteral("項目分類名");
        RecordingPrinter q;
        QVERIFY(!PrintSummarySheet(q, odd).printed);
        QVERIFY(q.log.isEmpty());
    }

    void aJobThatCannotFinishSendsNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        for (int i = 1; i <= 60; ++i) {
            product(i, QStringLiteral("品%1").arg(i, 2, 10, QLatin1Char('0')));
            countLine(1, i, i);
        }

        // The device fails on the second page.
        RecordingPrinter failing;
        failing.failAtDrawing(150);
        const auto failed = PrintSummarySheet(failing, byProduct());
        SHEET_VERIFY_DROPPED(failed, failing, Device);
        QVERIFY(!failed.cancelled);

        // The output file question cancelled: no error to tell, and the next job goes through.
        RecordingPrinter c;
        c.cancelNextJob();
        const auto cancelled = PrintSummarySheet(c, byProduct());
        QVERIFY(!cancelled.printed);
        QVERIFY(cancelled.cancelled);
        QVERIFY(cancelled.error.isEmpty());
        QVERIFY(PrintSummarySheet(c, byProduct()).printed);
        QCOMPARE(c.sentCount(), 1);

        // The database breaks off while the first page is being drawn: the begun pages are
        // dropped, not sent as if the summary were whole.
        InterruptingPrinter broken(20);
        if (!broken.usable())
            QSKIP("SQLite's interrupt is not reachable");
        const auto midway = PrintSummarySheet(broken, byProduct());
        SHEET_VERIFY_DROPPED(midway, broken, Database);
        QCOMPARE(broken.documentCount(), 1);

        // No database: nothing begun, the failure told.
        db::close();
        RecordingPrinter none;
        const auto noData = PrintSummarySheet(none, byCategory());
        QVERIFY(!noData.printed);
        QVERIFY(!noData.error.isEmpty());
        QCOMPARE(none.documentCount(), 0);
    }
};

BREVOTANE_TEST_MAIN(TestSummarySheet)
#include "test_summary_sheet.moc"
