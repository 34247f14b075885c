// Every window and dialog in each state a user sees, checked for cut texts,
// controls lying on each other and unreadable colours (LayoutCheck.h).
// VELMORA_LAYOUT_SHOTS=<folder> writes a picture of each state there.

#include "LayoutCheck.h"

#include "app/PinViewers.h"
#include "app/frmAbout.h"
#include "app/frmLogin.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmSplash.h"
#include "device/DeviceFixture.h"
#include "device/DocumentPanels.h"
#include "document/HexGrid.h"
#include "document/PinMap.h"
#include "document/frmDocument.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"
#include "rules/device/Frames.h"
#include "rules/spd/SpdFile.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"
#include "wizard/Frmwarez1.h"
#include "editors/Frmxmp.h"
#include "editors/XmpImages.h"
#include "editors/frmmft.h"
#include "editors/frmxmp_wiz.h"

#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>

using velmora::gs;

namespace {

class LayoutTest : public IsolatedMainTest {
protected:
    // The main window after its load step: with full rights (the stored
    // password typed) or in restricted mode (the login cancelled).
    void startMain(bool full)
    {
        closeMain();
        settings::write(QStringLiteral("History"), QStringLiteral("PASS1"), QStringLiteral("KT527"));
        settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("secret"));
        if (full)
            ui.dialogHandlers.push_back([](QDialog* d) {
                auto* l = qobject_cast<frmLogin*>(d);
                l->txtPassword()->setText(QStringLiteral("secret"));
                l->cmdOK_Click();
                return d->result();
            });
        main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->setWindowTitle(QStringLiteral("VELMORA...."));
        main->show();
        ASSERT_EQ(gs().passwordMode, full ? -1 : 0);
    }
    void closeMain()
    {
        if (!main)
            return;
        for (frmDocument* d : main->documents())
            d->Set_form_chang(0);
        main.reset();
    }

    // A document of an image, opened as "Open File" opens it, in a window
    // large enough to show all of it.
    frmDocument* open(const QString& path)
    {
        frmDocument* doc = main->openImage(path);
        EXPECT_NE(doc, nullptr) << path.toStdString();
        if (doc) {
            auto* sub = qobject_cast<QMdiSubWindow*>(doc->parentWidget());
            main->resize(1500, 1000);
            sub->showMaximized();
            QCoreApplication::processEvents();
        }
        return doc;
    }
    QString madeUp(const QString& name, const velmora::SpdImage& img)
    {
        const QString path = dir.filePath(name);
        QString why;
        EXPECT_TRUE(spdfile::write(path, img, &why)) << why.toStdString();
        return path;
    }

    // The state of a document: its own canvas, the part of the window that
    // holds every control. No events run between setting a state up and
    // checking it (the test-result poller would hide the banner).
    void checkDocument(frmDocument* doc, const QString& state) { c.check(doc->canvas(), state, QStringLiteral("frmDocument")); }

    ScriptedUi ui;
    layout::LayoutCheck c;
};

// Text of bytes: an ASCII text from `at` on.
void putText(velmora::SpdImage& img, int at, const char* text)
{
    for (int i = 0; text[i]; ++i)
        img[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(text[i]);
}

// A PC133 SDRAM DIMM: 128 MB, one rank, CL 2 and 3, with an 18-character part
// number and a manufacturer's specific data block of text.
velmora::SpdImage sdramImage()
{
    velmora::SpdImage img{};
    const std::uint8_t head[36] = {0x80, 0x08, 0x04, 0x0C, 0x09, 0x01, 0x40, 0x00, 0x01, 0x75, 0x54, 0x00,
                                   0x80, 0x08, 0x00, 0x01, 0x8F, 0x04, 0x06, 0x01, 0x01, 0x00, 0x0E, 0xA0,
                                   0x60, 0x00, 0x00, 0x14, 0x0F, 0x14, 0x2D, 0x20, 0x15, 0x08, 0x15, 0x08};
    std::copy(std::begin(head), std::end(head), img.begin());
    img[62] = 0x12;
    img[64] = 0x7F;
    img[65] = 0x7F;
    img[66] = 0x9E;
    img[72] = 0x01;
    putText(img, 73, "VM-SDR133-128M-XYZ");
    img[91] = 0x0A;
    img[92] = 0x0B;
    img[93] = 0x24;
    img[94] = 0x10;
    img[95] = 0x12;
    img[96] = 0x34;
    img[97] = 0x56;
    img[98] = 0x78;
    putText(img, 99, "MANUFACTURER SPECIFIC DATA 1");
    int sum = 0;
    for (int i = 0; i < 63; ++i)
        sum += img[static_cast<std::size_t>(i)];
    img[63] = static_cast<std::uint8_t>(sum & 0xFF);
    return img;
}

// A DDR-400 registered ECC DIMM: 1 GB, two ranks, CL 2, 2.5 and 3.
velmora::SpdImage ddrImage()
{
    velmora::SpdImage img{};
    const std::uint8_t head[36] = {0x80, 0x08, 0x07, 0x0D, 0x0B, 0x02, 0x48, 0x00, 0x04, 0x50, 0x70, 0x02,
                                   0x82, 0x08, 0x08, 0x01, 0x0E, 0x04, 0x1C, 0x01, 0x02, 0x26, 0xC1, 0x60,
                                   0x70, 0x75, 0x70, 0x3C, 0x28, 0x3C, 0x28, 0x80, 0x60, 0x60, 0x40, 0x40};
    std::copy(std::begin(head), std::end(head), img.begin());
    img[62] = 0x10;
    // The longest maker's name there is.
    img[64] = 0x7F;
    img[65] = 0x46;
    img[72] = 0x05;
    putText(img, 73, "VM-DDR400-1GB-R-EC");
    img[93] = 0x05;
    img[94] = 0x32;
    img[95] = 0xAB;
    img[96] = 0xCD;
    img[97] = 0xEF;
    img[98] = 0x01;
    putText(img, 99, "DDR400 REGISTERED ECC MODULE");
    int sum = 0;
    for (int i = 0; i < 63; ++i)
        sum += img[static_cast<std::size_t>(i)];
    img[63] = static_cast<std::uint8_t>(sum & 0xFF);
    return img;
}

// A real image with the longest texts its panel shows: every CAS latency a
// real module offers, the longest DRAM maker's name, a full part number and
// specific data.
velmora::SpdImage stretched(const QString& path)
{
    const spdfile::ReadResult r = spdfile::read(path);
    velmora::SpdImage img{};
    std::copy(r.bytes.begin(), r.bytes.end(), img.begin());
    const bool ddr4 = img[2] == 12;
    if (ddr4) {
        img[20] = 0xFC;  // CL 9 to 24
        img[21] = 0xFF;
        img[22] = 0x03;
        img[350] = 0x01;
        img[351] = 0x46;
        putText(img, 329, "VM4R16G72PB2-3200XXY");
        putText(img, 353, "MANUFACTURER SPECIFIC DATA BLOCK");
    } else {
        img[14] = 0xFF;  // CL 4 to 18
        img[15] = 0x7F;
        img[148] = 0x01;
        img[149] = 0x46;
        putText(img, 128, "VM3R8G72PB1-1866XY");
        putText(img, 150, "MANUFACTURER SPECIFIC DATA");
    }
    return img;
}

struct TypeCase {
    const char* name;
    QString path;  // empty: made up
};

// The widest byte name of the document's table: the byte whose name is
// hardest to show.
int widestName(frmDocument* doc)
{
    const QLabel* l2 = doc->L(QStringLiteral("Label2"));
    const QFontMetrics fm(l2->font());
    int best = 0;
    for (int i = 0; i < 512; ++i)
        if (fm.horizontalAdvance(doc->byteName(i)) > fm.horizontalAdvance(doc->byteName(best)))
            best = i;
    return best;
}

} // namespace

