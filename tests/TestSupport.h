#pragma once
// Shared test scaffolding: an isolated settings store and program folder, a scripted dialog
// backend, and database files copied from the generated template.
#include "platform/Dialogs.h"
#include "platform/PrinterCollection.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>
#include <sys/resource.h>

namespace testsupport {

// Points the settings and data folders at a fresh temporary folder; call before QApplication.
void prepareEnvironment();

class Env {
public:
    Env();
    ~Env();
    // The program folder (with the template in it), ending in '/'.
    QString programFolder() const;
    // A fresh copy of the template under the temporary folder.
    QString newDatabase(const QString& name = QStringLiteral("work.idb")) const;
    QString path(const QString& name) const;
    // Opens the shared connection on a fresh copy of the template; returns its path.
    QString openNewDatabase(const QString& name = QStringLiteral("work.idb")) const;
    void clearSettings() const;

    dlg::ScriptedBackend dialogs;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// One recording printer as the whole printer list while it lives, for the print dialogs.
class OnePrinter : public prn::Collection {
public:
    OnePrinter();
    ~OnePrinter() override;
    QStringList names() const override;
    std::unique_ptr<prn::PrinterObject> open(int index) const override;
};

// Types text into the focused widget as the keyboard would, one key event per character (works
// for Japanese text, which QTest::keyClicks cannot type).
void typeText(QWidget* w, const QString& text);

// Presses the keys as a person does, each into the control that has the focus then: characters
// as typed (Latin-1), <Tab>, <BackTab>, <Enter>, <Esc>, <Up>, <Down>, <BS>, <F2> and <Alt+X>.
void pressKeys(const QString& keys);

// The rows a query reads on the shared connection, each as its fields' texts joined by '|'.
QStringList queryRows(const QString& sql, const QVariantList& args = {});

// Every file write past the given size fails while it lives, as on a full disk (permission bits
// cannot make a write fail for root).
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 4096);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
private:
    rlimit m_old{};
};

// Another program holding the database file: a connection of its own that has begun a write and
// keeps every other connection out (reading too) until it lets go.
class HeldFile {
public:
    explicit HeldFile(const QString& path);
    ~HeldFile();
    bool ok() const { return m_ok; }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    bool m_ok = false;
};

// The folder cannot be written while this lives, by root neither: bound onto itself read-only in
// a mount namespace of this thread's own, so nothing outside the test sees it. ok is false where
// the test may not make one.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    bool ok() const { return m_ok; }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    QByteArray m_folder;
    bool m_bound = false;
    bool m_ok = false;
};

// A database file that takes no write, as a data row names it: "held" (another program holds it),
// "full" (the disk is full) or "readonly" (its folder is a read-only file system). The file is made
// in a folder of its own, for the test to fill. Any other condition changes nothing.
class UnwritableFile {
public:
    // The columns condition and cause (db::Cause), and one row for each condition.
    static void addRows();
    UnwritableFile(const Env& env, const QString& condition);
    QString path() const { return m_path; }
    // Makes the folder read-only (before the file is opened: SQLite opens a file it may not write
    // for reading only); false where the test may not.
    bool protect();
    // Another program takes the file, or the disk fills up, until release().
    void failNow();
    void release();

private:
    QString m_condition;
    QString m_path;
    std::optional<ReadOnlyFolder> m_readOnly;
    std::optional<HeldFile> m_held;
    std::optional<FullDisk> m_full;
};

// The messages that hold a Latin letter: the engine's English or a statement shown to the user.
QStringList withLatinLetters(const QStringList& messages);

} // namespace testsupport

#define BREVOTANE_TEST_MAIN(TestClass)                       \
    int main(int argc, char** argv)                          \
    {                                                        \
        testsupport::prepareEnvironment();                   \
        QApplication app(argc, argv);                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);             \
        TestClass tc;                                        \
        return QTest::qExec(&tc, argc, argv);                \
    }
