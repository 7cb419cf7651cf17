#include "import/ImportFile.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <vector>

namespace importer {

namespace {

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

struct Bom {
    TextEncoding encoding;
    qsizetype length;
};

std::optional<Bom> bomOf(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView("\xEF\xBB\xBF")))
        return Bom{TextEncoding::Utf8, 3};
    if (bytes.startsWith(QByteArrayView("\xFF\xFE")))
        return Bom{TextEncoding::Utf16LE, 2};
    if (bytes.startsWith(QByteArrayView("\xFE\xFF")))
        return Bom{TextEncoding::Utf16BE, 2};
    return std::nullopt;
}

bool isUtf16(TextEncoding e)
{
    return e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE;
}

char16_t unitAt(QByteArrayView bytes, qsizetype i, bool bigEndian)
{
    const auto a = static_cast<unsigned char>(bytes.at(i));
    const auto b = static_cast<unsigned char>(bytes.at(i + 1));
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
}

// The lines of UTF-16 text, split at the LF code units; a CR unit before the LF dropped.
QList<QByteArrayView> utf16Lines(QByteArrayView bytes, bool bigEndian)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        if (unitAt(bytes, i, bigEndian) != u'\n')
            continue;
        qsizetype stop = i;
        if (stop - start >= 2 && unitAt(bytes, stop - 2, bigEndian) == u'\r')
            stop -= 2;
        lines.append(bytes.sliced(start, stop - start));
        start = i + 2;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start));
    return lines;
}

// Just past the first line end in head from byte from on, or (last) past the last one in it; -1
// for none.
qsizetype lineEndIn(const QByteArray& head, qsizetype from, bool last)
{
    const std::optional<Bom> bom = bomOf(head);
    if (bom && isUtf16(bom->encoding)) {
        const bool bigEndian = bom->encoding == TextEncoding::Utf16BE;
        const qsizetype start = std::max<qsizetype>(2, from - from % 2);
        if (last) {
            for (qsizetype i = (head.size() & ~qsizetype(1)) - 2; i >= start; i -= 2)
                if (unitAt(head, i, bigEndian) == u'\n')
                    return i + 2;
            return -1;
        }
        for (qsizetype i = start; i + 1 < head.size(); i += 2)
            if (unitAt(head, i, bigEndian) == u'\n')
                return i + 2;
        return -1;
    }
    const qsizetype lf = last ? head.lastIndexOf('\n') : head.indexOf('\n', from);
    return lf < 0 ? -1 : lf + 1;
}

// A lone surrogate and an odd last byte cannot be decoded.
QString decodeUtf16(QByteArrayView line, bool bigEndian, bool* ok)
{
    QString out;
    out.reserve(line.size() / 2 + 1);
    bool good = line.size() % 2 == 0;
    const qsizetype end = line.size() - line.size() % 2;
    for (qsizetype i = 0; i < end; i += 2) {
        const char16_t c = unitAt(line, i, bigEndian);
        if (QChar::isHighSurrogate(c) && i + 2 < end && QChar::isLowSurrogate(unitAt(line, i + 2, bigEndian))) {
            out += QChar(c);
            out += QChar(unitAt(line, i + 2, bigEndian));
            i += 2;
        } else if (QChar::isSurrogate(c)) {
            out += QChar(QChar::ReplacementCharacter);
            good = false;
        } else {
            out += QChar(c);
        }
    }
    if (line.size() % 2)
        out += QChar(QChar::ReplacementCharacter);
    *ok = good;
    return out;
}

QString decodeLine(QByteArrayView line, TextEncoding encoding, bool* ok)
{
    *ok = true;
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return decodeUtf16(line, encoding == TextEncoding::Utf16BE, ok);
    case TextEncoding::Utf8:
        *ok = line.isValidUtf8();
        return QString::fromUtf8(line);
    case TextEncoding::Cp932:
        break;
    }
    if (isAscii(line))
        return QString::fromLatin1(line);
    return cp932::decode(line, ok);
}

// Characters a Japanese shop's file holds beyond ASCII and that no pair of code page 932
// half-width kana can form as UTF-8: punctuation, symbols, arrows, enclosed numbers (①), box
// drawing, kana, kanji, enclosed and squared CJK (㈱ ㌔), full-width and half-width forms.
bool isJapanese(char32_t c)
{
    return (c >= 0x2010 && c <= 0x2BFF) || (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
           || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF01 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3134F);
}

// The Latin-1 symbols of the Japanese code pages (¢ £ ¥ § ¨ ¬ ° ± ´ ¶ × ÷). As UTF-8 each is two
// bytes that two half-width kana in code page 932 can make too, so alone they prove nothing.
bool isJapaneseSymbol(char32_t c)
{
    switch (c) {
    case 0xA2: case 0xA3: case 0xA5: case 0xA7: case 0xA8: case 0xAC:
    case 0xB0: case 0xB1: case 0xB4: case 0xB6: case 0xD7: case 0xF7:
        return true;
    default:
        return false;
    }
}

// How text decoded as UTF-8 reads: as a Japanese shop's text (some character only such text
// holds, nothing foreign to it), as nothing but ASCII and the code pages' Latin-1 symbols, or as
// holding something foreign to such a file.
enum class Reading { Japanese, SymbolsOnly, Foreign };

Reading readingOf(const QString& text)
{
    bool japanese = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        if (c < 0x80 || isJapaneseSymbol(c))
            continue;
        if (!isJapanese(c))
            return Reading::Foreign;
        japanese = true;
    }
    return japanese ? Reading::Japanese : Reading::SymbolsOnly;
}

} // namespace

