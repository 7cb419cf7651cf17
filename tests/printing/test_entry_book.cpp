// The count-entry book on the recording printer: the page, categories with and without lines,
// pages of 28 rows, the uncategorised block, the category choice, the reference price's placing,
// jobs that cannot finish; and one book through the dialog into a PDF by the PDF entry.
#include "TestSupport.h"

#include "PdfCheck.h"
#include "SheetTestData.h"
#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/PrinterCollection.h"
#include "printing/DialogTanaMoto2.h"
#include "printing/EntryBook.h"

#include <QDateEdit>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace sheettest;
using namespace sheettest::a4;
using printing::PrintEntryBook;
using prn::RecordingPrinter;

namespace {

// The texts of a page's rows (between the heading band and the bottom rule).
QStringList rowTexts(const RecordingPrinter& p, int page)
{
    QStringList out;
    for (const auto& t : texts(p, page))
        if (t.y > 35 && t.y < 258)
            out << t.text;
    return out;
}

// Every text printed in the document, on any page.
QStringList allTexts(const RecordingPrinter& p)
{
    QStringList out;
    for (const auto& r : p.log)
        if (r.op == QLatin1String("text"))
            out << r.text;
    return out;
}

void priced(const QString& name, const QVariant& price, const QVariant& unit = QStringLiteral("個"))
{
    Line l;
    l.name = name;
    l.price = price;
    l.unit = unit;
    add(l);
}

} // namespace

class TestEntryBook : public QObject {
    Q_OBJECT
private slots:
    void aCategoryWithoutLinesGetsAnEmptyPage()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(1, 2, QStringLiteral("食"));

        RecordingPrinter p;
        const auto result = PrintEntryBook(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.sentCount(), 1);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(result.pages, 2);

        // The frame: the rounded box, the title's underline, the heading band, five dotted
        // column rules over the whole box, 27 dotted row rules and the solid rule under row 28.
        QStringList rules;
        for (const QString& op : p.describePage(1))
            if (!op.startsWith("text"))
                rules << op;
        QStringList expected{
            "arc 13 30 r1 1.57..3.14",       "arc 13 269 r1 3.14..4.71",     "arc 191 269 r1 4.71..6.28",
            "arc 191 30 r1 0..1.57",         "line 13 29 191 29 s0 w1 m10",  "line 12 30 12 269 s0 w1 m10",
            "line 13 270 191 270 s0 w1 m10", "line 192 30 192 269 s0 w1 m10", "line 72 16 142 16 s0 w1 m10",
            "line 12 35 192 35 s0 w1 m10",
        };
        for (int x : {82, 102, 112, 137, 162})
            expected << QStringLiteral("line %1 29 %1 270 s2 w1 m10").arg(x);
        for (int y = 42; y <= 250; y += 8)
            expected << QStringLiteral("line 12 %1 192 %1 s2 w1 m10").arg(y);
        expected << "line 12 258 192 258 s0 w1 m10";
        QCOMPARE(rules, expected);

        // Its texts, all in the print font, the title larger; the heading of the category; and
        // nothing in the 28 rows.
        const QList<QPair<QString, QPointF>> heads{
            {"棚　卸　記　入　帳", {87, 11}}, {"品　名", {22, 30}},   {"数　量", {85, 30}},
            {"単位", {103, 30}},              {"参考単価", {117, 30}}, {"単　価", {142, 30}},
            {"備考", {167, 30}},              {"頁", {192, 10}},       {"前期棚卸日", {142, 20}},
            {"2026/03/31", {165, 20}},        {"項目", {12, 18}},      {"文具", {20, 18}}};
        for (const auto& [text, pos] : heads) {
            const auto t = find(p, 1, text);
            QVERIFY2(!t.op.isEmpty(), qPrintable(text));
            QCOMPARE(QPointF(t.x, t.y), pos);
            QCOMPARE(t.fontSize, text == "棚　卸　記　入　帳" ? 14.25 : 9.75);
            QCOMPARE(t.fontName, QStringLiteral("ＭＳ 明朝"));
        }
        QCOMPARE(texts(p, 1).size(), heads.size() + 1);   // and the page number
        QCOMPARE(rowTexts(p, 1), QStringList());
        // The page number is measured on its digits and printed with a blank each side.
        const auto number = pageNumber(p, 1);
        QCOMPARE(number.text, QStringLiteral(" 1 "));
        QVERIFY(near(number.x + p.textWidth(" 1"), 185 + p.textWidth("頁") + p.textWidth(" ")));

