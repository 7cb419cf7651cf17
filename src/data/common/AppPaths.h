#pragma once
// Where the files "beside the executable" live: the template, the backup, the mapping files and the
// help file; and how two paths are found to name the same file.
#include <QString>

namespace paths {
// The program folder, ending in a separator.
QString programFolder();
// Tests point the program folder elsewhere; an empty path restores the executable's folder.
void setProgramFolder(const QString& folder);
// The program folder when it is writable, else the per-user data folder (created on demand);
// files the program writes beside itself go here.
QString writableFolder();
// The per-user data folder, ending in a separator; not created.
QString userFolder();

QString templatePath();   // the program folder + Brevotane.idb (always read from the program folder)
QString backupPath();     // BackupBrevotane.idb in the writable folder
QString besideProgram(const QString& fileName);   // a writable file's path, e.g. the mapping files

// The path made absolute and clean, with symbolic links resolved as far as the file or its folder
// exists, so that every spelling of one file gives one text ("" stays "").
QString normalized(const QString& path);
// True when the path names the template (letter case ignored), however it is written.
bool isTemplatePath(const QString& path);
// Two paths name the same file: compared as normalized paths, exactly or with letter case ignored.
bool samePath(const QString& a, const QString& b);
bool samePathIgnoringCase(const QString& a, const QString& b);
}
