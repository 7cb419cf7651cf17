#pragma once
// One seam for everything that waits for a person or leaves the program: message boxes, file and
// font dialogs, opening a file or address with its associated program. The desktop backend shows
// the real thing; tests install a scripted backend that answers at once and records what was shown.
#include <QFont>
#include <QList>
#include <QPageSize>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <utility>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace dlg {

enum class Icon { None, Information, Question, Exclamation, Critical };
// Answers as the message-box function numbered them; MsgAnswer keeps these values.
enum Answer { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

struct Shown {
    QString kind;   // "message", "open", "save", "font", "url", "printer"
    QString title;
    QString text;   // message text, dialog filter, or the address opened
    Icon icon = Icon::None;
    bool yesNo = false;
    int answer = 0;
    QFont font;              // font dialog: the font it opened with
    bool fixedPitch = false; // font dialog: only fixed-pitch faces offered
};

// What became of a printer's property sheet.
struct PropertySheet {
    bool shown = false;                  // false: this printer has no sheet that can be shown
    // The paper size chosen in the sheet: set only when it was closed with OK on a paper other
    // than the printer's own default it opened on.
    std::optional<QPageSize> paper;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual int message(QWidget* parent, const QString& title, const QString& text, Icon icon, bool yesNo) = 0;
    // An empty optional means the user cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& filter,
                                            int filterIndex) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& filter,
                                            int filterIndex) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial, bool fixedPitchOnly) = 0;
    virtual bool openExternal(const QUrl& url) = 0;
    // The property sheet of the printer (a CUPS queue) by its name.
    virtual PropertySheet printerProperties(QWidget* parent, const QString& printerName);
};

// Scripted answers for tests: queued answers are taken in order; with none queued a message box
// answers OK (or No for a question) and a file dialog is cancelled.
class ScriptedBackend : public Backend {
public:
    QList<int> answers;
    QList<std::optional<QString>> files;
    QList<std::optional<QFont>> fonts;
    bool externalResult = true;
    // Property sheets: taken in order; with none queued a sheet is shown and cancelled.
    QList<PropertySheet> sheets;
    QList<Shown> shown;

    int message(QWidget*, const QString& title, const QString& text, Icon icon, bool yesNo) override;
    std::optional<QString> openFile(QWidget*, const QString& title, const QString& filter, int) override;
    std::optional<QString> saveFile(QWidget*, const QString& title, const QString& filter, int) override;
    std::optional<QFont> chooseFont(QWidget*, const QFont& initial, bool fixedPitchOnly) override;
    bool openExternal(const QUrl& url) override;
    PropertySheet printerProperties(QWidget*, const QString& printerName) override;

    QStringList messages() const;   // texts of the message boxes shown, in order
    void clear();
};

// A dialog built over a parent window. The parent deletes it with itself, also while it runs (the
// window closed, or the program ended, under it): it is held guarded, and deleted here only when
// it still exists.
template <class D>
class Held {
public:
    explicit Held(D* dialog) : m_dialog(dialog) {}
    Held(Held&& other) noexcept : m_dialog(std::exchange(other.m_dialog, nullptr)) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Held& operator=(Held&&) = delete;
    ~Held() { delete m_dialog.data(); }
    D* get() const { return m_dialog.data(); }
    D* operator->() const { return m_dialog.data(); }
    explicit operator bool() const { return !m_dialog.isNull(); }

private:
    QPointer<D> m_dialog;
};

// The message box and the file dialog the desktop backend shows, built but not run.
Held<QMessageBox> messageBox(QWidget* parent, const QString& title, const QString& text, Icon icon, bool yesNo);
Held<QFileDialog> fileDialog(QWidget* parent, const QString& title, const QString& filter, int filterIndex,
                             bool save);

// The session ends: every dialog open now closes as if cancelled, and every later question is
// answered at once the same way (No, cancel), unseen; a message's text goes to the standard error.
// Nobody is left to answer, and the end must not wait for anyone. false: questions are asked again
// (tests).
void endQuestions(bool ended = true);

// Loads Qt's own Japanese texts, so that the standard buttons and the file dialogs speak the
// program's language (はい, いいえ, ファイル名). False when they are not installed; the dialogs then
// stay in English.
bool installJapaneseTexts();

// Installs a backend (not owned); nullptr restores the desktop backend.
void setBackend(Backend* backend);
Backend& backend();

// Converts a filter written as "label|pattern|label|pattern" into the dialog's own form.
QString convertFilter(const QString& pipeFilter);

// "Information" box with the information icon.
void Information(const QString& text, QWidget* parent = nullptr);
// "Question" yes/no box with the question icon; the answer is kept in MsgAnswer and returned.
int Question(const QString& text, QWidget* parent = nullptr);
// Any other box (own title and icon, OK only).
void MsgBox(const QString& text, Icon icon, const QString& title, QWidget* parent = nullptr);

std::optional<QString> OpenFile(const QString& title, const QString& pipeFilter, int filterIndex = 1,
                                QWidget* parent = nullptr);
std::optional<QString> SaveFile(const QString& title, const QString& pipeFilter, int filterIndex = 1,
                                QWidget* parent = nullptr);
// fixedPitchOnly: the dialog offers only fixed-pitch faces (the sheets align columns by blanks).
std::optional<QFont> ChooseFont(const QFont& initial, QWidget* parent = nullptr, bool fixedPitchOnly = false);
bool OpenExternal(const QUrl& url);
PropertySheet PrinterProperties(const QString& printerName, QWidget* parent = nullptr);

// The last answer of a message box (6 = Yes).
extern int MsgAnswer;

} // namespace dlg
