#include "platform/PrinterObject.h"

#include <QFontDatabase>
#include <QHash>
#include <QPageSize>
#include <cmath>

namespace prn {

namespace {

const QString kMincho = QStringLiteral("IPAMincho");
const QString kGothic = QStringLiteral("IPAGothic");
const QString kPMincho = QStringLiteral("IPAPMincho");
const QString kPGothic = QStringLiteral("IPAPGothic");

// The Windows faces a settings file or a sheet may name, with the IPA face of the same design:
// the fixed-pitch ones to IPA Mincho / Gothic, the proportional ("P", "UI") ones to their
// proportional IPA faces.
const QHash<QString, QString>& windowsFaces()
{
    static const QHash<QString, QString> faces = {
        {QStringLiteral("ＭＳ 明朝"), kMincho},
        {QStringLiteral("ＭＳ ゴシック"), kGothic},
        {QStringLiteral("ＭＳ Ｐ明朝"), kPMincho},
        {QStringLiteral("ＭＳ Ｐゴシック"), kPGothic},
        {QStringLiteral("ＭＳ ＵＩ Gothic"), kPGothic},
        {QStringLiteral("MS Mincho"), kMincho},
        {QStringLiteral("MS Gothic"), kGothic},
        {QStringLiteral("MS PMincho"), kPMincho},
        {QStringLiteral("MS PGothic"), kPGothic},
        {QStringLiteral("MS UI Gothic"), kPGothic},
    };
    return faces;
}

} // namespace

QString resolvedFamily(const QString& faceName)
{
    QString name = faceName.trimmed();
    // The vertical-writing variant of a face prints upright text with the face itself.
    if (name.startsWith(QLatin1Char('@')))
        name.remove(0, 1);
    const auto& faces = windowsFaces();
    const auto it = faces.constFind(name);
    if (it != faces.constEnd())
        return *it;
    if (!name.isEmpty() && QFontDatabase::hasFamily(name))
        return name;
    return kMincho;
}

QFont printFont(const QString& faceName, double points)
{
    // Whatever shows a print font by its Windows name (the font dialog's first choice) shows the
    // IPA face too.
    static const bool substitutesInstalled = (installFontSubstitutes(), true);
    Q_UNUSED(substitutesInstalled);
    QFont f;
    const QString family = resolvedFamily(faceName);
    // Glyphs missing from a chosen Latin face are taken from IPA Mincho rather than from whatever
    // the system would pick.
    f.setFamilies({family, kMincho});
    f.setPointSizeF(points > 0 ? points : 10);
    f.setStyleStrategy(QFont::PreferOutline);
    // The sheets were laid out with the faces' own advances; hinting would shift right-aligned
    // columns by a pixel here and there.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

void installFontSubstitutes()
{
    const auto& faces = windowsFaces();
    for (auto it = faces.constBegin(); it != faces.constEnd(); ++it)
        QFont::insertSubstitution(it.key(), it.value());
}

PrinterObject::PrinterObject()
    : m_fontName(QStringLiteral("ＭＳ 明朝")), m_font(printFont(m_fontName, m_fontSize))
{
}

PrinterObject::~PrinterObject() = default;

double PrinterObject::pixelsToTwipsX(double px) const
{
    return px * kTwipsPerInch / resolution().x();
}

double PrinterObject::pixelsToTwipsY(double px) const
{
    return px * kTwipsPerInch / resolution().y();
}

bool PrinterObject::setPaperSize(int code)
{
    if (QPageSize::id(code) == QPageSize::Custom || !offersPaper(code))
        return false;
    m_paper = code;
    stateChanged("paperSize", code);
    return true;
}

bool PrinterObject::setOrientation(int orientation)
{
    if (orientation != kPortrait && orientation != kLandscape)
        return false;
    m_orientation = orientation;
    stateChanged("orientation", orientation);
    return true;
}

bool PrinterObject::setScaleMode(int mode)
{
    if (mode != kScaleTwips && mode != kScaleMillimetres)
        return false;
    m_scaleMode = mode;
    stateChanged("scaleMode", mode);
    return true;
}

void PrinterObject::setFontName(const QString& name)
{
    m_fontName = name;
    m_font = printFont(m_fontName, m_fontSize);
    stateChanged("fontName", 0, name);
}

bool PrinterObject::setFontSize(double points)
{
    if (!(points > 0) || !std::isfinite(points))
        return false;
    m_fontSize = points;
    m_font.setPointSizeF(points);
    stateChanged("fontSize", points);
    return true;
}

bool PrinterObject::setDrawStyle(int style)
{
    if (style != kStyleSolid && style != kStyleDot)
        return false;
    m_drawStyle = style;
    stateChanged("drawStyle", style);
    return true;
}

bool PrinterObject::setDrawWidth(int width)
{
    if (width < 1)
        return false;
    m_drawWidth = width;
    stateChanged("drawWidth", width);
    return true;
}

bool PrinterObject::setDrawMode(int mode)
{
    if (mode != kModeNotXorPen && mode != kModeCopyPen)
        return false;
    m_drawMode = mode;
    stateChanged("drawMode", mode);
    return true;
}

double PrinterObject::unitsPerInch() const
{
    return m_scaleMode == kScaleMillimetres ? kMillimetresPerInch : kTwipsPerInch;
}

double PrinterObject::pxToUnitsX(double px) const
{
    return px / resolution().x() * unitsPerInch();
}

double PrinterObject::pxToUnitsY(double px) const
{
    return px / resolution().y() * unitsPerInch();
}

QString PrinterObject::plainNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<long long>(value));
    // Fifteen significant digits as the print statement writes a double, without trailing zeros.
    QString s = QString::number(value, 'g', 15);
    if (s.contains(QLatin1Char('e')))
        s.replace(QStringLiteral("e+"), QStringLiteral("E+")).replace(QStringLiteral("e-"), QStringLiteral("E-"));
    return s;
}

