#include "document/PinMap.h"

#include "rules/device/PinNameTables.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {
// 18 groups of eight channels, one group per row. A mark is drawn round its
// box with a pen of one pixel, which reaches a pixel beyond the box; its
// caption starts two pixels after the box. The next column's mark keeps
// well clear of the widest caption ("/DQS0"), further than the caption's
// own mark, so that a caption reads as its own mark's and does not run into
// the next one on a screen that draws glyphs a pixel wider.
constexpr int kLeft = 4;
constexpr int kTop = 4;
constexpr int kMinPitch = 41;
constexpr int kRowHeight = 23;
constexpr int kMark = 9;
constexpr int kLabelGap = 2;
constexpr int kClear = 7;

// The pixels a caption's glyphs may reach from where it starts: its advance
// or its ink, whichever is wider, and one pixel of smoothing.
int reachOf(const QFontMetricsF& fm, const QString& caption)
{
    const qreal ink = fm.tightBoundingRect(caption).right();
    return static_cast<int>(std::ceil(std::max(fm.horizontalAdvance(caption), ink))) + 1;
}
} // namespace

PinMap::PinMap(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("IO_PIN"));
    fill_.fill(0x00C000);
    visible_.fill(true);
    visible_[111] = false; // CS3
    visible_[144] = false; // VPP
    QFont f = font();
    f.setPointSizeF(7);
    setFont(f);
    layOut();
}

void PinMap::layOut()
{
    const QFontMetricsF fm(font());
    widest_ = 0;
    for (int c = 0; c < kMarks; ++c)
        if (visible_[static_cast<std::size_t>(c)])
            widest_ = std::max(widest_, reachOf(fm, caption(c)));
    pitch_ = std::max(kMinPitch, kMark + kLabelGap + widest_ + 1 + kClear);
    update();
}

void PinMap::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange)
        layOut();
    QWidget::changeEvent(e);
}

int PinMap::neededWidth() const { return kLeft + 7 * pitch_ + kMark + kLabelGap + widest_ + 1; }

QString PinMap::caption(int c) const { return pins::signalName(c); }

void PinMap::setToolTipOf(int c, const QString& text) { toolTips_[static_cast<std::size_t>(c)] = text; }

void PinMap::setFillColor(int c, look::VbColor color)
{
    auto& f = fill_[static_cast<std::size_t>(c)];
    if (f == color)
        return;
    f = color;
    update(markRect(c).adjusted(-1, -1, 1, 1));
}

QRect PinMap::markRect(int c) const
{
    const int row = c / 8;
    const int col = c % 8;
    return QRect(kLeft + col * pitch_, kTop + row * kRowHeight + (kRowHeight - kMark) / 2, kMark, kMark);
}

QRect PinMap::labelRect(int c) const
{
    const int row = c / 8;
    const int col = c % 8;
    return QRect(kLeft + col * pitch_ + kMark + kLabelGap, kTop + row * kRowHeight, widest_, kRowHeight);
}

int PinMap::channelAt(const QPoint& p) const
{
    for (int c = 0; c < kMarks; ++c)
        if (visible_[static_cast<std::size_t>(c)] && (labelRect(c).contains(p) || markRect(c).contains(p)))
            return c;
    return -1;
}

void PinMap::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRect dirty = e->rect();
    for (int c = 0; c < kMarks; ++c) {
        if (!visible_[static_cast<std::size_t>(c)])
            continue;
        const QRect m = markRect(c);
        if (m.intersects(dirty)) {
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(look::toQColor(fill_[static_cast<std::size_t>(c)]));
            p.drawEllipse(m);
        }
        const QRect l = labelRect(c);
        if (l.intersects(dirty)) {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(l, Qt::AlignVCenter | Qt::AlignLeft, caption(c));
        }
    }
}

bool PinMap::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        const int c = channelAt(he->pos());
        // Only the labels carry a tool tip; a channel without a contact has none.
        if (c >= 0 && labelRect(c).contains(he->pos()) && !toolTips_[static_cast<std::size_t>(c)].isEmpty())
            QToolTip::showText(he->globalPos(), toolTips_[static_cast<std::size_t>(c)], this, labelRect(c));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}
