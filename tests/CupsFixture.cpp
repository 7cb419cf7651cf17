#include "CupsFixture.h"

#include <QDir>
#include <QStandardPaths>
#include <QThread>

namespace cupsfixture {

namespace {

// The lines every test description starts with, up to the paper size choice: a grey PostScript
// laser of 600 dpi whose documents go to the backend as they are.
#define CUPSFIXTURE_PPD_HEAD(fileName, product, model)                                             \
    "*PPD-Adobe: \"4.3\"\n"                                                                      \
    "*FormatVersion: \"4.3\"\n"                                                                  \
    "*FileVersion: \"1.0\"\n"                                                                    \
    "*LanguageVersion: English\n"                                                                \
    "*LanguageEncoding: ISOLatin1\n"                                                             \
    "*PCFileName: \"" fileName "\"\n"                                                            \
    "*Manufacturer: \"Test\"\n"                                                                  \
    "*Product: \"(" product ")\"\n"                                                              \
    "*ModelName: \"" model "\"\n"                                                                \
    "*ShortNickName: \"" model "\"\n"                                                            \
    "*NickName: \"" model "\"\n"                                                                 \
    "*PSVersion: \"(3010.000) 0\"\n"                                                             \
    "*LanguageLevel: \"3\"\n"                                                                    \
    "*ColorDevice: False\n"                                                                      \
    "*DefaultColorSpace: Gray\n"                                                                 \
    "*FileSystem: False\n"                                                                       \
    "*Throughput: \"1\"\n"                                                                       \
    "*LandscapeOrientation: Plus90\n"                                                            \
    "*TTRasterizer: Type42\n"                                                                    \
    "*cupsFilter: \"application/pdf 0 -\"\n"                                                     \
    "*DefaultResolution: 600dpi\n"                                                               \
    "*OpenUI *PageSize/Media Size: PickOne\n"                                                    \
    "*OrderDependency: 10 AnySetup *PageSize\n"

const char kOfficePpd[] =
    CUPSFIXTURE_PPD_HEAD("OFFICE.PPD", "Office", "Office Laser")
    "*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageSize Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageRegion\n"
    "*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageRegion Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n"
    "*ImageableArea A4/A4: \"12 18 583 824\"\n"
    "*ImageableArea Letter/US Letter: \"12 18 600 774\"\n"
    "*DefaultPaperDimension: A4\n"
    "*PaperDimension A4/A4: \"595 842\"\n"
    "*PaperDimension Letter/US Letter: \"612 792\"\n"
    "*DefaultFont: Courier\n"
    "*Font Courier: Standard \"(002.004S)\" Standard ROM\n"
;

// A laser with three trays, a manual feed and an envelope feeder, six papers (two of them without
// a standard paper code: a postcard and a label sheet) and JIS B5 as its default paper. The input
// slot it starts on is given when the description is written.
const char kTraysPpdHead[] =
    CUPSFIXTURE_PPD_HEAD("TRAYS.PPD", "Trays", "Tray Laser")
    "*DefaultPageSize: B5\n"
    "*PageSize Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageSize B5/JIS B5: \"<</PageSize[516 729]>>setpagedevice\"\n"
    "*PageSize A3/A3: \"<</PageSize[842 1191]>>setpagedevice\"\n"
    "*PageSize Postcard/Hagaki: \"<</PageSize[283 420]>>setpagedevice\"\n"
    "*PageSize Label60/Label 60x90: \"<</PageSize[170 255]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageRegion\n"
    "*DefaultPageRegion: B5\n"
    "*PageRegion Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageRegion B5/JIS B5: \"<</PageSize[516 729]>>setpagedevice\"\n"
    "*PageRegion A3/A3: \"<</PageSize[842 1191]>>setpagedevice\"\n"
    "*PageRegion Postcard/Hagaki: \"<</PageSize[283 420]>>setpagedevice\"\n"
    "*PageRegion Label60/Label 60x90: \"<</PageSize[170 255]>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: B5\n"
    "*ImageableArea Letter/US Letter: \"12 18 600 774\"\n"
    "*ImageableArea A4/A4: \"12 18 583 824\"\n"
    "*ImageableArea B5/JIS B5: \"12 18 504 711\"\n"
    "*ImageableArea A3/A3: \"12 18 830 1173\"\n"
    "*ImageableArea Postcard/Hagaki: \"12 18 271 402\"\n"
    "*ImageableArea Label60/Label 60x90: \"6 6 164 249\"\n"
    "*DefaultPaperDimension: B5\n"
    "*PaperDimension Letter/US Letter: \"612 792\"\n"
    "*PaperDimension A4/A4: \"595 842\"\n"
    "*PaperDimension B5/JIS B5: \"516 729\"\n"
    "*PaperDimension A3/A3: \"842 1191\"\n"
    "*PaperDimension Postcard/Hagaki: \"283 420\"\n"
    "*PaperDimension Label60/Label 60x90: \"170 255\"\n"
    "*OpenUI *InputSlot/Media Source: PickOne\n"
    "*OrderDependency: 20 AnySetup *InputSlot\n";
const char kTraysPpdTail[] =
    "*InputSlot Upper/Upper Tray: \"<</MediaPosition 0>>setpagedevice\"\n"
    "*InputSlot Lower/Lower Tray: \"<</MediaPosition 1>>setpagedevice\"\n"
    "*InputSlot Tray3/Tray 3: \"<</MediaPosition 4>>setpagedevice\"\n"
    "*InputSlot Manual/Manual Feed: \"<</MediaPosition 2>>setpagedevice\"\n"
    "*InputSlot Envelope/Envelope Feeder: \"<</MediaPosition 3>>setpagedevice\"\n"
    "*CloseUI: *InputSlot\n"
    "*DefaultFont: Courier\n"
    "*Font Courier: Standard \"(002.004S)\" Standard ROM\n";

} // namespace

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

PrivateSpooler::~PrivateSpooler()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished(10000);
    }
}

