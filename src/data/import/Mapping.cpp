#include "import/Mapping.h"

#include "common/AppPaths.h"
#include "import/ImportFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace importer {

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
// The column text of an unassigned field.
QString noColumn()
{
    return QStringLiteral("0");
}
} // namespace

Mapping::Mapping(Kind kind) : m_kind(kind), m_fields(importer::fieldCount(kind), Pair{QString(), noColumn()})
{
}

Mapping::Mapping(Kind kind, const QList<Pair>& pairs) : Mapping(kind)
{
    for (qsizetype i = 0; i < std::min(pairs.size(), m_fields.size()); ++i)
        m_fields[i] = pairs.at(i);
}

QString Mapping::heading(int field) const
{
    return field >= 1 && field <= fieldCount() ? m_fields.at(field - 1).first : QString();
}

QString Mapping::columnText(int field) const
{
    return field >= 1 && field <= fieldCount() ? m_fields.at(field - 1).second : QString();
}

int Mapping::column(int field) const
{
    bool ok = false;
    const int c = columnText(field).trimmed().toInt(&ok);
    return (ok && c >= 0 && c <= kMaxCells) ? c : 0;
}

QList<int> Mapping::columns() const
{
    QList<int> cols(fieldCount() + 1, 0);
    for (int i = 1; i <= fieldCount(); ++i)
        cols[i] = column(i);
    return cols;
}

void Mapping::assign(int field, const QString& heading, int column)
{
    if (field >= 1 && field <= fieldCount())
        m_fields[field - 1] = {heading, QString::number(column)};
}

void Mapping::clear(int field)
{
    if (field >= 1 && field <= fieldCount())
        m_fields[field - 1] = {QString(), noColumn()};
}

QList<Pair> Mapping::filePairs() const
{
    QList<Pair> pairs = m_fields;
    for (Pair& p : pairs) {
        if (p.first.isEmpty())
            p.second = noColumn();
    }
    return pairs;
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

QByteArray mappingBytes(const Mapping& mapping)
{
    return formatMapping(mapping.filePairs());
}

std::optional<Mapping> readMapping(Kind kind)
{
    QFile f(mappingPath(kind));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    const std::optional<QList<Pair>> pairs = parseMapping(bytes, fieldCount(kind));
    if (!pairs)
        return std::nullopt;
    return Mapping(kind, *pairs);
}

bool saveMapping(const Mapping& mapping)
{
    const QByteArray bytes = mappingBytes(mapping);
    QSaveFile f(savePath(mapping.kind()));
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

} // namespace importer
