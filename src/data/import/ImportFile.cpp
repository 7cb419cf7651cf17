#include "import/ImportFile.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <climits>
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

// The lines of UTF-16 text, split at CR LF, LF or CR alone.
QList<QByteArrayView> utf16Lines(QByteArrayView bytes, bool bigEndian)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = unitAt(bytes, i, bigEndian);
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(bytes.sliced(start, i - start));
        if (c == u'\r' && i + 3 < bytes.size() && unitAt(bytes, i + 2, bigEndian) == u'\n')
            i += 2;
        start = i + 2;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start));
    return lines;
}

bool isLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

// Just past the first line end (CR, LF or CR LF) in head from byte from on, or (last) past the last
// one in it; -1 for none. A CR that ends head counts as a whole line end: the LF that may follow
// it ends no further line.
qsizetype lineEndIn(const QByteArray& head, qsizetype from, bool last)
{
    const std::optional<Bom> bom = bomOf(head);
    if (bom && isUtf16(bom->encoding)) {
        const bool bigEndian = bom->encoding == TextEncoding::Utf16BE;
        const qsizetype start = std::max<qsizetype>(2, from - from % 2);
        if (last) {
            for (qsizetype i = (head.size() & ~qsizetype(1)) - 2; i >= start; i -= 2)
                if (isLineEnd(unitAt(head, i, bigEndian)))
                    return i + 2;
            return -1;
        }
        for (qsizetype i = start; i + 1 < head.size(); i += 2)
            if (isLineEnd(unitAt(head, i, bigEndian)))
                return i + 2;
        return -1;
    }
    if (last) {
        for (qsizetype i = head.size() - 1; i >= from; --i)
            if (isLineEnd(static_cast<unsigned char>(head.at(i))))
                return i + 1;
        return -1;
    }
    for (qsizetype i = from; i < head.size(); ++i)
        if (isLineEnd(static_cast<unsigned char>(head.at(i))))
            return i + 1;
    return -1;
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

bool isHalfWidthKana(char32_t c)
{
    return c >= 0xFF61 && c <= 0xFF9F;
}

// The code points of text, a surrogate pair as one.
std::vector<char32_t> codePoints(const QString& text)
{
    std::vector<char32_t> out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// How text decoded as UTF-8 reads. japanese: it holds a character only a Japanese shop's text
// holds. foreign: it holds something else beyond ASCII and the code pages' Latin-1 symbols.
// garbled: some of that is what no shop writes: a control character, or a letter or sign beyond
// Latin-1 that stands outside a word of three letters or more ("Ž", "п" and "ʲ" alone are two
// half-width kana of code page 932 each; "Молоко" or "Müller" are words).
struct Reading {
    bool japanese = false;
    bool foreign = false;
    bool garbled = false;
    bool isJapanese() const { return japanese && !foreign; }
};

bool isForeignLetter(char32_t c)
{
    return !isJapanese(c) && QChar::isLetter(c);
}

// Whether a letter beyond Latin-1 stands outside a word of three letters or more.
bool hasLoneLetter(const QString& text)
{
    const std::vector<char32_t> cps = codePoints(text);
    const size_t n = cps.size();
    for (size_t i = 0; i < n; ++i) {
        if (cps[i] <= 0xFF || !isForeignLetter(cps[i]))
            continue;
        size_t first = i;
        while (first > 0 && isForeignLetter(cps[first - 1]))
            --first;
        size_t end = i + 1;
        while (end < n && isForeignLetter(cps[end]))
            ++end;
        if (end - first < 3)
            return true;
        i = end - 1;
    }
    return false;
}

Reading readingOf(const QString& text)
{
    Reading r;
    bool letters = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        if (c < 0x80 || isJapaneseSymbol(c))
            continue;
        if (isJapanese(c)) {
            r.japanese = true;
            continue;
        }
        r.foreign = true;
        if (c >= 0xA0 && c <= 0xFF)
            continue;
        if (isForeignLetter(c))
            letters = true;
        else
            r.garbled = true;
    }
    if (letters && !r.garbled)
        r.garbled = hasLoneLetter(text);
    return r;
}

// How much a reading looks like what a shop writes: +1 for every kana, kanji of the first level
// (the common ones), full-width letter or digit and "ー" or "々"; -1 for every kanji of the second
// level or of the extensions (the rare ones), Greek or Cyrillic letter, box-drawing sign, control
// character, private-use character and half-width kana touching a full-width character. The code
// page's reading of UTF-8 kana and kanji starts every run of them with a rare kanji and goes on
// with such signs ("ペン" reads "繝壹Φ", "本" reads "譛ｬ"); the UTF-8 reading of code page text
// is almost never valid at all.
int textScore(const QString& text)
{
    const std::vector<char32_t> cps = codePoints(text);
    auto fullWidth = [](char32_t c) { return isJapanese(c) && !isHalfWidthKana(c); };
    int score = 0;
    for (size_t i = 0; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        if (c < 0x80)
            continue;
        if (isHalfWidthKana(c)) {
            if ((i > 0 && fullWidth(cps[i - 1])) || (i + 1 < cps.size() && fullWidth(cps[i + 1])))
                --score;
            continue;
        }
        if (c <= 0x9F || (c >= 0xE000 && c <= 0xF8FF) || c == QChar::ReplacementCharacter) {
            --score;
            continue;
        }
        bool ok = false;
        const QByteArray b = cp932::encode(QString::fromUcs4(&c, 1), &ok);
        if (!ok || b.size() != 2)
            continue;
        const int code = (static_cast<unsigned char>(b[0]) << 8) | static_cast<unsigned char>(b[1]);
        auto in = [code](int lo, int hi) { return code >= lo && code <= hi; };
        if (in(0x829F, 0x82F1) || in(0x8340, 0x8396) || in(0x889F, 0x9872) || in(0x824F, 0x829A) || code == 0x815B
            || code == 0x8158)
            ++score;
        else if (in(0x989F, 0xEAA4) || in(0xED40, 0xEEFC) || in(0xFA40, 0xFC4B) || in(0x839F, 0x83D6) || in(0x8440, 0x84BE)
                 || in(0xF040, 0xF9FC))
            --score;
    }
    return score;
}

// What a line's own bytes say of its encoding, before the file's encoding is chosen.
enum class Own {
    Either,      // ASCII, or valid in both with nothing to tell them apart: the file's encoding
    Neither,     // no reading without damage: the file's encoding, damaged
    Utf8,        // valid UTF-8 only, reading as nothing garbled
    Utf8Text,    // valid UTF-8 reading as Japanese text; in a code page 932 file, UTF-8 unless the
                 // code page's reading looks more like a shop's text (then undecided)
    Cp932,       // valid code page 932 only
    Cp932Text,   // valid in both: garbled as UTF-8, plain as code page 932
};

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
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.append(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(bytes.sliced(start));
    return lines;
}

DecodedLines decodeImportLines(QByteArrayView bytes)
{
    DecodedLines out;
    if (const std::optional<Bom> bom = bomOf(bytes)) {
        out.encoding = bom->encoding;
        const QByteArrayView body = bytes.sliced(bom->length);
        const QList<QByteArrayView> lines =
            isUtf16(out.encoding) ? utf16Lines(body, out.encoding == TextEncoding::Utf16BE) : byteLines(body);
        out.lines.reserve(lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            bool ok = true;
            out.lines.append(decodeLine(lines.at(i), out.encoding, &ok));
            if (!ok)
                out.damaged.append(static_cast<int>(i) + 1);
        }
        return out;
    }

    // Each line that is not plain ASCII votes: for UTF-8 when it decodes so to Japanese text or
    // when code page 932 cannot read it at all; for code page 932 when it is no UTF-8, or decodes
    // so to something foreign. A line of symbols only that both read proves nothing. A tie goes to
    // code page 932. Where a line's own bytes tell its encoding apart from the file's, the line is
    // read as it was saved (a line added in the other encoding); a line that reads as text in both
    // and disagrees with the file is left undecided rather than guessed.
    const QList<QByteArrayView> lines = byteLines(bytes);
    const size_t n = static_cast<size_t>(lines.size());
    std::vector<Own> own(n, Own::Either);
    std::vector<QString> asUtf8(n), asCp932(n);   // the readings already made (null where not)
    int forUtf8 = 0;
    int forCp932 = 0;
    for (size_t i = 0; i < n; ++i) {
        const QByteArrayView line = lines.at(static_cast<qsizetype>(i));
        if (isAscii(line))
            continue;
        bool cp932Reads = false;
        if (!line.isValidUtf8()) {
            ++forCp932;
            QString text = cp932::decode(line, &cp932Reads);
            if (cp932Reads)
                asCp932[i] = std::move(text);
            own[i] = cp932Reads ? Own::Cp932 : Own::Neither;
            continue;
        }
        asUtf8[i] = QString::fromUtf8(line);
        const Reading reading = readingOf(asUtf8[i]);
        if (reading.isJapanese()) {
            ++forUtf8;
            own[i] = Own::Utf8Text;
            continue;
        }
        QString text = cp932::decode(line, &cp932Reads);
        if (!cp932Reads) {
            ++forUtf8;
            own[i] = reading.garbled ? Own::Either : Own::Utf8;
            continue;
        }
        if (reading.foreign) {
            ++forCp932;
            if (reading.garbled && textScore(text) >= 0)
                own[i] = Own::Cp932Text;
        }
        asCp932[i] = std::move(text);
    }
    out.encoding = forUtf8 > forCp932 ? TextEncoding::Utf8 : TextEncoding::Cp932;
    const bool utf8File = out.encoding == TextEncoding::Utf8;

    out.lines.reserve(lines.size());
    for (size_t i = 0; i < n; ++i) {
        const int number = static_cast<int>(i) + 1;
        Own o = own[i];
        if (o == Own::Utf8Text && !utf8File) {
            bool cp932Reads = false;
            asCp932[i] = cp932::decode(lines.at(static_cast<qsizetype>(i)), &cp932Reads);
            if (cp932Reads && textScore(asCp932[i]) > textScore(asUtf8[i])) {
                out.lines.append(std::move(asCp932[i]));
                out.undecided.append(number);
                continue;
            }
        }
        if (o == Own::Cp932 && utf8File)
            o = Own::Neither;   // no UTF-8, and bytes damaged in a UTF-8 file often read as code page 932
        bool asUtf8Line = utf8File;
        switch (o) {
        case Own::Utf8:
        case Own::Utf8Text:
            asUtf8Line = true;
            break;
        case Own::Cp932:
        case Own::Cp932Text:
            asUtf8Line = false;
            break;
        case Own::Either:
        case Own::Neither:
            break;
        }
        // A reading made above is one without damage.
        QString& made = asUtf8Line ? asUtf8[i] : asCp932[i];
        if (!made.isNull()) {
            out.lines.append(std::move(made));
            continue;
        }
        bool ok = true;
        out.lines.append(decodeLine(lines.at(static_cast<qsizetype>(i)), asUtf8Line ? TextEncoding::Utf8 : TextEncoding::Cp932, &ok));
        if (!ok)
            out.damaged.append(number);
    }
    return out;
}

std::optional<QStringList> readImportFile(const QString& path, QString* why)
{
    if (path.isEmpty()) {
        if (why)
            *why = QStringLiteral("ファイルが選択されていません。");
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
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
    if (!decoded.damaged.isEmpty() || !decoded.undecided.isEmpty()) {
        if (why) {
            // The first line in the file that cannot be taken is named; the others are counted.
            const int damaged = decoded.damaged.value(0, INT_MAX);
            const int undecided = decoded.undecided.value(0, INT_MAX);
            const QString other = decoded.encoding == TextEncoding::Utf8 ? encodingName(TextEncoding::Cp932)
                                                                          : encodingName(TextEncoding::Utf8);
            QString text = damaged < undecided
                               ? QStringLiteral("%1として読めない文字があります").arg(encodingName(decoded.encoding))
                               : QStringLiteral("%1と%2のどちらで保存された行か決められません")
                                     .arg(encodingName(decoded.encoding), other);
            const qsizetype others = decoded.damaged.size() + decoded.undecided.size() - 1;
            if (others > 0)
                text += QStringLiteral("（ほかに%1行）").arg(others);
            *why = atLine(std::min(damaged, undecided), text + QStringLiteral("。"));
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
    if (decoded.lines.isEmpty() || decoded.damaged.value(0) == 1 || decoded.undecided.value(0) == 1)
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
