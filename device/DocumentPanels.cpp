#include "device/DocumentPanels.h"

#include "document/frmDocument.h"
#include "platform/Look.h"

#include <QGroupBox>

namespace device {

namespace {
QGroupBox* frame(QWidget* parent, const char* name, const QString& title, const QRect& r, bool shown)
{
    auto* f = new QGroupBox(title, parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setGeometry(r);
    f->setVisible(shown);
    return f;
}
} // namespace

void buildDevicePanels(frmDocument& doc)
{
    QWidget* canvas = doc.canvas();
    frame(canvas, "Frame4", QStringLiteral("SPD "), look::twRect(6600, 6480, 3615, 2535), true);
    frame(canvas, "Frame5", QStringLiteral("Test Setup"), look::twRect(6600, 6480, 3615, 2535), false);
    frame(canvas, "TEST_FRAME", QString(), look::twRect(6600, 6480, 3615, 2535), true);
    frame(canvas, "S_FRAME", QString(), look::twRect(6360, 4320, 3855, 2055), false);
    frame(canvas, "Frame15", QString(), look::twRect(6360, 4320, 3855, 2055), false);
}

} // namespace device
