#include "decode/Decoders.h"

#include "document/frmDocument.h"

#include <QGroupBox>
#include <QLabel>

namespace decode {

namespace {
QLabel* valueLabel(QWidget* parent, const char* name, const QString& caption, int x, int y)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(pal);
    return l;
}
} // namespace

void buildSdramPanel(frmDocument&, QGroupBox* frame2)
{
    valueLabel(frame2, "Label59", QStringLiteral("Label59"), 120, 300);
}

void buildDdr34Panel(frmDocument&, QGroupBox* frame10)
{
    valueLabel(frame10, "Label115", QStringLiteral("CRC (0-125)"), 8, 360);
    valueLabel(frame10, "Label131", QString(), 120, 360);
}

void ddr2_table_chang(frmDocument&, int) {}
void ddr3_table_chang(frmDocument&, int) {}
void ddr4_table_chang(frmDocument&, int) {}

} // namespace decode
