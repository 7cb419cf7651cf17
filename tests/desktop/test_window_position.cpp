// Where the windows open on a desktop whose window manager draws a frame around them: the main
// window and the count windows come back where they stood, run after run, and never off screen.
#include "TestSupport.h"

#include "app/frmAMain.h"
#include "common/Settings.h"
#include "counting/CountWindowRules.h"
#include "counting/frmTana.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

bool desktopAbsent()
{
    return qEnvironmentVariableIntValue("BREVOTANE_NO_DESKTOP") == 1;
}

// The window manager reports the frame some time after the window is mapped.
bool waitForFrame(QWidget* w)
{
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    return QTest::qWaitFor([w] { return w->frameGeometry().size() != w->geometry().size(); }, 5000);
}

QPoint savedPoint(const char* left, const char* top)
{
    return {GetSetting("Settings", left).toInt(), GetSetting("Settings", top).toInt()};
}

// A window that takes its place as the count windows do and gets its size from its layout.
class CountWindow : public Form {
    Q_OBJECT
public:
    CountWindow()
    {
        setObjectName("CountWindow");
        auto* l = new QVBoxLayout(this);
        l->addWidget(new QLabel(QStringLiteral("棚卸入力"), this));
    }
    void Form_Load() override { counting::restoreWindowPosition(this); }
};

// Runs the main window once: load, show, exit. Returns where its frame stood.
QPoint runMainWindow()
{
    auto* m = forms::get<frmAMain>();
    m->showModeless();
    if (!waitForFrame(m))
        return {-1, -1};
    const QPoint corner = m->frameGeometry().topLeft();
    m->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return corner;
}

template <class W>
QPoint openCountWindow()
{
    auto* w = forms::get<W>();
    w->showModeless();
    if (!waitForFrame(w))
        return {-1, -1};
    const QPoint corner = w->frameGeometry().topLeft();
    w->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return corner;
}

} // namespace

class TestWindowPosition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (desktopAbsent())
            QSKIP("no X server with a window manager here");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    void windowsKeepTheirPlaceRunAfterRun()
    {
        testsupport::Env env;
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        SaveSetting("Settings", "MainLeft", "200");
        SaveSetting("Settings", "MainTop", "150");
        const QPoint where(200, 150);
        for (int run = 1; run <= 3; ++run) {
            QCOMPARE(runMainWindow(), where);
            QCOMPARE(savedPoint("MainLeft", "MainTop"), where);
            QCOMPARE(savedPoint("frmLeft", "frmTop"), where);

            // The count windows open where the main window last stood, frame on frame.
            db::open(GetSetting("Settings", "MDBFileName"));
            QCOMPARE(openCountWindow<CountWindow>(), where);
            QCOMPARE(openCountWindow<frmTana>(), where);
            db::close();
        }
    }

    void positionOffEveryScreenComesBack_data()
    {
        QTest::addColumn<QPoint>("saved");
        QTest::newRow("above the top") << QPoint(100, -400);
        QTest::newRow("far right and below") << QPoint(30000, 20000);
        QTest::newRow("left of the screen") << QPoint(-2000, 100);
    }

    void positionOffEveryScreenComesBack()
    {
        QFETCH(QPoint, saved);
        testsupport::Env env;
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        SaveSetting("Settings", "MainLeft", QString::number(saved.x()));
        SaveSetting("Settings", "MainTop", QString::number(saved.y()));
        SaveSetting("Settings", "frmLeft", QString::number(saved.x()));
        SaveSetting("Settings", "frmTop", QString::number(saved.y()));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

        auto* m = forms::get<frmAMain>();
        m->showModeless();
        QVERIFY(waitForFrame(m));
        QVERIFY2(screen.contains(m->frameGeometry()), "the main window's frame lies on the screen");

        auto* w = forms::get<CountWindow>();
        w->showModeless();
        QVERIFY(waitForFrame(w));
        QVERIFY2(screen.contains(w->frameGeometry().topLeft()), "the count window's title bar lies on the screen");
    }
};

BREVOTANE_TEST_MAIN(TestWindowPosition)
#include "test_window_position.moc"
