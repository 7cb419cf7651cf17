#pragma once
// The settings store: text values under the application title "Brevotane", by section and key.
#include <QString>

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = QString());
// False when the value could not be written to the store (a folder or file that cannot be
// written).
bool SaveSetting(const QString& section, const QString& key, const QString& value);
// How many writes have failed in this run: a step that saves several settings compares the count
// before and after.
int SettingWriteFailures();
