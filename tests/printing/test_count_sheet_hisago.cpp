// The count sheet on the preprinted form: 30 lines on the first page and 29 on later ones, the
// carry-forward and brought-forward lines, the totals line, positions in twips from the form's
// millimetres with the physical and user offsets, and the blank-padded number fields.
#include "TestSupport.h"

#include "SheetTestData.h"
#include "platform/Cursor.h"

#include <QRegularExpression>
#include <cmath>

using namespace sheettest;
using printing::PrintHisago;
using prn::RecordingPrinter;

namespace {

// Count line k of a page (1-based) at its own height.
double lineY(int k, bool firstPage)
{
    return (firstPage ? 1672.65 : 2126.25) + 453.6 * (k - 1);
}

bool near(double a, double b)
{
    return std::fabs(a - b) < 0.01;
}

QString padded(const QString& s, int width)
{
    return QString(std::max<qsizetype>(0, width - s.size()), QLatin1Char(' ')) + s;
}

} // namespace

class TestCountSheetHisago : public QObject {
    Q_OBJECT
private slots:
    void thirtyLinesFillTheFirstPage()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addNumbered(30, 1);

        RecordingPrinter p;
        const auto result = PrintHisago(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.sentCount(), 1);
        QCOMPARE(p.pageCount(), 1);
        QCOMPARE(result.printedTotal, 46500.0);

        // The head: page number as a number, the title and the date continuing its line.
        QCOMPARE(textAt(p, 1, 10773, 567).text, QStringLiteral(" 1 "));
        const auto title = textAt(p, 1, 4536, 567);
        QCOMPARE(title.text, QStringLiteral("棚卸表　　"));
        const auto date = textAt(p, 1, title.x + title.width, 567);
        QCOMPARE(date.text, QStringLiteral("日付　2026/03/31 "));
        for (const auto& t : texts(p, 1)) {
            QCOMPARE(t.fontSize, 10.0);
            QCOMPARE(t.fontName, QStringLiteral("ＭＳ 明朝"));
            QCOMPARE(t.scaleMode, prn::kScaleTwips);
        }

