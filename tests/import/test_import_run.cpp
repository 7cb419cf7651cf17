// The count import and the product import, run through their windows with scripted answers.
#include "MappingArrays.h"
#include "TestSupport.h"

#include "app/DamagedFile.h"

#include "app/frmTipA.h"
#include "common/WindowTable.h"
#include "common/global.h"
#include "import/DialogExcel.h"
#include "import/ImportStore.h"
#include "import/Mapping.h"
#include "import/MappingDialog.h"
#include "platform/CodePage.h"
#include "platform/Db.h"
#include "platform/Form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSqlRecord>
#include <QTableWidget>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlDatabase>

namespace {
const QString kFailedA = QStringLiteral("インポートに失敗しました。インポートしたデータをチェックしてください。");
const QString kFailedB = QStringLiteral("インポートに失敗しました。インポートされだデータをチェックしてください。");
const QString kDoneA = QStringLiteral("棚卸のインポートは正常に完了しました。");
const QString kDoneB = QStringLiteral("棚卸表のインポートは正常に完了しました。");
const QString kInconsistent = QStringLiteral("インポートするデータに整合性がありません。ファイルを確認してください。");
const QString kHeading = QStringLiteral("分類\t品名\t数量\t単位\t単価\t価格\t備考");

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// An import file as a spreadsheet saves it in code page 932.
QString writeImport(const testsupport::Env& env, const QStringList& lines, const QString& name = "import.txt")
{
    return writeFile(env.path(name), cp932::encode(lines.join("\r\n") + "\r\n"));
}

// The count mapping: fields 1..7 from columns 1..7, or as given (0 = unassigned).
void saveCountMapping(QList<int> columns = {1, 2, 3, 4, 5, 6, 7})
{
    global::ImportFieldNames.fill(QString());
    global::ImportFieldColumns.fill(QString());
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i] > 0)
            importer::assignField(i + 1, QStringLiteral("列%1").arg(columns[i]), columns[i]);
        else
            importer::clearField(i + 1);
    }
    QVERIFY(importer::saveMapping(importer::Kind::Count));
}

void saveProductMapping()
{
    global::ImportFieldNames.fill(QString());
    global::ImportFieldColumns.fill(QString());
    importer::assignField(1, QStringLiteral("品名"), 1);
    importer::assignField(2, QStringLiteral("単位"), 2);
    importer::assignField(3, QStringLiteral("単価"), 3);
    QVERIFY(importer::saveMapping(importer::Kind::Product));
}

// Chooses the file with 参照 and starts the run with the answers given to its boxes in order.
void run(ImportDialog* d, testsupport::Env& env, const QString& file, const QList<int>& answers)
{
    env.dialogs.clear();
    env.dialogs.files = {file};
    d->Command2_Click();
    QVERIFY(d->Command1->isEnabled());
    env.dialogs.shown.clear();
    env.dialogs.answers = answers;
    d->Command1_Click();
}

DialogExcelA* countDialog(const QDate& date = QDate(2026, 3, 31))
{
    auto* d = forms::get<DialogExcelA>();
    d->DTPicker1->setDate(date);
    return d;
}

int count(const QString& sql, const QVariantList& args = {})
{
    return db::scalar(sql, args).toInt();
}

QStringList column(const QString& sql)
{
    return testsupport::queryRows(sql);
}

// Notes, at every paint of a widget, what the probe reads at that moment.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* w, std::function<int()> probe) : m_probe(std::move(probe)) { w->installEventFilter(this); }
    QList<int> at;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            at << m_probe();
        return false;
    }

private:
    std::function<int()> m_probe;
};

constexpr int Yes = dlg::vbYes;
constexpr int No = dlg::vbNo;
constexpr int Ok = dlg::vbOK;
} // namespace

