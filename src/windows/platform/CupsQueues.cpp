#include "platform/CupsQueues.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <cups/cups.h>
// The driver's own paper names and default input slot are only in its PPD; libcups marks that
// interface as one for old drivers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

namespace prn::cups {

namespace {

QString text(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

// The destinations of the user (with the user's lpoptions applied), freed on scope exit.
class Dests {
public:
    Dests() { m_count = cupsGetDests2(CUPS_HTTP_DEFAULT, &m_dests); }
    ~Dests() { cupsFreeDests(m_count, m_dests); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
    cups_dest_t* find(const QString& queue) const
    {
        return cupsGetDest(queue.toUtf8().constData(), nullptr, m_count, m_dests);
    }
    int count() const { return m_count; }
    cups_dest_t* all() const { return m_dests; }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
};

class DestInfo {
public:
    explicit DestInfo(cups_dest_t* dest) : m_dest(dest), m_info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {}
    ~DestInfo() { cupsFreeDestInfo(m_info); }
    DestInfo(const DestInfo&) = delete;
    DestInfo& operator=(const DestInfo&) = delete;
    bool ok() const { return m_info != nullptr; }
    ipp_attribute_t* supported(const char* option) const
    {
        return cupsFindDestSupported(CUPS_HTTP_DEFAULT, m_dest, m_info, option);
    }
    ipp_attribute_t* byDefault(const char* option) const
    {
        return cupsFindDestDefault(CUPS_HTTP_DEFAULT, m_dest, m_info, option);
    }
    // A value the queue lists is taken as it stands: the spooler names a driver's own size
    // "custom_…", which its check would measure against the custom size range the driver may lack.
    bool takes(const char* option, const QString& value) const
    {
        ipp_attribute_t* listed = supported(option);
        for (int i = 0; listed && i < ippGetCount(listed); ++i)
            if (value == text(ippGetString(listed, i, nullptr)))
                return true;
        return cupsCheckDestSupported(CUPS_HTTP_DEFAULT, m_dest, m_info, option, value.toUtf8().constData()) != 0;
    }
    std::optional<cups_size_t> size(const QString& keyword) const
    {
        cups_size_t s{};
        if (!cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, m_dest, m_info, keyword.toUtf8().constData(),
                                    CUPS_MEDIA_FLAGS_DEFAULT, &s))
            return std::nullopt;
        return s;
    }

private:
    cups_dest_t* m_dest;
    cups_dinfo_t* m_info;
};

QStringList strings(ipp_attribute_t* a)
{
    QStringList out;
    for (int i = 0; a && i < ippGetCount(a); ++i)
        out << text(ippGetString(a, i, nullptr));
    return out;
}

// A PWG media name carries its size ("iso_a4_210x297mm", "na_letter_8.5x11in"); used when the
// spooler cannot look the name up.
std::optional<std::pair<int, int>> sizeFromKeyword(const QString& keyword)
{
    static const QRegularExpression re(QStringLiteral("_([0-9.]+)x([0-9.]+)(mm|in)$"));
    const QRegularExpressionMatch m = re.match(keyword);
    if (!m.hasMatch())
        return std::nullopt;
    const double unit = m.captured(3) == QLatin1String("in") ? 2540.0 : 100.0;
    return std::make_pair(qRound(m.captured(1).toDouble() * unit), qRound(m.captured(2).toDouble() * unit));
}

struct PpdPaper {
    QString key;
    QString name;
    int width = 0;   // hundredths of a millimetre
    int length = 0;
};

struct PpdFacts {
    QList<PpdPaper> papers;
    QString defaultSlot;
};

// The driver description's paper names (in its order) and default input slot, with the user's
// own choices marked.
std::optional<PpdFacts> readPpd(const QString& queue, cups_dest_t* dest)
{
    const char* file = cupsGetPPD2(CUPS_HTTP_DEFAULT, queue.toUtf8().constData());
    if (!file)
        return std::nullopt;
    const QString path = QFile::decodeName(file);
    ppd_file_t* ppd = ppdOpenFile(file);
    QFile::remove(path);
    if (!ppd)
        return std::nullopt;
    ppdMarkDefaults(ppd);
    cupsMarkOptions(ppd, dest->num_options, dest->options);
    PpdFacts facts;
    if (ppd_option_t* o = ppdFindOption(ppd, "PageSize")) {
        for (int i = 0; i < o->num_choices; ++i) {
            const ppd_choice_t& c = o->choices[i];
            PpdPaper p{text(c.choice), text(c.text), 0, 0};
            if (ppd_size_t* s = ppdPageSize(ppd, c.choice)) {
                p.width = qRound(s->width * 2540.0 / 72.0);
                p.length = qRound(s->length * 2540.0 / 72.0);
            }
            if (p.name.isEmpty())
                p.name = p.key;
            facts.papers << p;
        }
    }
    if (ppd_choice_t* c = ppdFindMarkedChoice(ppd, "InputSlot"))
        facts.defaultSlot = text(c->choice);
    ppdClose(ppd);
    return facts;
}

} // namespace

std::optional<QueueFacts> queueFacts(const QString& queue, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<QueueFacts> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    Dests dests;
    cups_dest_t* dest = dests.find(queue);
    if (!dest)
        return fail(QStringLiteral("the spooler does not know the queue"));
    DestInfo info(dest);
    if (!info.ok())
        return fail(text(cupsLastErrorString()));

    QueueFacts facts;
    const std::optional<PpdFacts> ppd = readPpd(queue, dest);
    QList<bool> ppdUsed(ppd ? ppd->papers.size() : 0, false);
    const QStringList keywords = strings(info.supported("media"));
    for (const QString& keyword : keywords) {
        Media m;
        m.keyword = keyword;
        if (const std::optional<cups_size_t> s = info.size(keyword)) {
            m.width = s->width;
            m.length = s->length;
        } else if (const auto wl = sizeFromKeyword(keyword)) {
            m.width = wl->first;
            m.length = wl->second;
        }
        // The driver's papers come in the same order; a size within a millimetre is the same paper.
        for (int i = 0; ppd && i < ppd->papers.size(); ++i) {
            const PpdPaper& p = ppd->papers.at(i);
            if (!ppdUsed.at(i) && std::abs(p.width - m.width) <= 100 && std::abs(p.length - m.length) <= 100) {
                ppdUsed[i] = true;
                m.name = p.name;
                break;
            }
        }
        if (m.name.isEmpty())
            m.name = keyword;
        facts.media << m;
    }
    facts.mediaChoice = !facts.media.isEmpty();

    facts.defaultMedia = text(cupsGetOption("media", dest->num_options, dest->options));
    if (facts.defaultMedia.isEmpty()) {
        const QStringList d = strings(info.byDefault("media"));
        if (!d.isEmpty())
            facts.defaultMedia = d.first();
    }

    if (ipp_attribute_t* copies = info.supported("copies")) {
        if (ippGetValueTag(copies) == IPP_TAG_RANGE) {
            int upper = 0;
            ippGetRange(copies, 0, &upper);
            facts.maxCopies = upper;
        } else if (ippGetValueTag(copies) == IPP_TAG_INTEGER) {
            facts.maxCopies = ippGetInteger(copies, 0);
        }
    }

    facts.sources = strings(info.supported("media-source"));
    facts.defaultSource = text(cupsGetOption("media-source", dest->num_options, dest->options));
    if (facts.defaultSource.isEmpty())
        facts.defaultSource = text(cupsGetOption("InputSlot", dest->num_options, dest->options));
    if (facts.defaultSource.isEmpty()) {
        const QStringList d = strings(info.byDefault("media-source"));
        if (!d.isEmpty())
            facts.defaultSource = d.first();
    }
    if (facts.defaultSource.isEmpty()) {
        if (ipp_attribute_t* col = info.byDefault("media-col")) {
            if (ipp_t* c = ippGetCollection(col, 0))
                facts.defaultSource = text(ippGetString(ippFindAttribute(c, "media-source", IPP_TAG_ZERO), 0, nullptr));
        }
    }
    if (facts.defaultSource.isEmpty() && ppd)
        facts.defaultSource = ppd->defaultSlot;
    return facts;
}

bool setUserDefault(const QString& queue, const QString& option, const QString& value)
{
    Dests dests;
    cups_dest_t* dest = dests.find(queue);
    if (!dest || value.isEmpty())
        return false;
    {
        DestInfo info(dest);
        const QByteArray name = option.toUtf8();
        if (!info.ok() || !info.supported(name.constData()) || !info.takes(name.constData(), value))
            return false;
    }
    dest->num_options = cupsAddOption(option.toUtf8().constData(), value.toUtf8().constData(), dest->num_options,
                                      &dest->options);
    return cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.all()) == 0;
}

QString userDefault(const QString& queue, const QString& option)
{
    Dests dests;
    cups_dest_t* dest = dests.find(queue);
    if (!dest)
        return {};
    return text(cupsGetOption(option.toUtf8().constData(), dest->num_options, dest->options));
}

QueueState queueState(const QString& queue)
{
    // One question to the spooler for this queue alone: the state is what it is now, not what a
    // list read earlier said.
    // No name would ask for the default queue instead.
    if (queue.isEmpty())
        return QueueState::Missing;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.toUtf8().constData(), nullptr);
    if (!dest)
        return QueueState::Missing;
    const QString accepting = text(cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options));
    cupsFreeDests(1, dest);
    return accepting.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ? QueueState::NotAccepting
                                                                                 : QueueState::Accepting;
}

