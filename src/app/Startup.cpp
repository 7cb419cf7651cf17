#include "app/Startup.h"

#include "app/SingleInstance.h"
#include "app/frmAMain.h"
#include "app/frmSplash.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace startup {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

QString databaseArgument(const QStringList& args)
{
    // A path with blanks that reached us unquoted was split by the shell; it is one path again.
    return args.mid(1).join(QLatin1Char(' '));
}

QString pathFromCommandLine(const QString& commandLine)
{
    if (commandLine.size() < 2)
        throw db::DbError(QStringLiteral("no file name on the command line: %1").arg(commandLine));
    // The shell normally removes the quotes; a path quoted twice still carries one pair.
    if (commandLine.startsWith(QLatin1Char('"')) && commandLine.endsWith(QLatin1Char('"')))
        return commandLine.mid(1, commandLine.size() - 2);
    return commandLine;
}

frmAMain* showMainWindow()
{
    auto* splash = forms::get<frmSplash>();
    splash->showModeless();
    // Drawn now: the main window's load that follows does not return to the event loop.
    splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    auto* main = forms::get<frmAMain>();
    splash->unload();
    main->showModeless();
    if (main->isUnloaded())
        return nullptr;
    return main;
}

int Main(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Brevotane"));
    QApplication::setOrganizationName(QStringLiteral("Brevotane"));
    installFontSubstitutions();
    // The standard buttons and file dialogs in the program's language, whatever the system's is.
    dlg::installJapaneseTexts();
    singleinstance::start();
    frmAMain::setCommandLine(databaseArgument(app.arguments()));
    forms::setQuitWhenEmpty(true);
    // The first activation can end the program (the first-run flow closing the main window)
    // before the event loop runs; there is nothing left to wait for then.
    if (!showMainWindow())
        return 0;
    return app.exec();
}

}