QString PrinterObject::numberText(double value)
{
    const QString digits = plainNumber(value);
    if (digits.startsWith(QLatin1Char('-')))
        return digits + QLatin1Char(' ');
    return QLatin1Char(' ') + digits + QLatin1Char(' ');
}

double PrinterObject::textWidth(const QString& text) const
{
    return pxToUnitsX(measurePx(text));
}

double PrinterObject::textHeight() const
{
    return pxToUnitsY(lineHeightPx());
}

bool PrinterObject::ensurePage()
{
    switch (m_state) {
    case JobState::Abandoned:
        return false;
    case JobState::Idle:
        m_lastError.clear();
        m_failure = JobFailure::None;
        m_failureTarget.clear();
        m_pendingBreaks = 0;
        m_state = JobState::Open;
        if (!beginJob()) {
            if (m_state == JobState::Open)
                deviceFailed(m_lastError, m_failure == JobFailure::None ? JobFailure::Device : m_failure,
                             m_failureTarget);
            return false;
        }
        break;
    case JobState::Open:
        break;
    }
    while (m_pendingBreaks > 0) {
        --m_pendingBreaks;
        if (!beginPage()) {
            if (m_state == JobState::Open)
                deviceFailed(QStringLiteral("new page"));
            return false;
        }
    }
    return m_state == JobState::Open;
}

void PrinterObject::print(const QString& text, After after)
{
    // The current point moves even when the job is dead, so that an engine's own arithmetic on it
    // stays what it would have been.
    if (ensurePage() && !text.isEmpty())
        drawText(m_x, m_y, text);
    if (after == After::SameLine) {
        m_x += textWidth(text);
    } else {
        m_x = 0;
        m_y += textHeight();
    }
}

void PrinterObject::printNumber(double value, After after)
{
    print(numberText(value), after);
}

void PrinterObject::line(double x1, double y1, double x2, double y2, QRgb colour)
{
    if (ensurePage())
        drawLine(x1, y1, x2, y2, colour);
    m_x = x2;
    m_y = y2;
}

void PrinterObject::circle(double x, double y, double radius, QRgb colour, double start, double end)
{
    constexpr double kTwoPi = 6.283185307179586;
    if (radius > 0 && std::isfinite(start) && std::isfinite(end) && ensurePage()) {
        // Counter-clockwise from start round to end; equal angles make the whole circle.
        double span = std::fmod(end - start, kTwoPi);
        if (span <= 0)
            span += kTwoPi;
        drawArc(x, y, radius, colour, start, end, span);
    }
    m_x = x;
    m_y = y;
}

void PrinterObject::newPage()
{
    if (m_state == JobState::Abandoned)
        return;
    ++m_pendingBreaks;
    m_x = 0;
    m_y = 0;
    pageBreakRequested();
}

bool PrinterObject::endDoc()
{
    const JobState was = m_state;
    m_state = JobState::Idle;
    m_pendingBreaks = 0;
    m_x = 0;
    m_y = 0;
    if (was != JobState::Open)
        return false;
    if (!finishJob()) {
        if (m_lastError.isEmpty())
            m_lastError = QStringLiteral("the document could not be handed on");
        if (m_failure == JobFailure::None)
            m_failure = JobFailure::Device;
        if (m_failureTarget.isEmpty())
            m_failureTarget = deviceName();
        abandonJob();
        return false;
    }
    return true;
}

void PrinterObject::abortDoc()
{
    if (m_state == JobState::Open)
        abandonJob();
    m_state = JobState::Idle;
    m_pendingBreaks = 0;
    m_x = 0;
    m_y = 0;
}

void PrinterObject::setLastError(const QString& why, JobFailure kind, const QString& target)
{
    m_lastError = why;
    m_failure = kind;
    m_failureTarget = target.isEmpty() ? deviceName() : target;
}

void PrinterObject::deviceFailed(const QString& why, JobFailure kind, const QString& target)
{
    if (m_state != JobState::Open)
        return;
    setLastError(why.isEmpty() ? QStringLiteral("the device failed") : why, kind, target);
    abandonJob();
    m_state = JobState::Abandoned;
}

void PrinterObject::userCancelled()
{
    if (m_state != JobState::Open)
        return;
    m_lastError.clear();
    m_failure = JobFailure::Cancelled;
    m_failureTarget.clear();
    abandonJob();
    m_state = JobState::Abandoned;
}

} // namespace prn
