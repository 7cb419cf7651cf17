#pragma once
// The printer object every page engine draws through: paper, orientation, a unit of measure with
// its origin at the top-left corner of the printable area (y downwards), a current point, a font,
// text, lines and arcs, pages and the end of the document. The state and the job rules live here;
// a backend only turns engine units into marks on its device (see PrinterPainter.h and
// PrinterRecording.h).
//
// A document opens with the first text, line or arc after the previous end of document. A page
// break is taken only when something is drawn after it, so a break directly followed by the end of
// the document adds no blank page. A job the device abandons (the output file question cancelled,
// a device that fails) stays dead until endDoc(): everything drawn meanwhile is dropped and
// endDoc() reports false, so nothing half-printed is ever sent.
#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QRgb>
#include <QSize>
#include <QString>

namespace prn {

inline constexpr int kPaperA4 = 9;             // DMPAPER_A4
inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;
inline constexpr int kScaleTwips = 1;
inline constexpr int kScaleMillimetres = 6;
inline constexpr int kStyleSolid = 0;
inline constexpr int kStyleDot = 2;
inline constexpr int kModeNotXorPen = 10;      // R2_NOTXORPEN
inline constexpr int kModeCopyPen = 13;        // R2_COPYPEN
inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kMillimetresPerInch = 25.4;

// Where the current point goes after a printed text.
enum class After {
    NextLine,   // to the start of the next line
    SameLine,   // directly after the text, on the same line
};

// Why the last job was not handed on.
enum class JobFailure {
    None,           // it was handed on (or no job was begun)
    Cancelled,      // the user cancelled it (the output file question)
    NoPrinter,      // the printer is not there any more (a queue removed)
    NotAccepting,   // the printer refuses jobs now
    CannotWrite,    // the output file cannot be written
    Device,         // any other failure of the device
};

enum class JobState {
    Idle,       // no document open
    Open,       // a document is being drawn
    Abandoned,  // the device gave up on this document; dropped until endDoc()
};

// Turns a face name as the settings hold it into a font that has the glyphs of Japanese text:
// the Windows faces become the IPA faces, an unknown face becomes IPA Mincho (never a Latin face
// that would print boxes). The size is in points.
QFont printFont(const QString& faceName, double points);
// The installed family a face name resolves to.
QString resolvedFamily(const QString& faceName);
// Teaches QFont the Windows face names, so that any widget given one of them shows the IPA face
// (done on the first use of printFont; start-up may call it earlier).
void installFontSubstitutes();

class PrinterObject {
public:
    virtual ~PrinterObject();
    PrinterObject(const PrinterObject&) = delete;
    PrinterObject& operator=(const PrinterObject&) = delete;

    // Device facts.
    virtual QString deviceName() const = 0;
    // Dots per inch, horizontal and vertical.
    virtual QPointF resolution() const = 0;
    // The corner of the printable area measured from the paper's corner, in device pixels, for the
    // paper and orientation now set.
    virtual QPoint physicalOffsetPx() const = 0;
    // The whole sheet in device pixels, for the paper and orientation now set.
    virtual QSize physicalSizePx() const = 0;
    double pixelsToTwipsX(double px) const;
    double pixelsToTwipsY(double px) const;

    // Paper by its DMPAPER code (9 = A4). A code the device does not offer is refused and the paper
    // stays as it was. Paper and orientation take effect with the next document.
    bool setPaperSize(int code);
    int paperSize() const { return m_paper; }
    // 1 portrait, 2 landscape.
    bool setOrientation(int orientation);
    int orientation() const { return m_orientation; }
    // 1 twips, 6 millimetres; anything else is refused.
    bool setScaleMode(int mode);
    int scaleMode() const { return m_scaleMode; }

    // The top-left corner of the next text.
    double currentX() const { return m_x; }
    double currentY() const { return m_y; }
    void setCurrentX(double x) { m_x = x; }
    void setCurrentY(double y) { m_y = y; }

    void setFontName(const QString& name);
    QString fontName() const { return m_fontName; }
    // Points, whatever the scale mode. Zero or less is refused.
    bool setFontSize(double points);
    double fontSize() const { return m_fontSize; }

    // 0 solid, 2 dotted; others refused.
    bool setDrawStyle(int style);
    int drawStyle() const { return m_drawStyle; }
    // Device pixels, 1 or more.
    bool setDrawWidth(int width);
    int drawWidth() const { return m_drawWidth; }
    // 10 not-XOR pen, 13 copy pen; lines and arcs only, never text.
    bool setDrawMode(int mode);
    int drawMode() const { return m_drawMode; }

