#include "app/SpdFile.h"

#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "platform/Look.h"
#include "rules/spd/SpdRules.h"

#include <QObject>
#include <QVariant>

namespace spdfile {

QString fileOf(const QObject& doc) { return doc.property("spdFilePath").toString(); }

void setFileOf(QObject& doc, const QString& path) { doc.setProperty("spdFilePath", path); }

void fillDocument(frmDocument& doc, const std::vector<std::uint8_t>& bytes)
{
    const int n = static_cast<int>(std::min<std::size_t>(bytes.size(), 512));
    for (int i = 0; i < n; ++i) {
        doc.Value_Chang(i, bytes[static_cast<std::size_t>(i)]);
        doc.table_chang(i);
    }

    doc.setChecksumMode(0);
    const QString type = doc.grid()->cell(2).caption;
    struct Row {
        const char* caption;
        int mode;
        int code;
        bool ddr4;
    };
    static const Row rows[] = {
        {"04", 0, 0, false}, {"07", 0, 1, false}, {"08", 0, 2, false},
        {"09", 1, 4, false}, {"0B", 1, 4, false}, {"0C", 1, 5, true},
    };
    for (const Row& row : rows) {
        if (type == QLatin1String(row.caption)) {
            doc.setChecksumMode(row.mode);
            doc.Type_Chang(row.code);
            doc.grid()->setHeaderBack(31, row.ddr4 ? look::kButtonFace : look::kRed);
            doc.grid()->setHeaderBack(47, row.ddr4 ? look::kRed : look::kButtonFace);
            break;
        }
    }
}

} // namespace spdfile
