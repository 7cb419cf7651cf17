// The stand-in layers: code page lengths, number formats, the database connection's refusals, the
// standard dialogs' language and filters.
#include "TestSupport.h"

#include "common/global.h"
#include "platform/CodePage.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/GridLayout.h"
#include "platform/VbFormat.h"
#include "platform/WindowPlace.h"

#include <QAbstractButton>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void byteLengthsFollowCodePage932()
    {
        QCOMPARE(cp932::byteLength(QStringLiteral("ABC")), 3);
        QCOMPARE(cp932::byteLength(QStringLiteral("ﾃﾞｰﾀ")), 4);          // half-width katakana: 1 each
        QCOMPARE(cp932::byteLength(QStringLiteral("棚卸")), 4);
        QCOMPARE(cp932::byteLength(QStringLiteral("①㈱～")), 6);         // NEC and IBM extensions
        QCOMPARE(cp932::byteLength(QString::fromUtf8("😀")), 2);        // not encodable: counts as full-width
        QCOMPARE(cp932::byteLength(QString()), 0);
    }

    void codePageRoundTrip()
    {
        const QString text = QStringLiteral("品名\tｶﾅ①～123");
        bool ok = false;
        const QByteArray bytes = cp932::encode(text, &ok);
        QVERIFY(ok);
        QCOMPARE(cp932::decode(bytes, &ok), text);
        QVERIFY(ok);
        cp932::decode(QByteArray("\x82", 1), &ok);
        QVERIFY(!ok);
        // A lead byte without its second byte is one bad byte; the byte after it stays.
        QCOMPARE(cp932::decode(QByteArray("\x82 x\x82\n"), &ok), QStringLiteral("\uFFFD x\uFFFD\n"));
    }

    void numberFormats()
    {
        QCOMPARE(vb::formatNumber(1000000), QStringLiteral("1,000,000"));
        QCOMPARE(vb::formatNumber(0), QStringLiteral("0"));
        QCOMPARE(vb::formatNumber(-1234.5), QStringLiteral("-1,235"));   // halves away from zero
        QCOMPARE(vb::formatNumber(2.5), QStringLiteral("3"));
        QCOMPARE(vb::formatNumber(1234.565, 2), QStringLiteral("1,234.57"));
        QCOMPARE(vb::fix(-4.5), -4.0);
        QCOMPARE(vb::roundHalfEven(2.5), 2LL);
        QCOMPARE(vb::roundHalfEven(3.5), 4LL);
    }

    void parsingTypedNumbers()
    {
        QCOMPARE(vb::parseNumber(QStringLiteral("123.45")).value(), 123.45);
        QCOMPARE(vb::parseNumber(QStringLiteral(" -1.5 ")).value(), -1.5);
        QCOMPARE(vb::parseNumber(QStringLiteral("1,234")).value(), 1234.0);
        QVERIFY(!vb::parseNumber(QStringLiteral("")).has_value());
        QVERIFY(!vb::parseNumber(QStringLiteral("abc")).has_value());
        QVERIFY(!vb::parseNumber(QStringLiteral("1,2")).has_value());
        // What the entry and master windows and the imports all take.
        QCOMPARE(vb::parseNumber("1,234.5").value_or(-1), 1234.5);
        QCOMPARE(vb::parseNumber(QStringLiteral("１２")).value_or(-1), 12.0);
        QCOMPARE(vb::parseNumber(QStringLiteral("１２３．５")).value_or(-1), 123.5);
        QCOMPARE(vb::parseNumber(QStringLiteral("－１，５００")).value_or(0), -1500.0);
        QCOMPARE(vb::parseNumber(QStringLiteral("￥1,500")).value_or(-1), 1500.0);
        QCOMPARE(vb::parseNumber(QStringLiteral("¥ 20")).value_or(-1), 20.0);
        QCOMPARE(vb::parseNumber(QStringLiteral("\\300")).value_or(-1), 300.0);
        QCOMPARE(vb::parseNumber(QStringLiteral("\u3000７\u3000")).value_or(-1), 7.0);
        QCOMPARE(vb::parseNumber("1e308").value_or(-1), 1e308);
        for (const char* refused : {"1e309", "-1e309", "inf", "nan", "¥", "1¥", "¥¥1"})
            QVERIFY2(!vb::parseNumber(QString::fromUtf8(refused)), refused);
        // Circled and superscript digits are not typed numbers.
        QVERIFY(!vb::parseNumber(QStringLiteral("①")));
        QVERIFY(!vb::parseNumber(QStringLiteral("²")));
    }

    void templateHasTheFourTablesAndCategoryZero()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QCOMPARE(db::scalar("SELECT COUNT(*) FROM 項目分類").toInt(), 1);
        QCOMPARE(db::scalar("SELECT 項目分類名 FROM 項目分類 WHERE 項目ID = 0").toString(), QStringLiteral("未区分"));
        for (const char* t : {"仕入商品", "単位", "棚卸マスター"})
            QCOMPARE(db::scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QString::fromUtf8(t))).toInt(), 0);
    }

    void databaseRefusesWhatTheFieldTypesRefuse()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QVERIFY_THROWS_EXCEPTION(db::DbError,
            db::exec("INSERT INTO 棚卸マスター (ID, 数量) VALUES (1, ?)", {QStringLiteral("abc")}));
        db::exec("INSERT INTO 棚卸マスター (ID, 数量) VALUES (1, ?)", {QStringLiteral("3")});
        QCOMPARE(db::scalar("SELECT 数量 FROM 棚卸マスター").toDouble(), 3.0);
        // Names with apostrophes go in as bound values.
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (1, ?)", {QStringLiteral("O'Brien's")});
        QCOMPARE(db::scalar("SELECT 品名ID FROM 仕入商品 WHERE 品名 = ?", {QStringLiteral("o'brien's")}).toInt(), 1);
    }

    void unusableFilesAreRefusedUntouched()
    {
        testsupport::Env env;
        const QString text = env.path("notes.idb");
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a database");
        f.close();
        const QByteArray before = QCryptographicHash::hash(QByteArray("this is not a database"), QCryptographicHash::Sha1);
        QVERIFY_THROWS_EXCEPTION(db::DbError, db::open(text));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1), before);
        f.close();
        QVERIFY(!db::isOpen());

        QVERIFY_THROWS_EXCEPTION(db::DbError, db::open(env.path("missing.idb")));
        QVERIFY(!QFile::exists(env.path("missing.idb")));

        // A SQLite file without the four tables.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(env.path("other.idb"));
            QVERIFY(other.open());
            QSqlQuery(other).exec("CREATE TABLE x (a)");
            other.close();
        }
        QSqlDatabase::removeDatabase("other");
        QVERIFY_THROWS_EXCEPTION(db::DbError, db::open(env.path("other.idb")));

        // The four tables, but one of them with other fields than the program reads.
        const QStringList wrongTables{
            "CREATE TABLE 仕入商品 (品名ID INTEGER PRIMARY KEY, 名前 TEXT, 単価 REAL, 単位 TEXT)",
            "CREATE TABLE 単位 (単位ID INTEGER PRIMARY KEY)",
            "CREATE TABLE 項目分類 (項目ID INTEGER PRIMARY KEY, 項目分類名 TEXT, 色 TEXT)",
            "CREATE TABLE 棚卸マスター (ID INTEGER PRIMARY KEY, 日付 TEXT, 項目ID INTEGER, 品名 TEXT, 数量 TEXT, "
            "単位 TEXT, 単価 REAL, 価格 REAL, 備考 TEXT, 備考1 TEXT, 品名ID INTEGER, 区分調整 INTEGER)",
        };
        for (const QString& create : wrongTables) {
            const QString file = env.newDatabase("columns.idb");
            {
                QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "columns");
                d.setDatabaseName(file);
                QVERIFY(d.open());
                const QString table = create.section(' ', 2, 2);
                QVERIFY(QSqlQuery(d).exec(QStringLiteral("DROP TABLE \"%1\"").arg(table)));
                QVERIFY(QSqlQuery(d).exec(create));
                d.close();
            }
            QSqlDatabase::removeDatabase("columns");
            QFile columns(file);
            QVERIFY(columns.open(QIODevice::ReadOnly));
            const QByteArray columnsBefore = QCryptographicHash::hash(columns.readAll(), QCryptographicHash::Sha1);
            columns.close();
            QVERIFY_THROWS_EXCEPTION(db::DbError, db::open(file));
            QVERIFY(!db::isOpen());
            QVERIFY(columns.open(QIODevice::ReadOnly));
            QCOMPARE(QCryptographicHash::hash(columns.readAll(), QCryptographicHash::Sha1), columnsBefore);
            columns.close();
        }
    }

    void standardDialogsSpeakJapanese()
    {
        QVERIFY2(dlg::installJapaneseTexts(), "Qt's Japanese texts (qt6-translations-l10n) are installed");

        auto question = dlg::messageBox(nullptr, QStringLiteral("Question"), QStringLiteral("削除しますか？"),
                                        dlg::Icon::Question, true);
        QVERIFY(question->button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい")));
        QVERIFY(question->button(QMessageBox::No)->text().startsWith(QStringLiteral("いいえ")));
        QVERIFY(question->defaultButton() == question->button(QMessageBox::Yes));
        auto info = dlg::messageBox(nullptr, QStringLiteral("Information"), QStringLiteral("x"),
                                    dlg::Icon::Information, false);
        QCOMPARE(info->buttons().size(), 1);
        QCOMPARE(info->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));

        // The file dialog's labels as the first-run tip names them.
        auto open = dlg::fileDialog(nullptr, QStringLiteral("開く"), dlg::convertFilter(QStringLiteral("a|*.idb")), 1,
                                    false);
        QStringList labels;
        for (const QLabel* l : open->findChildren<QLabel*>())
            labels << l->text();
        QVERIFY2(labels.join('|').contains(QStringLiteral("ファイル名")), qPrintable(labels.join('|')));
        QStringList buttons;
        for (const QAbstractButton* b : open->findChildren<QAbstractButton*>())
            buttons << b->text();
        QVERIFY2(buttons.join('|').contains(QStringLiteral("開く")), qPrintable(buttons.join('|')));

        // The type column names a folder in the dialog's language (a file's type is the desktop's
        // description of its kind, in the user's own language).
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("棚卸2026")));
        open->setDirectory(dir.path());
        auto* model = open->findChild<QFileSystemModel*>();
        QVERIFY(model);
        const QModelIndex folder = model->index(dir.filePath(QStringLiteral("棚卸2026")));
        QTRY_COMPARE(model->data(folder.siblingAtColumn(2)).toString(), QStringLiteral("フォルダー"));
    }

    void aDialogWhoseWindowClosesUnderIt_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file question") << QStringLiteral("file");
        QTest::newRow("message") << QStringLiteral("message");
        QTest::newRow("yes/no question") << QStringLiteral("question");
        QTest::newRow("font dialog") << QStringLiteral("font");
    }

    // The desktop's own dialogs, open over a window that is closed and deleted under them (the
    // program ended while a question was open): the dialog goes with its window, once, and counts
    // as cancelled.
    void aDialogWhoseWindowClosesUnderIt()
    {
        QFETCH(QString, kind);
        dlg::setBackend(nullptr);
        struct Back {
            ~Back() { dlg::setBackend(nullptr); }
        } back;
        auto* window = new QWidget;
        window->show();
        const QPointer<QWidget> alive(window);
        QTimer::singleShot(0, qApp, [alive] { delete alive.data(); });
        if (kind == QLatin1String("file")) {
            QVERIFY(!dlg::OpenFile(QStringLiteral("新しいファイル名"), QStringLiteral("cdb ﾌｧｲﾙ (*.idb)|*.idb"), 1, window));
        } else if (kind == QLatin1String("message")) {
            dlg::Information(QStringLiteral("x"), window);
            QCOMPARE(dlg::MsgAnswer, int(dlg::vbOK));
        } else if (kind == QLatin1String("question")) {
            QCOMPARE(dlg::Question(QStringLiteral("x"), window), int(dlg::vbNo));
        } else {
            QVERIFY(!dlg::ChooseFont(QFont(), window));
        }
        QVERIFY(alive.isNull());
    }

    void everyFileFilterListsFilesWithoutADot()
    {
        const QString filter = dlg::convertFilter(QStringLiteral("すべてのファイル (*.*)|*.*|cdb ﾌｧｲﾙ (*.idb)|*.idb"));
        QCOMPARE(filter, QStringLiteral("すべてのファイル (*);;cdb ﾌｧｲﾙ (*.idb)"));
        QCOMPARE(dlg::convertFilter(QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*|")), QStringLiteral("すべてのﾌｧｲﾙ(*)"));

        QTemporaryDir dir;
        for (const char* name : {"README", "shop.idb", "notes.txt"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        // What the dialog lists under each filter: the names its file model lets through.
        auto listed = [&dir, &filter](int index) {
            auto d = dlg::fileDialog(nullptr, QStringLiteral("開く"), filter, index, false);
            const auto* model = d->findChild<QFileSystemModel*>();
            return model ? QDir(dir.path()).entryList(model->nameFilters(), QDir::Files, QDir::Name) : QStringList();
        };
        QCOMPARE(listed(1), (QStringList{"README", "notes.txt", "shop.idb"}));
        QCOMPARE(listed(2), (QStringList{"shop.idb"}));
    }

    void restoredWindowStaysOnAScreen()
    {
        const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize size(300, 200);
        const QPoint inside = a.topLeft() + QPoint(10, 20);
        QCOMPARE(place::onVisibleScreen(inside, size), inside);
        // Off the screen: pulled back so that the window fits.
        QCOMPARE(place::onVisibleScreen(QPoint(a.left() + 50, a.top() - 300), size), QPoint(a.left() + 50, a.top()));
        QCOMPARE(place::onVisibleScreen(a.bottomRight() + QPoint(5000, 5000), size),
                 a.topLeft() + QPoint(a.width() - 300, a.height() - 200));
        // Larger than the screen: its corner (and title bar) on the screen's corner.
        QCOMPARE(place::onVisibleScreen(QPoint(-4000, -4000), a.size() * 2), a.topLeft());

        // Stored edges: whole pixels; numbers no edge can have stand off the screens on their side.
        QCOMPARE(place::edgeFromText("120.75"), 120);
        QCOMPARE(place::edgeFromText(" -35 "), -35);
        QCOMPARE(place::edgeFromText("left"), 0);
        const QPoint farRight = place::onVisibleScreen(QPoint(a.right() + 5000, a.top()), size);
        const QPoint farLeft = place::onVisibleScreen(QPoint(a.left() - 5000, a.top()), size);
        for (const char* text : {"1e30", "inf", "+INF", "3e9", "2147483648"})
            QCOMPARE(place::onVisibleScreen(QPoint(place::edgeFromText(text), a.top()), size), farRight);
        for (const char* text : {"-1e30", "-inf", "nan", "-2147483649"})
            QCOMPARE(place::onVisibleScreen(QPoint(place::edgeFromText(text), a.top()), size), farLeft);
    }

    void keysAreHighestPlusOne()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QCOMPARE(global::GetMaxTanaID(), 0L);
        QCOMPARE(global::NextKey("項目分類", "項目ID"), 1L);   // only row 0
        QCOMPARE(global::NextKey("単位", "単位ID"), 1L);
        db::exec("INSERT INTO 棚卸マスター (ID) VALUES (5), (9)");
        QCOMPARE(global::NextKey("棚卸マスター", "ID"), 10L);
        db::exec("DELETE FROM 棚卸マスター WHERE ID = 9");
        QCOMPARE(global::NextKey("棚卸マスター", "ID"), 6L);
        db::exec("INSERT INTO 単位 (単位ID) VALUES (2147483647)");
        QVERIFY_THROWS_EXCEPTION(db::DbError, global::NextKey("単位", "単位ID"));
    }

    // The numbered row header is as wide as the standard one, follows rows as they come, and
    // keeps the row height set after it.
    void numberedRowsSizeAsTheStandardHeader()
    {
        QStandardItemModel model(9, 2);
        QTableView standard;
        standard.setModel(&model);
        QTableView numbered;
        grid::numberRows(&numbered);
        grid::numberRows(&numbered);   // once is enough
        numbered.setModel(&model);
        grid::setRowHeightTwips(&numbered, 360);
        QVERIFY(numbered.verticalHeader()->sectionsClickable());
        for (int rows : {9, 10, 1000, 100000}) {
            model.setRowCount(rows);
            QCOMPARE(numbered.verticalHeader()->sizeHint().width(), standard.verticalHeader()->sizeHint().width());
        }
        QVERIFY(numbered.verticalHeader()->sizeHint().width()
                > QHeaderView(Qt::Vertical).sizeHint().width());
        QCOMPARE(numbered.rowHeight(99999), numbered.verticalHeader()->defaultSectionSize());
        model.setRowCount(0);
        QCOMPARE(numbered.verticalHeader()->sizeHint(), QSize(0, 0));
    }
};

BREVOTANE_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
