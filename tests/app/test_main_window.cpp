// The main window: settings, menus, what each command opens, the count check, the today question,
// the picture, the help commands, Enter as Tab and the order of the shutdown.
#include "TestSupport.h"

#include "app/Addresses.h"
#include "app/frmAMain.h"
#include "common/Settings.h"
#include "common/WindowTable.h"
#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolTip>

namespace {

QStringList g_log;

// Stands in for a window another engineer builds: records that it went away and whether the
// database was still open then.
class LoggingWindow : public Form {
public:
    void Form_Unload(bool&) override
    {
        g_log << QStringLiteral("%1 unloaded, db %2")
                     .arg(objectName(), db::isOpen() ? QStringLiteral("open") : QStringLiteral("closed"));
    }
};
class StandIn : public LoggingWindow {
    Q_OBJECT
public:
    StandIn() { setObjectName("StandIn"); }
};
class OlderWindow : public LoggingWindow {
    Q_OBJECT
public:
    OlderWindow() { setObjectName("OlderWindow"); }
};
class NewerWindow : public LoggingWindow {
    Q_OBJECT
public:
    NewerWindow() { setObjectName("NewerWindow"); }
};

// The main window with its two last shutdown steps traced.
class TracingMain : public frmAMain {
protected:
    void closeConnectionAtExit() override
    {
        frmAMain::closeConnectionAtExit();
        g_log << QStringLiteral("connection closed, db %1").arg(db::isOpen() ? "open" : "closed");
    }
    void saveSettingsAtExit() override
    {
        frmAMain::saveSettingsAtExit();
        g_log << QStringLiteral("settings saved");
    }
};

const QString kNoCountButton = QStringLiteral("現在、該当する棚卸はありません。");
const QString kNoCountMenu = QStringLiteral("現在、該当する棚卸表はありません。");

frmAMain* loadMain(const testsupport::Env& env)
{
    SaveSetting("Settings", "MDBFileName", env.newDatabase());
    return forms::get<frmAMain>();
}

void addCountLine()
{
    db::exec(QStringLiteral("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 数量) VALUES (1, '2024-03-31', 0, 'x', 1)"));
}

struct Command {
    const char* handler;
    void (frmAMain::*run)();
    const char* window;
    bool modal;
    bool hourglass;
    const char* countMessage;   // nullptr: no count check
};

const char* const kButton = "button";
const char* const kMenu = "menu";

const QList<Command>& commands()
{
    static const QList<Command> list = {
        {"mnuPreTana", &frmAMain::mnuPreTana_Click, "frmTana", false, false, nullptr},
        {"Command19", &frmAMain::Command19_Click, "frmInAmd2", true, false, kButton},
        {"mnuTanaAmd", &frmAMain::mnuTanaAmd_Click, "frmInAmd2", true, true, kMenu},
        {"Command21", &frmAMain::Command21_Click, "DialogTanaMoto1", true, false, kButton},
        {"mnuTanaMoto", &frmAMain::mnuTanaMoto_Click, "DialogTanaMoto1", true, false, kMenu},
        {"Command3", &frmAMain::Command3_Click, "frmList", true, false, kButton},
        {"mnuList", &frmAMain::mnuList_Click, "frmList", true, false, kMenu},
        {"Command4", &frmAMain::Command4_Click, "DialogTanaMoto2", true, false, kButton},
        {"mnuList2", &frmAMain::mnuList2_Click, "DialogTanaMoto2", true, false, kMenu},
        {"Command33", &frmAMain::Command33_Click, "frmInShohin", true, true, nullptr},
        {"mnuPreShohin", &frmAMain::mnuPreShohin_Click, "frmInShohin", true, true, nullptr},
        {"Command28", &frmAMain::Command28_Click, "frmKoumoku", true, true, nullptr},
        {"mnuPreSiire", &frmAMain::mnuPreSiire_Click, "frmKoumoku", false, true, nullptr},
        {"Command24", &frmAMain::Command24_Click, "frmTani", true, true, nullptr},
        {"mnuTani", &frmAMain::mnuTani_Click, "frmTani", true, true, nullptr},
        {"Command5", &frmAMain::Command5_Click, "DialogExcelA", true, false, nullptr},
        {"mnuInportA", &frmAMain::mnuInportA_Click, "DialogExcelA", true, false, nullptr},
        {"mnuInportB", &frmAMain::mnuInportB_Click, "DialogExcelB", true, false, nullptr},
        {"munPrinter", &frmAMain::munPrinter_Click, "frmPrinterP", true, true, nullptr},
        {"mnuUpdate", &frmAMain::mnuUpdate_Click, "DialogUpdate", true, true, nullptr},
        {"mnuAbout", &frmAMain::mnuAbout_Click, "frmAbout", true, false, nullptr},
    };
    return list;
}

QString countText(const char* kind)
{
    return kind == kButton ? kNoCountButton : kNoCountMenu;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        g_log.clear();
        pointer::reset();
    }
    void cleanup()
    {
        for (const char* n : {"frmTana", "frmInAmd2", "frmKoumoku", "frmTani", "frmInShohin", "DialogTanaMoto1"})
            windows::setStandIn(QString::fromLatin1(n), {});
        pointer::reset();
    }

