#include "app/PinViewers.h"

#include "state/Globals.h"
#include "platform/Look.h"
#include "resources/Pictures.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QAbstractItemView>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

using look::tw;
using look::twRect;
using velmora::gs;

namespace {

QFont mingFont(qreal points, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("新細明體"), QStringLiteral("PMingLiU"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Noto Sans CJK TC")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QLabel* redLabel(QWidget* parent, const char* name, qreal points, const QRect& r, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(mingFont(points, true));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(look::kRed));
    l->setPalette(pal);
    l->setGeometry(r);
    return l;
}

// Swallows Return and Enter in a list's edit field, which would otherwise
// choose the item whose text was typed.
class IgnoreTypedChoice : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                e->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, e);
    }
};

void showStart(QComboBox* c)
{
    if (c->lineEdit())
        c->lineEdit()->setCursorPosition(0);
}

// A list with an edit field whose typed text changes nothing: no completion,
// nothing inserted.
QComboBox* list(QWidget* parent, const char* name, const QRect& r, const QString& text, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setCompleter(nullptr);
    c->lineEdit()->installEventFilter(new IgnoreTypedChoice(c));
    c->setFont(mingFont(9.75, false));
    for (int i = 0; i < items.size(); ++i)
        c->addItem(items[i], i);
    c->setCurrentIndex(-1);
    c->setEditText(text);
    // The field shows the longest item whole, with the edit field's margin
    // of two pixels each side: the list keeps its right edge and grows to
    // the left as far as that needs.
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = true;
    opt.frame = true;
    opt.rect = QRect(QPoint(0, 0), r.size());
    const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
    const QFontMetrics fm(c->font());
    int widest = fm.horizontalAdvance(text);
    for (const QString& item : items)
        widest = std::max(widest, fm.horizontalAdvance(item));
    QRect place = r;
    place.setLeft(std::min(r.left(), r.right() + 1 - (widest + 4 + r.width() - field.width())));
    c->setGeometry(place);
    c->raise();
    // The list opens wide enough for its longest item, and the field shows
    // the start of its text.
    c->view()->setMinimumWidth(c->view()->sizeHintForColumn(0) + 24);
    showStart(c);
    return c;
}

// The label keeps its place and its designed font; it grows to show its
// whole caption, up to room pixels, and only a caption wider than that is
// drawn smaller.
void setCaption(QLabel* l, const QRect& design, qreal points, int room, const QString& text)
{
    QFont f = l->font();
    f.setPointSizeF(points);
    while (f.pointSizeF() > 8 && QFontMetrics(f).horizontalAdvance(text) + 4 > room)
        f.setPointSizeF(f.pointSizeF() - 0.5);
    l->setFont(f);
    l->setText(text);
    l->resize(qMax(design.width(), qMin(room, l->sizeHint().width())), design.height());
}

// Chip viewer rows: picture control, place (left, top, width, height in
// twips), caption on choosing the row from the list.
struct ChipRow {
    const char* name;
    int top;
    const char* caption;
};
const ChipRow kChips[7] = {
    {"D1X8_IMG", 1080, "DDR1 (x4,x8,x16)"}, {"D2X8_IMG", 1200, "DDR2 (x4,x8)"}, {"D2X16_IMG", 1200, "DDR2 (x16)"},
    {"D3X8_IMG", 1080, "DDR3 (x4,x8)"},     {"D3X16_IMG", 1080, "DDR3 (x16)"},  {"D4X8_IMG", 1080, "DDR4 (x4,x8)"},
    {"D4X16_IMG", 1200, "DDR4 (x16)"},
};
const QRect kIcLabel = twRect(2520, 600, 2130, 360);
constexpr qreal kIcPoints = 18;
// The chip caption may reach the window's right edge.
int icRoom() { return look::tw(6585) - kIcLabel.left() - 6; }

