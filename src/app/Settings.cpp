#include "app/Settings.h"

#include <QSettings>

namespace {
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

void SaveSetting(const QString& section, const QString& key, const QString& value)
{
    QSettings& s = store();
    s.setValue(section + '/' + key, value);
    s.sync();
}