class TestImportRun : public QObject {
    Q_OBJECT
private slots:
    void countImportStoresLinesCategoriesAndProducts()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        const QString file = writeImport(env, {kHeading,
                                               QStringLiteral("文具\tボールペン\t3\t本\t12.5\t37.9\tメモ"),
                                               QStringLiteral("\t消しゴム\t\t\t\t0\t"),
                                               QStringLiteral("文具\tボールペン\t1\t箱\t2.5\t-2.7\t")});
        auto* d = countDialog();
        QCOMPARE(d->windowTitle(), QStringLiteral("棚卸のインポート"));
        QCOMPARE(d->txtFileName->text(), QStringLiteral("参照（B)をクリックし該当する．DATファイルを選択してください。"));
        QVERIFY(d->Label4->isHidden());
        run(d, env, file, {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages(),
                 (QStringList{QStringLiteral("インポートする棚卸データの決算日は、2026/03/31です。よろしいですか。"),
                              QStringLiteral("データ件数は、3件です。インポートを開始しますか。"), kDoneA}));
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("Question"));
        QCOMPARE(env.dialogs.shown.at(2).title, QStringLiteral("Information"));
        QCOMPARE(d->Label2->text(), QStringLiteral("棚卸表　入力件数       3 件"));
        QCOMPARE(d->Label3->text(), QStringLiteral("項目/分類情報　新規登録件数　1 件"));
        QCOMPARE(d->Label5->text(), QStringLiteral("品名情報　新規登録件数　 　　2 件"));
        QVERIFY(d->Label4->isHidden());
        QCOMPARE(d->ProgressBar1->maximum(), 3);
        QCOMPARE(d->ProgressBar1->value(), 3);
        QVERIFY(!d->Command1->isEnabled());   // a second run needs the file chosen again

