#pragma once
// Shared state and procedures every window may use.
#include "platform/Db.h"

#include <QString>

namespace global {
// The full path of the open database file.
extern QString DbFilePath;
// The printer and print font the print dialogs use, the main window's picture file, and the
// platform family line the printer setup reads.
extern QString PrintDeviceName;
extern QString PrintFontName;
// Position of the chosen printer in the printer list (0-based); kept for the whole run.
extern int PrinterIndex;
extern QString MainPictureFile;
extern QString WindowsFamily;
// Scratch key holders: set right before each use.
extern long LastShohinID;
extern long LastMaxID;
extern long LastTaniID;

// The key rule: a new row's key is the highest key of its table + 1 (GetMaxTanaID and its siblings
// below give the highest), never below 1, and no key is kept in a counter table. Every writer takes
// its keys this way: the entry, the master windows and the imports.

// Highest key of a table's key column, 0 for an empty table. For the categories and products also
// the highest of their keys that count lines carry, so a key whose row was deleted while lines
// still carry it is never given to a new row. Throws db::DbError.
long MaxKey(const QString& table, const QString& keyColumn);
// A table's keys are used up: the next key would leave the 32-bit range. The user is told so with
// kKeyRangeText, not with the connection failure message.
class KeyRangeError : public db::DbError {
public:
    using db::DbError::DbError;
};
extern const QString kKeyRangeText;

// The key a new row gets when its table's highest key is highest: highest + 1, and 1 for a table
// without positive keys. Throws KeyRangeError when the key would leave the 32-bit range.
long KeyAfter(long highest);
// The next key of a table: KeyAfter(MaxKey(...)). Throws db::DbError, and KeyRangeError when the key
// would leave the 32-bit range.
long NextKey(const QString& table, const QString& keyColumn);
// Highest key of the count lines (0 when empty).
long GetMaxTanaID();
// Highest key of the product, category and unit tables (0 when empty; products and categories
// counting the keys count lines carry, as MaxKey), also left in LastShohinID, LastMaxID and
// LastTaniID. The category maximum includes row 0.
long GetMaxShohinID();
long GetMaxKoumokuID();
long GetMaxTaniID();

// Typed text as it is stored: a UTF-16 unit that is half of a surrogate pair without its other half
// (no character at all) is left out; every other character stays as it was. The database would
// otherwise take such a unit together with the character after it as one character.
QString StorableText(const QString& typed);

// Bytes the text takes in code page 932 (full-width 2, ASCII and half-width katakana 1).
int LenB_Ansi(const QString& text);

// The program's version as major.minor.revision.
QString VersionText();
}
