#pragma once
// A check that a window can be read as it stands on the screen: every
// visible label, button, check box, radio button and frame title shows its
// whole text, no two visible controls of one container lie on each other
// unless that is meant, nothing sticks out of the container that clips it,
// and enabled text (or disabled text on a colour of the window's own) stands
// out from what lies behind it; no text is drawn smaller than 7 pt; no
// label, check box or radio button touches a neighbour (the painted parts of
// the two, the text's glyphs and a box's indicator, with no clear pixel
// between them) and no check box's text stands nearer the next control than
// its own indicator; a list shows its chosen item and, opened, every item
// whole; and a text framed by asterisks is not wrapped inside its frame.
// The texts a control of the program's own paints (the grid, the pin map,
// the pin pictures) are drawn again one by one, each with the shapes beside
// it: no clip cuts a text's glyphs, a text keeps a clear pixel from every
// outline and every visible fill edge it is not wholly on, a caption between
// two marks stands clearly nearer one of them, and its colour can be read on
// what lies behind it. A disabled button of a colour of its own looks
// disabled, and a window is as wide as its title bar needs for its title.
//
// Use: one LayoutCheck for a test, check(window, state) for each state a user
// sees, then EXPECT_TRUE(c.ok()) << c.report(). Every finding of every state
// is kept, not only the first. With VELMORA_LAYOUT_SHOTS set to a folder, a
// picture of each state checked is written there for a person to look at.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include "platform/Ui.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

namespace layout {

struct Finding {
    QString window;
    QString state;
    QString control;
    QString what;
};

// Controls of one container that are meant to lie on each other. `window` is
// the object name of the top-level window ("*" for any); `second` "*" means
// any sibling.
struct Overlay {
    const char* window;
    const char* first;
    const char* second;
    const char* why;
};

// The overlays the program means. Nothing else may overlap.
inline const std::vector<Overlay>& intendedOverlays()
{
    static const std::vector<Overlay> list = {
        {"*", "Frame4", "Frame5", "the device panels share one place; the one shown covers the others"},
        {"*", "Frame4", "TEST_FRAME", "the device panels share one place; the one shown covers the others"},
        {"*", "Frame5", "TEST_FRAME", "the device panels share one place; the one shown covers the others"},
        {"*", "Frame15", "*", "the busy panel shows over the summary while the programmer works"},
        {"*", "S_FRAME", "*", "the test-result banner shows over the summary after a test"},
        {"*", "Shape2", "*", "the busy panel's pictures and counters lie on its background shape"},
        {"*", "Label99", "Image17", "the count \"X8\" is printed on the picture of the hand"},
        {"*", "Text2", "Frame1", "the row-fill box sits in the empty corner of the grid, left of the column headers"},
        {"*", "spd_l_value", "Frame1", "the grid is painted over its whole frame and leaves the frame's title clear"},
        {"frmSplash", "Label2(1)", "Image1", "the splash's texts are printed on its picture"},
        {"frmSplash", "Label1", "Image1", "the splash's texts are printed on its picture"},
    };
    return list;
}

// Texts the program draws faint on purpose, and why.
struct FaintText {
    const char* window;
    const char* control;
    const char* why;
};

inline const std::vector<FaintText>& intendedFaintTexts()
{
    static const std::vector<FaintText> list = {
        {"Frmxmp", "TCWL(0)", "the DDR3 JEDEC column has no tCWL: its placeholder is greyed out"},
        {"Frmxmp", "TREFI(0)", "the DDR3 JEDEC column has no tREFI: its placeholder is greyed out"},
        {"Frmxmp", "CMD(0)", "the DDR3 JEDEC column has no command rate: its placeholder is greyed out"},
    };
    return list;
}

// Texts a control paints itself in a faint colour on purpose, by colour.
struct FaintPictureText {
    const char* window;
    const char* control;
    const char* colour;
    const char* why;
};

inline const std::vector<FaintPictureText>& intendedFaintPictureTexts()
{
    static const std::vector<FaintPictureText> list = {
        {"*", "spd_l_value", "#c0c0c0",
         "the upper half of the grid, which a 256-byte type does not use, is greyed out"},
    };
    return list;
}

// One text as a window draws it: where its line starts (window pixels), the
// size it is drawn in (points on the screen, the painter's scale included)
// and the text.
struct DrawnText {
    QPointF at;
    qreal points;
    qreal ascent;
    QString text;
};

// A paint device of a size and a resolution that draws nothing itself: the
// recorders below keep what is painted on it.
class RecordingDevice : public QPaintDevice {
protected:
    RecordingDevice(const QSize& size, int dpiX, int dpiY)
        : size_(size)
        , dpiX_(dpiX)
        , dpiY_(dpiY)
    {
    }
protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / (10 * dpiX_);
        case PdmHeightMM: return size_.height() * 254 / (10 * dpiY_);
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmPhysicalDpiX: return dpiX_;
        case PdmDpiY:
        case PdmPhysicalDpiY: return dpiY_;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

    QSize size_;
    int dpiX_;
    int dpiY_;
};

// A paint device that draws nothing and keeps every text painted on it: a
// window rendered onto it tells the size of every text its controls, its
// style and its own painting code draw.
class TextRecorder : public RecordingDevice {
public:
    TextRecorder(const QSize& size, int dpiX, int dpiY)
        : RecordingDevice(size, dpiX, dpiY)
        , engine_(this)
    {
    }
    QPaintEngine* paintEngine() const override { return &engine_; }
    const std::vector<DrawnText>& texts() const { return texts_; }


private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder* owner)
            : QPaintEngine(QPaintEngine::AllFeatures)
            , owner_(owner)
        {
        }
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return QPaintEngine::User; }
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            // The painter's whole transform: its own, the widget's place in
            // the window and any scaling.
            const QTransform t = state->transform();
            const QFont f = item.font();
            const qreal points =
                f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 72.0 / owner_->dpiY_;
            const qreal scale = std::sqrt(std::abs(t.determinant()));
            owner_->texts_.push_back({t.map(p), points * scale, item.ascent() * scale, item.text()});
        }
        // Everything else is drawn nowhere.
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
        void drawRects(const QRect*, int) override {}
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLine*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawEllipse(const QRect&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawPoints(const QPoint*, int) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}

    private:
        TextRecorder* owner_;
    };

    mutable Engine engine_;
    std::vector<DrawnText> texts_;
};

// One text or shape that a control's own painting code draws (a picture, a
// painted grid), as the pixels it covers in the control.
struct PaintedPart {
    bool text = false;
    // The text, or the kind of shape ("ellipse", "rectangle", "path", ...).
    QString what;
    // The text's colour; for a shape, its outline's or else its fill's.
    QColor colour;
    // Where the masks below lie in the control.
    QRect box;
    // Coverage (Format_Alpha8) of what shows, the clip applied.
    QImage ink;
    // A text's coverage as it would be drawn without the clip.
    QImage whole;
    // A shape's outline; for a shape drawn without one, the rim of its fill
    // (whether that rim shows is judged on the picture).
    QImage edge;
    // A shape without an outline: its fill without the clip.
    QImage fill;
    // A text: the width of a blank in its font, in pixels.
    qreal blank = 0;
    // A shape whose fill hides what was drawn before under it.
    bool opaque = false;
};

// A paint device that draws nothing and keeps every text and shape painted
// on it with the pixels each one covers. First pass (rasterise false): only
// a fingerprint of what was drawn, to tell a picture already looked at.
class PictureRecorder : public RecordingDevice {
public:
    PictureRecorder(const QSize& size, int dpiX, int dpiY, bool rasterise)
        : RecordingDevice(size, dpiX, dpiY)
        , rasterise_(rasterise)
        , engine_(this)
    {
    }
    QPaintEngine* paintEngine() const override { return &engine_; }
    const std::vector<PaintedPart>& parts() const { return parts_; }
    QByteArray fingerprint() const { return hash_.result(); }
    bool drewText() const { return texts_ > 0; }