QString PrivateSpooler::start()
{
    const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
    if (!QFile::exists(cupsd) || QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty())
        return QStringLiteral("cupsd or lpadmin is not installed");
    const QString socket = qEnvironmentVariable("CUPS_SERVER");
    const QString root = m_dir.path();
    for (const char* sub : {"conf", "spool", "tmp", "cache", "state", "log", "bin/backend", "out"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/tmp"), QFileDevice::Permissions(0x7777));
    write(QStringLiteral("conf/cups-files.conf"),
          QStringLiteral("ServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                         "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                         "PageLog %1/log/page_log\nServerBin %1/bin\nDataDir /usr/share/cups\n")
              .arg(root));
    write(QStringLiteral("conf/cupsd.conf"),
          QStringLiteral("Listen %1\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                         "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                         "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n")
              .arg(socket));
    // The scheduler starts backends through its own helpers.
    QFile::link(QStringLiteral("/usr/lib/cups/daemon"), root + QStringLiteral("/bin/daemon"));
    QFile::link(QStringLiteral("/usr/lib/cups/filter"), root + QStringLiteral("/bin/filter"));
    // Run as root (mode 0700), so it may write wherever the test's folder is.
    const QString backend = QStringLiteral("bin/backend/tofile");
    write(backend, QStringLiteral("#!/bin/sh\n[ $# -eq 0 ] && { echo 'file tofile \"Unknown\" \"Job to file\"'; exit 0; }\n"
                                  "out=\"${DEVICE_URI#tofile:}\"\n"
                                  "if [ -n \"$6\" ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
                                  "mv \"$out.part\" \"$out\"\n"));
    QFile::setPermissions(root + QLatin1Char('/') + backend,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_daemon.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/conf/cupsd.conf"),
                           QStringLiteral("-s"), root + QStringLiteral("/conf/cups-files.conf")});
    if (!m_daemon.waitForStarted(10000))
        return QStringLiteral("cupsd did not start");
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
        QThread::msleep(100);
    return QFile::exists(socket) ? QString() : QStringLiteral("cupsd did not listen");
}

QString PrivateSpooler::addQueue(const QString& name, const QString& ppd)
{
    QProcess p;
    QStringList args = {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                        QStringLiteral("tofile:") + outPath(name)};
    args << (ppd.isEmpty() ? QStringList{QStringLiteral("-m"), QStringLiteral("raw")} : QStringList{QStringLiteral("-P"), ppd});
    p.start(QStringLiteral("lpadmin"), args);
    p.waitForFinished(30000);
    return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
}

QString PrivateSpooler::removeQueue(const QString& name)
{
    return admin(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
}

QString PrivateSpooler::rejectJobs(const QString& name)
{
    return admin(QStringLiteral("cupsreject"), {name});
}

QString PrivateSpooler::writeOfficePpd()
{
    write(QStringLiteral("office.ppd"), QString::fromLatin1(kOfficePpd));
    return m_dir.path() + QStringLiteral("/office.ppd");
}

QString PrivateSpooler::writeTraysPpd(const QString& defaultSlot)
{
    const QString rel = QStringLiteral("trays-") + defaultSlot + QStringLiteral(".ppd");
    write(rel, QString::fromLatin1(kTraysPpdHead) + QStringLiteral("*DefaultInputSlot: ") + defaultSlot +
                   QLatin1Char('\n') + QString::fromLatin1(kTraysPpdTail));
    return m_dir.path() + QLatin1Char('/') + rel;
}

QString PrivateSpooler::outPath(const QString& name) const
{
    return m_dir.path() + QStringLiteral("/out/") + name + QStringLiteral(".pdf");
}

bool PrivateSpooler::waitForOutput(const QString& name) const
{
    for (int i = 0; i < 200 && !QFile::exists(outPath(name)); ++i)
        QThread::msleep(100);
    return QFile::exists(outPath(name));
}

QString PrivateSpooler::admin(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(30000);
    return p.exitCode() == 0 ? QString() : tool + QStringLiteral(": ") + QString::fromUtf8(p.readAllStandardError());
}

void PrivateSpooler::write(const QString& rel, const QString& text)
{
    QFile f(m_dir.path() + QLatin1Char('/') + rel);
    f.open(QIODevice::WriteOnly);
    f.write(text.toUtf8());
}

} // namespace cupsfixture
