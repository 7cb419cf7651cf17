// The list box's focus events: only a move to another control of the same window is entering or
// leaving the box. Another window taking the focus and giving it back is neither.
#include "TestSupport.h"

#include "platform/DataCombo.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace {

struct Counts {
    int got = 0;
    int lost = 0;
};

void activate(QWidget* w)
{
    w->activateWindow();
    QApplication::processEvents();
    QTRY_VERIFY(QApplication::activeWindow() == w);
}

} // namespace

class TestDataCombo : public QObject {
    Q_OBJECT
private slots:
    void onlyMovesWithinTheWindowCount()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* box = new DataCombo(&window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        Counts c;
        connect(box, &DataCombo::GotFocus, [&c] { ++c.got; });
        connect(box, &DataCombo::LostFocus, [&c] { ++c.lost; });
        // The first control of a window shown is entered as the window gets the focus.
        window.show();
        activate(&window);
        QVERIFY(box->hasFocus());
        QCOMPARE(c.got, 1);

        // A message box or the main window takes the focus, then gives it back.
        QWidget elsewhere;
        auto* elsewhereEdit = new QLineEdit(&elsewhere);
        elsewhere.show();
        activate(&elsewhere);
        elsewhereEdit->setFocus();
        QApplication::processEvents();
        QVERIFY(!box->hasFocus());
        activate(&window);
        QVERIFY(box->hasFocus());
        QCOMPARE(c.lost, 0);
        QCOMPARE(c.got, 1);

        // Moving on inside the window is leaving the box, by keyboard or mouse alike.
        other->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QCOMPARE(c.lost, 1);
        box->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QCOMPARE(c.got, 2);

        // The list's own popup opening and closing is no move either.
        box->addItem("a");
        box->showPopup();
        QApplication::processEvents();
        box->hidePopup();
        QApplication::processEvents();
        QCOMPARE(c.got, 2);
        QCOMPARE(c.lost, 1);

        // The window closing takes the focus nowhere: not a move either.
        window.hide();
        QApplication::processEvents();
        QCOMPARE(c.lost, 1);
    }
};

BREVOTANE_TEST_MAIN(TestDataCombo)
#include "test_datacombo.moc"