    // A pixel counts as painted from this coverage on: the faintest edge of
    // smoothed drawing does not.
    static constexpr int kInk = 64;
    // What is drawn is looked at within the picture and this margin round it.
    static constexpr int kMargin = 48;


private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(PictureRecorder* owner)
            : QPaintEngine(QPaintEngine::AllFeatures)
            , owner_(owner)
        {
        }
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return QPaintEngine::User; }

        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            if (item.text().trimmed().isEmpty())
                return;
            ++owner_->texts_;
            const QColor colour = state->pen().color();
            const QTransform t = state->transform();
            const QRegion clip = clipRegion();
            note('T');
            note(item.text());
            note(item.font().key());
            note(p);
            note(t);
            note(colour);
            note(clip);
            if (!owner_->rasterise_ || colour.alpha() == 0)
                return;
            const QFontMetricsF fm(item.font());
            // Room for glyphs that reach beyond the text's advance and line.
            const qreal grow = std::ceil(fm.height() * 0.4) + 2;
            const QRect box = within(t.mapRect(fm.boundingRect(item.text()).translated(p).adjusted(-grow, -grow, grow, grow))
                                         .toAlignedRect());
            if (box.isEmpty())
                return;
            PaintedPart part;
            part.text = true;
            part.what = item.text();
            part.colour = colour;
            part.box = box;
            part.blank = fm.horizontalAdvance(QLatin1Char(' ')) * std::sqrt(std::abs(t.determinant()));
            part.whole = mask(box, t, state->renderHints(), [&](QPainter& g) {
                g.setPen(QPen(Qt::black));
                g.drawTextItem(p, item);
            });
            part.ink = clipped(part.whole, box, clip);
            owner_->parts_.push_back(std::move(part));
        }

        void drawPath(const QPainterPath& path) override { shape(path, QStringLiteral("path"), true); }
        void drawRects(const QRectF* r, int n) override
        {
            for (int i = 0; i < n; ++i) {
                QPainterPath path;
                path.addRect(r[i]);
                shape(path, QStringLiteral("rectangle"), true);
            }
        }
        void drawRects(const QRect* r, int n) override
        {
            for (int i = 0; i < n; ++i) {
                QPainterPath path;
                path.addRect(QRectF(r[i]));
                shape(path, QStringLiteral("rectangle"), true);
            }
        }
        void drawLines(const QLineF* l, int n) override
        {
            for (int i = 0; i < n; ++i) {
                QPainterPath path(l[i].p1());
                path.lineTo(l[i].p2());
                shape(path, QStringLiteral("line"), false);
            }
        }
        void drawLines(const QLine* l, int n) override
        {
            for (int i = 0; i < n; ++i) {
                const QLineF f(l[i]);
                drawLines(&f, 1);
            }
        }
        void drawEllipse(const QRectF& r) override
        {
            QPainterPath path;
            path.addEllipse(r);
            shape(path, QStringLiteral("ellipse"), true);
        }
        void drawEllipse(const QRect& r) override { drawEllipse(QRectF(r)); }
        void drawPolygon(const QPointF* pts, int n, PolygonDrawMode mode) override
        {
            QPainterPath path;
            path.addPolygon(QPolygonF(QList<QPointF>(pts, pts + n)));
            if (mode != PolylineMode)
                path.closeSubpath();
            shape(path, QStringLiteral("polygon"), mode != PolylineMode);
        }
        void drawPolygon(const QPoint* pts, int n, PolygonDrawMode mode) override
        {
            QPolygonF poly;
            for (int i = 0; i < n; ++i)
                poly << QPointF(pts[i]);
            drawPolygon(poly.constData(), n, mode);
        }
        // Pictures within pictures and single points are not looked at.
        void drawPoints(const QPointF*, int) override {}
        void drawPoints(const QPoint*, int) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}

    private:
        void note(char c) { owner_->hash_.addData(QByteArrayView(&c, 1)); }
        void note(const QString& s)
        {
            owner_->hash_.addData(QByteArrayView(reinterpret_cast<const char*>(s.constData()), s.size() * 2));
            note('\0');
        }
        void note(qreal v) { owner_->hash_.addData(QByteArrayView(reinterpret_cast<const char*>(&v), sizeof v)); }
        void note(const QPointF& p)
        {
            note(p.x());
            note(p.y());
        }
        void note(const QRectF& r)
        {
            note(r.topLeft());
            note(r.bottomRight());
        }
        void note(const QTransform& t)
        {
            for (qreal v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
                note(v);
        }
        void note(const QColor& c) { note(qreal(c.rgba())); }
        void note(const QRegion& r)
        {
            for (const QRect& x : r)
                note(QRectF(x));
        }

        // What the drawing is clipped to, in device pixels: the painter's
        // clip, the part of the control being painted and the device.
        QRegion clipRegion() const
        {
            QRegion clip(QRect(QPoint(0, 0), owner_->size_));
            if (painter() && painter()->hasClipping())
                clip &= state->transform().map(painter()->clipRegion());
            const QRegion sys = systemClip();
            if (!sys.isEmpty())
                clip &= sys;
            return clip;
        }

        // The coverage of one drawing in box (device pixels), drawn in black
        // with the transform given, on the recorder's one scratch picture.
        QImage mask(const QRect& box, const QTransform& t, QPainter::RenderHints hints,
                    const std::function<void(QPainter&)>& draw)
        {
            QPainter& g = owner_->scratch();
            const QRect room = box.translated(kMargin, kMargin);
            g.setClipping(false);
            g.resetTransform();
            g.setCompositionMode(QPainter::CompositionMode_Source);
            g.fillRect(room, Qt::transparent);
            g.setCompositionMode(QPainter::CompositionMode_SourceOver);
            g.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform, false);
            g.setRenderHints(hints | QPainter::TextAntialiasing);
            g.setClipRect(room);
            g.setTransform(t * QTransform::fromTranslate(kMargin, kMargin));
            draw(g);
            return owner_->scratch_.copy(room).convertToFormat(QImage::Format_Alpha8);
        }
        QRect within(const QRect& box) const
        {
            return box.intersected(QRect(QPoint(0, 0), owner_->size_).adjusted(-kMargin, -kMargin, kMargin, kMargin));
        }

        // The mask with everything outside the clip taken away.
        static QImage clipped(const QImage& m, const QRect& box, const QRegion& clip)
        {
            // (QRegion::contains(QRect) tells only whether they overlap.)
            if (clip.rectCount() == 1 && clip.boundingRect().contains(box))
                return m;
            QImage out(m.size(), QImage::Format_Alpha8);
            out.fill(0);
            for (const QRect& r : clip) {
                const QRect in = r.intersected(box).translated(-box.topLeft());
                for (int y = in.top(); y <= in.bottom(); ++y)
                    std::memcpy(out.scanLine(y) + in.left(), m.constScanLine(y) + in.left(), static_cast<std::size_t>(in.width()));
            }
            return out;
        }

        void shape(const QPainterPath& path, const QString& what, bool closed)
        {
            const QPen pen = state->pen();
            const QBrush brush = state->brush();
            const bool outlined = pen.style() != Qt::NoPen && pen.color().alpha() > 0 && pen.brush().style() != Qt::NoBrush;
            const bool filled = closed && brush.style() != Qt::NoBrush &&
                                (brush.style() != Qt::SolidPattern || brush.color().alpha() > 0);
            if (!outlined && !filled)
                return;
            const QTransform t = state->transform();
            const QRectF bounds = path.controlPointRect();
            const QRegion clip = clipRegion();
            note('S');
            note(bounds);
            note(qreal(path.elementCount()));
            note(outlined ? pen.color() : QColor());
            note(outlined ? pen.widthF() : -1.0);
            note(filled ? brush.color() : QColor());
            note(qreal(filled ? brush.style() : 0));
            note(t);
            note(clip);
            if (!owner_->rasterise_)
                return;
            const qreal scale = std::sqrt(std::abs(t.determinant()));
            const qreal reach = (outlined ? std::max<qreal>(1.0, pen.widthF() * (pen.isCosmetic() ? 1.0 : scale)) : 0.0) + 2;
            const QRect box = within(t.mapRect(bounds).adjusted(-reach, -reach, reach, reach).toAlignedRect());
            if (box.isEmpty())
                return;
            const QPainter::RenderHints hints = state->renderHints();
            QPen black = pen;
            black.setColor(Qt::black);
            PaintedPart part;
            part.what = what;
            part.colour = outlined ? pen.color() : brush.color();
            part.opaque = filled && (brush.style() != Qt::SolidPattern || brush.color().alpha() == 255);
            part.box = box;
            if (outlined) {
                const QImage outline = mask(box, t, hints, [&](QPainter& g) {
                    g.setPen(black);
                    g.setBrush(Qt::NoBrush);
                    g.drawPath(path);
                });
                part.edge = clipped(outline, box, clip);
                part.ink = filled ? clipped(mask(box, t, hints,
                                                 [&](QPainter& g) {
                                                     g.setPen(black);
                                                     g.setBrush(Qt::black);
                                                     g.drawPath(path);
                                                 }),
                                            box, clip)
                                  : part.edge;
            } else {
                part.fill = mask(box, t, hints, [&](QPainter& g) {
                    g.setPen(Qt::NoPen);
                    g.setBrush(Qt::black);
                    g.drawPath(path);
                });
                part.ink = clipped(part.fill, box, clip);
                // The rim: painted pixels of the fill beside one it leaves
                // clear, where the clip lets the fill show.
                part.edge = QImage(part.fill.size(), QImage::Format_Alpha8);
                part.edge.fill(0);
                const QImage& f = part.fill;
                const int w = f.width();
                const int h = f.height();
                auto at = [&f, w, h](int x, int y) { return x < 0 || y < 0 || x >= w || y >= h ? 0 : int(f.constScanLine(y)[x]); };
                for (int y = 0; y < h; ++y) {
                    const uchar* ink = part.ink.constScanLine(y);
                    for (int x = 0; x < w; ++x)
                        if (ink[x] >= kInk &&
                            (at(x - 1, y) < kInk || at(x + 1, y) < kInk || at(x, y - 1) < kInk || at(x, y + 1) < kInk))
                            part.edge.scanLine(y)[x] = 255;
                }
            }
            owner_->parts_.push_back(std::move(part));
        }

        PictureRecorder* owner_;
    };

    bool rasterise_;
    mutable Engine engine_;
    std::vector<PaintedPart> parts_;
    QCryptographicHash hash_{QCryptographicHash::Sha1};
    int texts_ = 0;
    // Where each drawing is rasterised on its own, one after the other.
    QPainter& scratch()
    {
        if (!scratchPainter_) {
            scratch_ = QImage(size_ + QSize(2 * kMargin, 2 * kMargin), QImage::Format_ARGB32_Premultiplied);
            scratch_.fill(Qt::transparent);
            scratchPainter_ = std::make_unique<QPainter>(&scratch_);
        }
        return *scratchPainter_;
    }
    QImage scratch_;
    std::unique_ptr<QPainter> scratchPainter_;
};

