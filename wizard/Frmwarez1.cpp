#include "wizard/Frmwarez1.h"

#include "platform/Look.h"
#include "resources/WizardPicture.h"
#include "rules/wizard/WizardAnswers.h"
#include "state/Globals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <initializer_list>
#include <utility>

using look::tw;
using look::twRect;
using velmora::gs;

namespace {

// Every page frame lies here, right of the picture.
QRect pagePlace() { return twRect(3000, 480, 3615, 1815); }

QGroupBox* pageFrame(const QString& name, const QString& caption, QWidget* parent)
{
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(name);
    f->setGeometry(pagePlace());
    f->hide();
    return f;
}

QLabel* label(const QString& name, const QString& caption, int left, int top, QWidget* parent)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->move(tw(left), tw(top));
    l->adjustSize();
    return l;
}

// A drop-down list without an edit field: the user can only pick an item.
QComboBox* list(const QString& name, int left, int top, int width, int height, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(false);
    c->setGeometry(twRect(left, top, width, height));
    return c;
}

// Captions and their lists, one pair a row: each caption sits level with
// its list, and where the window's font makes a caption wider than the
// design's, the lists move right together (narrowing to stay inside the
// frame) so that nothing is covered and they keep one left edge.
void placeRows(std::initializer_list<std::pair<QLabel*, QComboBox*>> rows)
{
    int left = 0;
    for (const auto& [caption, box] : rows)
        left = std::max({left, box->x(), caption->x() + caption->width() + 6});
    for (const auto& [caption, box] : rows) {
        QRect r = box->geometry();
        r.setHeight(qMax(r.height(), qMin(box->sizeHint().height(), 22)));
        r.setLeft(left);
        r.setRight(qMin(r.right(), box->parentWidget()->width() - 8));
        box->setGeometry(r);
        caption->move(caption->x(), r.top() + (r.height() - caption->height()) / 2);
    }
}

