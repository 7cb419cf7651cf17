#include "platform/XlsWriter.h"

#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

namespace xls {

namespace {

// Record types.
enum : quint16 {
    kBof = 0x0809, kEof = 0x000A, kInterfaceHdr = 0x00E1, kMms = 0x00C1, kInterfaceEnd = 0x00E2,
    kWriteAccess = 0x005C, kCodePage = 0x0042, kDsf = 0x0161, kTabId = 0x013D, kFnGroupCount = 0x009C,
    kWindowProtect = 0x0019, kProtect = 0x0012, kPassword = 0x0013, kProt4Rev = 0x01AF,
    kProt4RevPass = 0x01BC, kWindow1 = 0x003D, kBackup = 0x0040, kHideObj = 0x008D, kDateMode = 0x0022,
    kPrecision = 0x000E, kRefreshAll = 0x01B7, kBookBool = 0x00DA, kFont = 0x0031, kXf = 0x00E0,
    kStyle = 0x0293, kUsesElfs = 0x0160, kBoundSheet = 0x0085, kCountry = 0x008C, kSst = 0x00FC,
    kContinue = 0x003C, kExtSst = 0x00FF, kCalcMode = 0x000D, kCalcCount = 0x000C, kRefMode = 0x000F,
    kIteration = 0x0011, kDelta = 0x0010, kSaveRecalc = 0x005F, kPrintHeaders = 0x002A,
    kPrintGridlines = 0x002B, kGridSet = 0x0082, kGuts = 0x0080, kDefaultRowHeight = 0x0225,
    kWsBool = 0x0081, kDimensions = 0x0200, kLabelSst = 0x00FD, kNumber = 0x0203, kRk = 0x027E,
    kWindow2 = 0x023E,
};

// Longest body of one record; a longer shared string table goes on in CONTINUE records.
constexpr int kMaxRecordBody = 8224;
// The cell format every cell uses: the first one after the 15 style formats Excel expects.
constexpr quint16 kCellXf = 15;

void put8(QByteArray& b, quint8 v) { b.append(char(v)); }
void put16(QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void put32(QByteArray& b, quint32 v) { put16(b, quint16(v & 0xFFFF)); put16(b, quint16(v >> 16)); }
void putDouble(QByteArray& b, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    put32(b, quint32(bits & 0xFFFFFFFFu));
    put32(b, quint32(bits >> 32));
}
void putUtf16(QByteArray& b, QStringView s)
{
    for (QChar c : s)
        put16(b, c.unicode());
}

class Stream {
public:
    QByteArray bytes;

    void record(quint16 type, const QByteArray& body)
    {
        Q_ASSERT(body.size() <= kMaxRecordBody);
        put16(bytes, type);
        put16(bytes, quint16(body.size()));
        bytes.append(body);
    }
    void record16(quint16 type, quint16 value)
    {
        QByteArray b;
        put16(b, value);
        record(type, b);
    }
    void bof(quint16 kind)
    {
        QByteArray b;
        put16(b, 0x0600);       // BIFF8
        put16(b, kind);
        put16(b, 0x0DBB);       // build
        put16(b, 0x07CC);       // year
        put32(b, 0x00000000);   // file history
        put32(b, 0x00000006);   // lowest version that can read it: BIFF8
        record(kBof, b);
    }
};

double rkDecode(quint32 rk)
{
    double d;
    if (rk & 2) {
        d = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&d, &bits, sizeof d);
    }
    if (rk & 1)
        d /= 100;
    return d;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::optional<quint32> rkCandidate(double w, quint32 x100Flag)
{
    if (std::floor(w) == w && w >= -536870912.0 && w <= 536870911.0)
        return (quint32(qint32(w)) << 2) | 2u | x100Flag;
    quint64 bits;
    std::memcpy(&bits, &w, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0)
        return quint32(bits >> 32) | x100Flag;
    return std::nullopt;
}

// The RK form of a number when it holds the value exactly, else nothing (a NUMBER record then).
std::optional<quint32> rkValue(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    for (const auto& [w, flag] : {std::pair{value, 0u}, std::pair{value * 100, 1u}}) {
        if (const auto rk = rkCandidate(w, flag); rk && sameBits(rkDecode(*rk), value))
            return rk;
    }
    return std::nullopt;
}

enum class Kind { Empty, Number, Text };

Kind classify(const QVariant& v, double* number, QString* text)
{
    if (!v.isValid() || v.isNull())
        return Kind::Empty;
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Double: case QMetaType::Float:
        *number = v.toDouble();
        // A sheet has no cell for an infinite value; SQLite can hold one, a count never should.
        return std::isfinite(*number) ? Kind::Number : Kind::Empty;
    default:
        *text = v.toString();
        if (text->isEmpty())
            return Kind::Empty;
        if (text->size() > kMaxCellChars) {
            int n = kMaxCellChars;
            if (text->at(n - 1).isHighSurrogate())
                --n;   // never leave half a character
            text->truncate(n);
        }
        return Kind::Text;
    }
}

// The shared string table: each distinct text once, cells refer to it by index.
struct Strings {
    QStringList list;
    // Keeps each text's hash beside it, so that a lookup compares texts only when their hashes
    // agree: a column of names repeats the same few hundred texts tens of thousands of times.
    struct Hash {
        size_t operator()(const QString& s) const noexcept { return qHash(s); }
    };
    std::unordered_map<QString, quint32, Hash> index;
    quint32 references = 0;

