#include "import/Mapping.h"

#include "common/AppPaths.h"
#include "common/global.h"
#include "import/ImportFile.h"

#include <QFile>
#include <QSaveFile>

namespace import {

const MappingLayout& layoutOf(Kind kind)
{
    static const MappingLayout count{
        QStringLiteral("Brevotane_A.log"),
        {QStringLiteral("項目/分類名"), QStringLiteral("品名"), QStringLiteral("数量"), QStringLiteral("単位"),
         QStringLiteral("単価"), QStringLiteral("価格"), QStringLiteral("備考")},
        2,
        QStringLiteral("棚卸マスターフィールド"),
        QStringLiteral("棚卸表フィールドにインポートするファイルの項目を関連付けします。")};
    static const MappingLayout product{
        QStringLiteral("Brevotane_B.log"),
        {QStringLiteral("品名"), QStringLiteral("単位"), QStringLiteral("単価")},
        1,
        QStringLiteral("品名フィールド"),
        QStringLiteral("品名フィールドにインポートするファイルの項目を関連付けします。")};
    return kind == Kind::Count ? count : product;
}

int fieldCount(Kind kind)
{
    return static_cast<int>(layoutOf(kind).fields.size());
}

namespace {
QString savePath(Kind kind)
{
    return paths::besideProgram(layoutOf(kind).fileName);
}
} // namespace

QString mappingPath(Kind kind)
{
    // A mapping beside a program folder the user cannot write (installed by someone else) is
    // used; once the user saves a mapping of their own, which goes to the per-user folder then,
    // that one is the mapping the user chose last.
    const QString saved = savePath(kind);
    if (QFile::exists(saved))
        return saved;
    for (const QString& folder : {paths::programFolder(), paths::userFolder()}) {
        const QString p = folder + layoutOf(kind).fileName;
        if (QFile::exists(p))
            return p;
    }
    return saved;
}

bool mappingExists(Kind kind)
{
    return QFile::exists(mappingPath(kind));
}

QByteArray mappingBytes(Kind kind)
{
    QList<Pair> pairs;
    const int n = fieldCount(kind);
    for (int i = 1; i <= n; ++i) {
        if (global::ImportFieldNames[i].isEmpty())
            global::ImportFieldColumns[i] = QStringLiteral("0");
        pairs.append({global::ImportFieldNames[i], global::ImportFieldColumns[i]});
    }
    return formatMapping(pairs);
}

bool loadMapping(Kind kind)
{
    QFile f(mappingPath(kind));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    const std::optional<QList<Pair>> pairs = parseMapping(bytes, fieldCount(kind));
    if (!pairs)
        return false;
    for (int i = 0; i < pairs->size(); ++i) {
        global::ImportFieldNames[i + 1] = pairs->at(i).first;
        global::ImportFieldColumns[i + 1] = pairs->at(i).second;
    }
    return true;
}

bool saveMapping(Kind kind)
{
    const QByteArray bytes = mappingBytes(kind);
    QSaveFile f(savePath(kind));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // The write is buffered: a full disk shows only at the flush, and commit() would otherwise
    // rename the empty file over the old mapping.
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QList<int> fieldColumns(Kind kind)
{
    const int n = fieldCount(kind);
    QList<int> cols(n + 1, 0);
    for (int i = 1; i <= n; ++i) {
        bool ok = false;
        const int c = global::ImportFieldColumns[i].trimmed().toInt(&ok);
        cols[i] = (ok && c >= 0 && c <= kMaxCells) ? c : 0;
    }
    return cols;
}

void assignField(int field, const QString& heading, int column)
{
    if (field < 1 || field > kMaxCells)
        return;
    global::ImportFieldNames[field] = heading;
    global::ImportFieldColumns[field] = QString::number(column);
}

void clearField(int field)
{
    if (field < 1 || field > kMaxCells)
        return;
    global::ImportFieldNames[field].clear();
    global::ImportFieldColumns[field] = QStringLiteral("0");
}

} // namespace import