template <std::size_t N>
int checkedIndex(const std::array<QRadioButton*, N>& options)
{
    for (std::size_t i = 0; i < N; ++i)
        if (options[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}

} // namespace

Frmwarez1::Frmwarez1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmwarez1"));
    setWindowTitle(QStringLiteral("SPD Wizard"));
    setFixedSize(tw(7590), tw(3480));

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(twRect(480, 480, 1800, 1920));
    image1_->setScaledContents(true);
    image1_->setPixmap(pictures::wizardPicture(image1_->size() * 2));

    // Module type page.
    frame1_ = pageFrame(QStringLiteral("Frame1"), QStringLiteral("Module Type"), this);
    const QStringList types = wizard::typeCaptions();
    for (int i = 0; i < 5; ++i) {
        auto* o = new QRadioButton(types.at(i), frame1_);
        o->setObjectName(QStringLiteral("optRamType(%1)").arg(i));
        o->setGeometry(twRect(360, 270 + i * 300, 3000, 285));
        optRamType_[static_cast<std::size_t>(i)] = o;
    }

    // Speed pages, one per memory type; each option array is a group of its own.
    const char* frameNames[5] = {"FraSDRFreq", "FraDDRFreq", "FraDDR2Freq", "FraDDR3freq", "FraDDR4freq"};
    const char* frameCaptions[5] = {"SDRAM Module Speed", "DDR-1 Module Speed", "DDR-2 Module Speed",
                                    "DDR-3 Module Speed", "DDR-4 Module Speed"};
    const char* optionNames[5] = {"optRamTypeSDR", "optRamTypeDDR", "optRamTypeDDR2", "optRamTypeDDR3",
                                  "optRamTypeDDR4"};
    for (int t = 0; t < 5; ++t) {
        QGroupBox* f = pageFrame(QString::fromLatin1(frameNames[t]), QString::fromLatin1(frameCaptions[t]), this);
        speedFrames_[static_cast<std::size_t>(t)] = f;
        const QStringList captions = wizard::speedCaptions(t + 1);
        for (int i = 0; i < 4; ++i) {
            auto* o = new QRadioButton(captions.at(i), f);
            o->setObjectName(QStringLiteral("%1(%2)").arg(QString::fromLatin1(optionNames[t])).arg(i));
            o->setGeometry(twRect(360, 330 + i * 330, 3000, 285));
            speedOptions_[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] = o;
        }
    }

    // Module parameter page. The frame's caption takes more room than the
    // design allowed for, so the rows start 60 twips lower.
    fraDramIC_ = pageFrame(QStringLiteral("fraDramIC"), QStringLiteral("Module Parameter"), this);
    QLabel* lblICSize = label(QStringLiteral("lblICSize"), QStringLiteral("DRAM Memory Size"), 120, 380, fraDramIC_);
    cboSize_ = list(QStringLiteral("CboSize"), 1680, 300, 1815, 300, fraDramIC_);
    QLabel* lblDataWidth = label(QStringLiteral("lblDataWidth"), QStringLiteral("DRAM Data Width"), 120, 740, fraDramIC_);
    cboDataWidth_ = list(QStringLiteral("CboDataWidth"), 1680, 660, 1815, 300, fraDramIC_);
    QLabel* lblSide = label(QStringLiteral("lblSide"), QStringLiteral("Module Side"), 120, 1090, fraDramIC_);
    cboSide_ = list(QStringLiteral("CboSide"), 1680, 1020, 1815, 300, fraDramIC_);
    placeRows({{lblICSize, cboSize_}, {lblDataWidth, cboDataWidth_}, {lblSide, cboSide_}});
    check1_ = new QCheckBox(QStringLiteral("With ECC"), fraDramIC_);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setGeometry(twRect(1680, 1470, 1215, 255));
    check1_->move(cboSize_->x(), check1_->y());
    check1_->resize(check1_->size().expandedTo(check1_->sizeHint()));

    // Module timing page.
    fraDramTime_ = pageFrame(QStringLiteral("fraDramTime"), QStringLiteral("Module Timing"), this);
    QLabel* label2 = label(QStringLiteral("Label2"), QStringLiteral("tCL"), 600, 420, fraDramTime_);
    cbotcl_ = list(QStringLiteral("cbotcl"), 1320, 360, 1815, 300, fraDramTime_);
    QLabel* label3 = label(QStringLiteral("Label3"), QStringLiteral("tRCD"), 480, 780, fraDramTime_);
    cbotrcd_ = list(QStringLiteral("cbotrcd"), 1320, 720, 1815, 300, fraDramTime_);
    QLabel* label4 = label(QStringLiteral("Label4"), QStringLiteral("tRP"), 600, 1160, fraDramTime_);
    cbotrp_ = list(QStringLiteral("cbotrp"), 1320, 1080, 1815, 300, fraDramTime_);
    QLabel* label5 = label(QStringLiteral("Label5"), QStringLiteral("tRAS"), 480, 1500, fraDramTime_);
    cbotras_ = list(QStringLiteral("cbotras"), 1320, 1440, 1815, 300, fraDramTime_);
    placeRows({{label2, cbotcl_}, {label3, cbotrcd_}, {label4, cbotrp_}, {label5, cbotras_}});

    // Manufacturer page: two single-line boxes without limit or filter.
    fraInfo_ = pageFrame(QStringLiteral("fraInfo"), QStringLiteral("Module Manufacture's Information"), this);
    label(QStringLiteral("Label6"), QStringLiteral("JEDEC ID"), 360, 600, fraInfo_);
    text1_ = new QLineEdit(fraInfo_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twRect(1320, 540, 2055, 300));
    label(QStringLiteral("Label7"), QStringLiteral("Part Num"), 360, 1140, fraInfo_);
    text2_ = new QLineEdit(fraInfo_);
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setGeometry(twRect(1320, 1080, 2055, 300));

    auto button = [this](const QString& name, const QString& caption, int left) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(twRect(left, 2640, 1095, 375));
        // Enter pressed in a box presses no button: "Finish" is only ever
        // pressed on purpose.
        b->setAutoDefault(false);
        return b;
    };
    command1_ = button(QStringLiteral("Command1"), QStringLiteral("Cancel"), 1560);
    command2_ = button(QStringLiteral("Command2"), QStringLiteral("Previous"), 3000);
    command3_ = button(QStringLiteral("Command3"), QStringLiteral("Next"), 4440);
    command4_ = button(QStringLiteral("Command4"), QStringLiteral("Finish"), 5880);

    // Keyboard order: "Next", "Finish", "Cancel", "Previous", then the pages.
    QList<QWidget*> order{command3_, command4_, command1_, command2_};
    for (QRadioButton* o : optRamType_)
        order << o;
    for (const auto& options : speedOptions_)
        for (QRadioButton* o : options)
            order << o;
    order << cboSide_ << cboSize_ << cboDataWidth_ << check1_;
    order << cbotras_ << cbotrp_ << cbotrcd_ << cbotcl_;
    order << text1_ << text2_;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));

    connect(command1_, &QPushButton::clicked, this, &Frmwarez1::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &Frmwarez1::Command2_Click);
    connect(command3_, &QPushButton::clicked, this, &Frmwarez1::Command3_Click);
    connect(command4_, &QPushButton::clicked, this, &Frmwarez1::Command4_Click);

    frame1_->show();
    command3_->setFocus();
    Form_Load();
}

void Frmwarez1::Form_Load()
{
    step_ = 0;
    // A fresh window has no type chosen; "SDRAM" stands until the user
    // picks another.
    if (gs().wizardAnswers[wizard::element::Type] == 0 || checkedIndex(optRamType_) < 0)
        optRamType_[0]->setChecked(true);
    command2_->setEnabled(false);
    command4_->setEnabled(false);
}

void Frmwarez1::Command1_Click() { reject(); }

void Frmwarez1::Command2_Click()
{
    --step_;
    step1();
}

