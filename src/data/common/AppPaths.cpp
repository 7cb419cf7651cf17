#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace paths {
namespace {
QString s_override;

QString withSlash(QString p)
{
    if (!p.endsWith('/'))
        p += '/';
    return p;
}

bool folderWritable(const QString& folder)
{
    QTemporaryFile probe(folder + ".brevotane-write-probe-XXXXXX");
    return probe.open();
}
} // namespace

QString programFolder()
{
    if (!s_override.isEmpty())
        return withSlash(s_override);
    return withSlash(QCoreApplication::applicationDirPath());
}

void setProgramFolder(const QString& folder)
{
    s_override = folder;
}

QString writableFolder()
{
    const QString prog = programFolder();
    if (folderWritable(prog))
        return prog;
    const QString data = userFolder();
    QDir().mkpath(data);
    return data;
}

QString userFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString templatePath() { return programFolder() + QStringLiteral("Brevotane.idb"); }
QString backupPath() { return writableFolder() + QStringLiteral("BackupBrevotane.idb"); }
QString besideProgram(const QString& fileName) { return writableFolder() + fileName; }

QString normalized(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString existing = info.canonicalFilePath();
    if (!existing.isEmpty())
        return existing;
    // A file still to be made: its folder may exist and be reached through a link.
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (!folder.isEmpty())
        return QDir::cleanPath(folder + QLatin1Char('/') + info.fileName());
    return QDir::cleanPath(info.absoluteFilePath());
}

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty() && normalized(a) == normalized(b);
}

bool samePathIgnoringCase(const QString& a, const QString& b)
{
    return !a.isEmpty() && QString::compare(normalized(a), normalized(b), Qt::CaseInsensitive) == 0;
}

bool isTemplatePath(const QString& path)
{
    return samePathIgnoringCase(path, templatePath());
}
}