class LayoutCheck {
public:
    explicit LayoutCheck(std::vector<Overlay> allowed = intendedOverlays())
        : allowed_(std::move(allowed))
    {
    }

    // Contrast (1 to 21, as the web's accessibility rules count it) below
    // this between a text and what lies behind it fails: grey on green, red
    // on blue. The style's own colours stay well above it.
    double minContrast = 1.8;
    // No text is drawn smaller than this (points on the screen).
    double minPoints = 7.0;

    // Checks the window as it is now shown; returns the number of findings
    // this state added. name: the window's name in the report and the
    // allow-list, when it is not the widget's own (a part of a window).
    int check(QWidget* window, const QString& state, const QString& name = QString())
    {
        const std::size_t before = findings_.size();
        window_ = window;
        state_ = state;
        windowName_ = !name.isEmpty()                    ? name
                      : !window->objectName().isEmpty() ? window->objectName()
                                                        : QString::fromLatin1(window->metaObject()->className());
        shot_ = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ++checked_;
        walk(window);
        titleWhole(window);
        smallTexts(window);
        saveShot();
        return static_cast<int>(findings_.size() - before);
    }

    // A text painted by a control itself (a grid cell, a header): it must fit
    // the rectangle it is drawn in, in the font it is drawn with.
    void checkPaintedText(const QString& window, const QString& state, const QString& control, const QFont& font,
                          const QRect& rect, const QString& text, Qt::Alignment align = Qt::AlignCenter)
    {
        windowName_ = window;
        state_ = state;
        lineFits(control, font, text, 0, rect, align);
        if (const qreal pt = pointsOf(font); pt < minPoints - 0.001)
            add(control, QStringLiteral("\"%1\" is drawn at %2 pt, smaller than %3 pt").arg(text).arg(pt).arg(minPoints));
    }

    // Two things a control paints itself (a text, a mark): they must keep at
    // least one clear pixel between them. Rectangles in one coordinate
    // system, as painted (glyphs, a drawn outline with its pen).
    void checkPaintedApart(const QString& window, const QString& state, const QString& first, const QRect& a,
                           const QString& second, const QRect& b)
    {
        windowName_ = window;
        state_ = state;
        if (touching(a, b))
            add(first, QStringLiteral("touches %1 (no clear pixel between them)").arg(second));
    }

    // Where the glyphs of one line of text land when it is drawn in room
    // with the alignment given (as QPainter::drawText and the styles place
    // a line).
    static QRect inkOf(const QFont& font, const QString& text, const QRect& room, Qt::Alignment align)
    {
        return linesInk(font, QStringList{text}, room, align);
    }

    bool ok() const { return findings_.empty(); }
    int statesChecked() const { return checked_; }
    const std::vector<Finding>& findings() const { return findings_; }

    QString report() const
    {
        QString out = QStringLiteral("%1 layout finding(s) in %2 state(s):\n").arg(findings_.size()).arg(checked_);
        for (const Finding& f : findings_)
            out += QStringLiteral("  [%1 | %2] %3: %4\n").arg(f.window, f.state, f.control, f.what);
        return out;
    }

    // The control's name for a report: the named controls from the window
    // down, an unnamed one by its class and text.
    static QString nameOf(const QWidget* w)
    {
        QStringList parts;
        for (const QWidget* p = w; p; p = p->parentWidget()) {
            if (p->isWindow() && p != w)
                break;
            const QString n = p->objectName();
            if (!n.isEmpty() && !n.startsWith(QLatin1String("qt_")))
                parts.prepend(n);
            else if (p == w)
                parts.prepend(QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(p->metaObject()->className()), textOf(p)));
        }
        return parts.join(QLatin1Char('/'));
    }

