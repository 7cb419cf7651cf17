#pragma once
// Where the files "beside the executable" live: the template, the backup, the compaction target,
// the mapping files and the help file.
#include <QString>

namespace paths {
// The program folder, ending in a separator.
QString programFolder();
// Tests point the program folder elsewhere; an empty path restores the executable's folder.
void setProgramFolder(const QString& folder);
// The program folder when it is writable, else the per-user data folder (created on demand);
// files the program writes beside itself go here.
QString writableFolder();

QString templatePath();   // the program folder + Brevotane.idb (always read from the program folder)
QString backupPath();     // BackupBrevotane.idb in the writable folder
QString compactPath();    // CompactFileName.idb in the writable folder
QString besideProgram(const QString& fileName);   // a writable file's path, e.g. the mapping files

// True when the path names the template (letter case ignored).
bool isTemplatePath(const QString& path);
// Compares two paths as the file commands do: letter case ignored.
bool samePathIgnoringCase(const QString& a, const QString& b);
}
