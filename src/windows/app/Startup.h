#pragma once
#include <QString>
#include <QStringList>
class QApplication;
class frmAMain;

namespace startup {
// Runs the program: fonts, splash, main window, event loop. Returns the exit code.
int Main(QApplication& app);
// The splash while the main window loads, then the main window shown. Returns the main window,
// or nullptr when it was unloaded during its first activation (the program then ends).
frmAMain* showMainWindow();
// The end of the session: SIGTERM (logout, shutdown), SIGHUP (the terminal went away) and SIGINT
// (Ctrl+C) reach the event loop, or the loop of a window or question open before it runs, and
// close every open question and modal window as if cancelled; then endSession runs. The session
// manager's request to save at logout keeps the settings and the backup at once; its quit then
// ends the loop. Installed once, at start, before the main window loads.
void installEndOfSession();
// Ends the program through the main window's own shutdown, as its close button does: the other
// windows close, the settings are written and the backup is made. With no main window left, the
// event loop ends.
void endSession();
// endSession, once every loop nested above the given event-loop level has ended (the handlers
// that were waiting on a question have returned), or after a few seconds when one does not end.
void endSessionAtLoopLevel(int level);
// Maps the Windows faces the program names to the IPA faces installed here.
void installFontSubstitutions();
// The command line as the program received it: the arguments after the program name, joined by
// blanks (empty when there are none).
QString databaseArgument(const QStringList& args);
// The database path a non-empty command line names. A path still wrapped in double quotes loses
// them (two double quotes alone leave an empty path); a single character names no file and
// throws db::DbError.
QString pathFromCommandLine(const QString& commandLine);
}