    quint32 add(const QString& s)
    {
        ++references;
        const auto [it, inserted] = index.try_emplace(s, quint32(list.size()));
        if (inserted)
            list.append(s);
        return it->second;
    }
};

// SST, split into CONTINUE records where it passes the record size limit, then EXTSST, the
// index into it by stream position. A string's 3-byte header never splits; when its characters
// do, the CONTINUE record opens with the option byte again.
void writeSst(Stream& out, const Strings& strings)
{
    const int count = int(strings.list.size());
    const int perBucket = qMax(8, (count + 127) / 128);
    QByteArray buckets;

    QByteArray body;
    quint16 type = kSst;
    put32(body, strings.references);
    put32(body, quint32(count));
    auto flush = [&] {
        out.record(type, body);
        body.clear();
        type = kContinue;
    };
    for (int i = 0; i < count; ++i) {
        const QString& s = strings.list.at(i);
        const int n = int(s.size());
        // Room for the header and the first character (two code units if it is a pair).
        if (kMaxRecordBody - body.size() < 3 + qMin(n, 2) * 2)
            flush();
        if (i % perBucket == 0) {
            const int inRecord = 4 + int(body.size());
            put32(buckets, quint32(out.bytes.size() + inRecord));
            put16(buckets, quint16(inRecord));
            put16(buckets, 0);
        }
        put16(body, quint16(n));
        put8(body, 0x01);   // characters as UTF-16
        int done = 0;
        for (;;) {
            int take = qMin(int(kMaxRecordBody - body.size()) / 2, n - done);
            // A surrogate pair stays in one record: readers decode each record's piece alone.
            if (done + take < n && s.at(done + take - 1).isHighSurrogate())
                --take;
            putUtf16(body, QStringView(s).mid(done, take));
            done += take;
            if (done == n)
                break;
            flush();
            put8(body, 0x01);
        }
    }
    flush();

    QByteArray ext;
    put16(ext, quint16(perBucket));
    ext.append(buckets);
    out.record(kExtSst, ext);
}

void writeGlobals(Stream& out, const Strings& strings, int* boundSheetOffsetAt)
{
    out.bof(0x0005);
    out.record16(kInterfaceHdr, 0x04B0);
    out.record16(kMms, 0);
    out.record(kInterfaceEnd, {});
    {
        QByteArray b;
        const QByteArray name("Brevotane");
        put16(b, quint16(name.size()));
        put8(b, 0);
        b.append(name);
        b.append(QByteArray(112 - b.size(), ' '));
        out.record(kWriteAccess, b);
    }
    out.record16(kCodePage, 0x04B0);   // UTF-16
    out.record16(kDsf, 0);
    out.record16(kTabId, 1);
    out.record16(kFnGroupCount, 14);
    out.record16(kWindowProtect, 0);
    out.record16(kProtect, 0);
    out.record16(kPassword, 0);
    out.record16(kProt4Rev, 0);
    out.record16(kProt4RevPass, 0);
    {
        QByteArray b;
        put16(b, 0x0000);   // window position and size, in twips
        put16(b, 0x0000);
        put16(b, 0x3FCF);
        put16(b, 0x2A4E);
        put16(b, 0x0038);   // scroll bars and sheet tabs shown
        put16(b, 0);        // active sheet
        put16(b, 0);        // first visible tab
        put16(b, 1);        // selected sheets
        put16(b, 600);      // tab bar width ratio
        out.record(kWindow1, b);
    }
    out.record16(kBackup, 0);
    out.record16(kHideObj, 0);
    out.record16(kDateMode, 0);        // dates count from 1900
    out.record16(kPrecision, 1);
    out.record16(kRefreshAll, 0);
    out.record16(kBookBool, 0);

    // Four fonts, then the fifth at index 5: index 4 does not exist in the format.
    const QString fontName = QStringLiteral("ＭＳ Ｐゴシック");
    for (int i = 0; i < 5; ++i) {
        QByteArray b;
        put16(b, 220);      // 11 points, in twentieths
        put16(b, 0);        // no italic or strike-out
        put16(b, 0x7FFF);   // automatic colour
        put16(b, 400);      // normal weight
        put16(b, 0);        // no super- or subscript
        put8(b, 0);         // no underline
        put8(b, 0);         // family
        put8(b, 128);       // Shift-JIS character set
        put8(b, 0);
        put8(b, quint8(fontName.size()));
        put8(b, 0x01);
        putUtf16(b, fontName);
        out.record(kFont, b);
    }
    // 15 style formats (the first is "Normal"), then the one cell format.
    for (int i = 0; i < 16; ++i) {
        QByteArray b;
        put16(b, 0);                                      // font
        put16(b, 0);                                      // number format "General"
        put16(b, i < 15 ? 0xFFF5 : 0x0001);               // style / cell format, locked
        put8(b, 0x20);                                    // bottom aligned
        put8(b, 0);
        put8(b, 0);
        put8(b, (i == 0 || i == 15) ? 0x00 : 0xF4);       // attributes the format carries
        put32(b, 0);                                      // no borders
        put32(b, 0);
        put16(b, 0x20C0);                                 // pattern colours: automatic
        out.record(kXf, b);
    }
    {
        QByteArray b;
        put16(b, 0x8000);   // built-in style on format 0
        put8(b, 0);         // "Normal"
        put8(b, 0xFF);
        out.record(kStyle, b);
    }
    out.record16(kUsesElfs, 0);
    {
        QByteArray b;
        *boundSheetOffsetAt = int(out.bytes.size()) + 4;
        put32(b, 0);        // the sheet's stream offset, patched in once known
        put8(b, 0);         // visible
        put8(b, 0);         // worksheet
        const QByteArray name("Sheet1");
        put8(b, quint8(name.size()));
        put8(b, 0);
        b.append(name);
        out.record(kBoundSheet, b);
    }
    {
        QByteArray b;
        put16(b, 81);       // Japan
        put16(b, 81);
        out.record(kCountry, b);
    }
    writeSst(out, strings);
    out.record(kEof, {});
}

void writeCell(Stream& out, quint16 row, quint16 col, const QVariant& v, Strings& strings)
{
    double number = 0;
    QString text;
    // A cell record is small and there is one per cell: it is put together in place, without a
    // buffer of its own.
    char b[4 + 14];
    auto at16 = [&b](int i, quint16 x) { b[i] = char(x & 0xFF); b[i + 1] = char(x >> 8); };
    auto at32 = [&at16](int i, quint32 x) { at16(i, quint16(x & 0xFFFF)); at16(i + 2, quint16(x >> 16)); };
    at16(4, row);
    at16(6, col);
    at16(8, kCellXf);
    switch (classify(v, &number, &text)) {
    case Kind::Empty:
        return;
    case Kind::Text:
        at16(0, kLabelSst);
        at16(2, 10);
        at32(10, strings.add(text));
        out.bytes.append(b, 14);
        return;
    case Kind::Number:
        if (const auto rk = rkValue(number)) {
            at16(0, kRk);
            at16(2, 10);
            at32(10, *rk);
            out.bytes.append(b, 14);
        } else {
            quint64 bits;
            std::memcpy(&bits, &number, sizeof bits);
            at16(0, kNumber);
            at16(2, 14);
            at32(10, quint32(bits & 0xFFFFFFFFu));
            at32(14, quint32(bits >> 32));
            out.bytes.append(b, 18);
        }
        return;
    }
}

QByteArray compoundFile(const QByteArray& workbook, QString* error)
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });

    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(memory);
    bool ok = ole != nullptr;
    if (ok) {
        GsfOutput* stream = gsf_outfile_new_child(ole, "Workbook", FALSE);
        ok = stream != nullptr
            && gsf_output_write(stream, gsize(workbook.size()), reinterpret_cast<const guint8*>(workbook.constData()));
        if (stream) {
            ok = gsf_output_close(stream) && ok;
            g_object_unref(stream);
        }
        ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
        g_object_unref(ole);
    }
    QByteArray out;
    if (ok) {
        const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        out = QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(gsf_output_size(memory)));
    } else if (error) {
        *error = QStringLiteral("the compound file could not be built");
    }
    g_object_unref(memory);   // closed along with the compound file
    return out;
}

} // namespace