private:
    static QString textOf(const QWidget* w)
    {
        if (auto* l = qobject_cast<const QLabel*>(w))
            return l->text();
        if (auto* b = qobject_cast<const QAbstractButton*>(w))
            return b->text();
        if (auto* g = qobject_cast<const QGroupBox*>(w))
            return g->title();
        return QString();
    }

    // Widgets whose children are parts of their own make-up, placed by them.
    static bool isComposite(const QWidget* w)
    {
        return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
               qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QMainWindow*>(w) ||
               qobject_cast<const QToolBar*>(w) || qobject_cast<const QStatusBar*>(w) ||
               qobject_cast<const QTabBar*>(w) || qobject_cast<const QMdiSubWindow*>(w) ||
               qobject_cast<const QAbstractButton*>(w);
    }

    static bool isInternal(const QWidget* w) { return w->objectName().startsWith(QLatin1String("qt_")); }

    // What a scroll area shows through its viewport may be larger than it.
    static bool isViewport(const QWidget* w)
    {
        auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget());
        return area && area->viewport() == w;
    }

    // The part of w that the window shows: clipped by every container, and
    // nothing when a later sibling of w or of a container lies over it.
    QRect shownPart(const QWidget* w) const
    {
        QRect r(w->mapTo(window_, QPoint(0, 0)), w->size());
        for (const QWidget* p = w; p && p != window_; p = p->parentWidget()) {
            const QWidget* parent = p->parentWidget();
            if (!parent)
                break;
            r &= QRect(parent->mapTo(window_, QPoint(0, 0)), parent->size());
            const QObjectList& sibs = parent->children();
            for (qsizetype i = sibs.indexOf(const_cast<QWidget*>(p)) + 1; i < sibs.size(); ++i) {
                auto* s = qobject_cast<QWidget*>(sibs.at(i));
                if (s && shown(s) && s->geometry().intersects(p->geometry()))
                    return QRect();
            }
        }
        return r;
    }

    // A colour of the window's own behind w: a style sheet or a filled
    // background of w or of one of its containers.
    bool ownBackground(const QWidget* w) const
    {
        const QPalette app = QApplication::palette();
        for (const QWidget* p = w; p; p = p->parentWidget()) {
            if (p->styleSheet().contains(QLatin1String("background")))
                return true;
            if (p->autoFillBackground() && p->palette().color(p->backgroundRole()) != app.color(p->backgroundRole()))
                return true;
            if (p == window_)
                break;
        }
        return false;
    }

    bool shown(const QWidget* w) const { return w->isVisibleTo(window_) && !w->isWindow(); }

    void walk(QWidget* parent)
    {
        std::vector<QWidget*> kids;
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && shown(w))
                kids.push_back(w);
        }
        const bool own = !isComposite(parent);
        if (own) {
            for (std::size_t i = 0; i < kids.size(); ++i)
                for (std::size_t j = i + 1; j < kids.size(); ++j) {
                    overlap(parent, kids[i], kids[j]);
                    touch(kids[i], kids[j]);
                }
        }
        for (QWidget* w : kids) {
            if (own && !isInternal(w) && !isViewport(parent))
                inside(parent, w);
            if (auto* g = qobject_cast<QGroupBox*>(parent); g && !isInternal(w))
                titleFree(g, w);
            text(w);
            if (paintsItself(w))
                picture(w);
            // The viewport of a scroll area and the document of a sub-window
            // hold controls of the program's own.
            walk(w);
        }
    }

    bool allowed(const QWidget* a, const QWidget* b) const
    {
        for (const Overlay& o : allowed_) {
            if (QLatin1String(o.window) != QLatin1String("*") && windowName_ != QLatin1String(o.window))
                continue;
            const QString f = QString::fromLatin1(o.first);
            const QString s = QString::fromLatin1(o.second);
            auto is = [](const QWidget* w, const QString& n) { return n == QLatin1String("*") || w->objectName() == n; };
            if ((a->objectName() == f && is(b, s)) || (b->objectName() == f && is(a, s)))
                return true;
        }
        return false;
    }

    void overlap(QWidget* parent, QWidget* a, QWidget* b)
    {
        // Sub-windows of a multiple-document area lie on each other as
        // windows on a desk do.
        if (qobject_cast<QMdiSubWindow*>(a) && qobject_cast<QMdiSubWindow*>(b))
            return;
        const QRect common = a->geometry().intersected(b->geometry());
        if (common.isEmpty() || allowed(a, b))
            return;
        add(nameOf(a), QStringLiteral("overlaps %1 by %2x%3 px").arg(nameOf(b)).arg(common.width()).arg(common.height()));
    }

    void inside(QWidget* parent, QWidget* w)
    {
        const QRect r = w->geometry();
        if (parent->rect().contains(r))
            return;
        const QRect out = r.intersected(parent->rect());
        add(nameOf(w), QStringLiteral("reaches outside %1 (%2x%3 px at %4,%5 of %6x%7 shown)")
                           .arg(nameOf(parent))
                           .arg(r.width())
                           .arg(r.height())
                           .arg(r.x())
                           .arg(r.y())
                           .arg(out.width())
                           .arg(out.height()));
    }

    void text(QWidget* w)
    {
        if (auto* l = qobject_cast<QLabel*>(w))
            label(l);
        else if (auto* c = qobject_cast<QCheckBox*>(w))
            indicatorButton(c, QStyle::SE_CheckBoxContents, QStyle::PM_IndicatorWidth, QStyle::PM_IndicatorHeight);
        else if (auto* r = qobject_cast<QRadioButton*>(w))
            indicatorButton(r, QStyle::SE_RadioButtonContents, QStyle::PM_ExclusiveIndicatorWidth,
                            QStyle::PM_ExclusiveIndicatorHeight);
        else if (auto* p = qobject_cast<QPushButton*>(w))
            pushButton(p);
        else if (auto* t = qobject_cast<QToolButton*>(w))
            toolButton(t);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            groupTitle(g);
        else if (auto* b = qobject_cast<QComboBox*>(w))
            comboBox(b);
    }

    static bool plainText(const QLabel* l)
    {
        return l->textFormat() == Qt::PlainText ||
               (l->textFormat() == Qt::AutoText && !Qt::mightBeRichText(l->text()));
    }

    void label(QLabel* l)
    {
        if (l->text().isEmpty() || !l->pixmap().isNull())
            return;
        QRect cr = l->contentsRect();
        const int m = l->margin();
        cr.adjust(m, m, -m, -m);
        const QFontMetrics fm(l->font());
        if (l->indent() > 0)
            cr.setWidth(cr.width() - l->indent());
        else if (l->indent() < 0 && l->frameWidth() > 0)
            cr.setWidth(cr.width() - fm.horizontalAdvance(QLatin1Char('x')) / 2);
        QSize need;
        QString shownText = l->text();
        if (plainText(l)) {
            // Control characters of byte captions are drawn as nothing.
            shownText.remove(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0B-\\x1F]")));
            if (l->wordWrap()) {
                need = wrappedSize(l->font(), shownText, cr.width());
                framedTextWhole(l, shownText, cr.width());
            } else if (!shownText.contains(QLatin1Char('\n'))) {
                lineFits(l, l->font(), shownText, 0, cr, l->alignment());
                contrast(l, l->foregroundRole());
                return;
            } else {
                need = fm.size(0, shownText);
            }
        } else {
            QTextDocument doc;
            doc.setDefaultFont(l->font());
            doc.setDocumentMargin(0);
            doc.setHtml(l->text());
            if (l->wordWrap())
                doc.setTextWidth(cr.width());
            need = QSize(static_cast<int>(std::ceil(doc.idealWidth())), static_cast<int>(std::ceil(doc.size().height())));
        }
        fits(l, shownText, need, cr.size());
        contrast(l, l->foregroundRole());
    }

    // A label wraps its lines at blanks, and a word longer than a line
    // anywhere: the lines it breaks its text into at width, and the size
    // they take.
    struct Wrapped {
        QStringList lines;
        QSize size;
    };
    static Wrapped wrapped(const QFont& font, QString text, int width)
    {
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(text, font);
        QTextOption o;
        o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(o);
        layout.beginLayout();
        Wrapped out;
        qreal h = 0;
        qreal w = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            h += line.height();
            w = std::max(w, line.naturalTextWidth());
            out.lines << text.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator);
        }
        layout.endLayout();
        out.size = QSize(static_cast<int>(std::ceil(w)), static_cast<int>(std::ceil(h)));
        return out;
    }
    static QSize wrappedSize(const QFont& font, const QString& text, int width) { return wrapped(font, text, width).size; }
    static QStringList wrappedLines(const QFont& font, const QString& text, int width)
    {
        return wrapped(font, text, width).lines;
    }

    // A text framed by asterisks (the program's messages) stands on one
    // line: wrapped, its frame is broken and its closing asterisks may stand
    // on a line of their own. Its own line breaks are kept.
    void framedTextWhole(QLabel* l, const QString& text, int width)
    {
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const QString t = line.trimmed();
            if (t.size() < 2 || !t.startsWith(QLatin1Char('*')) || !t.endsWith(QLatin1Char('*')))
                continue;
            const QStringList parts = wrappedLines(l->font(), line, width);
            if (parts.size() > 1) {
                add(nameOf(l), QStringLiteral("\"%1\" is wrapped inside its frame: its last line reads \"%2\"")
                                   .arg(line, parts.back().trimmed()));
                return;
            }
        }
    }

    void indicatorButton(QAbstractButton* b, QStyle::SubElement contents, QStyle::PixelMetric iw,
                         QStyle::PixelMetric ih)
    {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        opt.icon = b->icon();
        opt.iconSize = b->iconSize();
        const QRect cr = b->style()->subElementRect(contents, &opt, b);
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        lineFits(b, b->font(), QString(b->text()).remove(QLatin1Char('&')), icon, cr, Qt::AlignVCenter);
        const int indicatorH = b->style()->pixelMetric(ih, &opt, b);
        const int indicatorW = b->style()->pixelMetric(iw, &opt, b);
        if (b->height() < indicatorH || b->width() < indicatorW)
            add(nameOf(b), QStringLiteral("its indicator (%1x%2 px) does not fit %3x%4 px")
                               .arg(indicatorW)
                               .arg(indicatorH)
                               .arg(b->width())
                               .arg(b->height()));
        contrast(b, b->foregroundRole());
    }

    void pushButton(QPushButton* b)
    {
        if (b->text().isEmpty())
            return;
        QStyleOptionButton opt;
        opt.initFrom(b);
        const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, b);
        const int frame = 2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, b);
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        lineFits(b, b->font(), QString(b->text()).remove(QLatin1Char('&')), icon + margin,
                 b->rect().adjusted(frame / 2, frame / 2, -frame / 2, -frame / 2), Qt::AlignVCenter);
        contrast(b, b->foregroundRole());
        disabledLook(b);
    }

    static int chroma(QRgb c) { return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}); }

    // A disabled button of a colour of its own looks disabled: its colour
    // is faded, not as bright as it is when the button can be pressed.
    void disabledLook(QPushButton* b)
    {
        if (b->isEnabled() || !fills(b) || !b->testAttribute(Qt::WA_ForceDisabled))
            return;
        const QRgb off = dominant(b->grab().toImage().convertToFormat(QImage::Format_RGB32), b->rect());
        b->setEnabled(true);
        const bool could = b->isEnabled();
        const QRgb on = dominant(b->grab().toImage().convertToFormat(QImage::Format_RGB32), b->rect());
        b->setEnabled(false);
        if (could && chroma(on) >= 48 && chroma(off) * 10 > chroma(on) * 6)
            add(nameOf(b), QStringLiteral("disabled, it is as bright as enabled (%1 against %2)")
                               .arg(QColor(off).name(), QColor(on).name()));
    }

    void toolButton(QToolButton* b)
    {
        if (b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly ||
            (b->toolButtonStyle() == Qt::ToolButtonFollowStyle && !b->icon().isNull()))
            return;
        const QSize need = b->fontMetrics().size(Qt::TextShowMnemonic, b->text());
        fits(b, b->text(), need, b->size() - QSize(4, 4));
    }

    // A list shows its chosen item in its field and, while it is open,
    // every item whole.
    void comboBox(QComboBox* c)
    {
        const QString current = c->currentText();
        if (!current.isEmpty()) {
            QRect room;
            if (const QLineEdit* e = c->lineEdit()) {
                // The field's own margin: two pixels each side.
                room = QRect(e->mapTo(c, QPoint(0, 0)), e->size()).marginsRemoved(e->textMargins()).adjusted(2, 0, -2, 0);
            } else {
                QStyleOptionComboBox opt;
                opt.initFrom(c);
                opt.currentText = current;
                room = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
            }
            lineFits(c, c->font(), current, 0, room, Qt::AlignVCenter);
        }
        QAbstractItemView* v = c->view();
        if (!v || !v->isVisible())
            return;
        for (int i = 0; i < c->count(); ++i) {
            const QModelIndex ix = c->model()->index(i, c->modelColumn(), c->rootModelIndex());
            QStyleOptionViewItem o;
            o.initFrom(v);
            o.rect = v->visualRect(ix);
            o.font = v->font();
            const int need = v->itemDelegate()->sizeHint(o, ix).width();
            const int have = v->viewport()->width();
            if (need > have)
                add(nameOf(c), QStringLiteral("the open list's item \"%1\" needs %2 px wide, has %3")
                                   .arg(c->itemText(i))
                                   .arg(need)
                                   .arg(have));
        }
    }

    static QRect titleRect(const QGroupBox* g) { return groupRect(g, QStyle::SC_GroupBoxLabel); }
    static QRect groupRect(const QGroupBox* g, QStyle::SubControl part)
    {
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.lineWidth = 1;
        opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        opt.textAlignment = g->alignment();
        if (g->isFlat())
            opt.features |= QStyleOptionFrame::Flat;
        return g->style()->subControlRect(QStyle::CC_GroupBox, &opt, part, g);
    }

    void groupTitle(QGroupBox* g)
    {
        if (g->title().isEmpty())
            return;
        const QRect label = titleRect(g);
        const int need = g->fontMetrics().horizontalAdvance(g->title());
        if (label.left() + need > g->width() || label.top() < 0 || label.bottom() >= g->height())
            add(nameOf(g), QStringLiteral("title \"%1\" needs %2 px from %3, frame is %4 px wide")
                               .arg(g->title())
                               .arg(need)
                               .arg(label.left())
                               .arg(g->width()));
    }

    // A control inside a frame must leave the frame's title free.
    void titleFree(QGroupBox* g, QWidget* w)
    {
        if (g->title().isEmpty())
            return;
        const QRect title = titleRect(g).intersected(QRect(titleRect(g).topLeft(),
                                                          QSize(g->fontMetrics().horizontalAdvance(g->title()),
                                                                g->fontMetrics().height())));
        const QRect common = title.intersected(w->geometry());
        if (!common.isEmpty() && !allowed(w, g))
            add(nameOf(w), QStringLiteral("covers the title \"%1\" of %2 by %3x%4 px")
                               .arg(g->title(), nameOf(g))
                               .arg(common.width())
                               .arg(common.height()));
    }

    void fits(QWidget* w, const QString& text, const QSize& need, const QSize& room)
    {
        if (need.width() <= room.width() && need.height() <= room.height())
            return;
        add(nameOf(w), QStringLiteral("\"%1\" needs %2x%3 px, has %4x%5")
                           .arg(text)
                           .arg(need.width())
                           .arg(need.height())
                           .arg(room.width())
                           .arg(room.height()));
    }

    // One line of text: its advance must fit the width of room, and its
    // glyphs, placed on the line as the alignment puts them, its height.
    void lineFits(QWidget* w, const QFont& font, const QString& text, int extraWidth, const QRect& room,
                  Qt::Alignment align)
    {
        lineFits(nameOf(w), font, text, extraWidth, room, align);
    }
    void lineFits(const QString& control, const QFont& font, const QString& text, int extraWidth, const QRect& room,
                  Qt::Alignment align)
    {
        const QFontMetrics fm(font);
        // An italic last letter leans out beyond its advance.
        int width = fm.horizontalAdvance(text);
        if (font.italic())
            width = std::max(width, fm.tightBoundingRect(text).right() + 1);
        width += extraWidth;
        if (width > room.width()) {
            add(control, QStringLiteral("\"%1\" needs %2 px wide, has %3").arg(text).arg(width).arg(room.width()));
            return;
        }
        int lineTop = room.top() + (room.height() - fm.height()) / 2;
        if (align & Qt::AlignTop)
            lineTop = room.top();
        else if (align & Qt::AlignBottom)
            lineTop = room.bottom() + 1 - fm.height();
        const QRect ink = fm.tightBoundingRect(text).translated(0, lineTop + fm.ascent());
        if (ink.top() < room.top() || ink.bottom() > room.bottom())
            add(control, QStringLiteral("\"%1\" is cut: its glyphs take %2 px from y %3, the room %4 px from y %5")
                               .arg(text)
                               .arg(ink.height())
                               .arg(ink.top())
                               .arg(room.height())
                               .arg(room.top()));
    }

    // ---- Touching neighbours ----

    // Where the glyphs of lines of text land, drawn one below the other in
    // room with the alignment given.
    static QRect linesInk(const QFont& font, const QStringList& lines, const QRect& room, Qt::Alignment align)
    {
        const QFontMetrics fm(font);
        const int lineHeight = fm.height();
        const int total = lineHeight * static_cast<int>(lines.size());
        int top = room.top() + (room.height() - total) / 2;
        if (align & Qt::AlignTop)
            top = room.top();
        else if (align & Qt::AlignBottom)
            top = room.bottom() + 1 - total;
        QRect ink;
        for (qsizetype k = 0; k < lines.size(); ++k) {
            QString line = lines[k];
            // Trailing blanks take no room in a line that is placed right or
            // centred.
            while (line.endsWith(QLatin1Char(' ')))
                line.chop(1);
            if (line.trimmed().isEmpty())
                continue;
            const int w = fm.horizontalAdvance(line);
            int x = room.left();
            if (align & Qt::AlignRight)
                x = room.right() + 1 - w;
            else if (align & Qt::AlignHCenter)
                x = room.left() + (room.width() - w) / 2;
            ink |= fm.tightBoundingRect(line).translated(x, top + static_cast<int>(k) * lineHeight + fm.ascent());
        }
        return ink;
    }

    // The painted part of a label's text, in the label's coordinates.
    static QRect labelInk(const QLabel* l)
    {
        QRect cr = l->contentsRect();
        const int m = l->margin();
        cr.adjust(m, m, -m, -m);
        if (l->indent() > 0)
            cr.setLeft(cr.left() + l->indent());
        QString text = l->text();
        if (!plainText(l)) {
            QTextDocument doc;
            doc.setDefaultFont(l->font());
            doc.setDocumentMargin(0);
            doc.setHtml(text);
            if (l->wordWrap())
                doc.setTextWidth(cr.width());
            const QSize s(static_cast<int>(std::ceil(doc.idealWidth())), static_cast<int>(std::ceil(doc.size().height())));
            return QStyle::alignedRect(l->layoutDirection(), l->alignment(), s, cr);
        }
        text.remove(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0B-\\x1F]")));
        const QStringList lines = l->wordWrap() ? wrappedLines(l->font(), text, cr.width()) : text.split(QLatin1Char('\n'));
        return linesInk(l->font(), lines, cr, l->alignment());
    }

    // The part of a label's picture that is not transparent, placed (or
    // stretched) as the label shows it.
    static QRect pictureInk(const QLabel* l)
    {
        const QImage img = l->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QRect opaque;
        for (int y = 0; y < img.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(line[x]) > 0)
                    opaque |= QRect(x, y, 1, 1);
        }
        if (opaque.isEmpty())
            return QRect();
        const QRect cr = l->contentsRect();
        if (!l->hasScaledContents())
            return opaque.translated(
                QStyle::alignedRect(l->layoutDirection(), l->alignment(), img.size(), cr).topLeft());
        const qreal sx = qreal(cr.width()) / img.width();
        const qreal sy = qreal(cr.height()) / img.height();
        return QRectF(cr.left() + opaque.left() * sx, cr.top() + opaque.top() * sy, opaque.width() * sx,
                      opaque.height() * sy)
            .toAlignedRect();
    }

    // A colour of its own that the control fills its box with.
    static bool fills(const QWidget* w)
    {
        if (w->styleSheet().contains(QLatin1String("background")))
            return true;
        const QWidget* p = w->parentWidget();
        return w->autoFillBackground() && p &&
               w->palette().color(w->backgroundRole()) != p->palette().color(p->backgroundRole());
    }

    struct Part {
        QRect box;
        QString what;
    };

    // What a control paints itself, in its container's coordinates: a
    // label's glyphs (or its frame, filled background or picture), a check
    // box's or radio button's indicator and glyphs, and for any other
    // control the box it fills. Nothing for a bare container, which shows
    // only its children.
    static std::vector<Part> paintedParts(const QWidget* w)
    {
        std::vector<Part> out;
        auto put = [&](const QRect& r, const QString& what) {
            const QRect in = r.intersected(w->rect());
            if (!in.isEmpty())
                out.push_back({in.translated(w->pos()), what});
        };
        if (auto* l = qobject_cast<const QLabel*>(w)) {
            if (l->frameShape() != QFrame::NoFrame || fills(l))
                put(l->rect(), QStringLiteral("its frame"));
            else if (!l->pixmap().isNull())
                put(pictureInk(l), QStringLiteral("its picture"));
            else if (!l->text().isEmpty())
                put(labelInk(l), QStringLiteral("its text \"%1\"").arg(l->text()));
            return out;
        }
        auto* check = qobject_cast<const QCheckBox*>(w);
        auto* radio = qobject_cast<const QRadioButton*>(w);
        if (check || radio) {
            auto* b = static_cast<const QAbstractButton*>(w);
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            opt.icon = b->icon();
            opt.iconSize = b->iconSize();
            put(b->style()->subElementRect(check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &opt, b),
                QStringLiteral("its indicator"));
            if (!b->text().isEmpty()) {
                QRect cr = b->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents,
                                                      &opt, b);
                if (!b->icon().isNull())
                    cr.setLeft(cr.left() + b->iconSize().width() + 4);
                put(inkOf(b->font(), QString(b->text()).remove(QLatin1Char('&')), cr, Qt::AlignLeft | Qt::AlignVCenter),
                    QStringLiteral("its text \"%1\"").arg(b->text()));
            }
            return out;
        }
        if (auto* g = qobject_cast<const QGroupBox*>(w)) {
            // The style draws the frame's line two pixels round the
            // contents, below the title.
            if (!g->isFlat() || fills(g))
                put(fills(g) ? g->rect() : groupRect(g, QStyle::SC_GroupBoxContents).adjusted(-2, -2, 2, 2),
                    QStringLiteral("its frame"));
            if (!g->title().isEmpty())
                put(inkOf(g->font(), QString(g->title()).remove(QLatin1Char('&')), titleRect(g), Qt::AlignLeft | Qt::AlignVCenter),
                    QStringLiteral("its title \"%1\"").arg(g->title()));
            return out;
        }
        const bool bare = w->metaObject() == &QWidget::staticMetaObject ||
                          (w->metaObject() == &QFrame::staticMetaObject &&
                           static_cast<const QFrame*>(w)->frameShape() == QFrame::NoFrame);
        if (!bare || fills(w))
            put(w->rect(), QStringLiteral("its box"));
        return out;
    }

    // No clear pixel, neither a column nor a row, between the two.
    static bool touching(const QRect& a, const QRect& b)
    {
        if (a.isEmpty() || b.isEmpty())
            return false;
        const int clearX = std::max(b.left() - a.right(), a.left() - b.right()) - 1;
        const int clearY = std::max(b.top() - a.bottom(), a.top() - b.bottom()) - 1;
        return clearX < 1 && clearY < 1;
    }

    // A label, check box or radio button and a neighbour of the same
    // container: what they paint keeps a clear pixel between them, and the
    // text of a check box or radio button stands nearer its own indicator
    // than the next control in its row (else it reads as that control's
    // caption). Boxes that lie on each other are the overlap rule's
    // business.
    void touch(QWidget* a, QWidget* b)
    {
        // A label of a picture only counts as the other's neighbour.
        auto textual = [](const QWidget* w) {
            auto* l = qobject_cast<const QLabel*>(w);
            return (l && l->pixmap().isNull()) || qobject_cast<const QCheckBox*>(w) ||
                   qobject_cast<const QRadioButton*>(w);
        };
        // What a control paints lies inside its box, and a check box's text
        // is never much further from its own indicator than this.
        constexpr int kNear = 16;
        if (!a->geometry().adjusted(-kNear, -kNear, kNear, kNear).intersects(b->geometry()))
            return;
        if ((!textual(a) && !textual(b)) || a->geometry().intersects(b->geometry()) || allowed(a, b))
            return;
        if (isInternal(a) || isInternal(b))
            return;
        if (!textual(a))
            std::swap(a, b);
        const std::vector<Part> partsA = paintedParts(a);
        const std::vector<Part> partsB = paintedParts(b);
        for (const Part& pa : partsA)
            for (const Part& pb : partsB)
                if (touching(pa.box, pb.box)) {
                    add(nameOf(a), QStringLiteral("%1 touches %2 of %3 (no clear pixel between them)")
                                       .arg(pa.what, pb.what, nameOf(b)));
                    return;
                }
        if (!nearerTheNext(a, partsA, b, partsB))
            nearerTheNext(b, partsB, a, partsA);
    }

    // The clear pixels between two boxes side by side; -1 when they do not
    // share a row of pixels or b is not right of a.
    static int clearRightOf(const QRect& a, const QRect& b)
    {
        if (a.isEmpty() || b.isEmpty() || a.bottom() < b.top() || b.bottom() < a.top() || b.left() <= a.right())
            return -1;
        return b.left() - a.right() - 1;
    }

    bool nearerTheNext(QWidget* w, const std::vector<Part>& own, QWidget* next, const std::vector<Part>& theirs)
    {
        if (!qobject_cast<QCheckBox*>(w) && !qobject_cast<QRadioButton*>(w))
            return false;
        // The indicator comes first, the text after it.
        if (own.size() < 2)
            return false;
        const Part& indicator = own.front();
        const Part& text = own.back();
        const int mine = clearRightOf(indicator.box, text.box);
        if (mine < 0)
            return false;
        for (const Part& p : theirs) {
            const int gap = clearRightOf(text.box, p.box);
            if (gap >= 0 && gap < mine) {
                add(nameOf(w), QStringLiteral("%1 stands nearer %2 of %3 than its own indicator (%4 px against %5 px)")
                                   .arg(text.what, p.what, nameOf(next))
                                   .arg(gap)
                                   .arg(mine));
                return true;
            }
        }
        return false;
    }

    // ---- Pictures: texts a control paints itself ----

    // A control that paints itself (a class of the program's own): its texts
    // are looked at with the shapes it draws.
    static bool paintsItself(const QWidget* w)
    {
        // Qt's classes are named Q...; their mangled names begin with the
        // name's length and then Q.
        static const QRegularExpression qt(QStringLiteral("^[0-9]+Q"));
        return !qt.match(QString::fromLatin1(typeid(*w).name())).hasMatch();
    }

    // The texts a control's own painting code draws (a picture, a painted
    // grid or map): each shows whole, no clip cuts its glyphs; it keeps a
    // clear pixel from every outline and every visible fill edge drawn
    // beside or around it; and it stands out from what lies behind it. A
    // picture drawn the same way before is not looked at again.
    void picture(QWidget* w)
    {
        const QString control = nameOf(w);
        {
            PictureRecorder first(w->size(), w->logicalDpiX(), w->logicalDpiY(), false);
            w->render(&first, QPoint(), QRegion(), QWidget::RenderFlags());
            if (!first.drewText())
                return;
            const QByteArray key = (windowName_ + QLatin1Char('|') + control).toUtf8() + first.fingerprint();
            if (picturesSeen_.contains(key))
                return;
            picturesSeen_.insert(key);
        }
        PictureRecorder rec(w->size(), w->logicalDpiX(), w->logicalDpiY(), true);
        w->render(&rec, QPoint(), QRegion(), QWidget::RenderFlags());
        const QImage shown = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<PaintedPart>& parts = rec.parts();
        std::vector<int> rimShows(parts.size(), -1);
        // Where each drawing's painted pixels lie.
        std::vector<QRect> inkRects(parts.size());
        for (std::size_t k = 0; k < parts.size(); ++k)
            inkRects[k] = inkRect(parts[k].ink).translated(parts[k].box.topLeft());
        // The shapes by the squares of a coarse grid they reach into, in the
        // order they were drawn.
        constexpr int kSquare = 32;
        QHash<QPoint, std::vector<std::size_t>> squares;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            if (parts[k].text)
                continue;
            const QRect b = parts[k].box.intersected(QRect(QPoint(0, 0), w->size()).adjusted(-2, -2, 2, 2));
            for (int y = b.top() / kSquare - 1; y <= b.bottom() / kSquare; ++y)
                for (int x = b.left() / kSquare - 1; x <= b.right() / kSquare; ++x)
                    squares[QPoint(x, y)].push_back(k);
        }
        int found = 0;
        int more = 0;
        auto report = [&](const QString& what) {
            if (found < kPictureFindings)
                add(control, what);
            else
                ++more;
            ++found;
        };
        for (const PaintedPart& t : parts) {
            if (!t.text)
                continue;
            const QString name = QStringLiteral("its text \"%1\"").arg(t.what);
            int lost = 0;
            QRect inked;
            int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
            for (int y = 0; y < t.ink.height(); ++y) {
                const uchar* whole = t.whole.constScanLine(y);
                const uchar* ink = t.ink.constScanLine(y);
                for (int x = 0; x < t.ink.width(); ++x) {
                    if (ink[x] >= PictureRecorder::kInk) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    } else if (whole[x] >= PictureRecorder::kInk) {
                        ++lost;
                    }
                }
            }
            if (right >= 0)
                inked = QRect(QPoint(left, top), QPoint(right, bottom));
            if (lost > 0)
                report(QStringLiteral("%1 is cut off: %2 px of its glyphs fall outside where it may be drawn")
                           .arg(name)
                           .arg(lost));
            if (inked.isEmpty())
                continue;
            inked.translate(t.box.topLeft());
            std::vector<std::size_t> near;
            const QRect around = inked.adjusted(-1, -1, 1, 1);
            for (int y = around.top() / kSquare - 1; y <= around.bottom() / kSquare; ++y)
                for (int x = around.left() / kSquare - 1; x <= around.right() / kSquare; ++x)
                    for (std::size_t k : squares.value(QPoint(x, y)))
                        if (parts[k].box.intersects(around))
                            near.push_back(k);
            std::sort(near.begin(), near.end());
            near.erase(std::unique(near.begin(), near.end()), near.end());
            for (std::size_t k : near) {
                const PaintedPart& s = parts[k];
                // A shape without an outline counts where its fill's rim
                // shows and the text runs across it or stands beside it.
                if (!s.fill.isNull() && (onTheFill(t, inked, s) || !rimVisible(s, shown, rimShows[k])))
                    continue;
                // What a later shape's fill covers does not show.
                auto hidden = [&](const QPoint& p) {
                    for (std::size_t j : near)
                        if (j > k && parts[j].opaque && coverage(parts[j].ink, p - parts[j].box.topLeft()) >= 192)
                            return true;
                    return false;
                };
                if (const QPoint at = touchPoint(t, inked, s, hidden); at.x() >= 0) {
                    report(QStringLiteral("%1 touches the %2 of a %3 drawn beside it at %4,%5 (no clear pixel between them)")
                               .arg(name, s.fill.isNull() ? QStringLiteral("outline") : QStringLiteral("edge"), s.what)
                               .arg(at.x())
                               .arg(at.y()));
                    break;
                }
            }
            captionSide(t, inked, parts, inkRects, report);
            pictureContrast(w, t, inked, shown, report);
        }
        if (more > 0)
            add(control, QStringLiteral("and %1 more finding(s) of its texts").arg(more));
    }

    static constexpr int kPictureFindings = 12;

    static QRect inkRect(const QImage& m)
    {
        int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
        for (int y = 0; y < m.height(); ++y) {
            const uchar* line = m.constScanLine(y);
            for (int x = 0; x < m.width(); ++x)
                if (line[x] >= PictureRecorder::kInk) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        }
        return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    }

    // A text between two marks of its line (a lamp and the next one) reads
    // as the caption of the nearer one: the other stands at least a blank
    // of the text's font further away. A text inside a shape belongs to
    // that shape and is not looked at.
    template <typename Report>
    void captionSide(const PaintedPart& t, const QRect& inked, const std::vector<PaintedPart>& parts,
                     const std::vector<QRect>& inkRects, Report& report)
    {
        const int reach = 2 * inked.height();
        int left = INT_MAX;
        int right = INT_MAX;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            const QRect& r = inkRects[k];
            if (parts[k].text || parts[k].what == QLatin1String("line") || r.isEmpty())
                continue;
            if (r.contains(inked))
                return;
            // A mark of the text's line: no taller than twice the text and
            // beside it, not on it.
            if (r.height() > 2 * inked.height() || r.bottom() < inked.top() || r.top() > inked.bottom() ||
                r.intersects(inked))
                continue;
            if (r.right() < inked.left() && inked.left() - r.right() - 1 <= reach)
                left = std::min(left, inked.left() - r.right() - 1);
            else if (r.left() > inked.right() && r.left() - inked.right() - 1 <= reach)
                right = std::min(right, r.left() - inked.right() - 1);
        }
        if (left == INT_MAX || right == INT_MAX || std::min(left, right) < 1)
            return;
        if (std::abs(left - right) < t.blank)
            report(QStringLiteral("its text \"%1\" stands about as near the mark after it (%2 px) as the one before it (%3 px)")
                       .arg(t.what)
                       .arg(right)
                       .arg(left));
    }

    // A fill's rim shows where the picture differs across it: the pixels
    // on its inner side against those just outside, for most of the rim.
    static bool rimVisible(const PaintedPart& s, const QImage& shown, int& cached)
    {
        if (cached >= 0)
            return cached == 1;
        int differs = 0;
        int looked = 0;
        const QRect all = shown.rect();
        for (int y = 0; y < s.edge.height(); ++y)
            for (int x = 0; x < s.edge.width(); ++x) {
                if (s.edge.constScanLine(y)[x] < PictureRecorder::kInk)
                    continue;
                const QPoint p = s.box.topLeft() + QPoint(x, y);
                for (const QPoint d : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
                    const QPoint q = p + d;
                    const QPoint inBox = QPoint(x, y) + d;
                    const bool outside = !s.fill.rect().contains(inBox) ||
                                         s.fill.constScanLine(inBox.y())[inBox.x()] < PictureRecorder::kInk;
                    if (!outside || !all.contains(q) || !all.contains(p))
                        continue;
                    const QRgb a = reinterpret_cast<const QRgb*>(shown.constScanLine(p.y()))[p.x()];
                    const QRgb b = reinterpret_cast<const QRgb*>(shown.constScanLine(q.y()))[q.x()];
                    ++looked;
                    if (std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))}) > 24)
                        ++differs;
                    break;
                }
            }
        cached = looked > 0 && differs * 2 > looked ? 1 : 0;
        return cached == 1;
    }

    static int coverage(const QImage& m, const QPoint& p)
    {
        return m.rect().contains(p) ? int(m.constScanLine(p.y())[p.x()]) : 0;
    }

    // The first pixel of the shape's outline (or rim) with a painted pixel of
    // the text on it or beside it; -1,-1 when there is none. inked: where
    // the text's painted pixels lie.
    template <typename Hidden>
    static QPoint touchPoint(const PaintedPart& t, const QRect& inked, const PaintedPart& s, const Hidden& hidden)
    {
        const QRect near = inked.adjusted(-1, -1, 1, 1).intersected(s.box);
        for (int y = near.top(); y <= near.bottom(); ++y)
            for (int x = near.left(); x <= near.right(); ++x) {
                const QPoint p(x, y);
                if (coverage(s.edge, p - s.box.topLeft()) < PictureRecorder::kInk || hidden(p))
                    continue;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (coverage(t.ink, p + QPoint(dx, dy) - t.box.topLeft()) >= PictureRecorder::kInk)
                            return p;
            }
        return QPoint(-1, -1);
    }

    // Every painted pixel of the text lies on the shape's fill: the shape
    // is the text's own box, which it may fill to the edge.
    static bool onTheFill(const PaintedPart& t, const QRect& inked, const PaintedPart& s)
    {
        for (int y = inked.top(); y <= inked.bottom(); ++y)
            for (int x = inked.left(); x <= inked.right(); ++x) {
                const QPoint p(x, y);
                if (coverage(t.ink, p - t.box.topLeft()) >= PictureRecorder::kInk &&
                    coverage(s.fill, p - s.box.topLeft()) < PictureRecorder::kInk)
                    return false;
            }
        return true;
    }

    // A painted text against the colour that covers most of its place
    // besides its own glyphs.
    template <typename Report>
    void pictureContrast(const QWidget* w, const PaintedPart& t, const QRect& inked,
                         const QImage& shown, Report& report)
    {
        for (const FaintPictureText& f : intendedFaintPictureTexts())
            if ((windowName_ == QLatin1String(f.window) || QLatin1String(f.window) == QLatin1String("*")) &&
                w->objectName() == QLatin1String(f.control) &&
                t.colour.name() == QLatin1String(f.colour))
                return;
        // The colours behind a text are few: counted in a short list.
        std::vector<std::pair<QRgb, int>> count;
        const QRect r = inked.intersected(shown.rect());
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) {
                if (coverage(t.ink, QPoint(x, y) - t.box.topLeft()) > 0)
                    continue;
                const QRgb c = line[x] | 0xFF000000u;
                auto it = std::find_if(count.begin(), count.end(), [c](const auto& e) { return e.first == c; });
                if (it == count.end())
                    count.emplace_back(c, 1);
                else
                    ++it->second;
            }
        }
        QRgb back = 0;
        int most = 0;
        for (const auto& [colour, n] : count)
            if (n > most) {
                most = n;
                back = colour;
            }
        if (most == 0)
            return;
        const double c = contrastOf(t.colour.rgb(), back);
        if (c < minContrast)
            report(QStringLiteral("its text \"%1\" in %2 on %3 is hard to read: contrast %4")
                       .arg(t.what, t.colour.name(), QColor(back).name())
                       .arg(c, 0, 'f', 2));
    }

    // ---- Window titles ----

    // A window is as wide as its title bar needs to show its whole title.
    void titleWhole(QWidget* window)
    {
        if (!window->isWindow() || window->windowTitle().isEmpty() || (window->windowFlags() & Qt::Popup) == Qt::Popup)
            return;
        const int need = ui::titleBarWidth(window->windowTitle());
        if (window->width() < need)
            add(windowName_, QStringLiteral("its title \"%1\" needs a window %2 px wide, the window is %3 px")
                                 .arg(window->windowTitle())
                                 .arg(need)
                                 .arg(window->width()));
    }

    // ---- Text size ----

    static qreal pointsOf(const QFont& f)
    {
        const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
        return f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 72.0 / dpi;
    }

    // Every text the window draws, its controls, its style and its own
    // painting code, in the size it is drawn in.
    void smallTexts(QWidget* window)
    {
        TextRecorder rec(window->size(), window->logicalDpiX(), window->logicalDpiY());
        window->render(&rec);
        QStringList seen;
        for (const DrawnText& t : rec.texts()) {
            if (t.points >= minPoints - 0.001 || t.text.trimmed().isEmpty())
                continue;
            const QPoint at = (t.at + QPointF(1, -t.ascent / 2)).toPoint();
            const QWidget* w = window->childAt(at);
            const QString control = w ? nameOf(w) : windowName_;
            const QString key = control + QLatin1Char('|') + QString::number(t.points);
            if (seen.contains(key))
                continue;
            seen << key;
            add(control, QStringLiteral("\"%1\" is drawn at %2 pt, smaller than %3 pt")
                             .arg(t.text)
                             .arg(t.points, 0, 'f', 2)
                             .arg(minPoints));
        }
    }

    static double luminance(QRgb c)
    {
        auto ch = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(qRed(c)) + 0.7152 * ch(qGreen(c)) + 0.0722 * ch(qBlue(c));
    }
    static double contrastOf(QRgb a, QRgb b)
    {
        const double la = luminance(a);
        const double lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }

    // The text colour against the colour that covers most of the control as
    // the window shows it. Disabled text is the style's business, unless it
    // stands on a colour of the window's own.
    void contrast(QWidget* w, QPalette::ColorRole role)
    {
        if (!w->isEnabled() && !ownBackground(w))
            return;
        for (const FaintText& f : intendedFaintTexts())
            if (windowName_ == QLatin1String(f.window) && w->objectName() == QLatin1String(f.control))
                return;
        const QRect in = shownPart(w).intersected(shot_.rect());
        if (in.isEmpty())
            return;
        const QPalette::ColorGroup group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
        const QRgb fore = w->palette().color(group, role).rgb();
        // What covers most of the control is its background, unless its text
        // covers more; then the background is looked at without the text.
        QRgb back = dominant(shot_, in);
        if (contrastOf(fore, back) >= minContrast)
            return;
        back = dominant(withoutText(w, in), QRect(QPoint(0, 0), in.size()));
        const double c = contrastOf(fore, back);
        if (c < minContrast)
            add(nameOf(w), QStringLiteral("text %1 on %2 (%3) is hard to read: contrast %4")
                               .arg(QColor(fore).name(), QColor(back).name(),
                                    w->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"))
                               .arg(c, 0, 'f', 2));
    }

    static QRgb dominant(const QImage& img, const QRect& r)
    {
        QHash<QRgb, int> count;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = r.left(); x <= r.right(); ++x)
                ++count[line[x] | 0xFF000000u];
        }
        QRgb back = 0;
        int most = -1;
        for (auto it = count.cbegin(); it != count.cend(); ++it)
            if (it.value() > most) {
                most = it.value();
                back = it.key();
            }
        return back;
    }

    // The window's picture of r with w's text taken away for the moment.
    QImage withoutText(QWidget* w, const QRect& r) const
    {
        QString text;
        auto* l = qobject_cast<QLabel*>(w);
        auto* b = qobject_cast<QAbstractButton*>(w);
        if (l) {
            text = l->text();
            l->setText(QString());
        } else if (b) {
            text = b->text();
            b->setText(QString());
        }
        const QImage img = window_->grab(r).toImage().convertToFormat(QImage::Format_RGB32);
        if (l)
            l->setText(text);
        else if (b)
            b->setText(text);
        return img;
    }

    void add(const QString& control, const QString& what) { add(windowName_, state_, control, what); }
    void add(const QString& window, const QString& state, const QString& control, const QString& what)
    {
        findings_.push_back({window, state, control, what});
    }

    void saveShot() const
    {
        const QString dir = qEnvironmentVariable("VELMORA_LAYOUT_SHOTS");
        if (dir.isEmpty())
            return;
        QDir().mkpath(dir);
        QString name = windowName_ + QLatin1Char('-') + state_;
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]+")), QStringLiteral("_"));
        shot_.save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

    std::vector<Overlay> allowed_;
    std::vector<Finding> findings_;
    QWidget* window_ = nullptr;
    QString windowName_;
    QString state_;
    QImage shot_;
    int checked_ = 0;
    QSet<QByteArray> picturesSeen_;
};

} // namespace layout
