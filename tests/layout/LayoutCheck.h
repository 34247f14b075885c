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
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
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
#include <algorithm>
#include <climits>
#include <cmath>
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

// One text as a window draws it: where its line starts (window pixels), the
// size it is drawn in (points on the screen, the painter's scale included)
// and the text.
struct DrawnText {
    QPointF at;
    qreal points;
    qreal ascent;
    QString text;
};

// A paint device that draws nothing and keeps every text painted on it: a
// window rendered onto it tells the size of every text its controls, its
// style and its own painting code draw.
class TextRecorder : public QPaintDevice {
public:
    TextRecorder(const QSize& size, int dpiX, int dpiY)
        : size_(size)
        , dpiX_(dpiX)
        , dpiY_(dpiY)
        , engine_(this)
    {
    }
    QPaintEngine* paintEngine() const override { return &engine_; }
    const std::vector<DrawnText>& texts() const { return texts_; }

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

    QSize size_;
    int dpiX_;
    int dpiY_;
    mutable Engine engine_;
    std::vector<DrawnText> texts_;
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
};

} // namespace layout