Table tableFromQuery(QSqlQuery& query, int maxRows)
{
    Table t;
    const QSqlRecord rec = query.record();
    for (int i = 0; i < rec.count(); ++i)
        t.headings << rec.fieldName(i);
    while (t.rows.size() <= maxRows && query.next()) {
        QVariantList row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row << query.value(i);
        t.rows << row;
    }
    return t;
}

QByteArray workbookStream(const Table& table, QString* error)
{
    if (table.rows.size() > kMaxDataRows) {
        if (error)
            *error = QStringLiteral("%1 rows do not fit one sheet (at most %2)").arg(table.rows.size()).arg(kMaxDataRows);
        return {};
    }
    int columns = int(table.headings.size());
    for (const QVariantList& row : table.rows)
        columns = qMax(columns, int(row.size()));
    if (columns > kMaxColumns) {
        if (error)
            *error = QStringLiteral("%1 columns do not fit one sheet (at most %2)").arg(columns).arg(kMaxColumns);
        return {};
    }

    // The sheet comes first so that the shared string table is complete when the globals are
    // written; the globals then go in front of it.
    Strings strings;
    Stream sheet;
    sheet.bof(0x0010);
    sheet.record16(kCalcMode, 1);
    sheet.record16(kCalcCount, 100);
    sheet.record16(kRefMode, 1);
    sheet.record16(kIteration, 0);
    {
        QByteArray b;
        putDouble(b, 0.001);
        sheet.record(kDelta, b);
    }
    sheet.record16(kSaveRecalc, 1);
    sheet.record16(kPrintHeaders, 0);
    sheet.record16(kPrintGridlines, 0);
    sheet.record16(kGridSet, 1);
    sheet.record(kGuts, QByteArray(8, '\0'));
    {
        QByteArray b;
        put16(b, 0);
        put16(b, 0x00FF);
        sheet.record(kDefaultRowHeight, b);
    }
    sheet.record16(kWsBool, 0x04C1);
    {
        QByteArray b;
        put32(b, 0);
        put32(b, columns > 0 ? quint32(table.rows.size() + 1) : 0);   // one past the last row
        put16(b, 0);
        put16(b, quint16(columns));                                   // one past the last column
        put16(b, 0);
        sheet.record(kDimensions, b);
    }
    for (int c = 0; c < table.headings.size(); ++c)
        writeCell(sheet, 0, quint16(c), table.headings.at(c), strings);
    for (int r = 0; r < table.rows.size(); ++r) {
        const QVariantList& row = table.rows.at(r);
        for (int c = 0; c < row.size(); ++c)
            writeCell(sheet, quint16(r + 1), quint16(c), row.at(c), strings);
    }
    {
        QByteArray b;
        put16(b, 0x06B6);   // grid, headers, zeros shown; the sheet selected and active
        put16(b, 0);
        put16(b, 0);
        put32(b, 0x40);     // automatic grid colour
        put16(b, 0);
        put16(b, 0);
        put32(b, 0);
        sheet.record(kWindow2, b);
    }
    sheet.record(kEof, {});

    Stream globals;
    int offsetAt = 0;
    writeGlobals(globals, strings, &offsetAt);
    const quint32 sheetOffset = quint32(globals.bytes.size());
    for (int i = 0; i < 4; ++i)
        globals.bytes[offsetAt + i] = char((sheetOffset >> (8 * i)) & 0xFF);
    return globals.bytes + sheet.bytes;
}

bool XlsWriter::write(const Table& table, const QString& file)
{
    m_error.clear();
    const QByteArray stream = workbookStream(table, &m_error);
    if (stream.isEmpty())
        return false;
    const QByteArray container = compoundFile(stream, &m_error);
    if (container.isEmpty())
        return false;

    // The workbook goes to a temporary file beside the target and replaces it only when whole.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        m_error = out.errorString();
        return false;
    }
    // flush() is checked on its own: a short write (a full disk, a file size limit) shows there
    // and nowhere else, and commit() would otherwise rename the cut file over the old one.
    if (out.write(container) != container.size() || !out.flush()) {
        m_error = out.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        m_error = out.errorString();
        return false;
    }
    return true;
}

} // namespace xls
