#include "platform/Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QHash>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTranslator>

#include <cstdio>

namespace dlg {

int MsgAnswer = 0;

namespace {
bool s_questionsEnded = false;

// The answer a question gets once nobody is left to give one.
int unseen(const QString& title, const QString& text, bool yesNo)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    return yesNo ? vbNo : vbOK;
}
} // namespace

void endQuestions(bool ended)
{
    s_questionsEnded = ended;
    if (!ended)
        return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(w);
        if (d && d->isVisible())
            d->reject();
    }
}

Held<QMessageBox> messageBox(QWidget* parent, const QString& title, const QString& text, Icon icon, bool yesNo)
{
    Held<QMessageBox> box(new QMessageBox(parent ? parent : QApplication::activeWindow()));
    box->setWindowTitle(title);
    box->setText(text);
    switch (icon) {
    case Icon::Information: box->setIcon(QMessageBox::Information); break;
    case Icon::Question: box->setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box->setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box->setIcon(QMessageBox::Critical); break;
    case Icon::None: box->setIcon(QMessageBox::NoIcon); break;
    }
    if (yesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    return box;
}

Held<QFileDialog> fileDialog(QWidget* parent, const QString& title, const QString& filter, int filterIndex,
                             bool save)
{
    Held<QFileDialog> d(new QFileDialog(parent ? parent : QApplication::activeWindow(), title));
    d->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Qt's own dialog, whose labels Qt's Japanese texts cover; a desktop's native dialog would
    // speak whatever language that desktop is set to.
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    // The windows ask their own overwrite question.
    d->setOption(QFileDialog::DontConfirmOverwrite, true);
    // A name that does not exist yet may be typed in an open dialog: that is how the first run
    // and 新規作成 name a new database file.
    d->setFileMode(QFileDialog::AnyFile);
    const QStringList filters = filter.split(";;", Qt::SkipEmptyParts);
    d->setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        d->selectNameFilter(filters.at(filterIndex - 1));
    return d;
}

namespace {

// The file dialog's type column takes its words from a context Qt's Japanese texts do not cover
// yet; without these a folder would read "Folder" and a text file "txt File" amid Japanese.
class FileTypeTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const QHash<QByteArray, QString> words = {
            {"Folder", QStringLiteral("フォルダー")},
            {"File Folder", QStringLiteral("フォルダー")},
            {"Drive", QStringLiteral("ドライブ")},
            {"File", QStringLiteral("ファイル")},
            {"%1 File", QStringLiteral("%1 ファイル")},
        };
        return words.value(QByteArray(source));
    }
};

} // namespace

bool installJapaneseTexts()
{
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    auto* t = new QTranslator(qApp);
    if (!t->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(new FileTypeTexts(qApp));
    QCoreApplication::installTranslator(t);
    installed = t;
    return true;
}

namespace {

class DesktopBackend : public Backend {
public:
    int message(QWidget* parent, const QString& title, const QString& text, Icon icon, bool yesNo) override
    {
        const Held<QMessageBox> box = messageBox(parent, title, text, icon, yesNo);
        const int result = box->exec();
        if (!box)
            return yesNo ? vbNo : vbOK;   // closed with its window
        if (yesNo)
            return result == QMessageBox::Yes ? vbYes : vbNo;
        return vbOK;
    }

    std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& filter,
                                    int filterIndex) override
    {
        return run(parent, title, filter, filterIndex, QFileDialog::AcceptOpen);
    }

    std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& filter,
                                    int filterIndex) override
    {
        return run(parent, title, filter, filterIndex, QFileDialog::AcceptSave);
    }

    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial, bool fixedPitchOnly) override
    {
        const Held<QFontDialog> d(new QFontDialog(parent));
        d->setOptions(fixedPitchOnly ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions());
        d->setCurrentFont(initial);
        if (d->exec() != QDialog::Accepted || !d)
            return std::nullopt;
        return d->selectedFont();
    }

    bool openExternal(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    PropertySheet printerProperties(QWidget* parent, const QString& printerName) override
    {
        const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
        if (info.isNull())
            return {};
        QPrinter printer(info);
        // A printer object starts on A4 whatever the queue's default: the sheet opens on the
        // queue's own default paper (the user's, where set), so that OK alone changes nothing.
        const QPageSize queueDefault = info.defaultPageSize();
        if (queueDefault.isValid())
            printer.setPageSize(queueDefault);
        const QPageSize opened = printer.pageLayout().pageSize();
        const Held<QPageSetupDialog> d(new QPageSetupDialog(&printer, parent));
        PropertySheet sheet;
        sheet.shown = true;
        if (d->exec() == QDialog::Accepted && d && !printer.pageLayout().pageSize().isEquivalentTo(opened))
            sheet.paper = printer.pageLayout().pageSize();
        return sheet;
    }

private:
    static std::optional<QString> run(QWidget* parent, const QString& title, const QString& filter,
                                      int filterIndex, QFileDialog::AcceptMode mode)
    {
        const Held<QFileDialog> d = fileDialog(parent, title, filter, filterIndex, mode == QFileDialog::AcceptSave);
        if (d->exec() != QDialog::Accepted || !d || d->selectedFiles().isEmpty())
            return std::nullopt;
        return d->selectedFiles().first();
    }
};

DesktopBackend s_desktop;
Backend* s_backend = &s_desktop;

} // namespace

