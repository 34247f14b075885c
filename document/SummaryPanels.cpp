#include "document/SummaryPanels.h"

#include "state/Globals.h"
#include "rules/decode/SummaryRules.h"
#include "document/frmDocument.h"
#include "platform/Look.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>

namespace decode {

namespace {

// Places on the panels, in twips.
constexpr int kCaptionLeft = 120;
constexpr int kSdramValueLeft = 1800;  // Frame2's value column
constexpr int kDdrValueLeft = 1920;    // Frame10's value column
int ddrValueLeftPx() { return look::tw(kDdrValueLeft); }

// A label for captions made of SPD bytes: control characters (0x00 and the
// like) are drawn as blanks, the caption keeps them. A wrapping one breaks
// its text anywhere, also inside a run of digits without blanks.
class ByteTextLabel : public QLabel {
public:
    ByteTextLabel(QWidget* parent, bool wrap)
        : QLabel(parent)
        , wrap_(wrap)
    {
        setTextFormat(Qt::PlainText);
        setWordWrap(wrap);
    }
    QSize sizeHint() const override
    {
        if (wrap_)
            return size();
        const QMargins m = contentsMargins();
        return fontMetrics().size(Qt::TextSingleLine, shown()) + QSize(m.left() + m.right(), m.top() + m.bottom());
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        const int flags = wrap_ ? (Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere) : (Qt::AlignLeft | Qt::AlignVCenter);
        p.drawText(contentsRect(), flags, shown());
    }

private:
    QString shown() const
    {
        QString s = text();
        for (QChar& c : s)
            if (c.category() == QChar::Other_Control)
                c = QLatin1Char(' ');
        return s;
    }
    bool wrap_;
};

void makeRed(QLabel* l)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(look::kRed));
    l->setPalette(pal);
}

QLabel* staticCaption(QWidget* parent, const QString& caption, int left, int top)
{
    auto* l = new QLabel(caption, parent);
    l->move(look::tw(left), look::tw(top));
    l->adjustSize();
    return l;
}

QLabel* valueLabel(QWidget* parent, Field f, const QString& caption, int left, int top)
{
    // Part numbers show SPD bytes as characters.
    const bool bytes = f == Field::Label18 || f == Field::Label144;
    QLabel* l = bytes ? new ByteTextLabel(parent, false) : new QLabel(parent);
    l->setObjectName(nameOf(f));
    l->setTextFormat(Qt::PlainText);
    l->setText(caption);
    l->move(look::tw(left), look::tw(top));
    l->adjustSize();
    makeRed(l);
    return l;
}

// The summary panels use a narrower face of the window's font so that a row
// holds its caption and its value within the panel's fixed width.
void condense(QGroupBox* frame)
{
    QFont f = frame->font();
    f.setStretch(QFont::SemiCondensed);
    frame->setFont(f);
}

// Labels of a fixed size that wrap their captions onto a second line.
bool wrapsInPlace(Field f)
{
    return f == Field::Label28 || f == Field::Label147 || f == Field::Label59 || f == Field::Label148 ||
           f == Field::Label126;
}

// A value label that takes two lines of the panel, from its place to the
// panel's right edge.
void twoLines(QLabel* l, int pitch)
{
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(l->x(), l->y(), l->parentWidget()->width() - l->x() - 4, look::tw(2 * pitch));
}

void setCaption(QLabel* l, const QString& text, bool autoSize = true)
{
    if (!l || l->text() == text)
        return;
    l->setText(text);
    if (autoSize)
        l->adjustSize();
}

void apply(frmDocument& doc, const Effects& fx)
{
    if (fx.lookup)
        doc.JEDEC_PROG(fx.lookupKey);
    for (int i = 0; i < fx.count; ++i) {
        const Caption& c = fx.captions[static_cast<std::size_t>(i)];
        setCaption(doc.L(nameOf(c.field)), c.text, !wrapsInPlace(c.field));
    }
    if (fx.label59Visible >= 0) {
        if (QLabel* l59 = doc.L(nameOf(Field::Label59))) {
            const bool shown = fx.label59Visible == 1;
            if (l59->isHidden() == shown)
                l59->setVisible(shown);
            // The document's lookups leave the label's caption in the JEDEC
            // name string.
            velmora::gs().jedecName = l59->text();
        }
    }
    // A long list of CAS latencies keeps to the value column: its label
    // wraps onto the line kept free under it (fx.moveLabel126 needs no move).
    if (fx.setOptcrc1) {
        if (QRadioButton* b = doc.Optcrc(1); b && b->text() != fx.optcrc1) {
            b->setText(fx.optcrc1);
            b->adjustSize();
        }
    }
}

} // namespace