        // The category with its line follows on page 2.
        QCOMPARE(find(p, 2, "食品").y, 18.0);
        QCOMPARE(rowTexts(p, 2).value(0), QStringLiteral("食1"));
        QCOMPARE(pageNumber(p, 2).text, QStringLiteral(" 2 "));

        // A4 portrait in millimetres, not-XOR pen while drawing and the copy pen after the end.
        QStringList setup;
        for (const auto& r : p.log) {
            if (r.op == "arc")
                break;
            if (r.op != "drawStyle" && r.op != "drawWidth")
                setup << r.describe();
        }
        QCOMPARE(setup, (QStringList{"paperSize 9", "orientation 1", "scaleMode 6", "drawMode 10"}));
        QCOMPARE(p.log.last().describe(), QStringLiteral("drawMode 13"));
        QVERIFY(!pointer::isHourglass());
    }

    void twentyEightLinesFillAPageAndTheTwentyNinthOpensTheNext()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(29, 1, QStringLiteral("文"));
        addNumbered(28, 2, QStringLiteral("食"));

        RecordingPrinter p;
        QVERIFY(PrintEntryBook(p, request()).printed);
        // 29 lines: two pages; 28 lines: exactly one, with no empty page after it.
        QCOMPARE(p.pageCount(), 3);
        QCOMPARE(rowTexts(p, 1).size(), 28 * 3);   // name, unit, price
        QCOMPARE(find(p, 1, "文1").y, rowY(0));
        QCOMPARE(find(p, 1, "文28").y, rowY(27));
        QCOMPARE(find(p, 1, "文28").x, 15.0);
        // The continuation page repeats the heading and starts in the first row.
        QCOMPARE(rowTexts(p, 2).size(), 3);   // name, unit, price
        QCOMPARE(find(p, 2, "文29").y, rowY(0));
        QCOMPARE(find(p, 2, "項目").x, 12.0);
        QCOMPARE(find(p, 2, "文具").x, 20.0);
        QCOMPARE(find(p, 2, "文具").y, 18.0);
        QCOMPARE(pageNumber(p, 2).text, QStringLiteral(" 2 "));
        QCOMPARE(find(p, 3, "食品").y, 18.0);
        QCOMPARE(find(p, 3, "食28").y, rowY(27));
        QCOMPARE(pageNumber(p, 3).text, QStringLiteral(" 3 "));
    }

    void categoriesInKeyOrderThenTheUncategorisedLines()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(3, QStringLiteral("雑貨"));
        category(1, QStringLiteral("文具"));
        // Entered out of name order: the book keeps entry order within a category, and a product
        // counted on two lines is printed on two rows.
        for (const char* name : {"鉛筆", "消しゴム", "鉛筆"}) {
            Line l;
            l.name = QString::fromUtf8(name);
            add(l);
        }
        Line old;
        old.category = 3;
        old.name = QStringLiteral("去年");
        old.date = kOtherDate;
        add(old);
        addNumbered(2, 0, QStringLiteral("未"));

        RecordingPrinter p;
        QVERIFY(PrintEntryBook(p, request()).printed);
        QCOMPARE(p.pageCount(), 3);
        QCOMPARE(rowTexts(p, 1),
                 (QStringList{"鉛筆", "個", "100", "消しゴム", "個", "100", "鉛筆", "個", "100"}));
        QVERIFY(has(p, 2, "雑貨"));
        QCOMPARE(rowTexts(p, 2), QStringList());   // its line is of another date
        QVERIFY(!allTexts(p).contains("去年"));
        QCOMPARE(find(p, 3, "項目　未区分").x, 12.0);
        QCOMPARE(find(p, 3, "項目　未区分").y, 18.0);
        QVERIFY(!has(p, 3, "項目"));
        QCOMPARE(find(p, 3, "未2").y, rowY(1));
        QCOMPARE(pageNumber(p, 3).text, QStringLiteral(" 3 "));
    }

    void onlyUncategorisedInTheCategoryTable()
    {
        testsupport::Env env;
        env.openNewDatabase();   // the table holds 未区分 alone
        addNumbered(29, 0, QStringLiteral("未"));

        RecordingPrinter p;
        const auto result = PrintEntryBook(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.documentCount(), 1);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(pageNumber(p, 1).text, QStringLiteral(" 1 "));
        QCOMPARE(find(p, 1, "項目　未区分").y, 18.0);
        QCOMPARE(find(p, 1, "未1").y, rowY(0));
        QCOMPARE(find(p, 2, "項目　未区分").y, 18.0);
        QCOMPARE(find(p, 2, "未29").y, rowY(0));

        // With no line of 未区分 either there is nothing to print and no document is begun.
        RecordingPrinter none;
        auto r = request();
        r.date = kOtherDate;
        const auto nothing = PrintEntryBook(none, r);
        QVERIFY(!nothing.printed);
        QCOMPARE(none.documentCount(), 0);
        QCOMPARE(nothing.pages, 0);
    }

    void linesOfMissingCategoriesArePrintedNowhere()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(3, 7, QStringLiteral("消えた"));

        RecordingPrinter p;
        QVERIFY(PrintEntryBook(p, request()).printed);
        QCOMPARE(p.pageCount(), 2);
        QVERIFY(has(p, 1, "文具"));
        QVERIFY(has(p, 2, "食品"));
        QCOMPARE(rowTexts(p, 1), QStringList());
        QCOMPARE(rowTexts(p, 2), QStringList());
        for (const QString& t : allTexts(p))
            QVERIFY2(!t.startsWith("消えた"), qPrintable(t));
    }

    void oneCategoryChosen()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(2, 1, QStringLiteral("文"));
        addNumbered(2, 2, QStringLiteral("食"));
        addNumbered(2, 0, QStringLiteral("未"));

        // The chosen category only: the uncategorised block is left out although the date has
        // lines of 未区分.
        RecordingPrinter p;
        QVERIFY(PrintEntryBook(p, request(false, 2)).printed);
        QCOMPARE(p.pageCount(), 1);
        QVERIFY(has(p, 1, "食品"));
        QCOMPARE(rowTexts(p, 1), (QStringList{"食1", "個", "100", "食2", "個", "100"}));
        QVERIFY(!allTexts(p).contains("項目　未区分"));

        // 未区分 chosen itself: its lines under the category heading of every other category.
        RecordingPrinter u;
        QVERIFY(PrintEntryBook(u, request(false, 0)).printed);
        QCOMPARE(u.pageCount(), 1);
        QCOMPARE(QPointF(find(u, 1, "項目").x, find(u, 1, "項目").y), QPointF(12, 18));
        QCOMPARE(QPointF(find(u, 1, "未区分").x, find(u, 1, "未区分").y), QPointF(20, 18));
        QVERIFY(!has(u, 1, "項目　未区分"));
        QCOMPARE(find(u, 1, "未1").y, rowY(0));
        QCOMPARE(find(u, 1, "未2").y, rowY(1));

        // A category that is gone by the time of printing: nothing to print, no document.
        RecordingPrinter gone;
        QVERIFY(!PrintEntryBook(gone, request(false, 9)).printed);
        QCOMPARE(gone.documentCount(), 0);
    }

    void theReferencePricePlacedFromItsWholeForm()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        priced("a", 1234);
        priced("b", 1234.5);
        priced("c", 0);
        priced("d", 999);
        priced("e", 999.5);
        priced("f", QVariant(), QVariant());
        priced("g", -12.25);

        RecordingPrinter p;
        QVERIFY(PrintEntryBook(p, request()).printed);
        p.setFontSize(9.75);
        const double edge = 125 + p.textWidth("単価");
        auto price = [&](int row) { return at(p, 1, rowY(row), 110); };
        const auto whole = price(0), half = price(1), zero = price(2), small = price(3), carry = price(4);
        QCOMPARE(whole.text, QStringLiteral("1,234"));
        QCOMPARE(half.text, QStringLiteral("1,234.50"));
        QCOMPARE(zero.text, QStringLiteral("0"));
        QCOMPARE(carry.text, QStringLiteral("999.50"));
        // Whole prices end at the column's edge; a fraction starts where its whole part alone
        // would, so its integer digits end at that edge and its decimals stand beyond it.
        for (const auto& t : {whole, zero, small})
            QVERIFY2(near(t.x + t.width, edge), qPrintable(t.describe()));
        QVERIFY(near(half.x, whole.x));
        QVERIFY(near(carry.x, small.x));
        QVERIFY(half.x + half.width > edge);
        QCOMPARE(price(6).text, QStringLiteral("-12.25"));
        QVERIFY(near(price(6).x, edge - p.textWidth("-12")));

        // Name and unit in their columns; nothing at all in the quantity, price and remark columns.
        QCOMPARE(find(p, 1, "a").x, 15.0);
        QCOMPARE(at(p, 1, rowY(0), 100).text, QStringLiteral("個"));
        QCOMPARE(at(p, 1, rowY(0), 100).x, 103.0);
        for (const auto& t : texts(p, 1))
            if (t.y > 35 && t.y < 258)
                QVERIFY2(t.x < 82 || (t.x >= 102 && t.x + t.width < 137.5), qPrintable(t.describe()));
        // A line without unit or price prints its name alone.
        QStringList fRow;
        for (const auto& t : texts(p, 1))
            if (near(t.y, rowY(5)))
                fRow << t.text;
        QCOMPARE(fRow, QStringList{"f"});
    }

    // The name ends before the quantity column's rule, the unit before the reference price's
    // rule or the price itself when it is wider than its column, the category's name before the
    // date line; the price is printed whole.
    void aTextColumnEndsBeforeWhatStandsRightOfIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("priceFigure");

        QTest::newRow("40-byte name, 7-digit price") << kName40 << "ケース入" << 1234567.0 << "1,234,567";
        QTest::newRow("a price wider than its column")
            << kName40 + QStringLiteral("贈答用化粧箱") << "ケース入" << 12345678901.0 << "12,345,678,901";
        QTest::newRow("surrogate pairs") << QStringLiteral("𠮷").repeated(25) << "𠮷𠮷𠮷𠮷" << 1234567.5 << "1,234,567.50";
        QTest::newRow("short texts stay whole") << "鉛筆" << "本" << 100.0 << "100";
    }

    void aTextColumnEndsBeforeWhatStandsRightOfIt()
    {
        QFETCH(QString, name);
        QFETCH(QString, unit);
        QFETCH(double, price);
        QFETCH(QString, priceFigure);
        testsupport::Env env;
        env.openNewDatabase();
        category(1, kLongCategoryName);
        priced(name, price, unit);

        RecordingPrinter p;
        QVERIFY(PrintEntryBook(p, request()).printed);
        const double y = rowY(0);
        const auto figure = at(p, 1, y, 105);
        QCOMPARE(figure.text, priceFigure);
        const QString nameCut = notCutBefore(p, textAt(p, 1, 15, y), name, 82, 1);
        QVERIFY2(nameCut.isEmpty(), qPrintable(nameCut));
        const QString unitCut = notCutBefore(p, textAt(p, 1, 103, y), unit, std::min(112.0, figure.x), 1);
        QVERIFY2(unitCut.isEmpty(), qPrintable(unitCut));
        const QString headingCut = notCutBefore(p, textAt(p, 1, 20, 18), kLongCategoryName, 142, 1);
        QVERIFY2(headingCut.isEmpty(), qPrintable(headingCut));
    }

    void aBookThatCannotFinishIsNotSent()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(100, 1);
        addNumbered(60, 2);

        // The device fails on the second page: nothing is sent.
        RecordingPrinter p;
        p.failAtDrawing(150);
        const auto failed = PrintEntryBook(p, request());
        SHEET_VERIFY_DROPPED(failed, p, Device);
        QVERIFY(!failed.cancelled);

        // The output file question cancelled: the user's choice, and the next job prints whole.
        RecordingPrinter c;
        c.cancelNextJob();
        const auto cancelled = PrintEntryBook(c, request());
        QVERIFY(!cancelled.printed);
        QVERIFY(cancelled.cancelled);
        QVERIFY(PrintEntryBook(c, request()).printed);
        QCOMPARE(c.pageCount(), 4 + 3);

        // The database fails while the second category's lines are read: the first category's
        // pages are dropped, not sent as a complete book.
        breakNamesWhere(QStringLiteral("項目ID = 2 AND 数量 = 40"));
        RecordingPrinter broken;
        const auto midway = PrintEntryBook(broken, request());
        SHEET_VERIFY_DROPPED(midway, broken, Database);
        QVERIFY(broken.pageCount() > 4);

        // No database: no document is begun.
        db::close();
        RecordingPrinter d;
        QVERIFY(!PrintEntryBook(d, request()).error.isEmpty());
        QCOMPARE(d.documentCount(), 0);
    }

    void aBookIntoPdfThroughThePdfEntry()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(30, 1, QStringLiteral("ノート"));
        priced("コピー用紙Ａ４", 1234.5, QStringLiteral("箱"));
        Line tea;
        tea.category = 2;
        tea.name = QStringLiteral("緑茶");
        tea.price = 1234;
        add(tea);
        addNumbered(1, 0, QStringLiteral("未"));

        global::PrintFontName = QStringLiteral("ＭＳ 明朝");
        global::PrinterIndex = 0;
        global::PrintDeviceName = prn::pdfEntryName();
        auto* d = forms::get<DialogTanaMoto2>();
        QCOMPARE(prn::currentPrinter().deviceName(), prn::pdfEntryName());
        d->Form_Activate();
        d->DTPicker1->setDate(kDate);
        const QString file = env.path("記入帳.pdf");
        env.dialogs.files << file;
        d->Command3_Click();
        QVERIFY(d->lastPrintRan());
        QVERIFY(d->lastResult().printed);
        QCOMPARE(env.dialogs.messages(), QStringList());
        QVERIFY(!d->isUnloaded());

        const QString text = pdfcheck::text(file);
        QVERIFY2(text.contains(QRegularExpression("棚\\s*卸\\s*記\\s*入\\s*帳")), qPrintable(text.left(400)));
        QVERIFY(text.contains("参考単価"));
        QVERIFY(text.contains(QRegularExpression("前期棚卸日\\s+2026/03/31")));
        QVERIFY(text.contains(QRegularExpression("コピー用紙Ａ４\\s+箱\\s+1,234.50")));
        QVERIFY(text.contains(QRegularExpression("緑茶\\s+個\\s+1,234")));
        QVERIFY(text.contains(QRegularExpression("項目\\s*未区分")));
        QVERIFY(pdfcheck::run("pdfinfo", {file}).contains(QRegularExpression("Pages:\\s+4")));
        QVERIFY(pdfcheck::run("pdfinfo", {file}).contains("(A4)"));
        const QString fonts = pdfcheck::run("pdffonts", {file});
        QVERIFY2(fonts.contains("IPAMincho"), qPrintable(fonts));
        pdfcheck::keepCopy(file);
        QVERIFY(d->unload());
    }
};

// The printer list asks CUPS for its queues: a spooler of this test's own that is never started,
// so the list holds the PDF entry alone whatever this machine runs.
BREVOTANE_CUPS_TEST_MAIN(TestEntryBook, "spooler.sock")
#include "test_entry_book.moc"
