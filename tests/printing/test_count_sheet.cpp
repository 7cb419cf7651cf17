// The A4 count sheets on the recording printer: pages of 28 lines with their subtotals, categories
// in key order with running page numbers, the uncategorised part, the grand total, the two frames,
// the column alignment, and jobs that cannot finish. One sheet also goes into a real PDF.
#include "TestSupport.h"

#include "PdfCheck.h"
#include "SheetTestData.h"
#include "platform/Cursor.h"
#include "platform/PrinterPainter.h"
#include "printing/PagePrimitives.h"

using namespace sheettest;
using namespace sheettest::a4;
using printing::PrintA4Full;
using printing::PrintA4Simple;
using prn::RecordingPrinter;

class TestCountSheet : public QObject {
    Q_OBJECT
private slots:
    void twentyEightLinesFillAPageAndTheNextStartsANewOne()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        addNumbered(29, 1);

        RecordingPrinter p;
        const auto result = PrintA4Full(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.sentCount(), 1);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(result.pages, 2);
        QCOMPARE(result.printedTotal, 43500.0);

        QCOMPARE(find(p, 1, "品1").y, rowY(0));
        QCOMPARE(find(p, 1, "品28").y, rowY(27));
        QVERIFY(!has(p, 1, "品29"));
        // The first page's subtotal (lines 1 to 28) at its foot, and no grand total there.
        QCOMPARE(find(p, 1, "小計").y, 258.0);
        QCOMPARE(find(p, 1, "小計").x, 17.0);
        const auto sub1 = at(p, 1, 258, 100);
        QCOMPARE(sub1.text, QStringLiteral("40,600"));
        QVERIFY(near(sub1.x + sub1.width, edge(p, 154, "小計")));
        QVERIFY(!has(p, 1, "合計"));

        // The 29th line opens page 2 in the first row, under the category's heading again.
        QCOMPARE(find(p, 2, "品29").y, rowY(0));
        QCOMPARE(find(p, 2, "項目").x, 12.0);
        QCOMPARE(find(p, 2, "文具").x, 20.0);
        QCOMPARE(find(p, 2, "文具").y, 18.0);
        QCOMPARE(pageNumber(p, 2).text, QStringLiteral(" 2 "));
        // The last page carries both its subtotal and the grand total.
        QCOMPARE(at(p, 2, 258, 100).text, QStringLiteral("2,900"));
        QCOMPARE(find(p, 2, "合計").y, 262.0);
        QCOMPARE(find(p, 2, "合計").x, 17.0);
        const auto total = at(p, 2, 262, 100);
        QCOMPARE(total.text, QStringLiteral("43,500"));
        QVERIFY(near(total.x + total.width, edge(p, 154, "合計")));