void buildSdramPanel(frmDocument&, QGroupBox* frame2)
{
    condense(frame2);
    struct Row {
        const char* caption;
        Field value;
    };
    static const Row rows[] = {
        {"Memory Type(2)", Field::Label29},       {"DIMM Type(B)", Field::Label37},
        {"Module Density(1F)", Field::Label41},   {"Module Ranks(5)", Field::Label32},
        {"Module Speed(9)", Field::Label35},      {"Interface Level(8)", Field::Label34},
        {"SDRAM Density", Field::Label158},       {"SDRAM Width(D)", Field::Label39},
        {"Refresh Time(C)", Field::Label38},      {"Number of Row(3)", Field::Label30},
        {"Number of Col(4)", Field::Label31},     {"CL Support(12)", Field::Label42},
        {"Trp(1B)", Field::Label44},              {"Trrd(1C)", Field::Label14},
        {"Trcd(1D)", Field::Label43},             {"Tras(1E)", Field::Label45},
        {"Checksum(3F)", Field::Label46},         {"JEDEC ID (40-47)", Field::Label6},
        {"Location(48)", Field::Label36},         {"Part Number(49-5A)", Field::Label18},
        {"Revision(5B-5C)", Field::Label47},      {"Date Code(5D-5E)", Field::Label49},
        {"Serial Number(5F-62)", Field::Label26}, {"Specific Data(63-7F)", Field::Label28},
    };
    constexpr int top = 100;
    constexpr int pitch = 212;
    constexpr int indent = kCaptionLeft + 120;
    int line = 0;
    for (const Row& r : rows) {
        const int y = top + line * pitch;
        staticCaption(frame2, QLatin1String(r.caption), kCaptionLeft, y);
        if (r.value == Field::Label6) {
            // The sixteen identifier digits stand in the value column; the
            // maker's name takes the two lines under them, across the panel.
            valueLabel(frame2, Field::Label6, QString(), kSdramValueLeft, y);
            QLabel* l59 = valueLabel(frame2, Field::Label59, QString(), indent, y + pitch);
            twoLines(l59, pitch);
            line += 3;
        } else if (r.value == Field::Label28) {
            // The specific data wraps below its caption, across the panel.
            auto* l28 = new ByteTextLabel(frame2, true);
            l28->setObjectName(nameOf(Field::Label28));
            makeRed(l28);
            l28->setGeometry(look::twRect(indent, y + pitch, 3615 - indent - 60, 2 * pitch + 30));
            line += 3;
        } else {
            valueLabel(frame2, r.value, QString(), kSdramValueLeft, y);
            ++line;
        }
    }
}

void buildDdr34Panel(frmDocument&, QGroupBox* frame10)
{
    condense(frame10);
    struct Row {
        const char* caption;  // nullptr: Label115 is the row's own caption
        Field value;
    };
    static const Row rows[] = {
        {"Memory Type", Field::Label120},      {"DIMM Type", Field::Label116},
        {"Module Density", Field::Label117},   {"Module Ranks ", Field::Label118},
        {"Module Speed ", Field::Label119},    {"Module Bus Width", Field::Label133},
        {"Module Voltage", Field::Label155},   {"SDRAM Density", Field::Label121},
        {"SDRAM Width", Field::Label125},      {"SDRAM Banks", Field::Label122},
        {"Number of Row", Field::Label123},    {"Number of Col", Field::Label124},
        {"CL Support", Field::Label126},       {"CL-tAA", Field::Label128},
        {"tRCD", Field::Label129},             {"tRP", Field::Label127},
        {"tRAS", Field::Label130},             {nullptr, Field::Label131},
        {"Manufacture Location", Field::Label141}, {"Manufacture Date", Field::Label142},
        {"Serial Number", Field::Label143},    {"Part Number", Field::Label144},
        {"JEDEC ID", Field::Label146},         {"Specific Data", Field::Label147},
    };
    // The CAS latencies may take a second line, the DRAM maker's name the
    // two lines under its identifier.
    constexpr int top = 110;
    constexpr int pitch = 212;
    constexpr int indent = kCaptionLeft + 120;
    int line = 0;
    for (const Row& r : rows) {
        const int y = top + line * pitch;
        if (r.caption) {
            staticCaption(frame10, QLatin1String(r.caption), kCaptionLeft, y);
        } else {
            // Its captions reach up to the value column ("CRC (0-125)/(128-253)").
            QLabel* l115 = valueLabel(frame10, Field::Label115, QStringLiteral("CRC (0-125)"), kCaptionLeft, y);
            l115->setMinimumWidth(look::tw(kDdrValueLeft - kCaptionLeft - 60));
            l115->adjustSize();
        }
        if (r.value == Field::Label147) {
            // The specific data may take two lines.
            auto* l147 = new ByteTextLabel(frame10, true);
            l147->setObjectName(nameOf(Field::Label147));
            makeRed(l147);
            l147->setGeometry(ddrValueLeftPx(), look::tw(y), frame10->width() - ddrValueLeftPx() - 4, look::tw(2 * pitch));
            line += 2;
            continue;
        }
        QLabel* v = valueLabel(frame10, r.value, QString(), kDdrValueLeft, y);
        if (r.value == Field::Label126) {
            twoLines(v, pitch);
            line += 2;
            continue;
        }
        if (r.value == Field::Label146) {
            // The DRAM maker's name takes the two lines under the four
            // identifier digits, across the panel.
            QLabel* l148 = valueLabel(frame10, Field::Label148, QString(), indent, y + pitch);
            twoLines(l148, pitch);
            line += 3;
            continue;
        }
        ++line;
    }
}

void ddr2_table_chang(frmDocument& doc, int A) { apply(doc, ddr2Rules(doc.image(), A)); }
void ddr3_table_chang(frmDocument& doc, int A) { apply(doc, ddr3Rules(doc.image(), A)); }
void ddr4_table_chang(frmDocument& doc, int A) { apply(doc, ddr4Rules(doc.image(), A)); }

} // namespace decode
