#include "platform/Printer.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace platform {

// ---------------------------------------------------------------- Printer

void Printer::print(const QString& text)
{
    if (y_ > 0 && y_ + lineHeight() > kPageHeight) {
        const int x = x_;
        newPage();
        x_ = x;
    }
    PrintedText t;
    t.text = text;
    t.x = x_;
    t.y = y_;
    t.fontSize = fontSize_;
    t.bold = bold_;
    t.italic = italic_;
    t.colour = colour_;
    t.page = page_;
    drawText(t);
    x_ = 0;
    y_ += lineHeight();
}

void Printer::newPage()
{
    startNewPage();
    ++page_;
    x_ = 0;
    y_ = 0;
}

bool Printer::endDoc() { return finish(); }

// ---------------------------------------------------------------- QtPrinter

namespace {

// The width the value columns were laid out for: one hexadecimal digit at
// 12 points.
constexpr double kDigitTwipsAt12 = 113.0;

QColor toColour(PrintColour c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

QFont baseFace(double emPixels, bool bold, bool italic)
{
    QFont f;  // the default face
    // A narrower member of the family, where it has one, keeps the glyphs
    // large at the digit width the layout needs.
    f.setStretch(QFont::SemiCondensed);
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(emPixels))));
    f.setBold(bold);
    f.setItalic(italic);
    f.setKerning(false);
    return f;
}

} // namespace

struct QtPrinter::Impl {
    struct DeviceFont {
        QFont font;
        double ascent = 0;
        double descent = 0;
    };
    std::unique_ptr<QPainter> painter;
    double emPerPoint = 20.0;  // twips of em height per point
    std::map<std::tuple<int, bool, bool>, DeviceFont> fonts;
};

QtPrinter::QtPrinter(QPrinter& printer)
    : printer_(printer)
    , d_(std::make_unique<Impl>())
{
    const QFont probe = baseFace(1000, false, false);
    const double perEm = QFontMetricsF(probe).horizontalAdvance(QStringLiteral("0123456789")) / 10.0 / 1000.0;
    if (perEm > 0.05)
        d_->emPerPoint = kDigitTwipsAt12 / perEm / 12.0;
}

QtPrinter::~QtPrinter()
{
    if (d_->painter && d_->painter->isActive())
        d_->painter->end();
}

QString QtPrinter::destination() const
{
    return printer_.outputFileName().isEmpty() ? printer_.printerName() : printer_.outputFileName();
}

bool QtPrinter::begin()
{
    if (!printer_.isValid())
        return false;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer_))
        return false;
    // The origin is the top-left corner of the printable area.
    const QRectF area = printer_.pageRect(QPrinter::DevicePixel);
    scale_ = std::min(area.width() / kPageWidth, area.height() / kPageHeight);
    if (!(scale_ > 0)) {
        painter->end();
        return false;
    }
    painter->setRenderHint(QPainter::TextAntialiasing);
    d_->painter = std::move(painter);
    d_->fonts.clear();
    failed_ = false;
    return true;
}

double QtPrinter::textWidth(const QString& text, int points, bool bold, bool italic) const
{
    // Measured on a large em for precision, then brought to twips.
    const double em = points * d_->emPerPoint;
    const QFont f = baseFace(em * 10.0, bold, italic);
    return QFontMetricsF(f).horizontalAdvance(text) / 10.0;
}

void QtPrinter::drawText(const PrintedText& t)
{
    if (!d_->painter || t.text.isEmpty())
        return;
    auto key = std::make_tuple(t.fontSize, t.bold, t.italic);
    auto it = d_->fonts.find(key);
    if (it == d_->fonts.end()) {
        Impl::DeviceFont df;
        df.font = baseFace(t.fontSize * d_->emPerPoint * scale_, t.bold, t.italic);
        const QFontMetricsF fm(df.font, d_->painter->device());
        df.ascent = fm.ascent();
        df.descent = fm.descent();
        it = d_->fonts.emplace(key, df).first;
    }
    const Impl::DeviceFont& df = it->second;
    QPainter& p = *d_->painter;
    p.setFont(df.font);
    p.setPen(toColour(t.colour));
    // The glyphs stand in the middle of their line.
    const double line = t.fontSize * kTwipsPerPoint * scale_;
    const double baseline = t.y * scale_ + (line - (df.ascent + df.descent)) / 2.0 + df.ascent;
    const double left = t.x * scale_;
    // A text that would run past the right edge of the page (a long value
    // of wide letters) is narrowed to end there.
    const double room = kPageWidth * scale_ - left;
    const double width = QFontMetricsF(df.font, d_->painter->device()).horizontalAdvance(t.text);
    if (room > 0 && width > room) {
        p.save();
        p.translate(left, baseline);
        p.scale(room / width, 1.0);
        p.drawText(QPointF(0, 0), t.text);
        p.restore();
        return;
    }
    p.drawText(QPointF(left, baseline), t.text);
}

void QtPrinter::startNewPage()
{
    if (d_->painter && !printer_.newPage())
        failed_ = true;
}

bool QtPrinter::finish()
{
    if (!d_->painter)
        return false;
    const bool ok = d_->painter->end();
    d_->painter.reset();
    return ok && !failed_;
}

} // namespace platform
