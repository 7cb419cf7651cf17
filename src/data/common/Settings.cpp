#include "common/Settings.h"

#include <QSettings>

namespace {
int s_failures = 0;

QSettings& store()
{
    static QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevotane"),
                       QStringLiteral("Brevotane"));
    return s;
}
}

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings& s = store();
    s.sync();
    return s.value(section + '/' + key, defaultValue).toString();
}

bool SaveSetting(const QString& section, const QString& key, const QString& value)
{
    // A store of its own per write: its status tells about this write only, not an earlier one.
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevotane"), QStringLiteral("Brevotane"));
    s.setValue(section + '/' + key, value);
    s.sync();
    if (s.status() == QSettings::NoError)
        return true;
    ++s_failures;
    return false;
}

int SettingWriteFailures()
{
    return s_failures;
}
