#include "platform/CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace cp932 {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; returns false if any part could not be converted.
    bool run(QByteArrayView in, QByteArray& out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 4 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = static_cast<size_t>(in.size());
        char* dst = out.data();
        size_t dstLeft = static_cast<size_t>(out.size());
        const size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
        out.resize(out.size() - static_cast<int>(dstLeft));
        return r != static_cast<size_t>(-1) && srcLeft == 0;
    }

private:
    iconv_t m_cd;
};

Converter& toCp932()
{
    static thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& fromCp932()
{
    static thread_local Converter c("UTF-8", "CP932");
    return c;
}

} // namespace

QByteArray encode(const QString& text, bool* ok)
{
    bool allOk = true;
    QByteArray result;
    QByteArray out;
    // Character by character, so one unencodable character does not cost the rest of the text.
    for (int i = 0; i < text.size(); ++i) {
        int len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray utf8 = text.mid(i, len).toUtf8();
        i += len - 1;
        if (toCp932().run(utf8, out)) {
            result += out;
        } else {
            result += '?';
            allOk = false;
        }
    }
    if (ok)
        *ok = allOk;
    return result;
}

int byteLength(const QString& text)
{
    int total = 0;
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            ++total;
            continue;
        }
        int len = (c.isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray utf8 = text.mid(i, len).toUtf8();
        i += len - 1;
        if (toCp932().run(utf8, out) && !out.isEmpty())
            total += out.size();
        else
            total += 2;
    }
    return total;
}

QString decode(QByteArrayView bytes, bool* ok)
{
    QByteArray out;
    bool allOk = true;
    QString result;
    // Whole-buffer conversion first; on a bad byte, fall back to a walk character by character.
    if (fromCp932().run(bytes, out)) {
        result = QString::fromUtf8(out);
    } else {
        allOk = false;
        qsizetype i = 0;
        while (i < bytes.size()) {
            const unsigned char b = static_cast<unsigned char>(bytes.at(i));
            const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            if (lead && i + 1 < bytes.size() && fromCp932().run(bytes.sliced(i, 2), out)) {
                result += QString::fromUtf8(out);
                i += 2;
            } else if (!lead && fromCp932().run(bytes.sliced(i, 1), out)) {
                result += QString::fromUtf8(out);
                ++i;
            } else {
                result += QChar(0xFFFD);
                ++i;
            }
        }
    }
    if (ok)
        *ok = allOk;
    return result;
}

} // namespace cp932
