#pragma once
// The settings store: text values under the application title "Brevotane", by section and key.
#include <QString>

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = QString());
void SaveSetting(const QString& section, const QString& key, const QString& value);
