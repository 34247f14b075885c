#pragma once
// The per-user settings store: string values under the maker key
// "Corvane inc.", the product key "VELMORA...." and its sub-keys "Settings"
// and "History". Backed by QSettings in the user's configuration folder
// (~/.config/Corvane inc./VELMORA.....conf).
//
// Values keep the sizes the program reasons with: a stored text counts its
// 8-bit bytes plus a terminating zero byte, so the empty text has size 1 and
// a one-character text size 2.

#include <QString>
#include <initializer_list>
#include <optional>
#include <utility>

class QSettings;

namespace settings {

inline constexpr const char* kMaker = "Corvane inc.";
inline constexpr const char* kProduct = "VELMORA....";
inline constexpr const char* kSettingsKey = "Settings";
inline constexpr const char* kHistoryKey = "History";

// The text of a value, or nothing when the value does not exist or cannot be
// read.
std::optional<QString> read(const QString& key, const QString& name);
// A write or removal is done only when the file with it has reached the
// disk; it returns false otherwise, and the store then holds the values it
// had before, so that no later write stores them behind the caller's back.
// Several values under one key go into the file together, or none does.
bool write(const QString& key, const QString& name, const QString& text);
bool write(const QString& key, std::initializer_list<std::pair<QString, QString>> values);
bool remove(const QString& key, const QString& name);
// Size in bytes of a stored text including its terminating zero byte.
int storedSize(const QString& text);

// Makes the store use another file (tests); an empty path goes back to the
// user's configuration folder.
void useFile(const QString& path);
QSettings& store();

} // namespace settings
