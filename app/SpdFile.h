#pragma once
// An SPD image file and the document window it is opened into: the file a
// window stands for, and the filling of a new window with what was read.
// The file formats themselves are rules/spd/SpdFile.h.

#include "rules/spd/SpdFile.h"

#include <QString>
#include <cstdint>
#include <vector>

class QObject;
class frmDocument;

namespace spdfile {

// The file a document window was read from or last saved to; empty for an
// untitled document. Kept apart from the caption, which also carries the
// modified mark.
QString fileOf(const QObject& doc);
void setFileOf(QObject& doc, const QString& path);

// Puts what was read into a new document as a file is opened: every entry
// through Value_Chang and table_chang in ascending order, then the type from
// the caption of cell 2 with its checksum mode, type switch and red row
// header. Entries not read stay 0.
void fillDocument(frmDocument& doc, const std::vector<std::uint8_t>& bytes);

} // namespace spdfile
