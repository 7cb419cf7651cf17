// The list box's focus events: only a move to another control of the same window is entering or
// leaving the box. Another window taking the focus and giving it back is neither.
#include "TestSupport.h"

#include "platform/DataCombo.h"
#include "platform/Db.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
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

    // A long list is read as its popup scrolls, and keeps the typed text and picked row meanwhile.
    void aLongListIsReadAsItScrolls()
    {
        testsupport::Env env;
        env.openNewDatabase();
        {
            db::Transaction tx;
            for (int i = 1; i <= 250; ++i)
                db::exec("INSERT INTO 単位 (単位ID, 単位) VALUES (?, ?)", {i, QStringLiteral("u%1").arg(i, 3, 10, QChar('0'))});
            tx.commit();
        }
        DataCombo box;
        QLineEdit key;
        box.bindKeyBox(&key);
        box.setText("u");
        QVERIFY(box.setRowSource("SELECT * FROM 単位 WHERE 単位 LIKE '%' || ? || '%' ORDER BY 単位ID", {"u"}, "単位", "単位ID"));
        QVERIFY(box.rowCount() < 250 && box.hasMoreRows());
        QCOMPARE(box.count(), box.rowCount());
        QCOMPARE(key.text(), QStringLiteral("1"));

        box.show();
        box.showPopup();
        QAbstractItemView* list = box.view();
        while (box.hasMoreRows()) {
            const int before = box.rowCount();
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
            QApplication::processEvents();
            QVERIFY(box.rowCount() > before);
        }
        box.hidePopup();
        QCOMPARE(box.rowCount(), 250);
        QCOMPARE(box.itemText(249), QStringLiteral("u250"));
        QCOMPARE(box.record(249).value("単位ID").toInt(), 250);
        QCOMPARE(box.text(), QStringLiteral("u"));
        QCOMPARE(key.text(), QStringLiteral("1"));

        // A failing query leaves the list as it was.
        QVERIFY(!box.setRowSource("SELECT * FROM no_such_table", {}, "単位", "単位ID"));
        QCOMPARE(box.rowCount(), 250);
    }
};

BREVOTANE_TEST_MAIN(TestDataCombo)
#include "test_datacombo.moc"
