// The import file (decoding, lines, cells), the mapping files and the mapping windows.
#include "MappingArrays.h"
#include "TestSupport.h"

#include "app/frmTipA.h"
#include "common/AppPaths.h"
#include "common/global.h"
#include "import/DialogExcel.h"
#include "import/ImportFile.h"
#include "import/Mapping.h"
#include "import/MappingDialog.h"
#include "platform/CodePage.h"
#include "platform/Form.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <csignal>
#include <sys/resource.h>

namespace {
void clearMappingArrays()
{
    global::ImportFieldNames.fill(QString());
    global::ImportFieldColumns.fill(QString());
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using testsupport::ReadOnlyFolder;

QStringList gridNames(MappingDialog* d)
{
    QStringList out;
    for (int r = 0; r < d->MSFlexGrid1->rowCount(); ++r)
        out << d->MSFlexGrid1->item(r, 1)->text();
    return out;
}

QStringList comboEntries(QComboBox* c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}
} // namespace

class TestImportFile : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        clearMappingArrays();
        for (const char* name : {"Brevotane_A.log", "Brevotane_B.log"})
            QFile::remove(paths::userFolder() + name);
    }

    void cuttingLines()
    {
        QCOMPARE(*importer::cutLine("x\t\tz"), (QStringList{"x", "", "z"}));
        QCOMPARE(*importer::cutLine(""), QStringList{""});
        QCOMPARE(*importer::cutLine(" a \t\"b\""), (QStringList{" a ", "\"b\""}));   // nothing trimmed or unquoted
        QCOMPARE(*importer::cutLine("*"), QStringList{"*"});                           // the sentinel is no cell
        QCOMPARE(*importer::cutLine("a\t*"), (QStringList{"a", "*"}));

        QStringList thousand;
        for (int i = 1; i <= 1000; ++i)
            thousand << QString::number(i);
        const auto cells = importer::cutLine(thousand.join('\t'));
        QVERIFY(cells);
        QCOMPARE(importer::cellAt(*cells, 1000), QStringLiteral("1000"));
        thousand << "1001";
        QVERIFY(!importer::cutLine(thousand.join('\t')));

        // Cell 0 and cells a line lacks read empty.
        QCOMPARE(importer::cellAt(*importer::cutLine("a\tb"), 0), QString());
        QCOMPARE(importer::cellAt(*importer::cutLine("a\tb"), 3), QString());
        QCOMPARE(importer::cellAt(*importer::cutLine("a\tb"), -1), QString());

        QCOMPARE(importer::headingsOf("A\t\tC"), (QStringList{"A", "", "C"}));
    }

    void lineEnds()
    {
        auto lines = [](QByteArrayView bytes) { return importer::decodeImportLines(bytes).lines; };
        QCOMPARE(lines("h\r\na\r\nb\r\n"), (QStringList{"h", "a", "b"}));
        QCOMPARE(lines("h\na\r\nb"), (QStringList{"h", "a", "b"}));
        QCOMPARE(lines("h\r\na\r\n\r\n"), (QStringList{"h", "a", ""}));   // a trailing blank line
        QCOMPARE(lines(""), QStringList{});
        // CR alone ends a line as LF and CR LF do (older spreadsheets and editors save so).
        QCOMPARE(lines("a\rb"), (QStringList{"a", "b"}));
        QCOMPARE(lines("h\ra\r\r"), (QStringList{"h", "a", ""}));
        QCOMPARE(lines("h\r\r\na\nb\r"), (QStringList{"h", "", "a", "b"}));
        QCOMPARE(lines(cp932::encode(QStringLiteral("品名\t単位\rペン\t本\r"))), (QStringList{QStringLiteral("品名\t単位"), QStringLiteral("ペン\t本")}));
        QCOMPARE(lines(QStringLiteral("品名\t単位\rペン\t本").toUtf8()), (QStringList{QStringLiteral("品名\t単位"), QStringLiteral("ペン\t本")}));
        QCOMPARE(lines(QByteArrayView("\xFF\xFE" "a\0\r\0\n\0\n\0b\0\n\0", 14)), (QStringList{"a", "", "b"}));
        QCOMPARE(lines(QByteArrayView("\xFF\xFE" "a\0\r\0b\0\r\0\r\0", 12)), (QStringList{"a", "b", ""}));
        QCOMPARE(lines(QByteArrayView("\xFE\xFF\0a\0\r\0\n\x0A\0\0b", 12)), (QStringList{"a", QString(QChar(0x0A00)) + "b"}));
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QList<int>>("damaged");
        QTest::addColumn<QList<int>>("undecided");
        const QString cp932 = QStringLiteral("シフトJIS"), utf8 = QStringLiteral("UTF-8"), utf16 = QStringLiteral("UTF-16");
        const QString japanese = QStringLiteral("品名\t①㈱髙〜");
        const QString fruit = QStringLiteral("ﾊﾞﾅﾅ\t青森産りんご\t１２");
        const QString fffd(QChar::ReplacementCharacter);
        // The characters that differ between the Japanese code page mappings.
        QTest::newRow("code page 932") << QByteArray("\x87\x40\x87\x8A\xFB\xFC\x81\x60\x83\x65\xB1", 11)
                                       << QStringList{QStringLiteral("①㈱髙～テｱ")} << cp932 << QList<int>{} << QList<int>{};
        QTest::newRow("ascii") << QByteArray("a\\b~") << QStringList{"a\\b~"} << cp932 << QList<int>{} << QList<int>{};
        // Half-width kana alone whose bytes are valid UTF-8 by accident ("Ž", "п", "ʲ").
        QTest::newRow("half-width kana in code page 932")
            << QByteArray("name\r\n\xC5\xBD\t\xD0\xBF\t\xCA\xB2\r\n") << QStringList{"name", QStringLiteral("ﾅｽ\tﾐｿ\tﾊｲ")} << cp932
            << QList<int>{} << QList<int>{};
        QTest::newRow("half-width kana in utf-8") << QStringLiteral("ﾅｽ\tﾐｿ").toUtf8() << QStringList{QStringLiteral("ﾅｽ\tﾐｿ")}
                                                  << utf8 << QList<int>{} << QList<int>{};
        QTest::newRow("kana and kanji in code page 932") << cp932::encode(fruit) << QStringList{fruit} << cp932 << QList<int>{} << QList<int>{};
        QTest::newRow("kana and kanji in utf-8") << fruit.toUtf8() << QStringList{fruit} << utf8 << QList<int>{} << QList<int>{};
        QTest::newRow("utf-8") << japanese.toUtf8() << QStringList{japanese} << utf8 << QList<int>{} << QList<int>{};
        QTest::newRow("utf-8 with byte-order mark") << "\xEF\xBB\xBF" + japanese.toUtf8() << QStringList{japanese} << utf8
                                                    << QList<int>{} << QList<int>{};
        QTest::newRow("byte-order mark, ascii") << QByteArray("\xEF\xBB\xBFplain") << QStringList{"plain"} << utf8 << QList<int>{} << QList<int>{};
        // A yen sign beside kanji is UTF-8; alone, its two bytes are two half-width kana as well.
        QTest::newRow("yen sign in utf-8") << QStringLiteral("単価\r\n¥1,500").toUtf8()
                                           << QStringList{QStringLiteral("単価"), QStringLiteral("¥1,500")} << utf8 << QList<int>{} << QList<int>{};
        QTest::newRow("yen sign alone") << QByteArray("\xC2\xA5") << QStringList{QStringLiteral("ﾂ･")} << cp932 << QList<int>{} << QList<int>{};
        QTest::newRow("utf-16 little-endian") << QByteArray("\xFF\xFE\xC1\x54\x0D\x00\x0A\x00\x61\x00", 10)
                                              << QStringList{QStringLiteral("品"), "a"} << utf16 << QList<int>{} << QList<int>{};
        QTest::newRow("utf-16 big-endian") << QByteArray("\xFE\xFF\x54\xC1\xD8\x42\xDF\xB7", 8)
                                           << QStringList{QStringLiteral("品𠮷")} << utf16 << QList<int>{} << QList<int>{};
        QTest::newRow("utf-16, byte-order mark only") << QByteArray("\xFF\xFE") << QStringList{} << utf16 << QList<int>{} << QList<int>{};
        // Damaged lines: named, their bad bytes read as U+FFFD, the other lines read whole.
        QTest::newRow("stray byte in a later line") << QByteArray("h1\th2\r\n\x82\xA0\r\n\x8A\tx\r\n")
                                                    << QStringList{"h1\th2", QStringLiteral("あ"), fffd + "\tx"} << cp932
                                                    << QList<int>{3} << QList<int>{};
        QTest::newRow("neither encoding") << QByteArray("ok\x81\x20", 4) << QStringList{"ok" + fffd + " "} << cp932 << QList<int>{1} << QList<int>{};
        QTest::newRow("byte-order mark before code page 932") << QByteArray("\xEF\xBB\xBF\x82\xA0\r\nok")
                                                              << QStringList{fffd + fffd, "ok"} << utf8 << QList<int>{1} << QList<int>{};
        QTest::newRow("utf-16, odd byte and lone surrogate") << QByteArray("\xFF\xFE\x00\xD8\x0A\x00\x41", 7)
                                                             << QStringList{fffd, fffd} << utf16 << (QList<int>{1, 2}) << QList<int>{};
        // A line saved in the other encoding is read as it was saved where its own bytes tell: UTF-8
        // kana and kanji read in code page 932 as rare kanji and signs ("ペン" as "繝壹Φ"), lone
        // Latin, Cyrillic or phonetic letters in UTF-8 are code page 932 half-width kana.
        const QString penLine = QStringLiteral("\tペン\t1\t本\t250\t250\t");
        QTest::newRow("utf-8 line in a code page 932 file")
            << cp932::encode(QStringLiteral("分類\t品名\r\n文具\tボールペン\r\n")) + penLine.toUtf8() + "\r\n" + cp932::encode(QStringLiteral("文具\t消しゴム\r\n"))
            << QStringList{QStringLiteral("分類\t品名"), QStringLiteral("文具\tボールペン"), penLine, QStringLiteral("文具\t消しゴム")} << cp932
            << QList<int>{} << QList<int>{};
        QTest::newRow("code page 932 half-width kana in a utf-8 file")
            << QStringLiteral("品名\t単位\r\nりんご\t個\r\n").toUtf8() + "\xC5\xBD\t\xD0\xBF\t\xCA\xB2\r\n"
            << QStringList{QStringLiteral("品名\t単位"), QStringLiteral("りんご\t個"), QStringLiteral("ﾅｽ\tﾐｿ\tﾊｲ")} << utf8 << QList<int>{}
            << QList<int>{};
        // Words and signs of other languages in a UTF-8 file stay as written.
        const QString words = QStringLiteral("Café\tМолоко\t100µg\tCoca-Cola®\tMüller");
        QTest::newRow("foreign words in a utf-8 file") << QStringLiteral("品名\r\nりんご\r\n").toUtf8() + words.toUtf8()
                                                       << QStringList{QStringLiteral("品名"), QStringLiteral("りんご"), words} << utf8
                                                       << QList<int>{} << QList<int>{};
        // A code page 932 line in a UTF-8 file is no UTF-8: refused by its line, as damaged UTF-8 is.
        QTest::newRow("code page 932 line in a utf-8 file")
            << QStringLiteral("品名\r\nりんご\r\n").toUtf8() + cp932::encode(QStringLiteral("ペン"))
            << QStringList{QStringLiteral("品名"), QStringLiteral("りんご"), fffd + "y" + fffd + fffd} << utf8 << QList<int>{3}
            << QList<int>{};
        // Rare kanji in UTF-8 whose code page 932 reading holds a common one: both read as text, so
        // the line is not guessed.
        QTest::newRow("undecided line") << cp932::encode(QStringLiteral("品名\r\n")) + QStringLiteral("酖隶").toUtf8()
                                        << QStringList{QStringLiteral("品名"), QStringLiteral("驟夜垳")} << cp932 << QList<int>{}
                                        << QList<int>{2};
    }

    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(QString, encoding);
        QFETCH(QList<int>, damaged);
        QFETCH(QList<int>, undecided);
        const importer::DecodedLines decoded = importer::decodeImportLines(bytes);
        QCOMPARE(decoded.lines, lines);
        QCOMPARE(importer::encodingName(decoded.encoding), encoding);
        QCOMPARE(decoded.damaged, damaged);
        QCOMPARE(decoded.undecided, undecided);
    }

    void readingFilesAndHeadings()
    {
        testsupport::Env env;
        const QByteArray sjis("h1\th2\r\n\x87\x40\x87\x8A\r\n", 13);
        const QString path = writeFile(env.path("sjis.txt"), sjis);
        QCOMPARE(*importer::readImportFile(path), (QStringList{"h1\th2", QStringLiteral("①㈱")}));
        QCOMPARE(*importer::readHeadings(path), (QStringList{"h1", "h2"}));
        QString why;
        QVERIFY(!importer::readImportFile(env.path("missing.txt"), &why));
        QCOMPARE(why, QStringLiteral("ファイル「%1」を開けません。").arg(env.path("missing.txt")));
        QVERIFY(!importer::readImportFile(QString(), &why));
        QCOMPARE(why, QStringLiteral("ファイルが選択されていません。"));
        QVERIFY(!importer::readHeadings(writeFile(env.path("empty.txt"), QByteArray())));
        QVERIFY(!importer::readHeadings(writeFile(env.path("bad-heading.txt"), "A\x81\tB\r\nx\r\n")));

        // One stray byte in a later line: the file is refused naming the line, the headings come
        // from the first line all the same, in the mapping window too.
        const QString stray = writeFile(env.path("stray.txt"), sjis + "ok\r\n\x8A\tx\r\n\x81\r\n");
        QVERIFY(!importer::readImportFile(stray, &why));
        QCOMPARE(why, QStringLiteral("4行目：シフトJISとして読めない文字があります（ほかに1行）。"));
        QCOMPARE(*importer::readHeadings(stray), (QStringList{"h1", "h2"}));
        auto* tab = forms::get<DialogTabA>();
        env.dialogs.files = {stray, writeFile(env.path("unicode.txt"), QByteArray("\xFF\xFE\x41\x00\x09\x00\xC1\x54\x0D\x00\x0A\x00", 12))};
        tab->Command1_Click();
        QCOMPARE(comboEntries(tab->Combo1), (QStringList{"h1", "h2"}));
        tab->Command1_Click();   // UTF-16 as desktop spreadsheets save "Unicode text"
        QCOMPARE(comboEntries(tab->Combo1), (QStringList{"A", QStringLiteral("品")}));

        // Lines ended by CR alone: the heading list holds the first line's cells only, in code
        // page 932 and in UTF-8 alike.
        const QString crLines = QStringLiteral("分類\t品名\t数量\r文具\tペン\t1\r文具\t鉛筆\t2\r");
        env.dialogs.files = {writeFile(env.path("cr-sjis.txt"), cp932::encode(crLines)),
                             writeFile(env.path("cr-utf8.txt"), crLines.toUtf8())};
        for (int i = 0; i < 2; ++i) {
            tab->Command1_Click();
            QCOMPARE(comboEntries(tab->Combo1), (QStringList{QStringLiteral("分類"), QStringLiteral("品名"), QStringLiteral("数量")}));
        }
        // A heading line that fills the first block to its CR, the LF in the next block.
        QBuffer edge;
        const QByteArray longHeading = "A\t" + QByteArray(64 * 1024 - 3, 'h');
        edge.setData(longHeading + "\r\nx\ty\r\n");
        QVERIFY(edge.open(QIODevice::ReadOnly));
        QCOMPARE(*importer::readHeadings(edge), (QStringList{"A", QString::fromLatin1(longHeading.mid(2))}));

        // Only the first line is read, however long the file.
        QBuffer big;
        big.setData(QByteArray("A\tB\r\n") + QByteArray(4 << 20, 'x'));
        QVERIFY(big.open(QIODevice::ReadOnly));
        QCOMPARE(*importer::readHeadings(big), (QStringList{"A", "B"}));
        QVERIFY(big.pos() <= 64 * 1024);
        QBuffer bigCr;
        bigCr.setData(QByteArray("A\tB\r") + QByteArray(4 << 20, 'x'));
        QVERIFY(bigCr.open(QIODevice::ReadOnly));
        QCOMPARE(*importer::readHeadings(bigCr), (QStringList{"A", "B"}));
        QVERIFY(bigCr.pos() <= 64 * 1024);
    }

    void mappingFile()
    {
        testsupport::Env env;
        // The product example: 品名 from column 2 (X), 単位 unassigned, 単価 from column 5 (Y).
        importer::assignField(1, "X", 2);
        importer::clearField(2);
        importer::assignField(3, "Y", 5);
        QVERIFY(importer::saveMapping(importer::Kind::Product));
        const QString path = env.programFolder() + "Brevotane_B.log";
        QCOMPARE(importer::mappingPath(importer::Kind::Product), path);
        QCOMPARE(readFile(path), QByteArray("X\r\n2\r\n\r\n0\r\nY\r\n5\r\n"));

        clearMappingArrays();
        QVERIFY(importer::loadMapping(importer::Kind::Product));
        QCOMPARE(importer::fieldColumns(importer::Kind::Product), (QList<int>{0, 2, 0, 5}));
        QCOMPARE(global::ImportFieldNames[3], QStringLiteral("Y"));

        // Headings with commas, quotes and Japanese text come back whole, in code page 932.
        importer::assignField(1, QStringLiteral("品名,\"仮\""), 1);
        importer::assignField(3, QStringLiteral("単価, 税込"), 3);
        QVERIFY(importer::saveMapping(importer::Kind::Product));
        QVERIFY(readFile(path).contains(cp932::encode(QStringLiteral("単価, 税込"))));
        clearMappingArrays();
        QVERIFY(importer::loadMapping(importer::Kind::Product));
        QCOMPARE(global::ImportFieldNames[1], QStringLiteral("品名,\"仮\""));
        QCOMPARE(global::ImportFieldNames[3], QStringLiteral("単価, 税込"));
        QCOMPARE(importer::fieldColumns(importer::Kind::Product), (QList<int>{0, 1, 0, 3}));

        // Too few lines: not loaded, the arrays keep what they held.
        writeFile(path, "A\r\n1\r\n\r\n0\r\nB\r\n");
        QVERIFY(!importer::loadMapping(importer::Kind::Product));
        QCOMPARE(global::ImportFieldNames[1], QStringLiteral("品名,\"仮\""));
        QVERIFY(!importer::parseMapping("", 1));
        QCOMPARE(importer::parseMapping("a\nb\n", 1)->at(0), (importer::Pair{"a", "b"}));

        // A stray lead byte in an LF-only file damages its own entry; every other pair keeps its place.
        writeFile(path, "X\x81\n2\n\n0\nY\n5\n");
        QVERIFY(importer::loadMapping(importer::Kind::Product));
        QCOMPARE(importer::fieldColumns(importer::Kind::Product), (QList<int>{0, 2, 0, 5}));
        QCOMPARE(global::ImportFieldNames[1], QStringLiteral("X\uFFFD"));
        QCOMPARE(global::ImportFieldNames[3], QStringLiteral("Y"));

        // A full disk: the save fails and the old file stays whole.
        {
            const testsupport::FullDisk full(0);
            QVERIFY(!importer::saveMapping(importer::Kind::Product));
        }
        QCOMPARE(readFile(path), QByteArray("X\x81\n2\n\n0\nY\n5\n"));

        // A column that is no number in range reads as no column.
        writeFile(path, "A\r\nzz\r\nB\r\n1001\r\nC\r\n-1\r\n");
        QVERIFY(importer::loadMapping(importer::Kind::Product));
        QCOMPARE(importer::fieldColumns(importer::Kind::Product), (QList<int>{0, 0, 0, 0}));

        // A save that cannot be completed leaves the old file whole.
        QFile::setPermissions(env.programFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        importer::assignField(1, "new", 1);
        const bool saved = importer::saveMapping(importer::Kind::Product);
        QFile::setPermissions(env.programFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!saved)
            QCOMPARE(readFile(path), QByteArray("A\r\nzz\r\nB\r\n1001\r\nC\r\n-1\r\n"));
    }

    void mappingBesideAReadOnlyProgramFolder()
    {
        testsupport::Env env;
        const QString beside = writeFile(env.programFolder() + "Brevotane_B.log", "X\r\n2\r\n\r\n0\r\nY\r\n5\r\n");
        const ReadOnlyFolder readOnly(env.programFolder());
        if (!readOnly.ok())
            QSKIP("this test may not make a read-only folder (no mount namespace)");
        QVERIFY(paths::writableFolder() != env.programFolder());

        // Read from beside the program: the window shows it and the import finds it.
        QVERIFY(importer::mappingExists(importer::Kind::Product));
        auto* tab = forms::get<DialogTabB>();
        QCOMPARE(gridNames(tab), (QStringList{"X", "", "Y"}));
        tab->Command4_Click();

        // Saved where it can be written, the per-user folder; that save is read from then on.
        const QString own = paths::userFolder() + "Brevotane_B.log";
        importer::assignField(2, "Z", 3);
        QVERIFY(importer::saveMapping(importer::Kind::Product));
        QCOMPARE(readFile(own), QByteArray("X\r\n2\r\nZ\r\n3\r\nY\r\n5\r\n"));
        QCOMPARE(readFile(beside), QByteArray("X\r\n2\r\n\r\n0\r\nY\r\n5\r\n"));
        clearMappingArrays();
        QVERIFY(importer::loadMapping(importer::Kind::Product));
        QCOMPARE(importer::fieldColumns(importer::Kind::Product), (QList<int>{0, 2, 3, 5}));
        QFile::remove(own);
    }

    void mappingWindowAssignsAndSaves()
    {
        testsupport::Env env;
        const QString sample = writeFile(env.path("sample.txt"), "A\t\tC\r\n1\t2\t3\r\n");
        auto* tab = forms::get<DialogTabB>();
        QCOMPARE(tab->windowTitle(), QStringLiteral("品名情報　ｲﾝﾎﾟｰﾄの設定"));
        QCOMPARE(tab->MSFlexGrid1->horizontalHeaderItem(0)->text(), QStringLiteral("品名フィールド"));
        QCOMPARE(tab->MSFlexGrid1->horizontalHeaderItem(1)->text(), QStringLiteral("インポートする項目"));
        QCOMPARE(tab->MSFlexGrid1->item(0, 0)->text(), QStringLiteral("品名"));
        QCOMPARE(gridNames(tab), (QStringList{"", "", ""}));   // no file and nothing mapped yet
        QVERIFY(!tab->Combo1->isEnabled());

        // Browsing twice lists each heading once; the file dialog asks for text files first.
        env.dialogs.files = {sample, sample};
        tab->Command1_Click();
        tab->Command1_Click();
        QCOMPARE(tab->Text2->text(), sample);
        QCOMPARE(comboEntries(tab->Combo1), (QStringList{"A", "", "C"}));
        QVERIFY(tab->Combo1->isEnabled());
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("開く"));
        QCOMPARE(env.dialogs.shown.at(0).text,
                 dlg::convertFilter(QStringLiteral("DAT形式のファイル (*.dat)|*.dat|タブ区切りのテキストファイル (*.txt)|*.txt")));

        // OK with 品名 unassigned: told so, nothing written, the window stays.
        env.dialogs.clear();
        tab->Command3_Click();
        QCOMPARE(env.dialogs.messages(), QStringList{QStringLiteral("品名の項目が設定されていません。")});
        QCOMPARE(env.dialogs.shown.at(0).title, QStringLiteral("Information"));
        QVERIFY(!QFile::exists(env.programFolder() + "Brevotane_B.log"));
        QVERIFY(forms::find<DialogTabB>());

        // The empty entry assigns nothing; C is column 3; a click in the list assigns as the button does.
        tab->MSFlexGrid1->setCurrentCell(0, 0);
        tab->Combo1->setCurrentIndex(1);
        tab->Command2_Click();
        QCOMPARE(gridNames(tab), (QStringList{"", "", ""}));
        tab->Combo1->setCurrentIndex(2);
        tab->Command2_Click();
        QCOMPARE(gridNames(tab), (QStringList{"C", "", ""}));
        QCOMPARE(tab->MSFlexGrid1->currentColumn(), 1);
        tab->MSFlexGrid1->setCurrentCell(2, 0);
        tab->Combo1->setCurrentIndex(0);
        emit tab->Combo1->activated(0);
        QCOMPARE(gridNames(tab), (QStringList{"C", "", "A"}));

        // Undo the price row, then OK: six lines, the undone row as an empty line and 0; the file
        // goes back to the import window, which may start now.
        auto* importer = forms::get<DialogExcelB>();
        QVERIFY(!importer->Command1->isEnabled());
        tab->Command5_Click();
        QCOMPARE(gridNames(tab), (QStringList{"C", "", ""}));
        tab->Command3_Click();
        QVERIFY(!forms::find<DialogTabB>());
        QCOMPARE(readFile(env.programFolder() + "Brevotane_B.log"), QByteArray("C\r\n3\r\n\r\n0\r\n\r\n0\r\n"));
        QCOMPARE(importer->txtFileName->text(), sample);
        QVERIFY(importer->Command1->isEnabled());

        // Opened again: the rows come from the file.
        clearMappingArrays();
        tab = forms::get<DialogTabB>();
        QCOMPARE(gridNames(tab), (QStringList{"C", "", ""}));
        QVERIFY(tab->Text2->text().isEmpty());

        // Cancel keeps the file as it was.
        tab->Command5_Click();
        tab->Command4_Click();
        QVERIFY(!forms::find<DialogTabB>());
        QCOMPARE(readFile(env.programFolder() + "Brevotane_B.log"), QByteArray("C\r\n3\r\n\r\n0\r\n\r\n0\r\n"));
    }

    void mappingWindowHelpAndActivation()
    {
        testsupport::Env env;
        const QString sample = writeFile(env.path("sample.txt"), "分類\t品名\t数量\r\n");
        QStringList tips;
        QStringList listed;
        auto* tab = forms::get<DialogTabA>();
        QCOMPARE(tab->windowTitle(), QStringLiteral("棚　卸　ｲﾝﾎﾟｰﾄの設定"));
        QCOMPARE(tab->MSFlexGrid1->rowCount(), 7);
        QCOMPARE(tab->MSFlexGrid1->horizontalHeaderItem(0)->text(), QStringLiteral("棚卸マスターフィールド"));
        tab->Text2->setText(sample);
        forms::setModalDriver([&](Form* f) {
            if (auto* tip = qobject_cast<frmTipA*>(f)) {
                tips << tip->text();
                return;
            }
            auto* t = qobject_cast<DialogTabA*>(f);
            QVERIFY(t);
            listed << comboEntries(t->Combo1).join('|');   // the activation listed the headings
            t->Command6_Click();                            // back from help: activated again
            listed << comboEntries(t->Combo1).join('|');
            t->Command4_Click();
        });
        tab->showModal();
        forms::setModalDriver({});
        QCOMPARE(listed, (QStringList{QStringLiteral("分類|品名|数量"), QStringLiteral("分類|品名|数量")}));
        QCOMPARE(tips, QStringList{QStringLiteral("インポートの設定について\n\n"
                                                  "インポートするファイルを選択すると「項目（F)」にファイルの項目が表示されます。\n"
                                                  "棚卸表フィールドにインポートするファイルの項目を関連付けします。\n\n")});
    }

    void damagedMappingFileCanBeMappedAgain()
    {
        testsupport::Env env;
        // A count mapping made in this run, not saved, is none of the product mapping's rows.
        auto* count = forms::get<DialogTabA>();
        count->Combo1->addItems({"P", "Q"});
        count->MSFlexGrid1->setCurrentCell(1, 0);
        count->Combo1->setCurrentIndex(1);
        count->Command2_Click();
        QCOMPARE(gridNames(count).at(1), QStringLiteral("Q"));
        count->Command4_Click();

        writeFile(env.programFolder() + "Brevotane_B.log", "X\r\n2\r\n");
        auto* tab = forms::get<DialogTabB>();
        QCOMPARE(tab->MSFlexGrid1->rowCount(), 3);
        QCOMPARE(gridNames(tab), (QStringList{"", "", ""}));
        env.dialogs.files = {writeFile(env.path("s.txt"), "P\tQ\r\n")};
        tab->Command1_Click();
        tab->Combo1->setCurrentIndex(1);
        tab->Command2_Click();
        tab->Command3_Click();
        QCOMPARE(readFile(env.programFolder() + "Brevotane_B.log"), QByteArray("Q\r\n2\r\n\r\n0\r\n\r\n0\r\n"));
    }
};

BREVOTANE_TEST_MAIN(TestImportFile)
#include "test_import_file.moc"
