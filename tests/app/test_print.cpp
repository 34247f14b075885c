#include "app/SpdFile.h"
#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "platform/PdfTextKit.h"
#include "platform/SettingsStore.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>

namespace {

// Answers the print dialog with "Print to File" (PDF) or with Cancel.
class PrintUi : public ScriptedUi {
public:
    int printerAsked = 0;
    bool accept = true;
    QString pdfPath;
    QPageSize pageSize{QPageSize::A4};

    bool choosePrinter(QWidget*, QPrinter* p) override
    {
        ++printerAsked;
        if (!accept)
            return false;
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(pdfPath);
        p->setPageSize(pageSize);
        return true;
    }
};

class PrintCommandTest : public IsolatedMainTest {
protected:
    void SetUp() override
    {
        IsolatedMainTest::SetUp();
        main = std::make_unique<frmMain>();
        velmora::gs().passwordMode = -1;
    }

    frmDocument* openCorpus(const QString& name)
    {
        frmDocument* d = main->openImage(testData(QStringLiteral("corpus/") + name));
        EXPECT_NE(d, nullptr) << name.toStdString();
        settle();
        return d;
    }
    // An SDRAM image: byte 2 is 4, part number "PC133" and some bytes.
    frmDocument* openSdram()
    {
        velmora::SpdImage img{};
        img[0] = 0x80;
        img[1] = 0x08;
        img[2] = 0x04;
        const char part[] = "PC133-333-520";
        for (int k = 0; part[k]; ++k)
            img[static_cast<std::size_t>(73 + k)] = static_cast<std::uint8_t>(part[k]);
        img[127] = 0xAF;
        const QString path = dir.filePath(QStringLiteral("sdram one.spd"));
        QString error;
        EXPECT_TRUE(spdfile::write(path, img, &error)) << error.toStdString();
        frmDocument* d = main->openImage(path);
        settle();
        return d;
    }
    // Opening a window asks for the programmer's status, which none answers
    // here; its report is not the print command's.
    void settle() { ui.messages.clear(); }
    QString print(const QString& name)
    {
        ui.pdfPath = dir.filePath(name);
        main->mnuFilePrint_Click();
        return ui.pdfPath;
    }

    PrintUi ui;
};

} // namespace

