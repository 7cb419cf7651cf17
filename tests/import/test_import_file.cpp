// The import file (decoding, lines, cells), the mapping files and the mapping windows.
#include "TestSupport.h"

#include "app/frmTipA.h"
#include "app/global.h"
#include "import/DialogExcel.h"
#include "import/DialogTab.h"
#include "import/ImportFile.h"
#include "import/Mapping.h"
#include "platform/CodePage.h"
#include "platform/Form.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

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
    void init() { clearMappingArrays(); }

    void cuttingLines()
    {
        QCOMPARE(*import::cutLine("x\t\tz"), (QStringList{"x", "", "z"}));
        QCOMPARE(*import::cutLine(""), QStringList{""});
        QCOMPARE(*import::cutLine(" a \t\"b\""), (QStringList{" a ", "\"b\""}));   // nothing trimmed or unquoted
        QCOMPARE(*import::cutLine("*"), QStringList{"*"});                           // the sentinel is no cell
        QCOMPARE(*import::cutLine("a\t*"), (QStringList{"a", "*"}));

        QStringList thousand;
        for (int i = 1; i <= 1000; ++i)
            thousand << QString::number(i);
        const auto cells = import::cutLine(thousand.join('\t'));
        QVERIFY(cells);
        QCOMPARE(import::cellAt(*cells, 1000), QStringLiteral("1000"));
        thousand << "1001";
        QVERIFY(!import::cutLine(thousand.join('\t')));

        // Cell 0 and cells a line lacks read empty.
        QCOMPARE(import::cellAt(*import::cutLine("a\tb"), 0), QString());
        QCOMPARE(import::cellAt(*import::cutLine("a\tb"), 3), QString());
        QCOMPARE(import::cellAt(*import::cutLine("a\tb"), -1), QString());

        QCOMPARE(import::headingsOf("A\t\tC"), (QStringList{"A", "", "C"}));
    }

    void lineEnds()
    {
        QCOMPARE(import::splitLines("h\r\na\r\nb\r\n"), (QStringList{"h", "a", "b"}));
        QCOMPARE(import::splitLines("h\na\r\nb"), (QStringList{"h", "a", "b"}));
        QCOMPARE(import::splitLines("h\r\na\r\n\r\n"), (QStringList{"h", "a", ""}));   // a trailing blank line
        QCOMPARE(import::splitLines(""), QStringList{});
        QCOMPARE(import::splitLines("a\rb"), QStringList{"a\rb"});   // a lone CR is text
    }

    void decoding()
    {
        // Code page 932, the characters that differ between the Japanese code page mappings.
        const QByteArray sjis("\x87\x40\x87\x8A\xFB\xFC\x81\x60\x83\x65\xB1", 11);
        QCOMPARE(*import::decodeImportText(sjis), QStringLiteral("①㈱髙～テｱ"));

        const QString japanese = QStringLiteral("品名\t①㈱髙〜");
        QCOMPARE(*import::decodeImportText(japanese.toUtf8()), japanese);
        QCOMPARE(*import::decodeImportText("\xEF\xBB\xBF" + japanese.toUtf8()), japanese);
        QCOMPARE(*import::decodeImportText("\xEF\xBB\xBFplain"), QStringLiteral("plain"));
        QCOMPARE(*import::decodeImportText("a\\b~"), QStringLiteral("a\\b~"));

        // Neither code page 932 nor UTF-8; a byte-order mark followed by code page 932 bytes.
        QVERIFY(!import::decodeImportText(QByteArray("ok\x81\x20", 4)));
        QVERIFY(!import::decodeImportText(QByteArray("\xFF\xFE", 2)));
        QVERIFY(!import::decodeImportText("\xEF\xBB\xBF" + sjis));

        testsupport::Env env;
        const QString path = writeFile(env.path("sjis.txt"), QByteArray("h1\th2\r\n") + sjis + "\r\n");
        QCOMPARE(*import::readImportFile(path), (QStringList{"h1\th2", QStringLiteral("①㈱髙～テｱ")}));
        QCOMPARE(*import::readHeadings(path), (QStringList{"h1", "h2"}));
        QVERIFY(!import::readImportFile(env.path("missing.txt")));
        QVERIFY(!import::readHeadings(writeFile(env.path("empty.txt"), QByteArray())));

        QCOMPARE(import::firstChars(QStringLiteral("あいう"), 2), QStringLiteral("あい"));
        QCOMPARE(import::firstChars(QStringLiteral("a𠮷"), 2), QStringLiteral("a"));   // never half a character
    }

    void mappingFile()
    {
        testsupport::Env env;
        // The product example: 品名 from column 2 (X), 単位 unassigned, 単価 from column 5 (Y).
        import::assignField(1, "X", 2);
        import::clearField(2);
        import::assignField(3, "Y", 5);
        QVERIFY(import::saveMapping(import::Kind::Product));
        const QString path = env.programFolder() + "Brevotane_B.log";
        QCOMPARE(import::mappingPath(import::Kind::Product), path);
        QCOMPARE(readFile(path), QByteArray("X\r\n2\r\n\r\n0\r\nY\r\n5\r\n"));

        clearMappingArrays();
        QVERIFY(import::loadMapping(import::Kind::Product));
        QCOMPARE(import::fieldColumns(import::Kind::Product), (QList<int>{0, 2, 0, 5}));
        QCOMPARE(global::ImportFieldNames[3], QStringLiteral("Y"));

        // Headings with commas, quotes and Japanese text come back whole, in code page 932.
        import::assignField(1, QStringLiteral("品名,\"仮\""), 1);
        import::assignField(3, QStringLiteral("単価, 税込"), 3);
        QVERIFY(import::saveMapping(import::Kind::Product));
        QVERIFY(readFile(path).contains(cp932::encode(QStringLiteral("単価, 税込"))));
        clearMappingArrays();
        QVERIFY(import::loadMapping(import::Kind::Product));
        QCOMPARE(global::ImportFieldNames[1], QStringLiteral("品名,\"仮\""));
        QCOMPARE(global::ImportFieldNames[3], QStringLiteral("単価, 税込"));
        QCOMPARE(import::fieldColumns(import::Kind::Product), (QList<int>{0, 1, 0, 3}));

        // Too few lines: not loaded, the arrays keep what they held.
        writeFile(path, "A\r\n1\r\n\r\n0\r\nB\r\n");
        QVERIFY(!import::loadMapping(import::Kind::Product));
        QCOMPARE(global::ImportFieldNames[1], QStringLiteral("品名,\"仮\""));
        QVERIFY(!import::parseMapping("", 1));
        QCOMPARE(import::parseMapping("a\nb\n", 1)->at(0), (import::Pair{"a", "b"}));

        // A column that is no number in range reads as no column.
        writeFile(path, "A\r\nzz\r\nB\r\n1001\r\nC\r\n-1\r\n");
        QVERIFY(import::loadMapping(import::Kind::Product));
        QCOMPARE(import::fieldColumns(import::Kind::Product), (QList<int>{0, 0, 0, 0}));

        // A save that cannot be completed leaves the old file whole.
        QFile::setPermissions(env.programFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        import::assignField(1, "new", 1);
        const bool saved = import::saveMapping(import::Kind::Product);
        QFile::setPermissions(env.programFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!saved)
            QCOMPARE(readFile(path), QByteArray("A\r\nzz\r\nB\r\n1001\r\nC\r\n-1\r\n"));
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
        writeFile(env.programFolder() + "Brevotane_B.log", "X\r\n2\r\n");
        auto* tab = forms::get<DialogTabB>();
        QCOMPARE(tab->MSFlexGrid1->rowCount(), 3);
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