        QCOMPARE(column("SELECT 項目ID, 項目分類名 FROM 項目分類 ORDER BY 項目ID"),
                 (QStringList{QStringLiteral("0|未区分"), QStringLiteral("1|文具")}));
        // One product per name; the price rounded half to even in the product.
        QCOMPARE(column("SELECT 品名ID, 品名, 単位, 単価 FROM 仕入商品 ORDER BY 品名ID"),
                 (QStringList{QStringLiteral("1|ボールペン|本|12"), QStringLiteral("2|消しゴム||0")}));
        // The lines as the file gives them: the amount truncated toward zero, empty numbers 0.
        QCOMPARE(column("SELECT ID, 日付, 項目ID, 品名ID, 品名, 数量, 単位, 単価, 価格, 備考, 備考1 IS NULL, 区分調整 IS NULL "
                        "FROM 棚卸マスター ORDER BY ID"),
                 (QStringList{QStringLiteral("1|2026-03-31|1|1|ボールペン|3|本|12.5|37|メモ|1|1"),
                              QStringLiteral("2|2026-03-31|0|2|消しゴム|0||0|0||1|1"),
                              QStringLiteral("3|2026-03-31|1|1|ボールペン|1|箱|2.5|-2||1|1")}));
        // Empty cells store empty texts, not NULL.
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター WHERE 備考 IS NULL OR 単位 IS NULL"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品 WHERE 単位 IS NULL"), 0);

        // The same file again for the same date: asked, and every line stored twice.
        run(d, env, file, {Yes, Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().at(2), QStringLiteral("既に棚卸表に2026/03/31日付のデータがあります。インポートを続けますか？"));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 6);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品"), 2);
        QCOMPARE(d->Label2->text(), QStringLiteral("棚卸表　入力件数       3 件"));
        QCOMPARE(d->Label5->text(), QStringLiteral("品名情報　新規登録件数　 　　0 件"));

        // No to the existing date, to the count or to the date: nothing is written.
        run(d, env, file, {Yes, Yes, No});
        run(d, env, file, {Yes, No});
        run(d, env, file, {No});
        QCOMPARE(env.dialogs.messages().size(), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 6);
    }

    void countImportRoundsAndCutsNames()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping({1, 2, 3, 4, 5, 0, 7});   // 価格 unassigned: stored as 0
        const QString longName = QString(51, QChar(0x3042));
        const QString file = writeImport(env, {kHeading,
                                               QStringLiteral("\tA\t1\t\t2.5"),
                                               QStringLiteral("\tB\t1\t\t3.5"),
                                               QStringLiteral("\tC\t1\t\t-2.5"),
                                               "\t" + longName + "\t1\t12345678901",
                                               "\t" + longName + "\t1"});
        run(countDialog(), env, file, {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kDoneA);
        QCOMPARE(column("SELECT 品名, 単価 FROM 仕入商品 WHERE 品名ID <= 3 ORDER BY 品名ID"),
                 (QStringList{"A|2", "B|4", "C|-2"}));
        // A name longer than 50 characters is stored cut, so the next line does not find it.
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品 WHERE 品名 = ?", {longName.left(50)}), 2);
        QCOMPARE(column("SELECT 単位 FROM 仕入商品 WHERE 品名ID = 4"), QStringList{"1234567890"});
        QCOMPARE(column("SELECT DISTINCT 価格 FROM 棚卸マスター"), QStringList{"0"});
        QCOMPARE(column("SELECT 品名 FROM 棚卸マスター WHERE ID = 4"), QStringList{longName.left(50)});
    }

    void namesWithQuotesAndWildcardsAreLookedUpAsText()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (7, 'a%', '個', 5)");
        saveCountMapping();
        const QStringList names{"O'Neil", "a%", "a_", "back\\slash", "abc%"};
        QStringList lines{kHeading};
        for (const QString& n : names)
            lines << n + "\t" + n + "\t1\t\t1\t1\t";
        run(countDialog(), env, writeImport(env, lines), {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kDoneA);
        QCOMPARE(column("SELECT 項目分類名 FROM 項目分類 WHERE 項目ID > 0 ORDER BY 項目ID"), names);
        QCOMPARE(column("SELECT 品名ID || 品名 FROM 仕入商品 ORDER BY 品名ID"),
                 (QStringList{"7a%", "8O'Neil", "9a_", "10back\\slash", "11abc%"}));
        QCOMPARE(column("SELECT 品名ID FROM 棚卸マスター ORDER BY ID"), (QStringList{"8", "7", "9", "10", "11"}));
    }

    void lastLineWithoutNameIsRefusedBeforeWriting()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        const QString file = writeImport(env, {kHeading, QStringLiteral("文具\tペン\t1\t本\t1\t1\t"), QString()});
        auto* d = countDialog();
        run(d, env, file, {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages(),
                 (QStringList{QStringLiteral("インポートする棚卸データの決算日は、2026/03/31です。よろしいですか。"),
                              QStringLiteral("データ件数は、2件です。インポートを開始しますか。"), kInconsistent}));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類"), 1);

        // A file of its heading line only: nothing to import, refused the same way.
        run(d, env, writeImport(env, {kHeading}, "heading.txt"), {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().mid(1),
                 (QStringList{QStringLiteral("データ件数は、0件です。インポートを開始しますか。"), kInconsistent}));
        run(d, env, writeFile(env.path("empty.txt"), QByteArray()), {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kInconsistent);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
    }

    void failureKeepsWhatCameBefore()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        const QString file = writeImport(env, {kHeading,
                                               QStringLiteral("分類1\tペン\t1\t本\t10\t10\tlong line"),
                                               QStringLiteral("分類1\t鉛筆"),   // a short line: its cells are empty, the 価格 cell refused
                                               QStringLiteral("分類3\tノート\t1\t冊\t1\t1\t")});
        auto* d = countDialog();
        d->Label2->setText("before");
        run(d, env, file, {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedA + QStringLiteral("\n\n3行目：価格が空です。"));
        QVERIFY(d->Label4->isHidden());
        QCOMPARE(d->Label2->text(), QStringLiteral("before"));
        QCOMPARE(column("SELECT 品名, 備考 FROM 棚卸マスター"), QStringList{QStringLiteral("ペン|long line")});
        // The product the failing line named stays; nothing after it was stored.
        QCOMPARE(column("SELECT 品名, 単位 FROM 仕入商品 ORDER BY 品名ID"),
                 (QStringList{QStringLiteral("ペン|本"), QStringLiteral("鉛筆|")}));
        QCOMPARE(count("SELECT COUNT(*) FROM 項目分類 WHERE 項目分類名 = '分類3'"), 0);

        // A bad number in the middle of the file.
        const QString bad = writeImport(env, {kHeading, QStringLiteral("\tX\t1\t\t1\t1\t"), QStringLiteral("\tY\tabc\t\t1\t1\t"),
                                              QStringLiteral("\tZ\t1\t\t1\t1\t")}, "bad.txt");
        run(d, env, bad, {Yes, Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedA + QStringLiteral("\n\n3行目：数量「abc」は数値ではありません。"));
        QCOMPARE(column("SELECT 品名 FROM 棚卸マスター ORDER BY ID"), (QStringList{QStringLiteral("ペン"), "X"}));

        // A line of 1001 cells.
        const QString wide = writeImport(env, {kHeading, QStringLiteral("\tW\t1\t\t1\t1\t") + QString(1000, '\t') + "x",
                                               QStringLiteral("\tV\t1\t\t1\t1\t")}, "wide.txt");
        run(d, env, wide, {Yes, Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedA + QStringLiteral("\n\n2行目：列が1000を超えています。"));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 2);

        // A file that is neither code page 932 nor UTF-8, and a good file with one stray byte in a
        // later line: refused before anything is written, naming the line.
        run(d, env, writeFile(env.path("garbled.txt"), QByteArray("h\r\n\x81\x20\tA\r\n")), {Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedA + QStringLiteral("\n\n2行目：シフトJISとして読めない文字があります。"));
        const QByteArray stray = cp932::encode(kHeading + QStringLiteral("\r\n\tペン\t1\t\t1\t1\t\r\n\t鉛筆")) + "\x8A\t1\t\t1\t1\t\r\n";
        run(d, env, writeFile(env.path("stray.txt"), stray), {Yes, Ok});
        QCOMPARE(env.dialogs.messages(), (QStringList{QStringLiteral("インポートする棚卸データの決算日は、2026/03/31です。よろしいですか。"),
                                                      kFailedA + QStringLiteral("\n\n3行目：シフトJISとして読めない文字があります。")}));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 2);
    }

    void aDatabaseFailureIsToldByItsCause_data()
    {
        // On a full disk SQLite gives the transaction up; the commit that follows fails only
        // because of that.
        testsupport::UnwritableFile::addRows();
        QTest::newRow("damaged file") << "damaged" << db::Cause::Damaged;
    }

    void aDatabaseFailureIsToldByItsCause()
    {
        QFETCH(QString, condition);
        QFETCH(db::Cause, cause);
        testsupport::Env env;
        saveCountMapping();
        QStringList lines{kHeading};
        for (int i = 1; i <= 400; ++i)
            lines << QStringLiteral("文具\t品%1\t1\t本\t10\t10\t").arg(i) + QString(200, QChar(u'備'));
        const QString importFile = writeImport(env, lines);
        testsupport::UnwritableFile file(env, condition);
        if (condition == "damaged") {
            db::open(file.path());
            db::Transaction t;
            for (int i = 1; i <= 3000; ++i)
                db::exec("INSERT INTO 棚卸マスター (ID, 日付, 項目ID, 品名, 備考) VALUES (?, '2026-01-01', 0, 'x', ?)",
                         {i, QString(100, QChar(u'備'))});
            t.commit();
            db::close();
            testsupport::damagePages(file.path());
        }
        if (!file.protect())
            QSKIP("this test may not make a read-only folder (no mount namespace)");
        db::open(file.path());
        auto* d = countDialog();
        // Changed pages go to the journal long before the commit, as on a large import.
        db::exec("PRAGMA cache_size = 10");
        file.failNow();
        run(d, env, importFile, {Yes, Yes, Ok});
        file.release();
        const QString told = env.dialogs.messages().last();
        QVERIFY2(told.startsWith(kFailedA + "\n\n") && told.endsWith(db::causeText(cause)), qPrintable(told));
        QCOMPARE(testsupport::withLatinLetters(env.dialogs.messages()), QStringList{});
        db::close();
    }

    void everyEncodingImportsTheSameLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("stored");
        // Kana, kanji, the characters the Japanese code pages map differently, and numbers as the
        // windows accept them typed.
        const QString text = kHeading + QStringLiteral("\r\n㈱髙島屋\t①番～ﾊﾞﾅﾅ\t１２\t箱\t￥1,500\t18000\tメモ\r\n");
        const QString stored = QStringLiteral("㈱髙島屋|①番～ﾊﾞﾅﾅ|12|箱|1500|18000|メモ|1500");
        auto utf16 = [&](bool bigEndian) {
            QByteArray b = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
            for (QChar c : text) {
                const char hi = static_cast<char>(c.unicode() >> 8), lo = static_cast<char>(c.unicode() & 0xFF);
                b.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
            }
            return b;
        };
        QTest::newRow("code page 932") << cp932::encode(text) << stored;
        QTest::newRow("utf-8") << text.toUtf8() << stored;
        QTest::newRow("utf-8 with byte-order mark") << "\xEF\xBB\xBF" + text.toUtf8() << stored;
        QTest::newRow("utf-16 little-endian") << utf16(false) << stored;
        QTest::newRow("utf-16 big-endian") << utf16(true) << stored;
        // Half-width kana alone: these bytes happen to be valid UTF-8 too ("Ž", "п", "ʲ").
        const QString kana = QStringLiteral("bunrui\thinmei\r\nﾅｽ\tﾐｿ\t1\t\t2\t2\tﾊｲ\r\n");
        QTest::newRow("half-width kana in code page 932") << cp932::encode(kana) << QStringLiteral("ﾅｽ|ﾐｿ|1||2|2|ﾊｲ|2");
        QTest::newRow("half-width kana in utf-8") << kana.toUtf8() << QStringLiteral("ﾅｽ|ﾐｿ|1||2|2|ﾊｲ|2");
    }

    void everyEncodingImportsTheSameLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, stored);
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        run(countDialog(), env, writeFile(env.path("import.txt"), bytes), {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kDoneA);
        QCOMPARE(column("SELECT c.項目分類名, t.品名, t.数量, t.単位, t.単価, t.価格, t.備考, p.単価 FROM 棚卸マスター t "
                        "JOIN 項目分類 c ON c.項目ID = t.項目ID JOIN 仕入商品 p ON p.品名ID = t.品名ID"),
                 QStringList{stored});
    }

    void linesSavedInTheOtherEncoding()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        // A code page 932 file with one line added in UTF-8: every line is stored as written.
        const QByteArray mixed = cp932::encode(kHeading + QStringLiteral("\r\n文具\tボールペン\t3\t本\t100\t300\t\r\n"))
                                 + QStringLiteral("\tペン\t1\t本\t250\t250\t\r\n").toUtf8()
                                 + cp932::encode(QStringLiteral("文具\t消しゴム\t2\t個\t50\t100\t\r\n"));
        auto* d = countDialog();
        run(d, env, writeFile(env.path("mixed.txt"), mixed), {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kDoneA);
        QCOMPARE(column("SELECT 品名, 単位 FROM 棚卸マスター ORDER BY ID"),
                 (QStringList{QStringLiteral("ボールペン|本"), QStringLiteral("ペン|本"), QStringLiteral("消しゴム|個")}));
        QCOMPARE(column("SELECT 品名 FROM 仕入商品 ORDER BY 品名ID"),
                 (QStringList{QStringLiteral("ボールペン"), QStringLiteral("ペン"), QStringLiteral("消しゴム")}));

        // A line that reads as text in both encodings and disagrees with the file is not guessed:
        // the file is refused by that line before anything is written.
        const QByteArray undecided = cp932::encode(kHeading + QStringLiteral("\r\n文具\tノート\t1\t冊\t1\t1\t\r\n"))
                                     + QStringLiteral("\t酖隶\t1\t\t1\t1\t\r\n").toUtf8();
        run(d, env, writeFile(env.path("undecided.txt"), undecided), {Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedA + QStringLiteral("\n\n3行目：シフトJISとUTF-8のどちらで保存された行か決められません。"));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 3);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品"), 3);
    }

    void linesEndedByCarriageReturnAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = kHeading + QStringLiteral("\r文具\tペン\t1\t本\t10\t10\t\r\t鉛筆\t2\t本\t5\t10\tメモ\r");
        QTest::newRow("code page 932") << cp932::encode(text);
        QTest::newRow("utf-8") << text.toUtf8();
    }

    void linesEndedByCarriageReturnAlone()
    {
        QFETCH(QByteArray, bytes);
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        const QString file = writeFile(env.path("cr.txt"), bytes);
        run(countDialog(), env, file, {Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages(),
                 (QStringList{QStringLiteral("インポートする棚卸データの決算日は、2026/03/31です。よろしいですか。"),
                              QStringLiteral("データ件数は、2件です。インポートを開始しますか。"), kDoneA}));
        QCOMPARE(column("SELECT 項目ID, 品名, 数量, 単位, 価格, 備考 FROM 棚卸マスター ORDER BY ID"),
                 (QStringList{QStringLiteral("1|ペン|1|本|10|"), QStringLiteral("0|鉛筆|2|本|10|メモ")}));
    }

    void startWithoutAFileSaysSo()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        saveProductMapping();
        // The file name typed away after choosing a file.
        auto* d = countDialog();
        env.dialogs.files = {writeImport(env, {kHeading, QStringLiteral("\tペン\t1\t\t1\t1\t")})};
        d->Command2_Click();
        env.dialogs.clear();
        d->txtFileName->selectAll();
        QTest::keyClick(d->txtFileName, Qt::Key_Delete);
        QVERIFY(d->Command1->isEnabled());
        env.dialogs.answers = {Yes, Ok};
        d->Command1_Click();
        QCOMPARE(env.dialogs.messages().last(), kFailedA + QStringLiteral("\n\nファイルが選択されていません。"));

        // The mapping window's OK without a file hands back no file.
        auto* b = forms::get<DialogExcelB>();
        forms::setModalDriver([](Form* f) {
            auto* tab = qobject_cast<DialogTabB*>(f);
            QVERIFY(tab);
            tab->Command3_Click();
        });
        b->Command3_Click();
        forms::setModalDriver({});
        QVERIFY(b->txtFileName->text().isEmpty());
        QVERIFY(b->Command1->isEnabled());
        env.dialogs.clear();
        env.dialogs.answers = {Ok};
        b->Command1_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{kFailedB + QStringLiteral("\n\nファイルが選択されていません。")});
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
    }

    void dialogRepaintsBeforeTheRun()
    {
        testsupport::Env env;
        env.openNewDatabase();
        saveCountMapping();
        const QString file = writeImport(env, {kHeading, QStringLiteral("\tペン\t1\t\t1\t1\t")});
        auto* d = countDialog();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        run(d, env, file, {Yes, Yes, Ok});   // the window has taken the size a run needs
        QCoreApplication::processEvents();
        // Where the answered questions stood, the window is painted again before the lines are
        // stored: its top row, which nothing in the run changes, is painted after the third
        // question and before the result.
        PaintWatch watch(d->Label6, [&] { return static_cast<int>(env.dialogs.shown.size()); });
        run(d, env, file, {Yes, Yes, Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kDoneA);
        QVERIFY(watch.at.contains(3));
    }

    void missingMappingOpensTheMappingWindow()
    {
        testsupport::Env env;
        env.openNewDatabase();
        const QString file = writeImport(env, {kHeading, QStringLiteral("\tペン\t1\t\t1\t1\t")});
        QString given;
        forms::setModalDriver([&](Form* f) {
            auto* tab = qobject_cast<DialogTabA*>(f);
            QVERIFY(tab);
            given = tab->Text2->text();
            tab->Combo1->setCurrentIndex(1);
            tab->MSFlexGrid1->setCurrentCell(1, 0);
            tab->Command2_Click();
            tab->Combo1->setCurrentIndex(5);
            tab->MSFlexGrid1->setCurrentCell(5, 0);
            tab->Command2_Click();
            tab->Command3_Click();
        });
        auto* d = countDialog();
        run(d, env, file, {Yes, Ok});
        forms::setModalDriver({});
        QCOMPARE(env.dialogs.messages().last(), QStringLiteral("設定ファイルが見つかりませんでした。インポートの設定を行います。"));
        QCOMPARE(given, file);
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);
        // The mapping's OK handed the file back: the run starts again without choosing it.
        QCOMPARE(d->txtFileName->text(), file);
        QVERIFY(d->Command1->isEnabled());
        env.dialogs.clear();
        env.dialogs.answers = {Yes, Yes, Ok};
        d->Command1_Click();
        QCOMPARE(env.dialogs.messages().last(), kDoneA);
        QCOMPARE(column("SELECT 品名, 価格 FROM 棚卸マスター"), QStringList{QStringLiteral("ペン|1")});
    }

    void productImportAddsAndUpdates()
    {
        testsupport::Env env;
        env.openNewDatabase();
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名, 単位, 単価) VALUES (4, '既存', '個', 100)");
        saveProductMapping();
        const QString file = writeImport(env, {"品名\t単位\t単価", QStringLiteral("既存\t箱\t12.5"), QStringLiteral("\t無名\t1"),
                                               QStringLiteral("新品\t本\t2.5"), QStringLiteral("新品\t冊\t3.5"),
                                               QStringLiteral("既存\t\t"), QStringLiteral("別\t\t")});
        auto* d = forms::get<DialogExcelB>();
        QCOMPARE(d->windowTitle(), QStringLiteral("品名情報のインポート"));
        QVERIFY(!d->Check1->isChecked());
        QCOMPARE(d->Check1->text(), QStringLiteral("既に登録されている品名情報の単価、数量単位を更新する。"));
        QVERIFY(!d->findChild<QDateEdit*>("DTPicker1"));

        // Unchecked: known products stay as they are.
        run(d, env, file, {Yes, Ok});
        QCOMPARE(env.dialogs.messages(), (QStringList{QStringLiteral("データ件数は、6件です。インポートを開始しますか。"), kDoneB}));
        QCOMPARE(d->Label5->text(), QStringLiteral("品名情報　新規登録件数　 　　2 件"));
        QCOMPARE(d->ProgressBar1->value(), 6);   // the line without a name moved it too
        QCOMPARE(column("SELECT 品名ID, 品名, 単位, 単価 FROM 仕入商品 ORDER BY 品名ID"),
                 (QStringList{QStringLiteral("4|既存|個|100"), QStringLiteral("5|新品|本|2"), QStringLiteral("6|別||0")}));

        // Checked: each later line updates, the last line's unit and price remain; an empty price is 0.
        d->Check1->setChecked(true);
        run(d, env, file, {Yes, Ok});
        QCOMPARE(d->Label5->text(), QStringLiteral("品名情報　新規登録件数　 　　0 件"));
        QCOMPARE(column("SELECT 品名ID, 品名, 単位, 単価 FROM 仕入商品 ORDER BY 品名ID"),
                 (QStringList{QStringLiteral("4|既存||0"), QStringLiteral("5|新品|冊|4"), QStringLiteral("6|別||0")}));
        QCOMPARE(count("SELECT COUNT(*) FROM 棚卸マスター"), 0);

        // A bad price fails the run with this dialog's own message; the lines before it stay.
        const QString bad = writeImport(env, {"h", QStringLiteral("甲\t\t1"), QStringLiteral("乙\t\tx"), QStringLiteral("丙\t\t1")}, "bad.txt");
        run(d, env, bad, {Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedB + QStringLiteral("\n\n3行目：単価「x」は数値ではありません。"));
        QCOMPARE(column("SELECT 品名 FROM 仕入商品 WHERE 品名ID > 6"), QStringList{QStringLiteral("甲")});

        // The last line without a name is refused before anything is written.
        run(d, env, writeImport(env, {"h", QStringLiteral("丁\t\t1"), QStringLiteral("\t\t1")}, "tail.txt"), {Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kInconsistent);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品 WHERE 品名 = '丁'"), 0);

        // Prices as the windows accept them typed; a bad one names its line and cell.
        run(d, env, writeImport(env, {"h", QStringLiteral("戊\t\t￥1,500"), QStringLiteral("己\t\t１２"), QStringLiteral("庚\t\t1x")}, "typed.txt"),
            {Yes, Ok});
        QCOMPARE(env.dialogs.messages().last(), kFailedB + QStringLiteral("\n\n4行目：単価「1x」は数値ではありません。"));
        QCOMPARE(column("SELECT 品名, 単価 FROM 仕入商品 WHERE 品名 IN ('戊', '己') ORDER BY 品名ID"),
                 (QStringList{QStringLiteral("戊|1500"), QStringLiteral("己|12")}));
    }

    void helpText()
    {
        testsupport::Env env;
        env.openNewDatabase();
        QString tip;
        forms::setModalDriver([&](Form* f) {
            if (auto* t = qobject_cast<frmTipA*>(f))
                tip = t->text();
        });
        forms::get<DialogExcelB>()->Command4_Click();
        forms::setModalDriver({});
        // Both imports open by name from the main window's buttons and menu items.
        QVERIFY(windows::available("DialogExcelA"));
        QVERIFY(windows::available("DialogExcelB"));
        QCOMPARE(forms::get<DialogExcelA>()->DTPicker1->date(), QDate::currentDate());
        QCOMPARE(tip, QStringLiteral("インポートについて\nインポートできるファイル形式は、タブ区切り(TXT)、(DAT)のテキストファイルです。\n\n"
                                     "Ｅｘｃｅｌなどでタブ区切り(TXT)のテキスト形式で保存してください。インポート処理は一行目(見出し行）は読み込みません。"
                                     "見出し行がないデータの場合は、１行目に「見出し」を挿入してください。\n\n"));
    }

    void olderFileGetsTheNameIndexes()
    {
        testsupport::Env env;
        const QString path = env.newDatabase("old.idb");
        {
            QSqlDatabase old = QSqlDatabase::addDatabase("QSQLITE", "old");
            old.setDatabaseName(path);
            QVERIFY(old.open());
            QSqlQuery q(old);
            QVERIFY(q.exec("DROP INDEX 仕入商品_品名"));
            QVERIFY(q.exec("DROP INDEX 項目分類_項目分類名"));
            QVERIFY(q.exec("INSERT INTO 仕入商品 VALUES (1, 'Pen', 10, '本')"));
            old.close();
        }
        QSqlDatabase::removeDatabase("old");
        db::open(path);
        const QString indexes = "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN ('仕入商品_品名', '項目分類_項目分類名')";
        QCOMPARE(count(indexes), 0);
        saveProductMapping();
        // The lookups follow the column's collation: "pen" finds "Pen".
        run(forms::get<DialogExcelB>(), env, writeImport(env, {"h", "pen\t\t1"}), {Yes, Ok});
        QCOMPARE(count(indexes), 2);
        QCOMPARE(column("SELECT * FROM 仕入商品"), QStringList{QStringLiteral("1|Pen|10|本")});
        QCOMPARE(column("EXPLAIN QUERY PLAN SELECT 品名ID FROM 仕入商品 WHERE 品名 = 'x' ORDER BY 品名ID LIMIT 1").join(' ')
                     .contains(QStringLiteral("仕入商品_品名")), true);
    }

    void storeWithoutWindow()
    {
        testsupport::Env env;
        env.openNewDatabase();
        // Progress counts lines added; a short line after a long one reads empty cells.
        QList<int> seen;
        const importer::Outcome out = importer::storeCountLines({"c\tn\t1\tu\t1\t1\tremark", "c\tn\t2\t\t\t0"}, QDate(2026, 1, 2),
                                                            {0, 1, 2, 3, 4, 5, 6, 7}, [&](int done) { seen << done; });
        QVERIFY(!out.failed);
        QCOMPARE(seen, (QList<int>{1, 2}));
        QCOMPARE(column("SELECT 単位, 備考 FROM 棚卸マスター ORDER BY ID"), (QStringList{"u|remark", "|"}));
        // Texts of every width reach the file unchanged; the 50-character cut never halves a
        // character outside the basic plane.
        const QString wide = QStringLiteral("é①ｱ𠮷㈱");
        const QString long49 = QString(49, QLatin1Char('x')) + QStringLiteral("𠮷tail");
        const importer::Outcome texts = importer::storeCountLines({wide + "\t" + long49 + "\t1\t" + wide + "\t1\t1\t" + wide},
                                                              QDate(2026, 1, 3), {0, 1, 2, 3, 4, 5, 6, 7});
        QVERIFY(!texts.failed);
        QCOMPARE(column("SELECT 品名, 単位, 備考 FROM 棚卸マスター WHERE 日付 = '2026-01-03'"),
                 QStringList{QString(49, QLatin1Char('x')) + "|" + wide + "|" + wide});
        QCOMPARE(column("SELECT 項目分類名 FROM 項目分類 ORDER BY 項目ID DESC LIMIT 1"), QStringList{wide});
        QCOMPARE(column("SELECT hex(備考) FROM 棚卸マスター WHERE 日付 = '2026-01-03'"), QStringList{"C3A9E291A0EFBDB1F0A0AEB7E388B1"});
        QCOMPARE(importer::readNumber(" 1,234.5 ").value_or(-1), 1234.5);
        QVERIFY(!importer::readNumber("1e999"));
        // Cells read as the windows read typed numbers.
        QCOMPARE(importer::readNumber(QStringLiteral("１２")).value_or(-1), 12.0);
        QCOMPARE(importer::readNumber(QStringLiteral("￥1,500")).value_or(-1), 1500.0);
        QVERIFY(!importer::wholeNumber(3e9));
        QCOMPARE(*importer::wholeNumber(-0.5), 0.0);

        // Keys continue from the highest stored key, also past gaps, and stop at the 32-bit end.
        db::exec("INSERT INTO 仕入商品 (品名ID, 品名) VALUES (2147483647, 'last')");
        const importer::Outcome full = importer::storeProducts({"new\t\t1"}, {0, 1, 2, 3}, false);
        QVERIFY(full.failed);
        QCOMPARE(full.error, global::kKeyRangeText);
        QCOMPARE(count("SELECT COUNT(*) FROM 仕入商品 WHERE 品名 = 'new'"), 0);
    }
};

BREVOTANE_TEST_MAIN(TestImportRun)
#include "test_import_run.moc"