TEST_F(PrintCommandTest, MenuShortcutAndBothToolbarsRunTheCommandOnlyWithADocument)
{
    QAction* menu = main->action(QStringLiteral("mnuFilePrint"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->text(), QStringLiteral("Print"));
    EXPECT_EQ(menu->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    std::vector<QAction*> entries{menu};
    for (const char* name : {"tbToolbar.PRINT", "Toolbar1.PRINT"}) {
        entries.push_back(main->findChild<QAction*>(QString::fromLatin1(name)));
        ASSERT_NE(entries.back(), nullptr) << name;
        EXPECT_EQ(entries.back()->toolTip(), QStringLiteral("Print"));
    }
    // Without a document: no dialog, nothing printed, nothing said.
    ui.pdfPath = dir.filePath(QStringLiteral("none.pdf"));
    for (QAction* a : entries)
        a->trigger();
    EXPECT_EQ(ui.printerAsked, 0);

    openCorpus(QStringLiteral("memtest86plus_DDR3-M378B5173DB0-CK0.bin"));
    ui.accept = false;  // Cancel: nothing printed, nothing said
    for (QAction* a : entries)
        a->trigger();
    EXPECT_EQ(ui.printerAsked, 3);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.pdf")}).isEmpty());
}

TEST_F(PrintCommandTest, EachTypePrintsItsReportToAPdfFile)
{
    REQUIRE_PDF_TOOLS();
    struct Case {
        const char* file;  // nullptr: the SDRAM image
        int pages;
        const char* description;
        const char* value;
        const char* field;       // a row of several bytes ...
        const char* fieldValue;  // ... and its value
    };
    const Case cases[] = {
        {nullptr, 1, "Memory Type", "04", "Module Part Number(ASCII)", "PC133-333-520"},
        {"memtest86plus_DDR-OCZ4001024ELPE.bin", 1, "Memory Type", "07", "Module Part Number(ASCII)",
         "OCZ4001024ELPE"},
        {"memtest86plus_DDR2-2G-UDIMM.bin", 1, "Fundmental Memory Type", "08", "Module Part Number(ASCII)",
         "2G-UDIMM"},
        {"memtest86plus_DDR3-M378B5173DB0-CK0.bin", 1, "Key Byte / DRAM Device Type", "0B", "Module Part Number",
         "4D33373842353137334442302D434B302020"},
        {"memtest86plus_DDR4-M393A1G40EB1-CPB.bin", 2, "Key Byte / DRAM Device Type", "0C", "Module Part Number",
         "4D33393341314734304542312D43504220202020"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "SDRAM");
        frmDocument* doc = c.file ? openCorpus(QString::fromLatin1(c.file)) : openSdram();
        ASSERT_NE(doc, nullptr);
        const QString pdf = print(QStringLiteral("report%1.pdf").arg(++n));
        ASSERT_TRUE(QFile::exists(pdf));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(pdftext::pageCount(pdf), c.pages);
        const QStringList pages = pdftext::pages(pdf);
        ASSERT_EQ(pages.size(), c.pages);
        const QString name = QFileInfo(doc->windowTitle()).fileName();
        EXPECT_TRUE(pages[0].contains(QStringLiteral("Filename: ") + name)) << pages[0].toStdString();
        EXPECT_TRUE(pages[0].contains(QStringLiteral("www.velmora.example")));
        EXPECT_FALSE(pdftext::lineWith(pages[0], QStringLiteral("BYTE"), QStringLiteral("HEX")).isEmpty());
        EXPECT_FALSE(pdftext::lineWith(pages[0], QString::fromLatin1(c.description), QString::fromLatin1(c.value))
                         .isEmpty())
            << pages[0].toStdString();
        const QString& last = pages.constLast();
        EXPECT_FALSE(pdftext::lineWith(last, QString::fromLatin1(c.field), QString::fromLatin1(c.fieldValue)).isEmpty())
            << last.toStdString();
        if (c.pages == 2) {
            EXPECT_TRUE(pages[0].contains(QStringLiteral("PAGE 1")));
            EXPECT_FALSE(pages[0].contains(QStringLiteral("PAGE 2")));
            EXPECT_TRUE(pages[1].contains(QStringLiteral("PAGE 2")));
            EXPECT_TRUE(pages[1].contains(QStringLiteral("www.velmora.example")));
            // The first line of page 2 and byte 128 (0x11 in this image).
            EXPECT_FALSE(pdftext::lineWith(pages[1], QStringLiteral("Raw Card Extension, Module Nominal Height"),
                                           QStringLiteral("11"))
                             .isEmpty())
                << pages[1].toStdString();
        }
    }
}

TEST_F(PrintCommandTest, TwoPrintsAgreeAndRestrictedModePrintsTheSame)
{
    REQUIRE_PDF_TOOLS();
    frmDocument* doc = openCorpus(QStringLiteral("memtest86plus_DDR4-M393A1G40EB1-CRC.bin"));
    ASSERT_NE(doc, nullptr);
    const QStringList first = pdftext::pages(print(QStringLiteral("a.pdf")));
    ASSERT_EQ(first.size(), 2);
    const QString name = QStringLiteral("memtest86plus_DDR4-M393A1G40EB1-CRC.bin");
    EXPECT_EQ(pdftext::title(dir.filePath(QStringLiteral("a.pdf"))), name);
    EXPECT_EQ(pdftext::pages(print(QStringLiteral("b.pdf"))), first);
    velmora::gs().passwordMode = 0;
    EXPECT_EQ(pdftext::pages(print(QStringLiteral("c.pdf"))), first);

    // A modified document prints its mark with the name, but the file's
    // title is the document's name alone; a smaller paper keeps the same
    // pages.
    doc->Set_form_chang(-1);
    ui.pageSize = QPageSize(QPageSize::A5);
    const QStringList marked = pdftext::pages(print(QStringLiteral("d.pdf")));
    ASSERT_EQ(marked.size(), 2);
    EXPECT_EQ(pdftext::title(dir.filePath(QStringLiteral("d.pdf"))), name);
    // A file whose own name ends in "*" keeps it.
    const QString star = dir.filePath(QStringLiteral("image*"));
    ASSERT_TRUE(QFile::copy(testData(QStringLiteral("corpus/memtest86plus_DDR2-2G-UDIMM.bin")), star));
    frmDocument* starred = main->openImage(star);
    ASSERT_NE(starred, nullptr);
    settle();
    starred->Set_form_chang(-1);
    print(QStringLiteral("e.pdf"));
    EXPECT_EQ(pdftext::title(dir.filePath(QStringLiteral("e.pdf"))), QStringLiteral("image*"));
    EXPECT_TRUE(marked[0].contains(QStringLiteral("Filename: memtest86plus_DDR4-M393A1G40EB1-CRC.bin*")));
    EXPECT_TRUE(marked[0].contains(QStringLiteral("PAGE 1")));
    EXPECT_TRUE(marked[1].contains(QStringLiteral("PAGE 2")));
}

TEST_F(PrintCommandTest, AJobThatCannotStartIsReported)
{
    openCorpus(QStringLiteral("memtest86plus_DDR2-GoldenEmpire-1.bin"));
    const QString pdf = print(QStringLiteral("no such folder/r.pdf"));
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*****   The report can not be printed !   *****\n\n") + pdf);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
}

TEST_F(PrintCommandTest, AReportThatDidNotReachItsFileIsReported)
{
    openCorpus(QStringLiteral("memtest86plus_DDR3-M378B5173DB0-CK0.bin"));
    // /dev/full takes the file and refuses every byte, as a full disk does.
    ui.pdfPath = QStringLiteral("/dev/full");
    main->mnuFilePrint_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*****   The report can not be printed !   *****\n\n/dev/full"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
    EXPECT_TRUE(QFileInfo(QStringLiteral("/dev/full")).exists());
}

// Writes one report of each type as PDF and PNG into VELMORA_PRINT_OUT (or
// /tmp/velmora-print) to look at.
TEST_F(PrintCommandTest, DISABLED_RenderReportsToLookAt)
{
    const QString out = qEnvironmentVariable("VELMORA_PRINT_OUT", QStringLiteral("/tmp/velmora-print"));
    QDir().mkpath(out);
    openSdram();
    ui.pdfPath = out + QStringLiteral("/sdram.pdf");
    main->mnuFilePrint_Click();
    const char* files[] = {"memtest86plus_DDR-OCZ4001024ELPE.bin", "memtest86plus_DDR2-2G-UDIMM.bin",
                           "memtest86plus_DDR3-M378B5173DB0-CK0.bin", "memtest86plus_DDR4-M393A1G40EB1-CPB.bin"};
    const char* names[] = {"ddr", "ddr2", "ddr3", "ddr4"};
    for (int k = 0; k < 4; ++k) {
        openCorpus(QString::fromLatin1(files[k]));
        ui.pdfPath = out + QLatin1Char('/') + QString::fromLatin1(names[k]) + QStringLiteral(".pdf");
        main->mnuFilePrint_Click();
    }
    for (const char* n : {"sdram", "ddr", "ddr2", "ddr3", "ddr4"})
        pdftext::run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                                                  out + QLatin1Char('/') + QString::fromLatin1(n) + ".pdf",
                                                  out + QLatin1Char('/') + QString::fromLatin1(n)});
}
