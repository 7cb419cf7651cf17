#pragma once
#include <QString>
#include <QStringList>
class QApplication;

namespace startup {
// Runs the program: fonts, splash, main window, event loop. Returns the exit code.
int Main(QApplication& app);
// Maps the Windows faces the program names to the IPA faces installed here.
void installFontSubstitutions();
// The command-line argument as the database path: a path still wrapped in double quotes loses them.
QString databaseArgument(const QStringList& args);
}