    // Prints the text in the current font with its top-left corner at the current point.
    void print(const QString& text, After after = After::NextLine);
    // Prints a number as the print statement writes one: a blank (or the minus sign) before the
    // digits and one blank after them.
    void printNumber(double value, After after = After::NextLine);
    static QString numberText(double value);   // " 12 ", "-1.5 "
    static QString plainNumber(double value);  // "12", "-1.5"
    // Width of the text in the current font, in the current unit.
    double textWidth(const QString& text) const;
    // Height of a printed line in the current font, in the current unit.
    double textHeight() const;

    // A straight line in the current draw mode, style and width; the current point moves to its end.
    void line(double x1, double y1, double x2, double y2, QRgb colour = qRgb(0, 0, 0));
    // An arc of the circle from start to end (radians, counter-clockwise from three o'clock as the
    // page is seen); the current point moves to the centre.
    void circle(double x, double y, double radius, QRgb colour, double start, double end);

    void newPage();
    // Ends the document and hands it on (file or spooler). False when nothing was open, when the
    // job had been abandoned, or when handing it on failed; then nothing was sent.
    bool endDoc();
    // Abandons the document being drawn: nothing of it is sent and no file is left behind.
    void abortDoc();

    JobState jobState() const { return m_state; }
    // Why the last job was abandoned, for a log rather than a person (it may be the system's own
    // English); empty when it went through or the user cancelled it.
    QString lastError() const { return m_lastError; }
    // What became of the last job, and the printer or file it concerns (a file for CannotWrite).
    JobFailure lastFailure() const { return m_failure; }
    QString lastFailureTarget() const { return m_failureTarget; }
    // True when the last job was cancelled by the user (the output file question).
    bool lastJobCancelled() const { return m_failure == JobFailure::Cancelled; }

protected:
    PrinterObject();

    // Unit conversions for the backends: engine units of the current scale mode to inches.
    double unitsPerInch() const;

    // Backend hooks. beginJob opens the device for a document with its first page; returning
    // false abandons the job (call cancelled() or failed() first to say why).
    virtual bool beginJob() = 0;
    virtual bool beginPage() = 0;
    virtual void drawText(double x, double y, const QString& text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, QRgb colour) = 0;
    // span is the counter-clockwise sweep from start (0 < span <= 2π); end as the engine gave it.
    virtual void drawArc(double x, double y, double radius, QRgb colour, double start, double end,
                         double span) = 0;
    // Width and line height in device pixels of the current font.
    virtual double measurePx(const QString& text) const = 0;
    virtual double lineHeightPx() const = 0;
    virtual bool finishJob() = 0;
    virtual void abandonJob() = 0;
    // Whether the device offers the paper (by DMPAPER code).
    virtual bool offersPaper(int code) const = 0;
    // Called for every accepted change of a state, for backends that record them.
    virtual void stateChanged(const char* /*what*/, double /*value*/, const QString& /*text*/ = {}) {}
    virtual void pageBreakRequested() {}

    // A backend reports a device failure while drawing: the job is abandoned at once.
    void deviceFailed(const QString& why, JobFailure kind = JobFailure::Device, const QString& target = {});
    void userCancelled();
    // Why the job cannot go on, before the backend returns false (target: the file or printer it
    // concerns; the device's name when empty).
    void setLastError(const QString& why, JobFailure kind = JobFailure::Device, const QString& target = {});

    // The font of the current name and size.
    const QFont& currentFont() const { return m_font; }
    double pxToUnitsX(double px) const;
    double pxToUnitsY(double px) const;

private:
    bool ensurePage();

    int m_paper = kPaperA4;
    int m_orientation = kPortrait;
    int m_scaleMode = kScaleTwips;
    double m_x = 0;
    double m_y = 0;
    QString m_fontName;
    double m_fontSize = 10;
    QFont m_font;   // resolved once per change: engines measure and print many texts in one font
    int m_drawStyle = kStyleSolid;
    int m_drawWidth = 1;
    int m_drawMode = kModeCopyPen;

    JobState m_state = JobState::Idle;
    int m_pendingBreaks = 0;
    QString m_lastError;
    JobFailure m_failure = JobFailure::None;
    QString m_failureTarget;
};

} // namespace prn
