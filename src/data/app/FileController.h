#pragma once
// Switching the open database file: the file at start, new, open, save as, the backup, repair and
// compaction. Each command closes the shared connection, works on the files through dbfile and
// connects again; when the work fails half-way, the file that was open before is opened again. The
// commands ask and show nothing: the window hands in the name the user chose, answers the one
// question asked half-way (may an existing file be replaced), and tells the user what the result
// says. The open file's path is kept in global::DbFilePath, where the rest of the program reads it.
#include <QString>
#include <functional>
#include <optional>

namespace dbfile {

// How a file command ended.
struct FileResult {
    enum class Outcome { Done, Refused, Cancelled };
    Outcome outcome = Outcome::Done;
    // Refused: what the user is told; empty when the command gives up without a word.
    QString message;
    // Done: the file now open failed the check of its pages (the user is warned: work could go on
    // and be lost with it).
    bool damaged = false;
    // Done: the file now open can be read but nothing can be saved in it (the user is told once,
    // and it stays open for reading).
    bool readOnly = false;
    // A file was connected to by its name, whether it opened or not: the status bar names it.
    bool connectAttempted = false;
    // Compaction: the file's length in bytes before and after, -1 where the work did not get.
    qint64 sizeBefore = -1;
    qint64 sizeAfter = -1;

    bool done() const { return outcome == Outcome::Done; }
};

// The window's part while a command runs, without a widget: whether an existing file may be
// replaced (the user is asked), and word that the work on the named file begins (the window shows
// the name). Unset, no existing file is replaced and nothing is shown.
struct FileSteps {
    std::function<bool(const QString& path)> mayReplace;
    std::function<void(const QString& path)> starting;
};

class FileController {
public:
    // Whether the program works in a file. It stays set while a command has the connection closed,
    // so that a failed command opens the file that was open before again.
    bool connected() const { return Connected; }
    QString path() const;

    // The file chosen at start (the setting or the command line): opened without keeping it in
    // the setting.
    FileResult openAtStart(const QString& path);
    // The first run, on the template: a working file is made from the template under the chosen
    // name. The template is closed before the user is asked whether an existing file may be
    // replaced. Nothing is rolled back: whatever fails, the program ends.
    FileResult firstFile(const std::optional<QString>& chosen, const FileSteps& steps);
    // A new working file made from the template under the chosen name (the template's own name is
    // refused); a copy that fails goes back to the file open before, without a word.
    FileResult newFile(const std::optional<QString>& chosen, const FileSteps& steps);
    // Opens the chosen file; a file that does not open leaves none open.
    FileResult open(const std::optional<QString>& chosen);
    // Copies the open file to the chosen name and goes on working in the copy; neither the open
    // file nor the template may be written over. A cancelled choice and a failed copy are both
    // told as a failed save; after a failed copy the open file is opened again.
    FileResult saveAs(const std::optional<QString>& chosen, const FileSteps& steps);
    FileResult openBackup();
    // Repairs and compacts the open file in place and opens it again. A file the repair cannot
    // mend is opened again as it is; when another connection holds the file, none is left open.
    FileResult repairAndCompactOpenFile();

private:
    // Closes the shared connection while a file is open; the flag stays (the next connect sets it).
    void closeStep();
    // Opens the named file as the working file and keeps it in the setting.
    FileResult ConnectDatabase(const QString& path);
    // Replaces the file by a copy of the template; false when the copy could not be made.
    bool makeFromTemplate(const QString& path);
    // The work failed after the connection was closed: back to the file open before.
    void rollBack(const QString& previous);
    // Opens the working file again; the flag tells whether it opened.
    void reopen();

    bool Connected = false;
};

} // namespace dbfile
