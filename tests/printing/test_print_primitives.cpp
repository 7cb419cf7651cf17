// The drawing rules the page engines share: the rounded box, right alignment against a reference
// text, and the number forms and blank padding of the sheets.
#include "TestSupport.h"

#include "platform/PrinterRecording.h"
#include "printing/PagePrimitives.h"

#include <cmath>
#include <limits>

using namespace printing;
using prn::RecordingPrinter;

class TestPrintPrimitives : public QObject {
    Q_OBJECT
private slots:
    void theRoundBoxOfTheFullSheet()
    {
        RecordingPrinter p;
        p.setScaleMode(prn::kScaleMillimetres);
        p.setDrawMode(prn::kModeNotXorPen);
        p.setDrawStyle(prn::kStyleSolid);
        p.setDrawWidth(1);
        DrawRoundBox(p, 12, 29, 192, 270, 1, kBlack);
        // Corners counter-clockwise from three o'clock, then the sides, in the caller's style.
        QCOMPARE(p.describePage(1), (QStringList{
                                        "arc 13 30 r1 1.57..3.14",
                                        "arc 13 269 r1 3.14..4.71",
                                        "arc 191 269 r1 4.71..6.28",
                                        "arc 191 30 r1 0..1.57",
                                        "line 13 29 191 29 s0 w1 m10",
                                        "line 12 30 12 269 s0 w1 m10",
                                        "line 13 270 191 270 s0 w1 m10",
                                        "line 192 30 192 269 s0 w1 m10",
                                    }));
        const auto ops = p.page(1);
        // π as the sheets were laid out with it, handed on in single precision.
        QCOMPARE(ops.at(0).start, double(float(0.5 * 3.1415926)));
        QCOMPARE(ops.at(2).end, double(float(3.1415926 + 3.1415926)));
        for (const auto& r : ops)
            QCOMPARE(r.colour, kBlack);
    }

    void aStepThatOverflowsIsLeftOutAndTheRestDrawn()
    {
        RecordingPrinter p;
        p.setScaleMode(prn::kScaleMillimetres);
        const float big = std::numeric_limits<float>::max();
        // x2 − r overflows single precision: the top and bottom sides cannot be placed; both
        // upright sides still are.
        DrawRoundBox(p, 0, 0, big, 10, -big, kBlack);
        const auto ops = p.page(1);
        QCOMPARE(ops.size(), 2);   // a negative radius draws no arc
        for (const auto& r : ops) {
            QCOMPARE(r.op, QStringLiteral("line"));
            QVERIFY(std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.x2) && std::isfinite(r.y2));
        }
        QCOMPARE(ops.at(0).x, 0.0);     // the left side
        QCOMPARE(ops.at(1).x, double(big));   // the right side
    }

    void rightAlignmentEndsWhereTheReferenceEnds()
    {
        RecordingPrinter p;
        p.setScaleMode(prn::kScaleMillimetres);
        p.setFontName(QStringLiteral("ＭＳ 明朝"));
        p.setFontSize(9.75);
        const double edge = 154 + p.textWidth(QStringLiteral("価格"));
        printAligned(p, 154, 38, QStringLiteral("価格"), QStringLiteral("5"));
        // Wider than the reference: it starts left of the base and still ends at the same edge.
        printAligned(p, 154, 46, QStringLiteral("価格"), QStringLiteral("12,345,678"));
        const auto ops = p.page(1);
        QCOMPARE(ops.size(), 2);
        QVERIFY(qAbs(ops.at(0).x + ops.at(0).width - edge) < 1e-9);
        QVERIFY(qAbs(ops.at(1).x + ops.at(1).width - edge) < 1e-9);
        QVERIFY(ops.at(1).x < 154);
        QCOMPARE(ops.at(1).y, 46.0);

        // A number is measured on its digits and printed with a blank before and after them, so
        // its digits end one blank-width beyond the reference's edge.
        const double pageEdge = 185 + p.textWidth(QStringLiteral("頁"));
        printAligned(p, 185, 10, QStringLiteral("頁"), prn::PrinterObject::numberText(12),
                     prn::PrinterObject::plainNumber(12));
        const auto number = p.page(1).last();
        QCOMPARE(number.text, QStringLiteral(" 12 "));
        QVERIFY(qAbs(number.x + p.textWidth(" 12") - (pageEdge + p.textWidth(" "))) < 1e-9);
    }

    void numberFormsAndBlankPadding()
    {
        QCOMPARE(wholeOrTwoDecimals(12), QStringLiteral("12"));
        QCOMPARE(wholeOrTwoDecimals(2.25), QStringLiteral("2.25"));
        QCOMPARE(wholeOrTwoDecimals(1.5), QStringLiteral("1.50"));
        QCOMPARE(wholeOrTwoDecimals(1500.5), QStringLiteral("1,500.50"));
        QCOMPARE(wholeOrTwoDecimals(-0.5), QStringLiteral("-0.50"));
        QCOMPARE(wholeOrTwoDecimals(1234567), QStringLiteral("1,234,567"));
        QCOMPARE(amountText(2.5), QStringLiteral("3"));
        QCOMPARE(amountText(-1234.5), QStringLiteral("-1,235"));

        QCOMPARE(padLeft(QStringLiteral("12"), 9), QStringLiteral("       12"));
        QCOMPARE(padLeft(QStringLiteral("1.50"), 9), QStringLiteral("     1.50"));
        QCOMPARE(padLeft(QStringLiteral("1,500"), 9), QStringLiteral("    1,500"));
        QCOMPARE(padLeft(QStringLiteral("1,500.50"), 12), QStringLiteral("    1,500.50"));
        QCOMPARE(padLeft(QStringLiteral("123456789"), 9), QStringLiteral("123456789"));
        QCOMPARE(padLeft(QStringLiteral("12,345,678"), 9), QStringLiteral("12,345,678"));
    }
};

BREVOTANE_TEST_MAIN(TestPrintPrimitives)
#include "test_print_primitives.moc"
