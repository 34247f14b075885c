#pragma once
// The per-user settings store: string values under the maker key
// "Corvane inc.", the product key "VELMORA...." and its sub-keys "Settings"
// and "History". Kept in an INI file in the user's configuration folder
// (~/.config/Corvane inc./VELMORA.....conf).
//
// The store reads the file once, with QSettings, and keeps its values. A
// write holds a lock on the file NAME.lock beside it, NAME being the file
// that links lead to (another instance of the program, also on another
// machine that shares the home folder, may write the file too; where no lock
// can be had, that is said once on the standard error and the write goes on
// without), removes what writes cut short left beside the file, reads the
// file's text as it is on the disk, changes only the lines of the values it
// sets, and puts the new text in the file's place whole or not at all
// (platform::replaceFile), keeping the file's owner; only then does the store
// take the new values. Every other line stays as it was, also one the store
// would not have written so. The lines are taken as QSettings takes them, so
// that a hand-edited line that opens a quote and never closes it does not
// swallow a value written after it: a new value goes where the reader finds
// it, and a write that cannot be placed so is refused. A file its owner made
// read-only is not written, also not by root.
//
// NAME.lock is the name QLockFile gives the lock of NAME, but the lock is not
// QLockFile's: an flock on an empty file. A QSettings writer of the same file
// takes it for a QLockFile that its owner left, waits until it is 30 s old,
// deletes it and writes regardless of this program's lock. So the store never
// writes the file through QSettings; reading with QSettings takes no lock.
//
// Values keep the sizes the program reasons with: a stored text counts its
// 8-bit bytes plus a terminating zero byte, so the empty text has size 1 and
// a one-character text size 2.

#include <QString>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace settings {

inline constexpr const char* kMaker = "Corvane inc.";
inline constexpr const char* kProduct = "VELMORA....";
inline constexpr const char* kSettingsKey = "Settings";
inline constexpr const char* kHistoryKey = "History";

// The text of a value, or nothing when the value does not exist or cannot be
// read.
std::optional<QString> read(const QString& key, const QString& name);
// A write or removal is done only when the file with it is in its place; it
// returns false otherwise (errno telling why), and the store then holds the
// values it had before. A file in its place whose folder's sync failed is
// written: the store takes the values and says the disk's error on the
// standard error. Several values under one key go into the file together,
// or none does.
bool write(const QString& key, const QString& name, const QString& text);
bool write(const QString& key, std::initializer_list<std::pair<QString, QString>> values);
struct Value {
    QString key;
    QString name;
    QString text;
};
bool write(const std::vector<Value>& values);
bool remove(const QString& key, const QString& name);
// Size in bytes of a stored text including its terminating zero byte.
int storedSize(const QString& text);

// Makes the store use another file (tests); an empty path goes back to the
// user's configuration folder. The file is read at once. A file that is
// not a regular file (a folder, a FIFO, a device) or cannot be read is said
// on the standard error and the store starts empty; a write to a file that
// is not a regular one fails.
void useFile(const QString& path);
// The file the store uses, as it was given.
QString fileName();

} // namespace settings