TEST_F(LayoutTest, MainWindowWithAndWithoutDocuments)
{
    for (bool full : {true, false}) {
        const QString rights = full ? QStringLiteral("full rights") : QStringLiteral("restricted");
        startMain(full);
        // As it opens on a large screen.
        main->resize(main->openingSize(QRect(0, 0, 1920, 1160)));
        QCoreApplication::processEvents();
        c.check(main.get(), QStringLiteral("no document, ") + rights);
        main->NewDocumentWindow();
        main->NewDocumentWindow();
        QCoreApplication::processEvents();
        c.check(main.get(), QStringLiteral("two new documents, ") + rights);
        main->mnuWindowCascade_Click();
        c.check(main.get(), QStringLiteral("cascaded, ") + rights);
        main->mnuFileCloseAll_Click();
        QCoreApplication::processEvents();
        c.check(main.get(), QStringLiteral("all closed, ") + rights);
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

// With full rights and in restricted mode: one test each, so that neither
// runs long on a busy machine.
class LayoutRightsTest : public LayoutTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LayoutRightsTest, DocumentOfEachTypeWithEachPanel)
{
    const TypeCase types[] = {
        {"SDRAM", madeUp(QStringLiteral("sdram.bin"), sdramImage())},
        {"DDR made up", madeUp(QStringLiteral("ddr.bin"), ddrImage())},
        {"DDR", testData(QStringLiteral("corpus/memtest86plus_DDR-OCZ4001024ELPE.bin"))},
        {"DDR2", testData(QStringLiteral("corpus/memtest86plus_DDR2-2G-UDIMM.bin"))},
        {"DDR2 FB", testData(QStringLiteral("corpus/memtest86plus_DDR2-GoldenEmpire-1.bin"))},
        {"DDR3", testData(QStringLiteral("corpus/memtest86plus_DDR3-M392B1G73DB0-YH9.bin"))},
        {"DDR3 UDIMM", testData(QStringLiteral("corpus/memtest86plus_DDR3-M378B5173DB0-CK0.bin"))},
        {"DDR4", testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CRC.bin"))},
        {"DDR3 long texts", madeUp(QStringLiteral("ddr3.bin"),
                                   stretched(testData(QStringLiteral("corpus/memtest86plus_DDR3-M392B1G73DB0-YH9.bin"))))},
        {"DDR4 long texts", madeUp(QStringLiteral("ddr4.bin"),
                                   stretched(testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CPB.bin"))))},
    };
    {
        const bool full = GetParam();
        startMain(full);
        for (const TypeCase& t : types) {
            const QString type = QString::fromLatin1(t.name) + (full ? QString() : QStringLiteral(", restricted"));
            frmDocument* doc = open(t.path);
            ASSERT_NE(doc, nullptr);
            device::DevicePanels& p = *device::devicePanels(doc);
            QCoreApplication::processEvents();
            // As the window opens, before a status reply arranges it.
            checkDocument(doc, type + QStringLiteral(", opened"));

            // The selected byte: the one with the widest name, then the last
            // ones after a click and after Enter ("Byte511", "Byte 511").
            doc->spd_l_value_Click(widestName(doc));
            checkDocument(doc, type + QStringLiteral(", widest byte name"));
            const int last = doc->Get_Type() == 5 ? 511 : 255;
            doc->spd_l_value_Click(last - 1);
            if (full) {
                doc->Text1()->setText(look::hex2(doc->Get_Value(last - 1)));
                doc->Text1_KeyDown(Qt::Key_Return);
            } else {
                doc->spd_l_value_Click(last);
            }
            if (full && doc->Get_Type() == 5 && doc->L(QStringLiteral("Label1"))->text() != QStringLiteral("Byte 511"))
                ADD_FAILURE() << doc->L(QStringLiteral("Label1"))->text().toStdString();
            if (full) {
                doc->Check2()->click();
                checkDocument(doc, type + QStringLiteral(", last byte, date code stamped"));
                doc->Check2()->click();
            } else {
                checkDocument(doc, type + QStringLiteral(", last byte"));
            }

            // The three panels that share a place, one at a time.
            p.showPanel(device::DevicePanels::TransferPanel);
            checkDocument(doc, type + QStringLiteral(", SPD transfer panel"));
            p.showPanel(device::DevicePanels::SetupPanel);
            p.F_LAB15->setText(QStringLiteral("S/N Directions(High to Low)"));
            checkDocument(doc, type + QStringLiteral(", tester set-up panel"));
            p.showPanel(device::DevicePanels::TestPanel);
            p.F_LAB14->setText(QStringLiteral("S/N Encode(HEX)"));
            p.F_LAB16->setText(QStringLiteral("EEPROM (256 Byte)"));
            p.F_LAB20->setText(QStringLiteral("S/N:99999999"));
            p.F_LAB20->show();
            p.Label56->setText(QStringLiteral("2000 mA"));
            p.PASS_LABEL->setText(QStringLiteral("32767"));
            p.FAIL_LABEL->setText(QStringLiteral("32767"));
            checkDocument(doc, type + QStringLiteral(", test panel"));
            p.Command11_Click();
            p.AMP_LAB->setText(QStringLiteral("2000"));
            p.List1->addItem(QStringLiteral("Test Fail    <POWER FAIL>  <SPD FAIL>  <OPEN FAIL>  <SHORT FAIL> "));
            checkDocument(doc, type + QStringLiteral(", test log"));
            p.Command19_Click();

            // A test running: the button disabled with "Testing...".
            p.TEST_COMMAND->setEnabled(false);
            p.TEST_COMMAND->setText(QStringLiteral("Testing..."));
            checkDocument(doc, type + QStringLiteral(", testing"));
            p.TEST_COMMAND->setText(QStringLiteral("TEST"));
            p.TEST_COMMAND->setEnabled(full);

            // The result banner, passed and failed.
            for (int flags : {0, int(device::PowerFail), int(device::ShortFail)}) {
                device::TestResult r;
                r.flags = flags;
                p.STS_LAB1->setText(r.banner());
                device::DevicePanels::setBackColor(p.S_FRAME, flags ? look::kRed : device::kBannerGreen);
                device::DevicePanels::setBackColor(p.TEST_COMMAND, flags ? device::kTestFailBack : look::kGreen);
                p.S_FRAME->show();
                p.S_FRAME->raise();
                checkDocument(doc, type + QStringLiteral(", banner ") + r.banner());
            }
            p.S_FRAME->hide();

            // The busy panel with its pictures and counters.
            p.showBusy(device::Scene::ComputerProgrammerBoth);
            p.Label134->setText(QStringLiteral("FF"));
            p.Label134->show();
            checkDocument(doc, type + QStringLiteral(", busy with a transfer"));
            p.Label134->hide();
            p.showBusy(device::Scene::ProgrammerAndHand);
            p.Label99->show();
            checkDocument(doc, type + QStringLiteral(", busy at the programmer"));
            p.Label99->hide();
            p.hideBusy();
        }
        // The main window with its documents, as it shows them.
        main->mnuWindowCascade_Click();
        // The windows lay out their new sizes.
        QCoreApplication::processEvents();
        c.check(main.get(), full ? QStringLiteral("documents of each type")
                                 : QStringLiteral("documents of each type, restricted"));
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rights, LayoutRightsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Full" : "Restricted"; });

TEST_F(LayoutTest, GridCellsAndPinLabelsHoldTheirCaptions)
{
    // The grid's own cells and headers hold their captions.
    startMain(true);
    frmDocument* doc = main->NewDocumentWindow();
    HexGrid* g = doc->grid();
    for (int i = 0; i < HexGrid::kCells; i += 17)
        c.checkPaintedText(QStringLiteral("frmDocument"), QStringLiteral("grid"), QStringLiteral("spd_l_value(%1)").arg(i),
                           g->cellFont(), g->cellRect(i), QStringLiteral("88"));
    for (int k = 0; k < HexGrid::kHeaders; ++k)
        c.checkPaintedText(QStringLiteral("frmDocument"), QStringLiteral("grid"), QStringLiteral("value_x(%1)").arg(k),
                           g->font(), g->headerRect(k), g->header(k).caption,
                           k < 16 ? Qt::AlignCenter : (Qt::AlignVCenter | Qt::AlignRight));
    // The pin map: each label holds its caption and keeps clear of its own
    // mark and of the next one in its row. A mark is drawn round its box
    // with a pen of one pixel, which reaches one pixel beyond it.
    const PinMap* pins = doc->pinMap();
    for (int ch = 0; ch < PinMap::kMarks; ++ch) {
        if (!pins->isChannelVisible(ch))
            continue;
        const QString name = QStringLiteral("IO_PIN(%1) \"%2\"").arg(ch).arg(pins->caption(ch));
        c.checkPaintedText(QStringLiteral("frmDocument"), QStringLiteral("pin map"), name, pins->font(),
                           pins->labelRect(ch), pins->caption(ch), Qt::AlignLeft | Qt::AlignVCenter);
        const QRect ink = layout::LayoutCheck::inkOf(pins->font(), pins->caption(ch), pins->labelRect(ch),
                                                     Qt::AlignLeft | Qt::AlignVCenter)
                              .intersected(pins->labelRect(ch));
        c.checkPaintedApart(QStringLiteral("frmDocument"), QStringLiteral("pin map"), name, ink,
                            QStringLiteral("its mark IO_SHAPE(%1)").arg(ch), pins->markRect(ch).adjusted(-1, -1, 1, 1));
        if (ch % 8 != 7 && ch + 1 < PinMap::kMarks)
            c.checkPaintedApart(QStringLiteral("frmDocument"), QStringLiteral("pin map"), name, ink,
                                QStringLiteral("the next mark IO_SHAPE(%1)").arg(ch + 1),
                                pins->markRect(ch + 1).adjusted(-1, -1, 1, 1));
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

// One document that reads modules of each type in turn from the
// programmer: every caption that a type switch renames (the CRC choice, the
// CRC row of the summary, the type, the pin frame) is whole after each read
// and after the cell click that switches the type again.
class LayoutWithProgrammerTest : public DeviceTest {
protected:
    layout::LayoutCheck c;
};

TEST_F(LayoutWithProgrammerTest, CaptionsAfterEachTypeSwitchOfOneDocument)
{
    frmDocument* doc = openDocument();
    ASSERT_NE(doc, nullptr);
    main->resize(1500, 1000);
    qobject_cast<QMdiSubWindow*>(doc->parentWidget())->showMaximized();
    QCoreApplication::processEvents();
    const struct {
        const char* name;
        const char* file;
        int byte0;  // -1: the file's own
    } modules[] = {
        {"DDR4", "memtest86plus_DDR4-M393A1G40EB1-CRC.bin", -1},
        // Bit 7 of byte 0 clear: "CRC (0-125)".
        {"DDR3, CRC of 0-125", "memtest86plus_DDR3-M378B5173DB0-CK0.bin", 0x12},
        {"DDR4 again", "memtest86plus_DDR4-M393A1G40EB1-CPB.bin", -1},
        {"DDR2", "memtest86plus_DDR2-2G-UDIMM.bin", -1},
    };
    for (const auto& m : modules) {
        const spdfile::ReadResult r = spdfile::read(testData(QStringLiteral("corpus/") + QLatin1String(m.file)));
        ASSERT_TRUE(r.ok) << m.file;
        sim::Bytes512 bytes{};
        std::copy(r.bytes.begin(), r.bytes.end(), bytes.begin());
        if (m.byte0 >= 0)
            bytes[0] = static_cast<std::uint8_t>(m.byte0);
        sim->setModule(bytes);
        P(doc).Command9->click();
        ASSERT_EQ(doc->Get_Value(2), bytes[2]) << m.name;
        const QString state = QStringLiteral("module read after the last, ") + QLatin1String(m.name);
        c.check(doc->canvas(), state, QStringLiteral("frmDocument"));
        doc->spd_l_value_Click(2);
        c.check(doc->canvas(), state + QStringLiteral(", cell clicked"), QStringLiteral("frmDocument"));
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

TEST_F(LayoutTest, StartUpAndSmallDialogs)
{
    {
        frmSplash s;
        s.show();
        c.check(&s, QStringLiteral("shown"));
    }
    {
        frmLogin l;
        l.show();
        c.check(&l, QStringLiteral("empty"));
        l.txtPassword()->setText(QStringLiteral("WRONGPASSWORD"));
        c.check(&l, QStringLiteral("typed"));
    }
    for (const char* title : {"Password Setup", "The first password setting"}) {
        frmLogin1 l;
        l.setWindowTitle(QString::fromLatin1(title));
        l.show();
        c.check(&l, QString::fromLatin1(title));
    }
    startMain(true);
    {
        frmOptions o(main.get());
        o.Form_Load();
        o.show();
        c.check(&o, QStringLiteral("port 1"));
    }
    {
        frmAbout a(main.get());
        a.Form_Load();
        a.show();
        c.check(&a, QStringLiteral("shown"));
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

TEST_F(LayoutTest, PinViewersForTheirCases)
{
    startMain(true);
    const struct {
        int type;
        int width;
        int so;
    } cases[] = {{0, 8, 0}, {7, 8, 0}, {7, 4, 1}, {8, 8, 0}, {8, 16, 1}, {11, 8, 0}, {11, 16, 1}, {12, 4, 0}, {12, 16, 1}};
    auto viewers = [this](const char* name) {
        QList<PinViewer*> out;
        for (PinViewer* v : main->findChildren<PinViewer*>(QString(), Qt::FindDirectChildrenOnly))
            if (!v->isUnloaded() && v->objectName() == QLatin1String(name))
                out << v;
        return out;
    };
    for (const auto& k : cases) {
        gs().currentMemoryType = static_cast<std::int16_t>(k.type);
        gs().deviceWidthCode = static_cast<std::int16_t>(k.width);
        gs().soDimmFlag = static_cast<std::int16_t>(k.so);
        const QString state = QStringLiteral("type %1 x%2 so %3").arg(k.type).arg(k.width).arg(k.so);
        main->MNU_ICMAP_Click();
        main->MNU_MDMAP_Click();
        for (const char* name : {"FrmICMAP", "FrmMDMAP"}) {
            const auto v = viewers(name);
            ASSERT_EQ(v.size(), 1) << name;
            QCoreApplication::processEvents();
            c.check(v.front(), state);
            v.front()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    // Every entry of each viewer's list, chosen by hand.
    main->MNU_ICMAP_Click();
    main->MNU_MDMAP_Click();
    auto* ic = qobject_cast<FrmICMAP*>(viewers("FrmICMAP").front());
    auto* md = qobject_cast<FrmMDMAP*>(viewers("FrmMDMAP").front());
    for (int i = 0; i < 7; ++i) {
        ic->IC_COMBO()->setCurrentIndex(i);
        ic->IC_COMBO_Click();
        c.check(ic, QStringLiteral("list entry %1").arg(i));
        md->DIMM_COMBO()->setCurrentIndex(i);
        md->DIMM_COMBO_Click();
        c.check(md, QStringLiteral("list entry %1").arg(i));
    }
    // Each list opened: every item whole.
    for (PinViewer* v : {static_cast<PinViewer*>(ic), static_cast<PinViewer*>(md)}) {
        QComboBox* list = v == ic ? ic->IC_COMBO() : md->DIMM_COMBO();
        list->showPopup();
        QCoreApplication::processEvents();
        c.check(v, QStringLiteral("list open"));
        c.check(list->view()->window(), QStringLiteral("list open"), v->objectName() + QStringLiteral(" list"));
        list->hidePopup();
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

TEST_F(LayoutTest, WizardOnEveryPageForEveryType)
{
    const char* types[] = {"SDRAM", "DDR", "DDR2", "DDR3", "DDR4"};
    for (int t = 0; t < 5; ++t) {
        const QString type = QString::fromLatin1(types[t]);
        Frmwarez1 d;
        d.show();
        d.optRamType(t)->setChecked(true);
        c.check(&d, type + QStringLiteral(", module type"));
        d.Command3()->click();
        for (int o = 0; o < 4; ++o) {
            d.speedOption(t + 1, o)->setChecked(true);
        }
        c.check(&d, type + QStringLiteral(", speed"));
        d.Command3()->click();
        d.Check1()->setChecked(true);
        c.check(&d, type + QStringLiteral(", parameters"));
        d.Command3()->click();
        c.check(&d, type + QStringLiteral(", timing"));
        d.Command3()->click();
        d.Text1()->setText(QStringLiteral("7F7F7F7F7F7F9E"));
        d.Text2()->setText(QStringLiteral("VM-DDR4-2133-8G-ABCDEFGH"));
        c.check(&d, type + QStringLiteral(", manufacturer"));
        d.Command2()->click();
        d.Command2()->click();
        c.check(&d, type + QStringLiteral(", back to parameters"));
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

// The manufacturer dialog, the XMP view and the XMP wizard, opened by their
// commands on documents of each type, in both modes.
TEST_F(LayoutTest, ManufacturerAndXmpWindows)
{
    vclock::clock().setFixedNow(QDateTime(QDate(2024, 12, 31), QTime(9, 0)));
    const struct {
        const char* name;
        velmora::SpdImage img;
    } images[] = {
        {"SDRAM", sdramImage()},
        {"DDR", ddrImage()},
        {"DDR2", xmptest::corpus("memtest86plus_DDR2-GoldenEmpire-1.bin")},
        {"DDR3", xmptest::ddr3TwoProfiles()},
        {"DDR3 Kingston", xmptest::corpus("memtest86plus_DDR3-9905403-440.A00LF.bin")},
        {"DDR4", xmptest::ddr4TwoProfiles()},
        {"DDR4 plain", xmptest::ddr4Plain()},
    };
    // A modal window is checked while it shows, then closed.
    auto checkModal = [this](const QString& state) {
        ui.dialogHandlers.push_back([this, state](QDialog* d) {
            d->show();
            QCoreApplication::processEvents();
            c.check(d, state);
            return static_cast<int>(QDialog::Rejected);
        });
    };
    for (bool full : {true, false}) {
        startMain(full);
        const QString rights = full ? QStringLiteral(", full rights") : QStringLiteral(", restricted");
        for (const auto& im : images) {
            const QString name = QString::fromLatin1(im.name);
            frmDocument* doc = open(madeUp(name + QStringLiteral(".bin"), im.img));
            if (!doc)
                continue;
            checkModal(name + QStringLiteral(" manufacturer dialog") + rights);
            main->mnu_mft_setup_Click();
            if (im.img[2] == 11 || im.img[2] == 12) {
                main->mnu_xmp_view_Click();
                QCoreApplication::processEvents();
                for (Frmxmp* v : main->findChildren<Frmxmp*>())
                    if (v->isVisible())
                        c.check(v, name + QStringLiteral(" XMP view") + rights);
                if (full) {
                    checkModal(name + QStringLiteral(" XMP wizard"));
                    main->mnu_xmp_wiz_Click();
                }
            }
            main->mnuFileCloseAll_Click();
        }
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

// The XMP view of images whose JEDEC timings and both profiles offer every
// CAS latency there is, and the XMP wizard's DDR4 panel with all of them
// ticked.
TEST_F(LayoutTest, XmpWindowsWithLongLatencyLists)
{
    velmora::SpdImage ddr3 = xmptest::ddr3TwoProfiles();
    // CL 4 to 18 in the JEDEC bytes and in each profile.
    xmptest::poke(ddr3, {{14, 0xFF}, {15, 0x7F}, {188, 0xFF}, {189, 0x7F}, {223, 0xFF}, {224, 0x7F}});
    velmora::SpdImage ddr4 = xmptest::ddr4TwoProfiles();
    // CL 7 to 30 in the JEDEC bytes and in each profile.
    xmptest::poke(ddr4, {{20, 0xFF}, {21, 0xFF}, {22, 0xFF}, {397, 0xFF}, {398, 0xFF}, {399, 0xFF}, {444, 0xFF},
                         {445, 0xFF}, {446, 0xFF}});
    startMain(true);
    for (const auto& [name, img] : {std::pair{"DDR3", ddr3}, std::pair{"DDR4", ddr4}}) {
        const QString type = QString::fromLatin1(name);
        frmDocument* doc = open(madeUp(type + QStringLiteral("-cl.bin"), img));
        ASSERT_NE(doc, nullptr);
        main->mnu_xmp_view_Click();
        QCoreApplication::processEvents();
        for (Frmxmp* v : main->findChildren<Frmxmp*>())
            if (v->isVisible())
                c.check(v, type + QStringLiteral(" every CAS latency"));
        for (Frmxmp* v : main->findChildren<Frmxmp*>())
            v->close();
        if (img[2] == 12) {
            ui.dialogHandlers.push_back([this](QDialog* d) {
                d->show();
                // The DDR4 panel's boxes: CL 7 to 24.
                if (auto* w = qobject_cast<frmxmp_wiz*>(d))
                    for (int k = 0; k < 18; ++k)
                        w->CL_CHK(k)->setChecked(true);
                QCoreApplication::processEvents();
                c.check(d, QStringLiteral("DDR4 panel, every CAS latency ticked"));
                return static_cast<int>(QDialog::Rejected);
            });
            main->mnu_xmp_wiz_Click();
        }
        main->mnuFileCloseAll_Click();
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

// Message boxes as the real seam shows them: framed texts of each kind, the
// widest the program has, and one with line breaks of its own.
TEST_F(LayoutTest, MessageBoxesOfTheRealSeam)
{
    startMain(true);
    const ui::Message boxes[] = {
        {QStringLiteral("      *****   SPD file transfer success !   *****      "), QString(), ui::Icon::None,
         ui::Buttons::Ok},
        {QStringLiteral(" *****  Password input inconsistent, Please Re-enter Your Password !  *****"),
         QStringLiteral("Error"), ui::Icon::Critical, ui::Buttons::Ok},
        {QStringLiteral("** Hardware and software versions error ,Please contact Corvane  **"), QStringLiteral("Error"),
         ui::Icon::Critical, ui::Buttons::Ok},
        {QStringLiteral("      *****   權限不足無法存檔,請洽管理人員 !   *****      "), QStringLiteral("錯誤"),
         ui::Icon::Critical, ui::Buttons::Ok},
        {QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "), ui::programTitle(),
         ui::Icon::Question, ui::Buttons::YesNoCancel},
        {QStringLiteral("*****   File can not be opened !   *****\n\n/home/user/spd/DDR4 module.spd"),
         QStringLiteral("Error"), ui::Icon::Critical, ui::Buttons::Ok},
        // A title wider than its text.
        {QStringLiteral("*** XMP Profile-1 Setting ***"), QStringLiteral("XMP Profile Setting"), ui::Icon::None,
         ui::Buttons::YesNo},
        {QStringLiteral("*** Clear XMP Profile-2 Setting ***"), QStringLiteral("Clear XMP"), ui::Icon::None,
         ui::Buttons::YesNo},
    };
    int k = 0;
    for (const ui::Message& m : boxes) {
        const std::unique_ptr<QMessageBox> box = ui::messageBox(main.get(), m);
        box->setObjectName(QStringLiteral("QMessageBox"));
        box->show();
        QCoreApplication::processEvents();
        c.check(box.get(), QStringLiteral("text %1").arg(++k));
    }
    EXPECT_TRUE(c.ok()) << c.report().toStdString();
}

// The checker itself: it finds a cut text, an overlap and grey on green, and
// lets the meant overlays pass.
TEST(LayoutCheckSelf, FindsWhatItShould)
{
    QWidget w;
    w.setObjectName(QStringLiteral("w"));
    w.resize(300, 200);
    auto* cut = new QLabel(QStringLiteral("A long caption that is cut"), &w);
    cut->setObjectName(QStringLiteral("cut"));
    cut->setGeometry(10, 10, 40, 20);
    auto* a = new QPushButton(QStringLiteral("A"), &w);
    a->setObjectName(QStringLiteral("a"));
    a->setGeometry(10, 40, 60, 30);
    auto* b = new QCheckBox(QStringLiteral("B"), &w);
    b->setObjectName(QStringLiteral("b"));
    b->setGeometry(50, 50, 60, 30);
    auto* f4 = new QWidget(&w);
    f4->setObjectName(QStringLiteral("Frame4"));
    f4->setGeometry(10, 100, 100, 50);
    auto* f5 = new QWidget(&w);
    f5->setObjectName(QStringLiteral("Frame5"));
    f5->setGeometry(10, 100, 100, 50);
    auto* grey = new QPushButton(QStringLiteral("Grey"), &w);
    grey->setObjectName(QStringLiteral("grey"));
    grey->setGeometry(150, 100, 120, 60);
    grey->setStyleSheet(QStringLiteral("#grey { background-color: #00ff00; color: #c0c0c0; }"));
    w.show();

    layout::LayoutCheck c;
    EXPECT_EQ(c.check(&w, QStringLiteral("s")), 3) << c.report().toStdString();
    const QString r = c.report();
    EXPECT_TRUE(r.contains(QStringLiteral("cut: \"A long caption that is cut\" needs")));
    EXPECT_TRUE(r.contains(QStringLiteral("overlaps")) && r.contains(QStringLiteral("a")));
    EXPECT_TRUE(r.contains(QStringLiteral("grey: text #c0c0c0 on")));
    EXPECT_FALSE(r.contains(QStringLiteral("Frame4")));
}

// The checker's rules on text size, touching neighbours, lists and framed
// texts: each finds its fault and passes the same controls set right.
TEST(LayoutCheckSelf, FindsSmallTouchingAndCutTexts)
{
    QWidget w;
    w.setObjectName(QStringLiteral("w"));
    w.resize(600, 300);
    auto font = [](qreal points) {
        QFont f;
        f.setPointSizeF(points);
        return f;
    };
    auto* small = new QLabel(QStringLiteral("small"), &w);
    small->setObjectName(QStringLiteral("small"));
    small->setFont(font(6.75));
    small->setGeometry(10, 10, 80, 20);
    auto* seven = new QLabel(QStringLiteral("seven"), &w);
    seven->setObjectName(QStringLiteral("seven"));
    seven->setFont(font(7));
    seven->setGeometry(120, 10, 80, 20);

    // Two check boxes in a row: the first one a little narrower than it
    // asks for, so that its text stands nearer the second one's indicator
    // than its own; then both as wide as they ask for.
    auto pair = [&w](const QString& name, int top, int narrower) {
        auto* a = new QCheckBox(QStringLiteral("13"), &w);
        a->setObjectName(name + QStringLiteral("a"));
        a->adjustSize();
        a->setGeometry(10, top, a->width() - narrower, a->height());
        auto* b = new QCheckBox(QStringLiteral("14"), &w);
        b->setObjectName(name + QStringLiteral("b"));
        b->adjustSize();
        b->move(a->geometry().right() + 1, top);
    };
    pair(QStringLiteral("close"), 50, 5);
    pair(QStringLiteral("apart"), 80, 0);
    // Two framed boxes one above the other: no clear pixel between them,
    // then one.
    auto boxes = [&w](const QString& name, int left, int space) {
        for (int k = 0; k < 2; ++k) {
            auto* l = new QLabel(QStringLiteral("1.2 V"), &w);
            l->setObjectName(name + QString::number(k));
            l->setFrameShape(QFrame::Box);
            l->setAlignment(Qt::AlignCenter);
            l->setGeometry(left, 40 + k * (24 + space), 80, 24);
        }
    };
    boxes(QStringLiteral("stacked"), 300, 0);
    boxes(QStringLiteral("spaced"), 400, 1);

    auto* list = new QComboBox(&w);
    list->setObjectName(QStringLiteral("list"));
    list->setEditable(true);
    list->addItem(QStringLiteral("DDR ( x4 , x8 , x16 )"));
    list->setGeometry(10, 130, 70, 24);
    auto* roomy = new QComboBox(&w);
    roomy->setObjectName(QStringLiteral("roomy"));
    roomy->setEditable(true);
    roomy->addItem(QStringLiteral("DDR ( x4 , x8 , x16 )"));
    roomy->setGeometry(200, 130, 250, 24);

    const QString framed = QStringLiteral("      *****   SPD file transfer success !   *****      ");
    auto* wrapped = new QLabel(framed, &w);
    wrapped->setObjectName(QStringLiteral("wrapped"));
    wrapped->setWordWrap(true);
    wrapped->setGeometry(10, 170, QFontMetrics(wrapped->font()).horizontalAdvance(framed.trimmed()) - 10, 60);
    auto* whole = new QLabel(framed, &w);
    whole->setObjectName(QStringLiteral("whole"));
    whole->setWordWrap(true);
    whole->setGeometry(10, 240, 580, 40);
    w.show();
    QCoreApplication::processEvents();

    layout::LayoutCheck c;
    c.check(&w, QStringLiteral("s"));
    const QString r = c.report();
    EXPECT_TRUE(r.contains(QStringLiteral("small: \"small\" is drawn at 6.75 pt"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("closea: its text \"13\" stands nearer its indicator of closeb")))
        << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("stacked0: its frame touches its frame of stacked1"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("list: \"DDR ( x4 , x8 , x16 )\" needs"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("wrapped: \"") + framed + QStringLiteral("\" is wrapped inside its frame")))
        << r.toStdString();
    for (const char* fine : {"seven", "apart", "spaced", "roomy", "whole"})
        EXPECT_FALSE(r.contains(QLatin1String(fine))) << fine << "\n" << r.toStdString();
    EXPECT_EQ(c.findings().size(), 5u) << r.toStdString();
}

namespace {
// A control that paints its own picture: marks and the texts beside and in
// them, each placed as the test needs.
class PaintedSample : public QWidget {
public:
    using Paint = std::function<void(QPainter&)>;
    PaintedSample(QWidget* parent, Paint paint)
        : QWidget(parent)
        , paint_(std::move(paint))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter g(this);
        g.setRenderHint(QPainter::Antialiasing, true);
        paint_(g);
    }

private:
    Paint paint_;
};

QFont pixelFont(int px)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    return f;
}
} // namespace

// The checker's rules on texts a control paints itself: each finds its
// fault and passes the same drawing set right.
TEST(LayoutCheckSelf, FindsFaultsOfPaintedTexts)
{
    QWidget w;
    w.setObjectName(QStringLiteral("w"));
    w.resize(640, 200);
    const QFont f = pixelFont(12);
    const int advance = QFontMetrics(f).horizontalAdvance(QStringLiteral("RAS_n"));
    // Each sample in a place of its own: a ball whose outline the name
    // crosses, and one that holds it with room to spare.
    auto ball = [&](const char* name, int left, int room) {
        auto* s = new PaintedSample(&w, [=](QPainter& g) {
            g.setPen(QPen(Qt::darkBlue, 1));
            g.setBrush(QColor(0xDD, 0xEE, 0xFF));
            g.drawRoundedRect(QRectF(1.5, 1.5, advance + 2 * room, 21), 10, 10);
            g.setFont(f);
            g.setPen(Qt::black);
            g.drawText(QRectF(1.5, 1.5, advance + 2 * room, 21), Qt::AlignCenter | Qt::TextDontClip, QStringLiteral("RAS_n"));
        });
        s->setObjectName(QString::fromLatin1(name));
        s->setGeometry(left, 10, advance + 2 * room + 4, 25);
    };
    ball("crossed", 10, 0);
    ball("held", 100, 8);
    // A name drawn in a box lower than its glyphs reach, and in one that
    // holds them.
    auto cut = [&](const char* name, int left, int height) {
        auto* s = new PaintedSample(&w, [=](QPainter& g) {
            g.setFont(f);
            g.setPen(Qt::black);
            g.drawText(QRectF(0, 0, advance + 4, height), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("RAS_n"));
        });
        s->setObjectName(QString::fromLatin1(name));
        s->setGeometry(left, 50, advance + 4, 30);
    };
    cut("clipped", 10, 8);
    cut("whole", 100, 24);
    // A name that runs out of its coloured box, and one on its box that
    // fills it to the edge (a cell of a grid).
    auto box = [&](const char* name, int left, int width) {
        auto* s = new PaintedSample(&w, [=](QPainter& g) {
            g.fillRect(QRectF(2, 2, width, 16), QColor(0xB4, 0xD2, 0xF7));
            g.setFont(f);
            g.setPen(Qt::black);
            g.drawText(QPointF(2, 15), QStringLiteral("RAS_n"));
        });
        s->setObjectName(QString::fromLatin1(name));
        s->setGeometry(left, 90, advance + 20, 20);
    };
    box("runs out", 10, advance / 2);
    box("on its box", 100, advance + 1);
    // Captions of lamps in a row: one as near the next lamp as its own,
    // one set well apart; and a faint one.
    auto row = [&](const char* name, int left, int after, const QColor& ink) {
        auto* s = new PaintedSample(&w, [=](QPainter& g) {
            g.setPen(QPen(Qt::black, 1));
            g.setBrush(Qt::green);
            g.drawEllipse(QRectF(0.5, 5.5, 9, 9));
            g.drawEllipse(QRectF(13 + advance + after + 0.5, 5.5, 9, 9));
            g.setFont(f);
            g.setPen(ink);
            g.drawText(QPointF(12, 15), QStringLiteral("RAS_n"));
        });
        s->setObjectName(QString::fromLatin1(name));
        s->setGeometry(left, 130, advance + after + 40, 20);
    };
    row("between", 10, 2, Qt::black);
    row("apart", 200, 10, Qt::black);
    row("faint", 400, 10, QColor(0xFF, 0xF0, 0x60));
    w.show();
    QCoreApplication::processEvents();

    layout::LayoutCheck c;
    c.check(&w, QStringLiteral("s"));
    const QString r = c.report();
    EXPECT_TRUE(r.contains(QStringLiteral("crossed: its text \"RAS_n\" touches the outline of a path"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("clipped: its text \"RAS_n\" is cut off"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("runs out: its text \"RAS_n\" touches the edge of a rectangle"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("between: its text \"RAS_n\" stands about as near the mark after it")))
        << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("faint: its text \"RAS_n\" in #fff060"))) << r.toStdString();
    for (const char* fine : {"held", "whole", "on its box", "apart"})
        EXPECT_FALSE(r.contains(QLatin1String(fine))) << fine << "\n" << r.toStdString();
    EXPECT_EQ(c.findings().size(), 5u) << r.toStdString();
}

// A disabled button of a colour of its own must look disabled, and a window
// is as wide as its title needs.
TEST(LayoutCheckSelf, FindsBrightDisabledButtonsAndCutTitles)
{
    QWidget w;
    w.setObjectName(QStringLiteral("w"));
    w.setWindowTitle(QStringLiteral("A title much wider than the window it names"));
    w.resize(120, 120);
    auto button = [&w](const char* name, int top, const QString& sheet) {
        auto* b = new QPushButton(QStringLiteral("TEST"), &w);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(10, top, 100, 40);
        b->setStyleSheet(sheet.arg(QString::fromLatin1(name)));
        b->setEnabled(false);
    };
    button("bright", 10, QStringLiteral("#%1 { background-color: #00ff00; } #%1:disabled { color: #404040; }"));
    button("faded", 60,
           QStringLiteral("#%1 { background-color: #00ff00; } #%1:disabled { background-color: #a0e0a0; color: #404040; }"));
    w.show();
    QCoreApplication::processEvents();

    layout::LayoutCheck c;
    c.check(&w, QStringLiteral("s"));
    const QString r = c.report();
    EXPECT_TRUE(r.contains(QStringLiteral("bright: disabled, it is as bright as enabled"))) << r.toStdString();
    EXPECT_TRUE(r.contains(QStringLiteral("its title \"A title much wider than the window it names\" needs")))
        << r.toStdString();
    EXPECT_FALSE(r.contains(QStringLiteral("faded"))) << r.toStdString();
    EXPECT_EQ(c.findings().size(), 2u) << r.toStdString();
    // As wide as it needs, the title is whole.
    w.resize(ui::titleBarWidth(w.windowTitle()), 120);
    layout::LayoutCheck wide;
    wide.check(&w, QStringLiteral("wide"));
    EXPECT_FALSE(wide.report().contains(QStringLiteral("its title"))) << wide.report().toStdString();
}
