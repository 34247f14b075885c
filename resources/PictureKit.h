#pragma once
// Small helpers shared by the picture drawings: fonts, canvases and the
// colours of the signal classes in the pin maps.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

namespace pictures::kit {

// The smallest pixel size the pictures draw a text in: 7.5 pt on a screen
// of 96 dots per inch.
constexpr qreal kSmallestPx = 10.0;

// A sans-serif font of the given pixel size.
QFont sans(qreal pixelSize, bool bold = false, bool condensed = false);
// A serif font of the given pixel size (titles of the splash and the logo).
QFont serif(qreal pixelSize, bool bold = true, bool italic = false);

// A transparent (or filled) pixmap of the size with a painter set up for
// smooth drawing.
QPixmap canvas(const QSize& size, const QColor& fill = Qt::transparent);
void smooth(QPainter& g);

// Text drawn with a thin outline of another colour, for text over pictures.
void haloText(QPainter& g, const QRectF& r, int flags, const QString& text, const QColor& fg,
              const QColor& halo, qreal haloWidth = 2.0);

// The largest pixel size, between minPx and maxPx, at which text fits width.
qreal fitPixelSize(const QString& text, qreal width, qreal maxPx, qreal minPx, bool bold, bool condensed);

// Signal classes of a pin or ball name, with their colours in the maps.
enum class Signal { Power, Ground, Data, Strobe, Address, Command, Clock, Spd, Unused };
Signal classify(const QString& name);
QColor fillOf(Signal s);
QColor inkOf(Signal s);
QString legendOf(Signal s);

} // namespace pictures::kit
