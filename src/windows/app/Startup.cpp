#include "app/Startup.h"

#include "app/SingleInstance.h"
#include "app/frmAMain.h"
#include "app/frmSplash.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

#include <QApplication>
#include <QFont>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace startup {

namespace {
// A signal only writes a byte into this pair; the event loop reads it and ends the session there,
// where windows, files and settings may be touched.
int s_signalPair[2] = {-1, -1};
// Before the event loop runs, the main window's load and first activation run to their end
// first; a signal that comes then only closes their questions and windows, and the end follows
// (the first run given up ends the program by itself, as when cancelled).
bool s_loopRunning = false;
bool s_endPending = false;

void onEndSignal(int sig)
{
    const int saved = errno;
    const char byte = static_cast<char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(s_signalPair[0], &byte, 1);
    errno = saved;
}

void endSignalArrived()
{
    char bytes[16];
    while (::read(s_signalPair[1], bytes, sizeof bytes) > 0) {
    }
    // Nobody is left to answer: what is asked now or later is answered as if cancelled.
    dlg::endQuestions();
    forms::endModalWindows();
    if (s_loopRunning) {
        endSessionAtLoopLevel(1);
        return;
    }
    s_endPending = true;
}
} // namespace

void installEndOfSession()
{
    if (s_signalPair[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, s_signalPair) != 0)
        return;
    auto* notifier = new QSocketNotifier(s_signalPair[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { endSignalArrived(); });
    struct sigaction sa = {};
    sa.sa_handler = onEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &sa, nullptr);
    // At logout the session manager first asks the program to save what it holds. The same request
    // comes for a session checkpoint, and the logout may still be cancelled, so the program keeps
    // its settings and backup now and stays open; the session manager's quit that follows ends the
    // event loop, after which the main window's shutdown runs (see Main).
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [](QSessionManager& manager) {
        frmAMain* main = forms::find<frmAMain>();
        QString failure;
        if (main && !main->isUnloaded() && !main->keepSettingsAndBackup(&failure) && manager.allowsInteraction())
            dlg::Information(failure, main);
    });
}

namespace {
void endSessionWhenBackAt(int level, int triesLeft)
{
    if (QThread::currentThread()->loopLevel() > level && triesLeft > 0) {
        QTimer::singleShot(20, qApp, [level, triesLeft] { endSessionWhenBackAt(level, triesLeft - 1); });
        return;
    }
    endSession();
}
} // namespace

void endSessionAtLoopLevel(int level)
{
    // The handlers whose questions and windows were just closed are still on the stack, each in
    // its own nested loop; the main window is not taken from under them while they finish. A loop
    // that does not end by itself (a long import, say) only delays the end by about three seconds.
    endSessionWhenBackAt(level, 150);
}

void endSession()
{
    frmAMain* main = forms::find<frmAMain>();
    if (main && !main->isUnloaded()) {
        // A shutdown already under way (waiting on its message, say) goes on by itself.
        main->unload();
        return;
    }
    QCoreApplication::quit();
}

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
    installEndOfSession();
    singleinstance::start();
    frmAMain::setCommandLine(databaseArgument(app.arguments()));
    forms::setQuitWhenEmpty(true);
    // The first activation can end the program (the first-run flow closing the main window)
    // before the event loop runs; there is nothing left to wait for then but the windows it
    // closed, which only a loop would delete.
    if (!showMainWindow()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return 0;
    }
    s_loopRunning = true;
    if (s_endPending)
        QTimer::singleShot(0, qApp, [] { endSession(); });
    const int code = app.exec();
    s_loopRunning = false;
    // However the loop was ended, the main window's shutdown has run before the process goes.
    if (frmAMain* main = forms::find<frmAMain>())
        main->unload();
    return code;
}

}
