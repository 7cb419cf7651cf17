#pragma once
// A private CUPS spooler for tests: its own configuration, spool and socket under a temporary
// folder, queues whose jobs land in files, and a helper that runs a command-line tool (pdftotext,
// pdfinfo, ...) and returns what it printed. The test's main() points CUPS_SERVER at a socket in a
// temporary folder before the application starts.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

namespace cupsfixture {

// Runs the tool and returns what it printed, or a text saying why it failed.
QString run(const QString& program, const QStringList& args);

// A private spooler: its own configuration, spool and socket under a temporary folder, listening
// where CUPS_SERVER points, nothing of the machine's own CUPS touched. Its queues hand each job to a
// backend that copies the job's data into a file.
class PrivateSpooler {
public:
    ~PrivateSpooler();

    // Starts the spooler; empty when it runs, else why it does not.
    QString start();

    // A queue whose jobs land in out/<name>-<job>.pdf; empty when it was added.
    QString addQueue(const QString& name, const QString& ppd = {});

    // Removes a queue, or makes it refuse new jobs, as an administrator would while the program
    // runs; empty when done.
    QString removeQueue(const QString& name);
    QString rejectJobs(const QString& name);

    // An office laser's description: A4 and Letter, with an unprintable border of 12 points at the
    // sides and 18 at the top and bottom; its documents go to the backend as they are.
    QString writeOfficePpd();

    // A laser with three trays, a manual feed and an envelope feeder, six papers (two of them
    // without a standard paper code: a postcard and a label sheet) and JIS B5 as its default
    // paper, starting on the given input slot.
    QString writeTraysPpd(const QString& defaultSlot);

    QString outPath(const QString& name) const;

    // Waits for the queue's output file (the spooler works on its own time).
    bool waitForOutput(const QString& name) const;

private:
    static QString admin(const QString& tool, const QStringList& args);
    void write(const QString& rel, const QString& text);

    QTemporaryDir m_dir;
    QProcess m_daemon;
};

} // namespace cupsfixture

// Starts the private spooler, or skips the test where this machine cannot run one.
#define CUPSFIXTURE_START_OR_SKIP(spooler)                                                         \
    do {                                                                                           \
        const QString whyNot = (spooler).start();                                                  \
        if (!whyNot.isEmpty())                                                                     \
            QSKIP(qPrintable(whyNot));                                                             \
    } while (false)

// main() of a test that reaches CUPS: its print queues come from a socket in a folder of the test's
// own (socket: the socket's name there), never from the machine's spooler.
#define BREVOTANE_CUPS_TEST_MAIN(TestClass, socket)                                                  \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        testsupport::prepareEnvironment();                                                         \
        static QTemporaryDir cupsDir;                                                              \
        qputenv("CUPS_SERVER", QFile::encodeName(cupsDir.path() + QStringLiteral("/" socket)));    \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass tc;                                                                              \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
