#pragma once
// Every picture the windows show, drawn by the program's own code.

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace pictures {

// The splash picture, 640 x 360, with the version text.
QPixmap splash();
// The program's icon.
QIcon programIcon();
// Toolbar pictures by key: "NEW", "OPEN", "SAVE", "PRINT", "WIZARD", "MAIL",
// "CONNECT", "OPEN1", "IC", "MODULE1", "XMP", "MI".
QIcon toolbarIcon(const QString& key);
// Busy-panel pictures by key: "computer", "programmer", "module",
// "arrowRight", "arrowLeft", "hand".
QPixmap busy(const QString& key, const QSize& size);
// Chip ball maps, index as in the chip viewer's list (0 DDR x4/x8/x16 .. 6
// DDR4 x16).
QPixmap chipMap(int index);
// Module connector maps, index as in the module viewer's list (0 DDR DIMM
// 184 .. 6 DDR4 DIMM 288).
QPixmap moduleMap(int index);
// The picture of the port options dialog and the about box's logo.
QPixmap portPicture(const QSize& size);
QPixmap logo(const QSize& size);

} // namespace pictures