        // Lines 1 to 30 from 29.5 mm to 261.5 mm, each with its running total.
        double running = 0;
        for (int k = 1; k <= 30; ++k) {
            const double y = lineY(k, true);
            running += k * 100;
            QCOMPARE(textAt(p, 1, 1020.6, y).text, QStringLiteral("03/31"));
            QCOMPARE(textAt(p, 1, 2438.1, y).text, QStringLiteral("品%1").arg(k));
            QCOMPARE(textAt(p, 1, 6237, y - 110).text, padded(QString::number(k), 9));
            QCOMPARE(textAt(p, 1, 7654.5, y + 110).text, padded(QLocale(QLocale::English).toString(k * 100), 12));
            QCOMPARE(textAt(p, 1, 10035.9, y + 110).text,
                     padded(QLocale(QLocale::English).toString(qint64(running)), 12));
        }
        QVERIFY(near(lineY(30, true), 261.5 * 56.7));
        QVERIFY(!has(p, 1, "次頁へ繰越"));
        QVERIFY(!has(p, 1, "前頁ヨリ繰越"));
        // The totals line at 270 mm without a caption, with this page's amounts in the amount
        // column; the field at 156 mm stays empty.
        QCOMPARE(textAt(p, 1, 10035.9, 15309).text, QStringLiteral("      46,500"));
        QCOMPARE(textAt(p, 1, 7654.5, 15309).text, QStringLiteral("      46,500"));
        QVERIFY(textAt(p, 1, 8845.2, 15309).op.isEmpty());
    }

    void theThirtyFirstLineIsCarriedToASecondPage()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addNumbered(31, 1);

        RecordingPrinter p;
        const auto result = PrintHisago(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(textAt(p, 1, 2438.1, lineY(30, true)).text, QStringLiteral("品30"));
        QCOMPARE(textAt(p, 1, 2438.1, 15309).text, QStringLiteral("次頁へ繰越"));
        QCOMPARE(textAt(p, 1, 10035.9, 15309).text, QStringLiteral("      46,500"));
        QCOMPARE(textAt(p, 1, 7654.5, 15309).text, QStringLiteral("      46,500"));
        QVERIFY(textAt(p, 1, 8845.2, 15309).op.isEmpty());

        QCOMPARE(textAt(p, 2, 10773, 567).text, QStringLiteral(" 2 "));
        QCOMPARE(textAt(p, 2, 4536, 567).text, QStringLiteral("棚卸表　　"));
        QCOMPARE(textAt(p, 2, 2438.1, 1701).text, QStringLiteral("前頁ヨリ繰越"));
        QCOMPARE(textAt(p, 2, 10035.9, 1701).text, QStringLiteral("      46,500"));
        QCOMPARE(textAt(p, 2, 2438.1, lineY(1, false)).text, QStringLiteral("品31"));
        QCOMPARE(textAt(p, 2, 10035.9, lineY(1, false) + 110).text, QStringLiteral("      49,600"));
        // The last page's foot: its own amounts and the total.
        QCOMPARE(textAt(p, 2, 10035.9, 15309).text, QStringLiteral("      49,600"));
        QCOMPARE(textAt(p, 2, 7654.5, 15309).text, QStringLiteral("       3,100"));
        QVERIFY(textAt(p, 2, 8845.2, 15309).op.isEmpty());
        QVERIFY(!has(p, 2, "次頁へ繰越"));
        QCOMPARE(result.printedTotal, 49600.0);
    }

    void laterPagesHoldTwentyNineLines()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addNumbered(59, 1);
        RecordingPrinter p;
        QVERIFY(PrintHisago(p, request()).printed);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(textAt(p, 2, 2438.1, lineY(29, false)).text, QStringLiteral("品59"));
        QVERIFY(near(lineY(29, false), 261.5 * 56.7));
        QVERIFY(!has(p, 2, "次頁へ繰越"));
        QCOMPARE(textAt(p, 2, 10035.9, 15309).text, QStringLiteral("     177,000"));

        Line sixtieth;
        sixtieth.name = QStringLiteral("品60");
        sixtieth.amount = 6000;
        add(sixtieth);
        RecordingPrinter q;
        QVERIFY(PrintHisago(q, request()).printed);
        QCOMPARE(q.pageCount(), 3);
        QCOMPARE(textAt(q, 2, 2438.1, 15309).text, QStringLiteral("次頁へ繰越"));
        QCOMPARE(textAt(q, 2, 7654.5, 15309).text, QStringLiteral("     130,500"));
        QVERIFY(textAt(q, 2, 8845.2, 15309).op.isEmpty());
        QCOMPARE(textAt(q, 3, 10773, 567).text, QStringLiteral(" 3 "));
        QCOMPARE(textAt(q, 3, 10035.9, 1701).text, QStringLiteral("     177,000"));
        QCOMPARE(textAt(q, 3, 2438.1, lineY(1, false)).text, QStringLiteral("品60"));
        QCOMPARE(textAt(q, 3, 10035.9, 15309).text, QStringLiteral("     183,000"));
    }

    void offsetsMoveEveryText()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addNumbered(31, 1);

        RecordingPrinter plain;
        QVERIFY(PrintHisago(plain, request()).printed);
        auto shifted = [&](double mmX, double mmY, QPoint physPx, double dx, double dy) {
            RecordingPrinter p(QStringLiteral("R"), 576, physPx);
            auto r = request();
            r.offsetX = mmX;
            r.offsetY = mmY;
            r.physOffsetX = physPx.x();
            r.physOffsetY = physPx.y();
            QVERIFY(PrintHisago(p, r).printed);
            for (int page : {1, 2}) {
                const auto a = texts(plain, page), b = texts(p, page);
                QCOMPARE(b.size(), a.size());
                for (qsizetype i = 0; i < a.size(); ++i) {
                    QCOMPARE(b.at(i).text, a.at(i).text);
                    QVERIFY2(near(b.at(i).x, a.at(i).x + dx) && near(b.at(i).y, a.at(i).y + dy),
                             qPrintable(b.at(i).describe() + " / " + a.at(i).describe()));
                }
            }
        };
        shifted(1, 0, {}, 57, 0);        // 56.7 twips to the nearest whole one
        shifted(0.5, 0, {}, 28, 0);      // 28.35
        shifted(0, -1.5, {}, 0, -85);    // 85.05
        shifted(0, 2.5, {}, 0, 142);     // 141.75
        // The printable area's corner 96 × 48 device pixels in at 576 dpi: 240 × 120 twips.
        shifted(1, 1, {96, 48}, 57 - 240, 57 - 120);

        // An offset the form cannot take, or no number at all: nothing is printed.
        for (double bad : {578.0, -578.0, std::nan("")}) {
            RecordingPrinter p;
            auto r = request();
            r.offsetY = bad;
            const auto result = PrintHisago(p, r);
            QVERIFY(!result.printed);
            QVERIFY(!result.error.isEmpty());
            QCOMPARE(p.documentCount(), 0);
            QVERIFY(!pointer::isHourglass());
        }
        RecordingPrinter edge;
        auto r = request();
        r.offsetX = -577;
        QVERIFY(PrintHisago(edge, r).printed);
    }

    void fieldsPaddedToTheirWidths()
    {
        testsupport::Env env;
        env.openNewDatabase();
        auto row = [](QVariant name, QVariant qty, QVariant unit, QVariant price, QVariant amount) {
            Line l;
            l.name = name;
            l.quantity = qty;
            l.unit = unit;
            l.price = price;
            l.amount = amount;
            add(l);
        };
        row("整数", 12, "個", 1500, 18000);
        row("小数", 1.5, QVariant(), 1500.5, 2250.75);
        row("大量", 12345678, "本", QVariant(), 1);
        row("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめも", 1, "個", 1, 1);
        row("消費税", QVariant(), QVariant(), QVariant(), 800);
        // A product that was never priced, and one whose name is empty.
        row(QVariant(), 2, "箱", 10, QVariant());

        RecordingPrinter p;
        const auto result = PrintHisago(p, request());
        QVERIFY(result.printed);
        const double y1 = lineY(1, true), y2 = lineY(2, true), y3 = lineY(3, true), y4 = lineY(4, true),
                     y5 = lineY(5, true), y6 = lineY(6, true);

        // A quantity of 12 after seven blanks, its unit directly after it on the same line.
        const auto qty = textAt(p, 1, 6237, y1 - 110);
        QCOMPARE(qty.text, QStringLiteral("       12"));
        QCOMPARE(textAt(p, 1, 6237 + qty.width, y1 - 110).text, QStringLiteral(" 個"));
        QCOMPARE(textAt(p, 1, 6237, y1 + 110).text, QStringLiteral("    1,500"));
        QCOMPARE(textAt(p, 1, 7654.5, y1 + 110).text, QStringLiteral("      18,000"));
        // 1.5 as 1.50 after five blanks, no unit; 1,500.5 on twelve characters.
        const auto frac = textAt(p, 1, 6237, y2 - 110);
        QCOMPARE(frac.text, QStringLiteral("     1.50"));
        QVERIFY(textAt(p, 1, 6237 + frac.width, y2 - 110).op.isEmpty());
        QCOMPARE(textAt(p, 1, 6237, y2 + 110).text, QStringLiteral("    1,500.50"));
        QCOMPARE(textAt(p, 1, 7654.5, y2 + 110).text, QStringLiteral("       2,251"));
        // Too long for its field: printed as it is; no unit price; the run goes on.
        QCOMPARE(textAt(p, 1, 6237, y3 - 110).text, QStringLiteral("12,345,678"));
        QVERIFY(textAt(p, 1, 6237, y3 + 110).op.isEmpty());
        // A name longer than 30 characters: its first 30, and of them what ends before the
        // quantity's field.
        const QString cut = notCutBefore(p, textAt(p, 1, 2438.1, y4),
                                         QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"), 6237, 56.7);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
        // The consumption tax line counts like any other.
        QCOMPARE(textAt(p, 1, 2438.1, y5).text, QStringLiteral("消費税"));
        QCOMPARE(textAt(p, 1, 10035.9, y5 + 110).text, QStringLiteral("      21,053"));
        // No amount: that field stays blank and adds nothing; the rest of the line is printed.
        QVERIFY(textAt(p, 1, 2438.1, y6).op.isEmpty());
        QCOMPARE(textAt(p, 1, 6237, y6 - 110).text, QStringLiteral("        2"));
        QCOMPARE(textAt(p, 1, 6237, y6 + 110).text, QStringLiteral("       10"));
        QVERIFY(textAt(p, 1, 7654.5, y6 + 110).op.isEmpty());
        QCOMPARE(textAt(p, 1, 10035.9, y6 + 110).text, QStringLiteral("      21,053"));
        QCOMPARE(result.printedTotal, 18000 + 2250.75 + 1 + 1 + 800);
    }

    // The name's line reaches into the quantity's half above it and the unit price's below: the
    // name ends before their field at 110 mm, the unit after the quantity before the amount's
    // column at 135 mm. The figures are printed whole.
    void aNameEndsBeforeTheFiguresField_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("firstCharacters");   // its first 30, as the form takes them
        QTest::addColumn<double>("quantity");
        QTest::addColumn<QString>("quantityField");
        QTest::addColumn<QString>("unit");

        const QString fullWidth = QStringLiteral("北海道産小豆使用こしあん最中詰合せ十個入り贈答用化粧箱特大号");
        QTest::newRow("30 full-width characters, 7-digit quantity")
            << fullWidth << fullWidth << 1234567.0 << "1,234,567" << "個入";
        const QString bothWidths = QStringLiteral("ボールペン替芯黒赤青0.5mm BOX-12 SET(A4)");
        QTest::newRow("30 characters of both widths")
            << bothWidths << bothWidths << 1234567.0 << "1,234,567" << "ケース入";
        const QString halfWidth = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn");
        QTest::newRow("40 half-width characters: their first 30")
            << halfWidth << halfWidth.left(30) << 12.0 << "       12" << "本";
        // The 30th code unit is the mark of the 15th が: the letter goes with it.
        const QString marks = QStringLiteral("あ") + QStringLiteral("か\u3099").repeated(20);
        QTest::newRow("the 30th character a letter's mark") << marks << marks.left(29) << 12.0 << "       12" << "個";
    }

    void aNameEndsBeforeTheFiguresField()
    {
        QFETCH(QString, name);
        QFETCH(QString, firstCharacters);
        QFETCH(double, quantity);
        QFETCH(QString, quantityField);
        QFETCH(QString, unit);
        testsupport::Env env;
        env.openNewDatabase();
        Line l;
        l.name = name;
        l.quantity = quantity;
        l.unit = unit;
        l.price = 1500;
        add(l);

        RecordingPrinter p;
        QVERIFY(PrintHisago(p, request()).printed);
        const double y = lineY(1, true);
        const auto figure = textAt(p, 1, 6237, y - 110);
        QCOMPARE(figure.text, quantityField);
        const QString nameCut = notCutBefore(p, textAt(p, 1, 2438.1, y), firstCharacters, 6237, 56.7);
        QVERIFY2(nameCut.isEmpty(), qPrintable(nameCut));
        const QString unitCut =
            notCutBefore(p, textAt(p, 1, 6237 + figure.width, y - 110), QLatin1Char(' ') + unit, 7654.5, 56.7);
        QVERIFY2(unitCut.isEmpty(), qPrintable(unitCut));
        // A unit of two full-width characters, as the entry window allows, fits its field.
        if (unit.size() <= 2)
            QCOMPARE(textAt(p, 1, 6237 + figure.width, y - 110).text, QLatin1Char(' ') + unit);
    }

    void noTwoFieldsOverlapUpToTheLargestTotal()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // 31 lines of 3,225,806,451: the running total reaches 99,999,999,981 on the second page.
        for (int k = 1; k <= 31; ++k) {
            Line l;
            l.name = QStringLiteral("品%1").arg(k);
            l.quantity = 1;
            l.price = 3225806451.0;
            l.amount = 3225806451.0;
            add(l);
        }
        RecordingPrinter p;
        const auto result = PrintHisago(p, request());
        QVERIFY(result.printed);
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(textAt(p, 2, 10035.9, 15309).text, QStringLiteral("99,999,999,981"));
        // The ink of each text (its leading blanks left out; the face is fixed-pitch) keeps clear
        // of every other text on its line.
        for (int page : {1, 2}) {
            const auto all = texts(p, page);
            for (const auto& a : all)
                for (const auto& b : all) {
                    if (&a == &b || !near(a.y, b.y) || a.x > b.x)
                        continue;
                    const qsizetype blanks = b.text.size() - QString(b.text).remove(QRegularExpression("^ +")).size();
                    const double bStart = b.x + b.width * blanks / b.text.size();
                    QVERIFY2(a.x + a.width <= bStart + 0.01,
                             qPrintable(QStringLiteral("page %1: %2 runs into %3").arg(page).arg(a.describe(), b.describe())));
                }
        }
    }

    void aDateWithoutLinesAndAJobThatCannotFinish()
    {
        testsupport::Env env;
        env.openNewDatabase();
        Line other;
        other.date = kOtherDate;
        add(other);
        // Only the head; no totals line.
        RecordingPrinter empty;
        QVERIFY(PrintHisago(empty, request()).printed);
        QCOMPARE(empty.pageCount(), 1);
        QCOMPARE(texts(empty, 1).size(), 3);

        addNumbered(100, 1);
        RecordingPrinter p;
        p.failAtDrawing(200);
        const auto result = PrintHisago(p, request());
        QVERIFY(!result.printed);
        QCOMPARE(result.failure, printing::PrintFailure::Device);
        QCOMPARE(p.sentCount(), 0);
        QVERIFY(!pointer::isHourglass());

        // The database fails at the 50th line, on the second page: nothing is sent.
        breakNamesWhere(QStringLiteral("価格 = 5000"));
        RecordingPrinter broken;
        const auto midway = PrintHisago(broken, request());
        QVERIFY(!midway.printed);
        QCOMPARE(midway.failure, printing::PrintFailure::Database);
        QCOMPARE(broken.pageCount(), 2);
        QCOMPARE(broken.sentCount(), 0);
        QVERIFY(!pointer::isHourglass());
    }

    // The print dialog asks for the output file only when the form takes the offsets: the check
    // agrees with the engine on whether a document begins.
    void theOffsetCheckAgreesWithTheEngine()
    {
        testsupport::Env env;
        env.openNewDatabase();
        addNumbered(2, 1);
        for (double mm : {0.0, 577.0, -577.0, 578.0, -578.0, std::nan("")}) {
            for (bool onX : {true, false}) {
                RecordingPrinter p;
                auto r = request();
                (onX ? r.offsetX : r.offsetY) = mm;
                const bool fits = printing::hisagoOffsetsFit(r.offsetX, r.offsetY);
                PrintHisago(p, r);
                QVERIFY2(fits == (p.documentCount() > 0), qPrintable(QString::number(mm)));
                QCOMPARE(fits, std::isfinite(mm) && std::fabs(mm) < 578);
            }
        }
    }
};

BREVOTANE_TEST_MAIN(TestCountSheetHisago)
#include "test_count_sheet_hisago.moc"
