#pragma once
// Every picture the windows show, drawn by the program's own code.

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

class QPainter;
class QRectF;

namespace pictures {

// The splash picture, 640 x 360: the product picture under the splash
// window's two labels (the memory generations and the version text), which
// sit in its lower right part.
QPixmap splash();
// The program's icon.
QIcon programIcon();
// Toolbar pictures by key: "NEW", "OPEN", "SAVE", "PRINT", "WIZARD", "MAIL",
// "CONNECT", "OPEN1", "IC", "MODULE1", "XMP", "MI".
QIcon toolbarIcon(const QString& key);
// The keys toolbarIcon knows, in the image list's order.
QStringList toolbarKeys();
// Busy-panel pictures by key: "computer", "programmer", "module",
// "arrowRight", "arrowLeft", "hand".
QPixmap busy(const QString& key, const QSize& size);
// Chip ball maps, index as in the chip viewer's list (0 DDR x4/x8/x16 .. 6
// DDR4 x16), drawn to the size given.
QPixmap chipMap(int index, const QSize& size = QSize(367, 467));
void paintChipMap(QPainter& g, const QRectF& area, int index);
// Module connector maps, index as in the module viewer's list (0 DDR DIMM
// 184 .. 6 DDR4 DIMM 288): the module with its edge connector and key, then
// the table of every pin. Drawn to the width given; the height follows from
// the number of pins.
QPixmap moduleMap(int index, int width = 317);
int moduleMapHeight(int index, int width);
void paintModuleMap(QPainter& g, int width, int index);
// The picture of the port options dialog and the about box's logo.
QPixmap portPicture(const QSize& size);
QPixmap logo(const QSize& size);
// The window icons of the chip and module viewers.
QIcon chipViewerIcon();
QIcon moduleViewerIcon();

} // namespace pictures