    void settingsWithNothingStored()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        QVERIFY(m->connected());
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(m->DTPicker1->date(), QDate::currentDate());
        QCOMPARE(m->pos(), QPoint(0, 0));
        QCOMPARE(global::MainPictureFile, QString());
        QCOMPARE(global::PrintDeviceName, QPrinterInfo::defaultPrinterName());
        QCOMPARE(global::PrintFontName, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(global::WindowsFamily, QString());
        QVERIFY(m->Label13->text().startsWith(QStringLiteral("PLATFORM ")));
        QVERIFY(m->Label13->text().size() > 9);
        // The provider line names the engine the open file really runs on.
        QCOMPARE(m->Label9->text(),
                 QStringLiteral("Data Provider SQLite ") + db::scalar(QStringLiteral("SELECT sqlite_version()")).toString());
        QCOMPARE(m->Combo3->count(), 5);
        QCOMPARE(m->Combo3->itemText(0), QStringLiteral("すべて選択"));
        QCOMPARE(m->Combo3->itemText(4), QStringLiteral("数量単位情報"));
        QVERIFY(!m->Picture2->pixmap().isNull());
        QVERIFY(m->Frame8->isHidden());
        QCOMPARE(m->statusPanel[0]->text(), m->txtFileName->text());
    }

    void settingsStoredAreRead()
    {
        testsupport::Env env;
        SaveSetting("Settings", "MainLeft", "120.75");
        SaveSetting("Settings", "MainTop", "80");
        SaveSetting("Settings", "FDate", "2024/03/31");
        SaveSetting("Printer", "PrinterName", "Office Laser");
        SaveSetting("Printer", "PrinterFont", "");
        auto* m = loadMain(env);
        QCOMPARE(m->pos(), QPoint(120, 80));
        QCOMPARE(m->closingDate(), QDate(2024, 3, 31));
        QCOMPARE(global::PrintDeviceName, QStringLiteral("Office Laser"));
        QCOMPARE(global::PrintFontName, QStringLiteral("ＭＳ 明朝"));   // stored empty
        m->unload();
        QCOMPARE(GetSetting("Printer", "PrinterFont"), QStringLiteral("ＭＳ 明朝"));

        SaveSetting("Printer", "PrinterFont", "IPAGothic");
        SaveSetting("Settings", "FDate", "not a date");
        m = loadMain(env);
        QCOMPARE(global::PrintFontName, QStringLiteral("IPAGothic"));
        QCOMPARE(m->closingDate(), QDate::currentDate());
    }