struct ModuleRow {
    const char* name;
    int top;
    int width;
    int height;
    const char* caption;
};
const ModuleRow kModules[7] = {
    // The two pictures designed at top 360 start under the caption and the
    // list (450), which they would otherwise cover.
    {"DDR_DIMM_IMG", 450, 4755, 8505, "DDR-DIMM184"},      {"DDR_SODIMM_IMG", 480, 4755, 8505, "DDR-SODIMM200"},
    {"DDR2_DIMM_IMG", 480, 4755, 8505, "DDR2-DIMM240"},    {"DDR2_SODIMM_IMG", 480, 4755, 8505, "DDR2-SODIMM200"},
    {"DDR3_DIMM_IMG", 450, 4755, 8505, "DDR3-DIMM240"},    {"DDR3_SODIMM_IMG", 480, 4755, 8505, "DDR3-SODIMM204"},
    {"DDR4_DIMM_IMG", 480, 4725, 8955, "DDR4-DIMM288"},
};
const QRect kModuleLabel = twRect(1560, 75, 2355, 315);
constexpr qreal kModulePoints = 15.75;
// The module caption stops short of the list beside it.
int moduleRoom(const QComboBox* list) { return list->x() - kModuleLabel.left() - 6; }

// The scrolling box of a module picture; the picture inside follows the
// box's width.
class ModuleBox : public QScrollArea {
public:
    ModuleBox(int index, QWidget* parent)
        : QScrollArea(parent)
    {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setWidgetResizable(false);
        canvas_ = new MapPicture(MapPicture::Module, index, this);
        setWidget(canvas_);
    }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QScrollArea::resizeEvent(e);
        fit();
    }
    void showEvent(QShowEvent* e) override
    {
        QScrollArea::showEvent(e);
        fit();
    }

private:
    void fit()
    {
        const int w = viewport()->width();
        canvas_->resize(w, pictures::moduleMapHeight(canvas_->index(), w));
    }
    MapPicture* canvas_;
};

} // namespace

MapPicture::MapPicture(Kind kind, int index, QWidget* parent)
    : QWidget(parent)
    , kind_(kind)
    , index_(index)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapPicture::paintEvent(QPaintEvent*)
{
    QPainter g(this);
    if (kind_ == Chip)
        pictures::paintChipMap(g, QRectF(rect()), index_);
    else
        pictures::paintModuleMap(g, width(), index_);
}