        // Exactly 28 lines: one page, no empty page after it.
        db::exec("DELETE FROM 棚卸マスター WHERE 品名 = '品29'");
        RecordingPrinter q;
        QVERIFY(PrintA4Full(q, request()).printed);
        QCOMPARE(q.pageCount(), 1);
        QCOMPARE(at(q, 1, 258, 100).text, QStringLiteral("40,600"));
        QCOMPARE(at(q, 1, 262, 100).text, QStringLiteral("40,600"));
    }

    void categoriesInKeyOrderWithPageNumbersRunningOn()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // Entered out of key order; 3 has no lines; 5 has lines of another date only.
        category(3, QStringLiteral("空き"));
        category(2, QStringLiteral("食品"));
        category(1, QStringLiteral("文具"));
        category(5, QStringLiteral("雑貨"));
        addNumbered(3, 1, QStringLiteral("文"));
        addNumbered(30, 2, QStringLiteral("食"));
        Line old;
        old.category = 5;
        old.date = kOtherDate;
        add(old);
        addNumbered(2, 0, QStringLiteral("未"));

        RecordingPrinter p;
        const auto result = PrintA4Full(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.pageCount(), 6);
        const QStringList headings{"文具", "食品", "食品", "空き", "雑貨"};
        for (int page = 1; page <= 6; ++page) {
            QCOMPARE(pageNumber(p, page).text, QStringLiteral(" %1 ").arg(page));
            if (page <= 5) {
                QCOMPARE(find(p, page, "項目").y, 18.0);
                QCOMPARE(find(p, page, headings.at(page - 1)).y, 18.0);
            }
        }
        QCOMPARE(find(p, 1, "文3").y, rowY(2));
        QCOMPARE(find(p, 2, "食1").y, rowY(0));
        QCOMPARE(find(p, 3, "食29").y, rowY(0));
        QCOMPARE(find(p, 3, "食30").y, rowY(1));
        // A category without lines of the date still gets its page with a subtotal of 0.
        for (int page : {4, 5}) {
            QCOMPARE(at(p, page, 258, 100).text, QStringLiteral("0"));
            for (const auto& t : texts(p, page))
                QVERIFY2(t.y < 35 || t.y > 255, qPrintable(t.describe()));
        }
        // Then the uncategorised lines, on a page of their own under the one heading text.
        QCOMPARE(find(p, 6, "項目　未区分").x, 12.0);
        QCOMPARE(find(p, 6, "項目　未区分").y, 18.0);
        QVERIFY(!has(p, 6, "項目"));
        QCOMPARE(find(p, 6, "未1").y, rowY(0));
        QCOMPARE(at(p, 6, 258, 100).text, QStringLiteral("300"));
        // The lines of the date only: 600 + 46,500 + 300.
        QCOMPARE(result.printedTotal, 47400.0);
        QCOMPARE(at(p, 6, 262, 100).text, QStringLiteral("47,400"));
        QVERIFY(!printing::totalsDiffer(result.printedTotal,
                                        db::scalar("SELECT SUM(価格) FROM 棚卸マスター WHERE 日付 = ?",
                                                   {db::isoDate(kDate)}).toDouble()));
    }

    void oneCategoryChosenLeavesOutTheUncategorisedPart()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(3, 1, QStringLiteral("文"));
        addNumbered(2, 2, QStringLiteral("食"));
        addNumbered(2, 0, QStringLiteral("未"));

        RecordingPrinter p;
        const auto result = PrintA4Simple(p, request(false, 2));
        QVERIFY(result.printed);
        QCOMPARE(p.pageCount(), 1);
        QVERIFY(has(p, 1, "食品"));
        QVERIFY(!has(p, 1, "文1"));
        QVERIFY(!has(p, 1, "項目　未区分"));
        QVERIFY(!has(p, 1, "未1"));
        QCOMPARE(result.printedTotal, 300.0);
        QCOMPARE(at(p, 1, 262, 100).text, QStringLiteral("300"));
    }

    void uncategorisedLinesAloneStartOnTheFirstPage()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addNumbered(29, 0, QStringLiteral("未"));

        RecordingPrinter p;
        const auto result = PrintA4Full(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(pageNumber(p, 1).text, QStringLiteral(" 1 "));
        QCOMPARE(find(p, 1, "項目　未区分").y, 18.0);
        QCOMPARE(find(p, 1, "未1").y, rowY(0));
        QCOMPARE(at(p, 1, 258, 100).text, QStringLiteral("40,600"));
        // The heading comes again after the break inside the part.
        QCOMPARE(find(p, 2, "項目　未区分").y, 18.0);
        QCOMPARE(find(p, 2, "未29").y, rowY(0));
        QCOMPARE(at(p, 2, 262, 100).text, QStringLiteral("43,500"));
    }

    void rowColumnsAndFractions()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        auto row = [](const QString& name, QVariant qty, QVariant price, QVariant amount, QVariant note = {},
                      QVariant unit = QStringLiteral("個")) {
            Line l;
            l.name = name;
            l.quantity = qty;
            l.price = price;
            l.amount = amount;
            l.note = note;
            l.unit = unit;
            add(l);
        };
        row("a", 2, 100, 200, "棚B");
        row("b", 2.25, 1500.5, 3376.125);
        row("c", 999, 1500, 1498500);
        row("d", 999.5, 1, 999.5);
        row("e", QVariant(), QVariant(), 500, QString(QChar(0)), QVariant());
        row("f", 1, 10, QVariant());

        RecordingPrinter p;
        const auto result = PrintA4Full(p, request());
        QVERIFY(result.printed);
        const double qtyEdge = edge(p, 90, "数量"), priceEdge = edge(p, 125, "単価"),
                     amountEdge = edge(p, 154, "価格");
        auto cell = [&](int row, double fromX) { return at(p, 1, rowY(row), fromX); };

        QCOMPARE(find(p, 1, "a").x, 15.0);
        const auto two = cell(0, 40), twoQuarter = cell(1, 40), whole = cell(2, 40), half = cell(3, 40);
        QCOMPARE(two.text, QStringLiteral("2"));
        QCOMPARE(twoQuarter.text, QStringLiteral("2.25"));
        QCOMPARE(half.text, QStringLiteral("999.50"));
        // Whole quantities end at the column's edge; a fraction starts where its whole part alone
        // would, its decimals running past the edge.
        QVERIFY(near(two.x + two.width, qtyEdge));
        QVERIFY(near(whole.x + whole.width, qtyEdge));
        QVERIFY(near(twoQuarter.x, two.x));
        QVERIFY(near(half.x, whole.x));
        QVERIFY(twoQuarter.x + twoQuarter.width > qtyEdge);

        QCOMPARE(at(p, 1, rowY(0), 100).text, QStringLiteral("個"));
        QCOMPARE(at(p, 1, rowY(0), 100).x, 103.0);
        const auto priceWhole = at(p, 1, rowY(2), 110), priceFrac = at(p, 1, rowY(1), 110);
        QCOMPARE(priceWhole.text, QStringLiteral("1,500"));
        QCOMPARE(priceFrac.text, QStringLiteral("1,500.50"));
        QVERIFY(near(priceWhole.x + priceWhole.width, priceEdge));
        QVERIFY(near(priceFrac.x, priceWhole.x));
        const auto amount = at(p, 1, rowY(2), 130);
        QCOMPARE(amount.text, QStringLiteral("1,498,500"));
        QVERIFY(near(amount.x + amount.width, amountEdge));
        QCOMPARE(at(p, 1, rowY(1), 130).text, QStringLiteral("3,376"));
        QCOMPARE(find(p, 1, "棚B").x, 164.0);

        // Empty fields leave their columns blank and the rest of the row is printed; the NUL
        // remark prints nothing; an empty amount adds nothing.
        const auto eRow = [&] {
            QStringList out;
            for (const auto& t : texts(p, 1))
                if (near(t.y, rowY(4)))
                    out << t.text;
            return out;
        }();
        QCOMPARE(eRow, (QStringList{"e", "500"}));
        QCOMPARE(cell(5, 40).text, QStringLiteral("1"));
        QVERIFY(at(p, 1, rowY(5), 130).op.isEmpty());
        QCOMPARE(result.printedTotal, 200 + 3376.125 + 1498500 + 999.5 + 500);
        QCOMPARE(at(p, 1, 262, 100).text, QStringLiteral("1,503,576"));
    }

    // A text column is cut to end before the column's rule or the figure right of it, whichever
    // comes first; the figure is printed whole. The category heading ends before the date line.
    void aTextColumnEndsBeforeWhatStandsRightOfIt_data()
    {
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<QString>("quantityFigure");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("priceFigure");

        QTest::newRow("full, 40-byte name, 7-digit quantity")
            << true << kName40 << 1234567.0 << "1,234,567" << "ケース入" << 1500.0 << "1,500";
        QTest::newRow("simple, 40-byte name, 7-digit quantity")
            << false << kName40 << 1234567.0 << "1,234,567" << "ケース入" << 1500.0 << "1,500";
        QTest::newRow("a fraction starts where its whole part would")
            << true << kName40 << 1234567.5 << "1,234,567.50" << "個" << 1500.5 << "1,500.50";
        QTest::newRow("figures wider than their columns")
            << true << kName40 << 123456789012.0 << "123,456,789,012" << "ケース入" << 12345678901.0
            << "12,345,678,901";
        QTest::newRow("surrogate pairs") << true << QStringLiteral("𠮷").repeated(25) << 1234567.0 << "1,234,567"
                                         << "𠮷𠮷𠮷𠮷" << 1.0 << "1";
        QTest::newRow("letters with their marks")
            << false << QStringLiteral("か\u3099").repeated(25) << 1234567.0 << "1,234,567"
            << QStringLiteral("は\u309a").repeated(4) << 1.0 << "1";
        QTest::newRow("short texts stay whole") << true << "鉛筆" << 12.0 << "12" << "本" << 100.0 << "100";
    }

    void aTextColumnEndsBeforeWhatStandsRightOfIt()
    {
        QFETCH(bool, full);
        QFETCH(QString, name);
        QFETCH(double, quantity);
        QFETCH(QString, quantityFigure);
        QFETCH(QString, unit);
        QFETCH(double, price);
        QFETCH(QString, priceFigure);
        testsupport::Env env;
        env.openNewDatabase();
        const QString note = QStringLiteral("倉庫二階奥の棚、賞味期限の近いものから先に出すこと");
        category(1, kLongCategoryName);
        Line l;
        l.name = name;
        l.quantity = quantity;
        l.unit = unit;
        l.price = price;
        l.amount = 1;
        l.note = note;
        add(l);

        RecordingPrinter p;
        QVERIFY((full ? PrintA4Full(p, request()) : PrintA4Simple(p, request())).printed);
        const double y = rowY(0);
        // The figures are printed whole.
        auto figure = [&](const QString& text) {
            for (const auto& t : texts(p, 1))
                if (near(t.y, y) && t.text == text)
                    return t;
            return prn::Recorded{};
        };
        const auto quantityText = figure(quantityFigure), priceText = figure(priceFigure);
        QVERIFY(!quantityText.op.isEmpty());
        QVERIFY(!priceText.op.isEmpty());
        QVERIFY2(quantityText.x > 15 && priceText.x > quantityText.x, qPrintable(quantityText.describe()));
        const QString nameCut = notCutBefore(p, textAt(p, 1, 15, y), name, std::min(82.0, quantityText.x), 1);
        QVERIFY2(nameCut.isEmpty(), qPrintable(nameCut));
        const QString unitCut = notCutBefore(p, textAt(p, 1, 103, y), unit, std::min(112.0, priceText.x), 1);
        QVERIFY2(unitCut.isEmpty(), qPrintable(unitCut));
        const QString noteCut = notCutBefore(p, textAt(p, 1, 164, y), note, 192, 1);
        QVERIFY2(noteCut.isEmpty(), qPrintable(noteCut));
        const QString headingCut = notCutBefore(p, textAt(p, 1, 20, 18), kLongCategoryName, 142, 1);
        QVERIFY2(headingCut.isEmpty(), qPrintable(headingCut));
    }

    void theTwoPageFrames()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        addNumbered(1, 1);

        RecordingPrinter full;
        QVERIFY(PrintA4Full(full, request()).printed);
        QStringList rules;
        for (const QString& op : full.describePage(1))
            if (!op.startsWith("text"))
                rules << op;
        QStringList expected{
            "arc 13 30 r1 1.57..3.14",   "arc 13 269 r1 3.14..4.71",   "arc 191 269 r1 4.71..6.28",
            "arc 191 30 r1 0..1.57",     "line 13 29 191 29 s0 w1 m10", "line 12 30 12 269 s0 w1 m10",
            "line 13 270 191 270 s0 w1 m10", "line 192 30 192 269 s0 w1 m10",
            "line 72 16 122 16 s0 w1 m10",   "line 12 35 192 35 s0 w1 m10",
        };
        for (int x : {82, 102, 112, 137, 162})
            expected << QStringLiteral("line %1 29 %1 270 s2 w1 m10").arg(x);
        QStringList simpleExpected{"line 72 16 122 16 s0 w1 m10", "line 12 35 192 35 s0 w1 m10"};
        for (int y = 42; y <= 250; y += 8) {
            expected << QStringLiteral("line 12 %1 192 %1 s2 w1 m10").arg(y);
            simpleExpected << QStringLiteral("line 12 %1 192 %1 s2 w1 m10").arg(y);
        }
        expected << "line 12 258 192 258 s0 w1 m10";
        simpleExpected << "line 12 258 192 258 s0 w1 m10";
        QCOMPARE(rules, expected);

        RecordingPrinter simple;
        QVERIFY(PrintA4Simple(simple, request()).printed);
        QStringList simpleRules;
        for (const QString& op : simple.describePage(1))
            if (!op.startsWith("text"))
                simpleRules << op;
        QCOMPARE(simpleRules, simpleExpected);

        // The same texts on both, the title larger, all in the print font.
        for (RecordingPrinter* p : {&full, &simple}) {
            const QList<QPair<QString, QPointF>> heads{
                {"棚　卸　表", {87, 11}}, {"品　名", {22, 30}}, {"数　量", {85, 30}}, {"単位", {103, 30}},
                {"単　価", {117, 30}},    {"価　格", {142, 30}}, {"備考", {167, 30}},  {"頁", {192, 10}},
                {"日付　　　　　　　　　日現在", {142, 20}}, {"2026/03/31", {152, 20}}};
            for (const auto& [text, pos] : heads) {
                const auto t = find(*p, 1, text);
                QCOMPARE(QPointF(t.x, t.y), pos);
                QCOMPARE(t.fontSize, text == "棚　卸　表" ? 14.25 : 9.75);
                QCOMPARE(t.fontName, QStringLiteral("ＭＳ 明朝"));
            }
            // The page number is measured on its digits and printed with a blank each side.
            const auto number = pageNumber(*p, 1);
            QCOMPARE(number.text, QStringLiteral(" 1 "));
            QVERIFY(near(number.x + p->textWidth(" 1"), edge(*p, 185, "頁") + p->textWidth(" ")));
        }

        // Paper, unit and draw mode of the job; the copy pen again once it has ended.
        QStringList setup;
        for (const auto& r : full.log) {
            if (r.op == "text")
                break;
            setup << r.describe();
        }
        QCOMPARE(setup.mid(0, 4), (QStringList{"paperSize 9", "orientation 1", "scaleMode 6", "drawMode 10"}));
        qsizetype end = 0;
        while (end < full.log.size() && full.log.at(end).op != "endDoc")
            ++end;
        QVERIFY(end + 1 < full.log.size());
        QCOMPARE(full.log.at(end + 1).describe(), QStringLiteral("drawMode 13"));
    }

    void aJobThatCannotFinishSendsNothing()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        category(2, QStringLiteral("食品"));
        addNumbered(200, 1);
        addNumbered(100, 2);

        // The device fails on the second page: the engine stops and nothing is sent.
        RecordingPrinter p;
        p.failAtDrawing(120);
        const auto failed = PrintA4Full(p, request());
        SHEET_VERIFY_DROPPED(failed, p, Device);
        QVERIFY(!failed.cancelled);

        // The output file question cancelled.
        RecordingPrinter c;
        c.cancelNextJob();
        const auto cancelled = PrintA4Simple(c, request());
        QVERIFY(!cancelled.printed);
        QVERIFY(cancelled.cancelled);
        QCOMPARE(c.sentCount(), 0);
        // The same printer prints the next job whole.
        const auto again = PrintA4Simple(c, request());
        QVERIFY(again.printed);
        QCOMPARE(c.pageCount(), 12);
        QCOMPARE(again.printedTotal, 100.0 * (200 * 201 / 2 + 100 * 101 / 2));

        // The database fails while the second category's lines are being read: the pages drawn
        // so far are dropped, not sent as if the sheet were complete.
        breakNamesWhere(QStringLiteral("項目ID = 2 AND 価格 = 5000"));
        RecordingPrinter broken;
        const auto midway = PrintA4Full(broken, request());
        SHEET_VERIFY_DROPPED(midway, broken, Database);
        QVERIFY(broken.pageCount() > 8);   // the first category's pages had been drawn

        // No database: no document is begun.
        db::close();
        RecordingPrinter d;
        const auto noData = PrintA4Full(d, request());
        QVERIFY(!noData.printed);
        QVERIFY(!noData.error.isEmpty());
        QCOMPARE(d.documentCount(), 0);
        QVERIFY(!pointer::isHourglass());
    }

    void totalsThatDifferOnlyByRoundingAgree()
    {
        double tenths = 0;
        for (int i = 0; i < 10; ++i)
            tenths += 0.1;
        QVERIFY(!printing::totalsDiffer(tenths, 1.0));
        QVERIFY(!printing::totalsDiffer(12345678901.23, QString::number(12345678901.23, 'g', 15).toDouble()));
        QVERIFY(printing::totalsDiffer(1000, 999));
        QVERIFY(printing::totalsDiffer(1000, 1000.5));
        QVERIFY(printing::totalsDiffer(0, 0.01));
    }

    void aSheetIntoPdfUsesTheIpaFace()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("文具"));
        addNumbered(30, 1, QStringLiteral("ノート"));
        addNumbered(2, 0, QStringLiteral("未"));
        const QString file = env.path("sheet.pdf");
        prn::PdfFilePrinter pdf(QStringLiteral("PDF"), file);
        const auto result = PrintA4Full(pdf, request());
        QVERIFY(result.printed);
        const QString text = pdfcheck::text(file);
        QVERIFY2(text.contains(QRegularExpression("棚\\s*卸\\s*表")), qPrintable(text.left(400)));
        QVERIFY(text.contains("ノート30"));
        QVERIFY(text.contains(QRegularExpression("項目\\s*未区分")));
        QVERIFY(text.contains(QRegularExpression("小計\\s+40,600")));
        QVERIFY(text.contains(QRegularExpression("合計\\s+46,800")));
        const QString fonts = pdfcheck::run("pdffonts", {file});
        QVERIFY2(fonts.contains("IPAMincho"), qPrintable(fonts));
        QCOMPARE(pdfcheck::run("pdfinfo", {file}).contains(QRegularExpression("Pages:\\s+3")), true);
    }

    // What the PDF's text says is what the paper shows: the cut name, then the whole figure.
    void aCutNameIntoPdf()
    {
        testsupport::Env env;
        env.openNewDatabase();
        category(1, QStringLiteral("菓子"));
        const QString name = kName40;
        Line l;
        l.name = name;
        l.quantity = 1234567;
        add(l);
        const QString file = env.path("cut.pdf");
        prn::PdfFilePrinter pdf(QStringLiteral("PDF"), file);
        QVERIFY(PrintA4Full(pdf, request()).printed);
        pdfcheck::keepCopy(file);
        const QString text = pdfcheck::text(file);
        const auto match = QRegularExpression(QStringLiteral("(\\S+)\\s+1,234,567\\s")).match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text.left(600)));
        const QString printed = match.captured(1);
        QVERIFY2(name.startsWith(printed) && printed.size() >= name.size() - 2 && printed.size() < name.size(),
                 qPrintable(printed));
        QVERIFY(!text.contains(name));
    }
};

BREVOTANE_TEST_MAIN(TestCountSheet)
#include "test_count_sheet.moc"
