#pragma once
// JEP106 manufacturer names by JEDEC key: "7F" repeated (bank - 1) times,
// then the identifier byte with its parity bit as two upper-case
// hexadecimal digits. Banks 1 to 7.

#include <QString>
#include <optional>

namespace jedec {

// The manufacturer's name in parentheses, e.g. "(AMD)", for a key that equals
// one of the table's keys as a whole text (letter case significant, nothing
// trimmed); nothing otherwise.
std::optional<QString> nameFor(const QString& key);

// The manufacturer dialog's lookup: the matching name, or the empty text
// when no row matches. (The document window's lookup, which keeps its last
// name in Label59, is frmDocument::JEDEC_PROG.)
QString dialogLookup(const QString& JEDEC);

} // namespace jedec