void setBackend(Backend* backend)
{
    s_backend = backend ? backend : &s_desktop;
}

Backend& backend()
{
    return *s_backend;
}

QString convertFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts.at(i);
        QString pattern = parts.at(i + 1);
        if (label.isEmpty() && pattern.isEmpty())
            continue;
        // "*.*" means every file to the users of this filter form; Qt's "*.*" wants a dot in the
        // name and would hide a file named without one. The label shows the pattern applied.
        if (pattern == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
            if (label.trimmed().endsWith(QLatin1String("(*.*)")))
                label = label.trimmed().chopped(5) + QStringLiteral("(*)");
        }
        // Qt reads the patterns from the last parentheses, so a label that already shows its
        // pattern is kept as it stands.
        if (label.trimmed().endsWith("(" + pattern + ")"))
            out << label;
        else
            out << label + " (" + pattern + ")";
    }
    return out.join(";;");
}

namespace {
int message(QWidget* parent, const QString& title, const QString& text, Icon icon, bool yesNo)
{
    if (s_questionsEnded)
        return unseen(title, text, yesNo);
    return backend().message(parent, title, text, icon, yesNo);
}
} // namespace

void Information(const QString& text, QWidget* parent)
{
    MsgAnswer = message(parent, QStringLiteral("Information"), text, Icon::Information, false);
}

int Question(const QString& text, QWidget* parent)
{
    MsgAnswer = message(parent, QStringLiteral("Question"), text, Icon::Question, true);
    return MsgAnswer;
}

void MsgBox(const QString& text, Icon icon, const QString& title, QWidget* parent)
{
    MsgAnswer = message(parent, title, text, icon, false);
}

std::optional<QString> OpenFile(const QString& title, const QString& pipeFilter, int filterIndex, QWidget* parent)
{
    if (s_questionsEnded)
        return std::nullopt;
    return backend().openFile(parent, title, convertFilter(pipeFilter), filterIndex);
}

std::optional<QString> SaveFile(const QString& title, const QString& pipeFilter, int filterIndex, QWidget* parent)
{
    if (s_questionsEnded)
        return std::nullopt;
    return backend().saveFile(parent, title, convertFilter(pipeFilter), filterIndex);
}

std::optional<QFont> ChooseFont(const QFont& initial, QWidget* parent, bool fixedPitchOnly)
{
    if (s_questionsEnded)
        return std::nullopt;
    return backend().chooseFont(parent, initial, fixedPitchOnly);
}

bool OpenExternal(const QUrl& url)
{
    return backend().openExternal(url);
}

PropertySheet Backend::printerProperties(QWidget*, const QString&)
{
    return {};
}

PropertySheet PrinterProperties(const QString& printerName, QWidget* parent)
{
    if (s_questionsEnded)
        return {};
    return backend().printerProperties(parent, printerName);
}

// --- scripted backend -------------------------------------------------------------------------

int ScriptedBackend::message(QWidget*, const QString& title, const QString& text, Icon icon, bool yesNo)
{
    int answer = yesNo ? vbNo : vbOK;
    if (!answers.isEmpty())
        answer = answers.takeFirst();
    shown.append({QStringLiteral("message"), title, text, icon, yesNo, answer, QFont(), false});
    return answer;
}

namespace {
// The next queued file name (none: cancelled), the dialog noted as shown.
std::optional<QString> takeFile(ScriptedBackend& b, const QString& kind, const QString& title, const QString& filter)
{
    std::optional<QString> f;
    if (!b.files.isEmpty())
        f = b.files.takeFirst();
    b.shown.append({kind, title, filter, Icon::None, false, f ? 1 : 0, QFont(), false});
    return f;
}
} // namespace

std::optional<QString> ScriptedBackend::openFile(QWidget*, const QString& title, const QString& filter, int)
{
    return takeFile(*this, QStringLiteral("open"), title, filter);
}

std::optional<QString> ScriptedBackend::saveFile(QWidget*, const QString& title, const QString& filter, int)
{
    return takeFile(*this, QStringLiteral("save"), title, filter);
}

std::optional<QFont> ScriptedBackend::chooseFont(QWidget*, const QFont& initial, bool fixedPitchOnly)
{
    std::optional<QFont> f;
    if (!fonts.isEmpty())
        f = fonts.takeFirst();
    shown.append({QStringLiteral("font"), QString(), initial.family(), Icon::None, false, f ? 1 : 0, initial,
                  fixedPitchOnly});
    return f;
}

bool ScriptedBackend::openExternal(const QUrl& url)
{
    shown.append({QStringLiteral("url"), QString(), url.toString(), Icon::None, false, externalResult ? 1 : 0, QFont(), false});
    return externalResult;
}

PropertySheet ScriptedBackend::printerProperties(QWidget*, const QString& printerName)
{
    PropertySheet sheet{true, std::nullopt};
    if (!sheets.isEmpty())
        sheet = sheets.takeFirst();
    shown.append({QStringLiteral("printer"), QString(), printerName, Icon::None, false, sheet.shown ? 1 : 0, QFont(), false});
    return sheet;
}

QStringList ScriptedBackend::messages() const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}

void ScriptedBackend::clear()
{
    answers.clear();
    files.clear();
    fonts.clear();
    sheets.clear();
    shown.clear();
}

} // namespace dlg
