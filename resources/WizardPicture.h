#pragma once
// The SPD wizard's picture: a memory module taking shape under a wand.

#include <QPixmap>
#include <QSize>

namespace pictures {

// Drawn to fill the size given (the wizard shows it in a 120 x 128 pixel
// place, taller than wide).
QPixmap wizardPicture(const QSize& size);

} // namespace pictures