int binCode(const QString& source)
{
    // The spooler's media-source keywords and the input slot names drivers commonly use.
    static const QHash<QString, int> codes = {
        {QStringLiteral("top"), 1},           {QStringLiteral("upper"), 1},
        {QStringLiteral("onlyone"), 1},       {QStringLiteral("bottom"), 2},
        {QStringLiteral("lower"), 2},         {QStringLiteral("middle"), 3},
        {QStringLiteral("center"), 3},        {QStringLiteral("manual"), 4},
        {QStringLiteral("manualfeed"), 4},    {QStringLiteral("bypasstray"), 4},
        {QStringLiteral("envelope"), 5},      {QStringLiteral("envelopefeeder"), 5},
        {QStringLiteral("envmanual"), 6},     {QStringLiteral("manualenvelope"), 6},
        {QStringLiteral("envelopemanual"), 6}, {QStringLiteral("auto"), 7},
        {QStringLiteral("autoselect"), 7},    {QStringLiteral("tractor"), 8},
        {QStringLiteral("smallformat"), 9},   {QStringLiteral("largeformat"), 10},
        {QStringLiteral("largecapacity"), 11}, {QStringLiteral("cassette"), 14},
    };
    QString key = source.toLower();
    key.remove(QRegularExpression(QStringLiteral("[^a-z0-9]")));
    return codes.value(key, 0);
}

} // namespace prn::cups

#pragma GCC diagnostic pop