PinViewer::PinViewer(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

int PinViewer::shownPicture() const
{
    for (int i = 0; i < 7; ++i)
        if (!pictures_[static_cast<std::size_t>(i)]->isHidden())
            return i;
    return -1;
}

void PinViewer::showOnly(int index)
{
    for (int i = 0; i < 7; ++i)
        pictures_[static_cast<std::size_t>(i)]->setVisible(i == index);
}

void PinViewer::closeEvent(QCloseEvent* e)
{
    unloaded_ = true;
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------------------

FrmICMAP::FrmICMAP(QWidget* parent)
    : PinViewer(parent)
{
    setObjectName(QStringLiteral("FrmICMAP"));
    setWindowTitle(QStringLiteral("IC Pin"));
    setWindowIcon(pictures::chipViewerIcon());
    move(tw(45), tw(1605));
    resize(tw(6585), tw(8985));

    for (int i = 0; i < 7; ++i) {
        auto* p = new MapPicture(MapPicture::Chip, i, this);
        p->setObjectName(QString::fromLatin1(kChips[i].name));
        // The picture keeps its place and width and reaches down to the
        // window's foot, less the margin the list keeps at the top: its
        // rows get the height their names need on two lines.
        const QRect r = twRect(720, kChips[i].top, 5505, 7005);
        p->setGeometry(r.left(), r.top(), r.width(), std::max(r.height(), height() - r.top() - tw(120)));
        p->setVisible(i == 5);
        pictures_[static_cast<std::size_t>(i)] = p;
    }
    label_ = redLabel(this, "ICNAME_LABEL", kIcPoints, kIcLabel, QString());
    setCaption(label_, kIcLabel, kIcPoints, icRoom(), QStringLiteral("DDR4 (x4,x8)"));
    combo_ = list(this, "IC_COMBO", twRect(4560, 120, 1935, 315), QStringLiteral("DDR4 (x4,x8)"),
                  {QStringLiteral("DDR ( x4 , x8 , x16 )"), QStringLiteral("DDR2 ( x4 , x8 )"),
                   QStringLiteral("DDR2 ( x16 )"), QStringLiteral("DDR3 ( x4 , x8 )"), QStringLiteral("DDR3 ( x16 )"),
                   QStringLiteral("DDR4 (x4,x8)DDR4"), QStringLiteral("DDR4 (x16)")});
    connect(combo_, &QComboBox::activated, this, [this](int) { IC_COMBO_Click(); });
}

void FrmICMAP::Form_Load()
{
    const int type = gs().currentMemoryType;
    const int width = gs().deviceWidthCode;
    const bool narrow = width == 4 || width == 8;
    int row = -1;
    QString caption;
    if (type == 7) {
        row = 0;
        caption = QStringLiteral("DDR1 (x4,x8,x16)");
    } else if (type == 8 && narrow) {
        row = 1;
        caption = QStringLiteral("DDR2 (x4,x8)");
    } else if (type == 8 && width == 16) {
        row = 2;
        caption = QStringLiteral("DDR2 (X16)");
    } else if (type == 11 && narrow) {
        row = 3;
        caption = QStringLiteral("DDR3 (x4,x8)");
    } else if (type == 11 && width == 16) {
        row = 4;
        caption = QStringLiteral("DDR3 (x16)");
    } else if (type == 12 && narrow) {
        row = 5;
        caption = QStringLiteral("DDR4 (x4,x8)");
    } else if (type == 12 && width == 16) {
        row = 6;
        caption = QStringLiteral("DDR4 (x16)");
    }
    if (row < 0)
        return;
    showOnly(row);
    combo_->setCurrentIndex(row);
    IC_COMBO_Click();
    setCaption(label_, kIcLabel, kIcPoints, icRoom(), caption);
}

void FrmICMAP::IC_COMBO_Click()
{
    const int i = combo_->currentIndex();
    if (i < 0 || i > 6)
        return;
    showOnly(i);
    showStart(combo_);
    setCaption(label_, kIcLabel, kIcPoints, icRoom(), QString::fromLatin1(kChips[i].caption));
}

// ---------------------------------------------------------------------------

FrmMDMAP::FrmMDMAP(QWidget* parent)
    : PinViewer(parent)
{
    setObjectName(QStringLiteral("FrmMDMAP"));
    setWindowTitle(QStringLiteral("Module Pin"));
    setWindowIcon(pictures::moduleViewerIcon());
    move(tw(45), tw(1560));
    resize(tw(6585), tw(8985));

    for (int i = 0; i < 7; ++i) {
        auto* box = new ModuleBox(i, this);
        box->setObjectName(QString::fromLatin1(kModules[i].name));
        // The box keeps its place and width and ends at the window's foot.
        const QRect r = twRect(600, kModules[i].top, kModules[i].width, kModules[i].height);
        box->setGeometry(r.left(), r.top(), r.width(), qMin(r.height(), height() - r.top()));
        box->setVisible(i == 6);
        pictures_[static_cast<std::size_t>(i)] = box;
    }
    label_ = redLabel(this, "MODULE_LABEL", kModulePoints, kModuleLabel, QString());
    QStringList items;
    for (const ModuleRow& r : kModules)
        items << QString::fromLatin1(r.caption);
    combo_ = list(this, "DIMM_COMBO", twRect(4680, 120, 1815, 315), QStringLiteral("DDR4-DIMM288"), items);
    setCaption(label_, kModuleLabel, kModulePoints, moduleRoom(combo_), QStringLiteral("DDR4-DIMM288"));
    connect(combo_, &QComboBox::activated, this, [this](int) { DIMM_COMBO_Click(); });
}

void FrmMDMAP::Form_Load()
{
    const int type = gs().currentMemoryType;
    const int so = gs().soDimmFlag;
    int row = -1;
    if (type == 7)
        row = so == 1 ? 1 : so == 0 ? 0 : -1;
    else if (type == 8)
        row = so == 1 ? 3 : so == 0 ? 2 : -1;
    else if (type == 11)
        row = so == 1 ? 5 : so == 0 ? 4 : -1;
    else if (type == 12 && so == 0)
        row = 6;
    if (row < 0)
        return;
    showOnly(row);
    combo_->setCurrentIndex(row);
    DIMM_COMBO_Click();
    setCaption(label_, kModuleLabel, kModulePoints, moduleRoom(combo_), QString::fromLatin1(kModules[row].caption));
}

void FrmMDMAP::DIMM_COMBO_Click()
{
    const int i = combo_->currentIndex();
    if (i < 0 || i > 6)
        return;
    showOnly(i);
    showStart(combo_);
    setCaption(label_, kModuleLabel, kModulePoints, moduleRoom(combo_), QString::fromLatin1(kModules[i].caption));
}