    void positionsNoScreenHasStandOffTheScreens_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("sameAs");
        QTest::newRow("huge") << "1e30" << "99999";
        QTest::newRow("infinite") << "inf" << "99999";
        QTest::newRow("past int") << "3e9" << "99999";
        QTest::newRow("huge negative") << "-1e30" << "-99999";
        QTest::newRow("negative infinite") << "-inf" << "-99999";
        QTest::newRow("not a number") << "nan" << "-99999";
    }

    void positionsNoScreenHasStandOffTheScreens()
    {
        QFETCH(QString, stored);
        QFETCH(QString, sameAs);
        testsupport::Env env;
        auto placedAt = [&env](const QString& value) {
            SaveSetting("Settings", "MainLeft", value);
            SaveSetting("Settings", "MainTop", value);
            const QPoint p = loadMain(env)->pos();
            forms::unloadAll();
            return p;
        };
        const QPoint offScreen = placedAt(sameAs);
        QCOMPARE(placedAt(stored), offScreen);
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(offScreen));
    }

    void settingsWrittenAtExit()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        m->move(40, 50);
        m->DTPicker1->setDate(QDate(2025, 1, 2));
        global::PrintDeviceName = QStringLiteral("Front Desk");
        global::MainPictureFile = QStringLiteral("/tmp/shop.png");
        QVERIFY(m->unload());
        QCOMPARE(GetSetting("Settings", "FDate"), QStringLiteral("2025/01/02"));
        QCOMPARE(GetSetting("Settings", "MainLeft"), QStringLiteral("40"));
        QCOMPARE(GetSetting("Settings", "MainTop"), QStringLiteral("50"));
        QCOMPARE(GetSetting("Settings", "frmLeft"), QStringLiteral("40"));
        QCOMPARE(GetSetting("Settings", "frmTop"), QStringLiteral("50"));
        QCOMPARE(GetSetting("Printer", "PrinterName"), QStringLiteral("Front Desk"));
        QCOMPARE(GetSetting("Settings", "PictureFile"), QStringLiteral("/tmp/shop.png"));
        QVERIFY(!db::isOpen());

        // Read back by the next start.
        m = loadMain(env);
        QCOMPARE(m->closingDate(), QDate(2025, 1, 2));
        QCOMPARE(m->pos(), QPoint(40, 50));
    }

    void nothingPositionalWrittenWhileMinimised()
    {
        testsupport::Env env;
        for (const char* k : {"MainLeft", "MainTop", "frmLeft", "frmTop"})
            SaveSetting("Settings", k, "33");
        auto* m = loadMain(env);
        m->move(300, 200);
        m->DTPicker1->setDate(QDate(2025, 6, 30));
        m->showMinimized();
        QVERIFY(m->isMinimized());
        QVERIFY(m->unload());
        for (const char* k : {"MainLeft", "MainTop", "frmLeft", "frmTop"})
            QCOMPARE(GetSetting("Settings", k), QStringLiteral("33"));
        QCOMPARE(GetSetting("Settings", "FDate"), QStringLiteral("2025/06/30"));
    }

    void menuTreeAsDesigned()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        QStringList tree;
        for (QAction* top : m->menuBar->actions()) {
            tree << top->menu()->objectName() + ' ' + top->text();
            for (QAction* a : top->menu()->actions()) {
                if (a->isSeparator()) {
                    tree << QStringLiteral("  -");
                    continue;
                }
                QVERIFY(a->isVisible() && a->isEnabled());
                QString line = QStringLiteral("  ") + a->objectName() + ' ' + a->text();
                if (!a->shortcut().isEmpty())
                    line += ' ' + a->shortcut().toString(QKeySequence::PortableText);
                tree << line;
            }
        }
        const QStringList expected = {
            "mnuFileOpen ﾌｧｲﾙ(&F)", "  mnuNew 新規作成(&N) Ctrl+N", "  -", "  mnuOpen 開く(&O) Ctrl+O",
            "  mnuSave 名前を付けて保存(&S)", "  -", "  munPrinter ﾌﾟﾘﾝﾀの設定(&U)", "  -",
            "  mnuBackupOpen バックアップファイルを開く(&B)", "  mnuDenQuit 終了(&X)",
            "mnuPic 表示(&V)", "  mnuPicLoad 画像の差替え(&P)", "  mnuPSave 画像を元に戻す(&U)", "  -",
            "  mnuDatabaseRep ﾃﾞｰﾀﾍﾞｰｽの修復(&R)",
            "mnuBar6 棚卸表(&S)", "  mnuPreTana 棚卸入力(&E)", "  mnuTanaAmd 棚卸表訂正(&R)", "  -",
            "  mnuList 棚卸集計表(&D)", "  mnuList2 棚卸記入帳(&L)", "  -", "  mnuTanaMoto 棚卸表(&P)",
            "mnuPre 初期設定(&A)", "  mnuPreSiire 項目/分類情報(&B) Ctrl+B", "  -", "  mnuPreShohin 品名情報(&I)",
            "  mnuInportB 品名情報のｲﾝﾎﾟｰﾄ(&S)", "  -", "  mnuTani 数量単位情報(&Q)", "  -",
            "  mnuInportA 棚卸のｲﾝﾎﾟｰﾄ(&T)",
            "mnuHelp ﾍﾙﾌﾟ(&H)", "  mnuHelpReadme 目次と検索(&H)", "  -", "  mnuHelpSport オンラインサポート(&S)",
            "  mnuUpdate アップデート(&U)", "  -", "  mnuAbout ﾊﾞｰｼﾞｮﾝ情報(&A)",
        };
        QCOMPARE(tree, expected);
    }

    void longPathDoesNotWidenTheWindow()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        m->showModeless();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const int width = m->width();
        const int minimum = m->minimumSizeHint().width();
        QVERIFY(width <= m->screen()->availableGeometry().width());

        const QString path = QStringLiteral("/home/tanaoroshi") + QStringLiteral("/決算資料の保管フォルダ").repeated(40)
                             + QStringLiteral("/work.idb");
        m->txtFileName->setText(path);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(m->minimumSizeHint().width(), minimum);
        QCOMPARE(m->width(), width);
        QCOMPARE(m->statusPanel[0]->text(), path);

        // The whole path is the panel's tooltip.
        QLabel* panel = m->statusPanel[0];
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), panel->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(panel, &help);
        QCOMPARE(QToolTip::text(), path);
        QToolTip::hideText();
    }

    void maintenanceFrameToggles()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        m->Command1->click();
        QVERIFY(!m->Frame8->isHidden());
        m->mnuDatabaseRep->trigger();
        QVERIFY(m->Frame8->isHidden());
    }

    void countCheckOnEmptyCountTable()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        for (const Command& c : commands()) {
            if (!c.countMessage)
                continue;
            env.dialogs.clear();
            forms::shownModal().clear();
            (m->*c.run)();
            QCOMPARE(env.dialogs.messages(), QStringList{countText(c.countMessage)});
            QVERIFY2(forms::shownModal().isEmpty(), c.handler);
            QVERIFY2(!pointer::isHourglass(), c.handler);
            QCOMPARE(forms::loaded().size(), 1);
        }
    }

    void commandsOpenTheirWindows()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        addCountLine();
        for (const Command& c : commands()) {
            env.dialogs.clear();
            forms::shownModal().clear();
            const QString name = QString::fromLatin1(c.window);
            QString requested;
            windows::setStandIn(name, [&requested, name] {
                requested = name;
                return forms::get<StandIn>();
            });
            bool hourglassWhileOpen = false;
            forms::setModalDriver([&](Form*) { hourglassWhileOpen = pointer::isHourglass(); });
            (m->*c.run)();
            forms::setModalDriver(nullptr);
            QVERIFY2(env.dialogs.messages().isEmpty(), c.handler);
            QCOMPARE(requested, name);
            if (c.modal) {
                QCOMPARE(forms::shownModal(), QStringList{"StandIn"});
                QCOMPARE(hourglassWhileOpen, c.hourglass);
                QVERIFY(!forms::find<StandIn>());
            } else {
                QVERIFY2(forms::shownModal().isEmpty(), c.handler);
                auto* w = forms::find<StandIn>();
                QVERIFY(w && w->isVisible() && !w->isModalShown());
                QCOMPARE(pointer::isHourglass(), c.hourglass);
                w->unload();
            }
            windows::setStandIn(name, {});
            pointer::reset();
        }
    }

    void pointerResetAfterTheModalMasterWindows()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        for (auto [name, run] : {std::pair{"frmKoumoku", &frmAMain::Command28_Click},
                                 std::pair{"frmTani", &frmAMain::Command24_Click}}) {
            windows::setStandIn(QString::fromLatin1(name), [] { return forms::get<StandIn>(); });
            (m->*run)();
            QVERIFY2(!pointer::isHourglass(), name);
        }
    }

    void windowNotYetBuiltIsReported()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        addCountLine();
        QVERIFY(!windows::available(QStringLiteral("frmNoSuchWindow")));
        pointer::hourglass();
        QVERIFY(!windows::open(QStringLiteral("frmNoSuchWindow"), windows::Show::Modal));
        QCOMPARE(env.dialogs.messages(), QStringList{windows::notAvailableText()});
        QVERIFY(!pointer::isHourglass());

        // Whatever is not built yet says so, exactly once, and leaves no hourglass behind.
        for (const Command& c : commands()) {
            if (windows::available(QString::fromLatin1(c.window)))
                continue;
            env.dialogs.clear();
            (m->*c.run)();
            QCOMPARE(env.dialogs.messages(), QStringList{windows::notAvailableText()});
            QVERIFY2(!pointer::isHourglass(), c.handler);
            QCOMPARE(forms::loaded().size(), 1);
        }
    }

    void todayQuestionOnlyForTheButton()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        m->showModeless();
        QVERIFY(QTest::qWaitForWindowActive(m));
        windows::setStandIn(QStringLiteral("frmTana"), [] { return forms::get<StandIn>(); });
        const QDate today = QDate::currentDate();
        m->DTPicker1->setDate(today);
        m->Command2->setFocus();

        env.dialogs.answers << dlg::vbNo;
        m->Command17_Click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QCOMPARE(env.dialogs.shown[0].title, QStringLiteral("Question"));
        QVERIFY(env.dialogs.shown[0].yesNo);
        QCOMPARE(env.dialogs.shown[0].text,
                 QStringLiteral("入力する棚卸の決算日は、") + today.toString("yyyy/MM/dd") + QStringLiteral("です。よろしいですか。"));
        QVERIFY(!forms::find<StandIn>());
        QVERIFY(m->DTPicker1->hasFocus());

        env.dialogs.clear();
        env.dialogs.answers << dlg::vbYes;
        m->Command17_Click();
        QCOMPARE(env.dialogs.shown.size(), 1);
        QVERIFY(forms::find<StandIn>());
        forms::find<StandIn>()->unload();

        // The menu item never asks, nor does the button for another date.
        env.dialogs.clear();
        m->mnuPreTana_Click();
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(forms::find<StandIn>());
        forms::find<StandIn>()->unload();
        m->DTPicker1->setDate(today.addDays(-1));
        m->Command17_Click();
        QVERIFY(env.dialogs.shown.isEmpty());
        QVERIFY(forms::find<StandIn>());
    }

    void shutdownOrderWithModelessWindowsOpen()
    {
        testsupport::Env env;
        SaveSetting("Settings", "MDBFileName", env.newDatabase());
        auto* m = forms::get<TracingMain>();
        QVERIFY(m->connected());
        m->DTPicker1->setDate(QDate(2024, 9, 30));
        forms::get<OlderWindow>()->showModeless();
        forms::get<NewerWindow>()->showModeless();
        QVERIFY(m->unload());
        QCOMPARE(g_log, (QStringList{"NewerWindow unloaded, db open", "OlderWindow unloaded, db open",
                                     "connection closed, db closed", "settings saved"}));
        QCOMPARE(forms::loaded().size(), 0);
        QCOMPARE(GetSetting("Settings", "FDate"), QStringLiteral("2024/09/30"));
    }

    void enterMovesTheFocus()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        m->showModeless();
        QVERIFY(QTest::qWaitForWindowActive(m));
        const QString path = m->txtFileName->text();
        m->txtFileName->setFocus();
        QVERIFY(m->txtFileName->hasFocus());
        QTest::keyClick(m->txtFileName, Qt::Key_Return);
        QVERIFY(!m->txtFileName->hasFocus());
        QCOMPARE(m->txtFileName->text(), path);

        m->DTPicker1->setFocus();
        const QDate d = m->DTPicker1->date();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!m->DTPicker1->hasFocus());
        QCOMPARE(m->DTPicker1->date(), d);
    }

    void menuShortcutsWorkFromTheWindow()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        m->showModeless();
        QVERIFY(QTest::qWaitForWindowActive(m));
        windows::setStandIn(QStringLiteral("frmKoumoku"), [] { return forms::get<StandIn>(); });
        m->DTPicker1->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);
        auto* w = forms::find<StandIn>();
        QVERIFY(w && w->isVisible());   // the category window, modeless
        w->unload();
    }

    void shortDateNoticeAtActivation()
    {
        const QString shortDate = QDate::currentDate().toString(QLocale::system().dateFormat(QLocale::ShortFormat));
        QVERIFY(shortDate.size() != 10);
        testsupport::Env env;
        auto* m = loadMain(env);
        m->showModeless();
        QCOMPARE(m->statusPanel[0]->text(), QStringLiteral("　システムの日付を１０桁表示に設定してください。(yyyy/MM/dd "));
        // A path change puts the path back.
        m->txtFileName->setText(QStringLiteral("/data/shop.idb"));
        QCOMPARE(m->statusPanel[0]->text(), QStringLiteral("/data/shop.idb"));
    }

    void noDatabaseOpen()
    {
        testsupport::Env env;
        SaveSetting("Settings", "MDBFileName", env.path("missing.idb"));
        SaveSetting("Settings", "FDate", "2024/03/31");
        auto* m = forms::get<frmAMain>();
        QCOMPARE(env.dialogs.messages(),
                 QStringList{QStringLiteral("データベースの接続に失敗しました。ファイル名を変更してください。\n"
                                            "データベースファイルが見つかりません。")});
        QVERIFY(!m->connected());
        QVERIFY(!db::isOpen());
        windows::setStandIn(QStringLiteral("frmInAmd2"), [] { return forms::get<StandIn>(); });
        windows::setStandIn(QStringLiteral("frmKoumoku"), [] { return forms::get<StandIn>(); });
        windows::setStandIn(QStringLiteral("frmTana"), [] { return forms::get<StandIn>(); });
        for (auto run : {&frmAMain::Command19_Click, &frmAMain::mnuTanaAmd_Click, &frmAMain::Command28_Click,
                         &frmAMain::mnuPreSiire_Click, &frmAMain::Command17_Click}) {
            env.dialogs.clear();
            (m->*run)();
            QCOMPARE(env.dialogs.messages(), QStringList{windows::noDatabaseText()});
            QVERIFY(!forms::find<StandIn>());
            QVERIFY(!pointer::isHourglass());
        }
        // Every other command answers without crashing: at most one message, and windows that do
        // not need the database (about, update) open without one.
        for (const Command& c : commands()) {
            env.dialogs.clear();
            (m->*c.run)();
            QVERIFY(env.dialogs.messages().size() <= 1);
        }
        env.dialogs.clear();
        QVERIFY(m->unload());
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(GetSetting("Settings", "FDate"), QStringLiteral("2024/03/31"));
    }

    void pictureCommands()
    {
        testsupport::Env env;
        const QString good = env.path("shop.png");
        QImage img(600, 400, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(good));
        const QString bad = env.path("notes.txt");
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a picture");
        }

        // A picture file that cannot be read at start: the design picture, no database failure.
        SaveSetting("Settings", "PictureFile", bad);
        auto* m = loadMain(env);
        QVERIFY(m->connected());
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(m->Picture2->pixmap().toImage(), frmAMain::designPicture().toImage());
        QCOMPARE(global::MainPictureFile, bad);

        env.dialogs.files << good;
        m->mnuPicLoad->trigger();
        QCOMPARE(env.dialogs.shown[0].kind, QStringLiteral("open"));
        QCOMPARE(env.dialogs.shown[0].title, QStringLiteral("開く"));
        QVERIFY(env.dialogs.messages().isEmpty());
        QCOMPARE(global::MainPictureFile, good);
        QCOMPARE(m->Picture2->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
        QVERIFY(m->Picture2->pixmap().width() <= m->Picture2->width());

        env.dialogs.clear();
        env.dialogs.files << std::optional<QString>();   // Cancel
        m->mnuPicLoad->trigger();
        QCOMPARE(global::MainPictureFile, good);
        QVERIFY(env.dialogs.messages().isEmpty());

        env.dialogs.clear();
        env.dialogs.files << bad;
        m->mnuPicLoad->trigger();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("読み込めない形式のﾌｧｲﾙです。")});
        QCOMPARE(env.dialogs.shown.last().icon, dlg::Icon::Critical);
        QCOMPARE(env.dialogs.shown.last().title, QStringLiteral("入力事項の確認"));
        QCOMPARE(global::MainPictureFile, bad);   // kept all the same

        env.dialogs.clear();
        m->mnuPSave->trigger();
        QCOMPARE(global::MainPictureFile, QString());
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("設定を有効にするには、ｱﾌﾟﾘｹｰｼｮﾝを終了してください。")});
        QCOMPARE(env.dialogs.shown.last().icon, dlg::Icon::Exclamation);
        QCOMPARE(env.dialogs.shown.last().title, QStringLiteral("入力事項の確認"));
        m->unload();
        QCOMPARE(GetSetting("Settings", "PictureFile"), QString());
    }

    void helpCommandsOpenTheirTargets()
    {
        testsupport::Env env;
        auto* m = loadMain(env);
        env.dialogs.externalResult = false;   // nothing installed to open them: not reported
        m->mnuHelpReadme->trigger();
        m->mnuHelpSport->trigger();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(QUrl(env.dialogs.shown[0].text).toLocalFile(), env.programFolder() + "Brevotane.chm");
        QCOMPARE(env.dialogs.shown[1].text, addresses::kSupportPage);
        QVERIFY(env.dialogs.messages().isEmpty());
    }
};

// A system short date of eight characters (M/d/yy), as on the systems the notice is meant for.
int main(int argc, char** argv)
{
    testsupport::prepareEnvironment();
    qputenv("LC_ALL", "en_US.UTF-8");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestMainWindow tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_main_window.moc"
