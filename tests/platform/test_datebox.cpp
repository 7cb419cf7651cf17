// The date box: a date typed on the keyboard, in the forms people type, is that date; a text that
// is no date never becomes another date; the steps and the calendar keep working.
#include "TestSupport.h"

#include "platform/DateBox.h"
#include "platform/Form.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(QDate)

namespace {

const QDate kStart(2025, 3, 31);

// A window with Enter as Tab and the box between two text boxes.
struct Window {
    Form form;
    QLineEdit* before = new QLineEdit(&form);
    DateBox* box = new DateBox(&form);
    QLineEdit* after = new QLineEdit(&form);

    Window()
    {
        form.setEnterAsTab(true);
        auto* layout = new QVBoxLayout(&form);
        layout->addWidget(before);
        layout->addWidget(box);
        layout->addWidget(after);
        box->setDate(kStart);
        form.show();
        form.activateWindow();
        QApplication::processEvents();
        before->setFocus(Qt::OtherFocusReason);
    }
};


} // namespace

class TestDateBox : public QObject {
    Q_OBJECT
private slots:
    void typedDates_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QDate>("expected");
        QTest::addColumn<bool>("left");       // the focus went on to the next control
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("changes");     // dateChanged signals

        // Tab or Enter into the box (the year is selected) and the whole date typed.
        QTest::newRow("slashes") << "<Tab>2026/12/31<Tab>" << QDate(2026, 12, 31) << true << "2026/12/31" << 1;
        QTest::newRow("zero-led month and day") << "<Tab>2027/01/05<Tab>" << QDate(2027, 1, 5) << true << "2027/01/05" << 1;
        QTest::newRow("one-digit month and day") << "<Tab>2026/1/5<Tab>" << QDate(2026, 1, 5) << true << "2026/01/05" << 1;
        QTest::newRow("one-digit month, two-digit day") << "<Tab>2026/1/15<Tab>" << QDate(2026, 1, 15) << true << "2026/01/15" << 1;
        QTest::newRow("hyphens") << "<Tab>2026-12-31<Tab>" << QDate(2026, 12, 31) << true << "2026/12/31" << 1;
        QTest::newRow("dots") << "<Tab>2026.3.9<Tab>" << QDate(2026, 3, 9) << true << "2026/03/09" << 1;
        QTest::newRow("digits only") << "<Tab>20261231<Tab>" << QDate(2026, 12, 31) << true << "2026/12/31" << 1;
        QTest::newRow("Enter leaves as Tab") << "<Tab>2026/12/31<Enter>" << QDate(2026, 12, 31) << true << "2026/12/31" << 1;
        QTest::newRow("leap day") << "<Tab>2028/2/29<Enter>" << QDate(2028, 2, 29) << true << "2028/02/29" << 1;
        QTest::newRow("Backspace takes back a digit") << "<Tab>2026/12/30<BS>1<Tab>" << QDate(2026, 12, 31) << true << "2026/12/31" << 1;
        QTest::newRow("the same date again") << "<Tab>2025/03/31<Tab>" << kStart << true << "2025/03/31" << 0;
        // From the day, as after Shift+Tab into the box: the day typed, the rest kept.
        QTest::newRow("day after Shift+Tab") << "<Tab><Tab><BackTab>15<Tab>" << QDate(2025, 3, 15) << true << "2025/03/15" << 1;
        // Only the year typed: month and day stay.
        QTest::newRow("year alone") << "<Tab>2027<Tab>" << QDate(2027, 3, 31) << true << "2027/03/31" << 1;