void Frmwarez1::Command3_Click()
{
    ++step_;
    step1();
}

void Frmwarez1::Command4_Click()
{
    step_ = 5;
    gs().wizardFinished = -1;
    step1();
    accept();
}

void Frmwarez1::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

int Frmwarez1::selectedType() const
{
    const int i = checkedIndex(optRamType_);
    return i < 0 ? wizard::kSdram : i + 1;
}

void Frmwarez1::showPage(QGroupBox* page)
{
    QGroupBox* pages[] = {frame1_, speedFrames_[0], speedFrames_[1], speedFrames_[2], speedFrames_[3],
                          speedFrames_[4], fraDramIC_, fraDramTime_, fraInfo_};
    for (QGroupBox* p : pages)
        if (p != page)
            p->hide();
    page->setGeometry(pagePlace());
    page->show();
}

void Frmwarez1::setButtons(bool previous, bool next, bool finish)
{
    command2_->setEnabled(previous);
    command3_->setEnabled(next);
    command4_->setEnabled(finish);
}

void Frmwarez1::step1()
{
    namespace el = wizard::element;
    auto& a = gs().wizardAnswers;
    switch (step_) {
    case 0:  // module type
        setButtons(false, true, false);
        showPage(frame1_);
        a[el::Type] = static_cast<std::int16_t>(selectedType());
        break;
    case 1: {  // speed: the chosen type's frame, its default option selected again
        setButtons(true, true, false);
        const int type = selectedType();
        a[el::Type] = static_cast<std::int16_t>(type);
        speedOption(type, wizard::defaultSpeedOption(type))->setChecked(true);
        showPage(speedFrame(type));
        break;
    }
    case 2: {  // module parameters
        setButtons(true, true, false);
        const int type = a[el::Type];
        int option = checkedIndex(speedOptions_.at(static_cast<std::size_t>(type - 1)));
        if (option < 0)
            option = wizard::defaultSpeedOption(type);
        a[el::Speed] = static_cast<std::int16_t>(wizard::speedCode(type, option));
        fillTimings();
        showPage(fraDramIC_);
        fillParameters();
        break;
    }
    case 3:  // module timing: the lists stand as last left
        setButtons(true, true, false);
        showPage(fraDramTime_);
        recordParameters();
        break;
    case 4:  // manufacturer
        setButtons(true, false, true);
        showPage(fraInfo_);
        text1_->clear();
        text2_->clear();
        // "Next" has just been disabled under the focus: the user goes on
        // with the identifier, not with the button that happens to come next
        // in the keyboard order ("Cancel").
        text1_->setFocus(Qt::OtherFocusReason);
        recordTimings();
        break;
    case 5:  // "Finish"
        gs().wizardTexts[0] = wizard::trimBlanks(text1_->text());
        gs().wizardTexts[1] = wizard::trimBlanks(text2_->text());
        break;
    default: break;
    }
}

void Frmwarez1::fillParameters()
{
    const int type = gs().wizardAnswers[wizard::element::Type];
    cboDataWidth_->clear();
    cboSize_->clear();
    cboDataWidth_->addItems(wizard::widthItems());
    cboDataWidth_->setCurrentIndex(wizard::kDefaultWidthPosition);
    cboSize_->addItems(wizard::sizeItems(type));
    cboSize_->setCurrentIndex(wizard::defaultSizePosition(type));
    cboSide_->clear();
    cboSide_->addItems(wizard::rankItems());
    cboSide_->setCurrentIndex(wizard::kDefaultRankPosition);
}

void Frmwarez1::recordParameters()
{
    wizard::recordModuleParameters(gs().wizardAnswers, cboSize_->currentIndex(), cboDataWidth_->currentIndex(),
                                   cboSide_->currentIndex(), check1_->isChecked());
}

void Frmwarez1::fillTimings()
{
    const auto& a = gs().wizardAnswers;
    const int type = a[wizard::element::Type];
    cbotcl_->clear();
    cbotrp_->clear();
    cbotrcd_->clear();
    cbotras_->clear();
    const wizard::TimingLists items = wizard::timingLists(type);
    cbotcl_->addItems(items.tcl);
    cbotrcd_->addItems(items.trcd);
    cbotrp_->addItems(items.trp);
    cbotras_->addItems(items.tras);
    const wizard::TimingPositions p = wizard::defaultTimingPositions(type, a[wizard::element::Speed]);
    cbotcl_->setCurrentIndex(p.tcl);
    cbotrp_->setCurrentIndex(p.trp);
    cbotrcd_->setCurrentIndex(p.trcd);
    cbotras_->setCurrentIndex(p.tras);
}

void Frmwarez1::recordTimings()
{
    wizard::recordTimings(gs().wizardAnswers, {cbotcl_->currentIndex(), cbotrcd_->currentIndex(),
                                               cbotrp_->currentIndex(), cbotras_->currentIndex()});
}