QString atLine(int line, const QString& why)
{
    return QStringLiteral("%1行目：%2").arg(line).arg(why);
}

QString tooManyCells()
{
    return QStringLiteral("列が%1を超えています。").arg(kMaxCells);
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16");
    case TextEncoding::Cp932:
        break;
    }
    return QStringLiteral("シフトJIS");
}

QList<QByteArrayView> byteLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    const char* data = bytes.data();
    qsizetype start = 0;
    while (start < bytes.size()) {
        const void* lf = std::memchr(data + start, '\n', static_cast<size_t>(bytes.size() - start));
        if (!lf) {
            lines.append(bytes.sliced(start));
            break;
        }
        const qsizetype end = static_cast<const char*>(lf) - data;
        qsizetype stop = end;
        if (stop > start && data[stop - 1] == '\r')
            --stop;
        lines.append(bytes.sliced(start, stop - start));
        start = end + 1;
    }
    return lines;
}

DecodedLines decodeImportLines(QByteArrayView bytes)
{
    DecodedLines out;
    QList<QByteArrayView> lines;
    // Lines already decoded as UTF-8 while the encoding was chosen (empty where not).
    std::vector<QString> asUtf8;
    if (const std::optional<Bom> bom = bomOf(bytes)) {
        out.encoding = bom->encoding;
        const QByteArrayView body = bytes.sliced(bom->length);
        lines = isUtf16(out.encoding) ? utf16Lines(body, out.encoding == TextEncoding::Utf16BE) : byteLines(body);
    } else {
        // Each line that is not plain ASCII votes: for UTF-8 when it decodes so to Japanese text
        // or when code page 932 cannot read it at all; for code page 932 when it is no UTF-8, or
        // decodes so to something foreign. A line of symbols only that both read proves nothing.
        // A line that neither reads stays damaged whichever wins; a tie goes to code page 932.
        lines = byteLines(bytes);
        asUtf8.resize(static_cast<size_t>(lines.size()));
        int forUtf8 = 0;
        int forCp932 = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QByteArrayView line = lines.at(i);
            if (isAscii(line))
                continue;
            if (!line.isValidUtf8()) {
                ++forCp932;
                continue;
            }
            QString text = QString::fromUtf8(line);
            const Reading reading = readingOf(text);
            bool cp932Reads = false;
            if (reading != Reading::Japanese)
                cp932::decode(line, &cp932Reads);
            if (!cp932Reads)
                ++forUtf8;
            else if (reading == Reading::Foreign)
                ++forCp932;
            asUtf8[static_cast<size_t>(i)] = std::move(text);
        }
        out.encoding = forUtf8 > forCp932 ? TextEncoding::Utf8 : TextEncoding::Cp932;
    }
    out.lines.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const size_t k = static_cast<size_t>(i);
        if (out.encoding == TextEncoding::Utf8 && k < asUtf8.size() && !asUtf8[k].isNull()) {
            out.lines.append(std::move(asUtf8[k]));
            continue;
        }
        bool ok = true;
        out.lines.append(decodeLine(lines.at(i), out.encoding, &ok));
        if (!ok)
            out.damaged.append(static_cast<int>(i) + 1);
    }
    return out;
}

std::optional<QStringList> readImportFile(const QString& path, QString* why)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        if (why)
            *why = QStringLiteral("ファイル「%1」を開けません。").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (why)
            *why = QStringLiteral("ファイル「%1」を読み取れません。").arg(path);
        return std::nullopt;
    }
    DecodedLines decoded = decodeImportLines(bytes);
    if (!decoded.damaged.isEmpty()) {
        if (why) {
            QString text = QStringLiteral("%1として読めない文字があります").arg(encodingName(decoded.encoding));
            if (decoded.damaged.size() > 1)
                text += QStringLiteral("（ほかに%1行）").arg(decoded.damaged.size() - 1);
            *why = atLine(decoded.damaged.first(), text + QStringLiteral("。"));
        }
        return std::nullopt;
    }
    return std::move(decoded.lines);
}

std::optional<QStringList> cutLine(const QString& line)
{
    // Counting the TABs first keeps a hostile line of a million TABs from building a huge list.
    if (line.count(QLatin1Char('\t')) >= kMaxCells)
        return std::nullopt;
    return line.split(QLatin1Char('\t'));
}

QStringList headingsOf(const QString& headingLine)
{
    return headingLine.split(QLatin1Char('\t'));
}

std::optional<QStringList> readHeadings(QIODevice& file)
{
    // Blocks are read until the first line end. The whole lines read with it choose the encoding
    // as the whole file's lines would; only the first line must decode.
    constexpr qsizetype kBlock = 64 * 1024;
    QByteArray head;
    qsizetype first = -1;
    while (first < 0) {
        const QByteArray block = file.read(kBlock);
        if (block.isEmpty())
            break;
        const qsizetype from = head.size();
        head += block;
        first = lineEndIn(head, from, false);
    }
    if (!file.atEnd()) {
        if (first < 0)
            return std::nullopt;   // a read error before the first line end
        head.truncate(lineEndIn(head, 0, true));
    }
    const DecodedLines decoded = decodeImportLines(head);
    if (decoded.lines.isEmpty() || decoded.damaged.value(0) == 1)
        return std::nullopt;
    return headingsOf(decoded.lines.first());
}

std::optional<QStringList> readHeadings(const QString& path)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readHeadings(f);
}

} // namespace importer