        // No date: the box keeps its date and the focus, and shows what was typed.
        QTest::newRow("February 30") << "<Tab>2026/02/30<Tab>" << kStart << false << "2026/02/30" << 0;
        QTest::newRow("February 29 of a common year") << "<Tab>2027/2/29<Enter>" << kStart << false << "2027/2/29" << 0;
        QTest::newRow("month 13") << "<Tab>2026/13/31<Tab>" << kStart << false << "2026/13/31" << 0;
        QTest::newRow("day 32") << "<Tab>2026/12/32<Enter>" << kStart << false << "2026/12/32" << 0;
        QTest::newRow("month 0") << "<Tab>2026/0/5<Tab>" << kStart << false << "2026/0/5" << 0;
        QTest::newRow("two separators") << "<Tab>2026//12/31<Tab>" << kStart << false << "2026//12/31" << 0;
        QTest::newRow("two-digit year") << "<Tab>26/12/31<Tab>" << kStart << false << "26/12/31" << 0;
        QTest::newRow("a digit too many") << "<Tab>2026/12/315<Tab>" << kStart << false << "2026/12/315" << 0;
        // ... and is corrected in place or dropped with Escape.
        QTest::newRow("corrected") << "<Tab>2026/02/30<Tab>2026/02/28<Tab>" << QDate(2026, 2, 28) << true << "2026/02/28" << 1;
        QTest::newRow("day corrected") << "<Tab><Tab><BackTab>32<Tab>30<Tab>" << QDate(2025, 3, 30) << true << "2025/03/30" << 1;
        QTest::newRow("dropped with Escape") << "<Tab>2026/02/30<Tab><Esc><Tab>" << kStart << true << "2025/03/31" << 0;

        // The steps: Up and Down step the section the cursor is in, also right after typing.
        QTest::newRow("Up on the year") << "<Tab><Up><Tab>" << QDate(2026, 3, 31) << true << "2026/03/31" << 1;
        QTest::newRow("Down after a typed month") << "<Tab>2026/5<Down><Tab>" << QDate(2026, 4, 30) << true << "2026/04/30" << 2;
    }

    void typedDates()
    {
        QFETCH(QString, keys);
        QFETCH(QDate, expected);
        QFETCH(bool, left);
        QFETCH(QString, shown);
        QFETCH(int, changes);
        Window w;
        QSignalSpy changed(w.box, &QDateEdit::dateChanged);
        testsupport::pressKeys(keys);
        QCOMPARE(w.box->date(), expected);
        QCOMPARE(w.after->hasFocus(), left);
        QCOMPARE(w.box->hasFocus(), !left);
        QCOMPARE(w.box->text(), shown);
        QCOMPARE(int(changed.count()), changes);
        if (changes > 0)
            QCOMPARE(changed.last().at(0).toDate(), expected);
        if (!left) {
            // The text that is no date is selected, to be typed again.
            QCOMPARE(w.box->findChild<QLineEdit*>()->selectedText(), shown);
            // Leaving it with the mouse keeps the date the box had.
            w.after->setFocus(Qt::MouseFocusReason);
            QCOMPARE(w.box->date(), kStart);
            QCOMPARE(w.box->text(), QStringLiteral("2025/03/31"));
        }
    }

    void theCalendar()
    {
        Window w;
        testsupport::pressKeys("<Tab>2026/12/30");
        // The arrow opens the calendar on the date typed.
        QStyleOptionComboBox arrow;
        arrow.initFrom(w.box);
        arrow.editable = true;
        arrow.subControls = QStyle::SC_All;
        const QRect at = w.box->style()->subControlRect(QStyle::CC_ComboBox, &arrow, QStyle::SC_ComboBoxArrow, w.box);
        QTest::mouseClick(w.box, Qt::LeftButton, {}, at.center());
        QCalendarWidget* calendar = w.box->calendarWidget();
        QTRY_VERIFY(calendar->isVisible());
        QCOMPARE(w.box->date(), QDate(2026, 12, 30));
        QCOMPARE(calendar->selectedDate(), QDate(2026, 12, 30));
        // A day picked with the keys is the box's date.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!calendar->isVisible());
        QCOMPARE(w.box->date(), QDate(2026, 12, 31));
        QCOMPARE(w.box->text(), QStringLiteral("2026/12/31"));
        w.box->setFocus(Qt::ShortcutFocusReason);
        testsupport::pressKeys("<Tab>");
        QVERIFY(w.after->hasFocus());
        QCOMPARE(w.box->date(), QDate(2026, 12, 31));
    }
};

BREVOTANE_TEST_MAIN(TestDateBox)
#include "test_datebox.moc"
