#include "platform/Printer.h"
#include "platform/PdfTextKit.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

using platform::PrintFace;
using platform::Printer;
using platform::RecordingPrinter;

TEST(RecordingPrinter, PrintEndsTheLineAndPagesBreak)
{
    RecordingPrinter p;
    p.setFontSize(11);
    p.setFontItalic(true);
    p.setForeColor(0xFF0000);
    p.setCurrentX(8500);
    p.setCurrentY(200);
    p.print(QStringLiteral("head"));
    EXPECT_EQ(p.currentX(), 0);
    EXPECT_EQ(p.currentY(), 420);  // one line of 11 points
    p.setFontSize(12);
    p.setFontItalic(false);
    p.print(QString());  // only ends the line
    EXPECT_EQ(p.currentY(), 660);
    ASSERT_EQ(p.texts.size(), 2u);
    const auto& a = p.texts[0];
    EXPECT_TRUE(a.text == QStringLiteral("head") && a.x == 8500 && a.y == 200 && a.fontSize == 11 && a.italic &&
                !a.bold && a.colour == 0xFF0000u && a.page == 1);

    // A line that would end below the page goes to the top of the next.
    p.setCurrentY(Printer::kPageHeight - 240);
    p.print(QStringLiteral("last"));
    p.setCurrentX(300);
    p.print(QStringLiteral("overflow"));
    EXPECT_EQ(p.texts[2].page, 1);
    EXPECT_TRUE(p.texts[3].page == 2 && p.texts[3].y == 0 && p.texts[3].x == 300);
    p.setCurrentX(700);
    p.newPage();
    EXPECT_TRUE(p.page() == 3 && p.currentX() == 0 && p.currentY() == 0 && p.pagesStarted == 3);
    EXPECT_TRUE(p.endDoc());
}

TEST(QtPrinter, TheLayoutPageFitsAnyPaper)
{
    REQUIRE_PDF_TOOLS();
    QTemporaryDir dir;
    for (const auto& size : {QPageSize(QPageSize::A4), QPageSize(QPageSize::A5), QPageSize(QPageSize::Letter),
                             QPageSize(QPageSize::A3)}) {
        SCOPED_TRACE(size.key().toStdString());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(size.key() + QStringLiteral(".pdf")));
        printer.setPageSize(size);
        platform::QtPrinter out(printer);
        ASSERT_TRUE(out.begin());
        out.print(QStringLiteral("TOPLEFT"));
        out.setFontFace(PrintFace::Digits);
        out.setCurrentX(3500);
        out.setCurrentY(Printer::kPageHeight - 480);
        out.print(QString(64, QLatin1Char('0')));
        out.setCurrentX(10500);
        out.print(QStringLiteral("00"));
        out.newPage();
        out.setFontFace(PrintFace::Text);
        out.print(QStringLiteral("SECOND"));
        out.setCurrentX(3500);
        out.print(QString(64, QLatin1Char('D')));  // wider than the room left
        ASSERT_TRUE(out.endDoc());

        std::vector<std::pair<double, double>> pages;
        const auto w = pdftext::words(printer.outputFileName(), &pages);
        ASSERT_EQ(pages.size(), 2u);
        ASSERT_EQ(w.size(), 5u);
        EXPECT_TRUE(w[0].text == QStringLiteral("TOPLEFT") && w[3].text == QStringLiteral("SECOND") && w[3].page == 2);
        const QMarginsF m = printer.pageLayout().margins(QPageLayout::Point);
        // A line of 12 points on this paper; a font's box may stand out of
        // its line by what it is taller than the line.
        const double line = 240 * out.scale() * 72.0 / printer.resolution();
        for (const auto& word : w) {
            const auto [pw, ph] = pages[static_cast<std::size_t>(word.page - 1)];
            const double overhang = std::max(0.0, word.yMax - word.yMin - line);
            EXPECT_GE(word.xMin, m.left() - 0.5) << word.text.toStdString();
            EXPECT_LE(word.xMax, pw - m.right() + 0.5) << word.text.toStdString();
            EXPECT_LE(word.yMax - overhang, ph - m.bottom() + 0.5) << word.text.toStdString();
        }
        // The 64-digit value and the one-byte value end at the same right
        // edge, within a tenth of a digit.
        EXPECT_NEAR(w[1].xMax, w[2].xMax, (w[2].xMax - w[2].xMin) / 20);
    }
}

TEST(QtPrinter, OnA4TheLayoutPageIsFullSizeAndValuesKeepTheirColumn)
{
    REQUIRE_PDF_TOOLS();
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("a4.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    platform::QtPrinter out(printer);

    // Every hexadecimal digit of the digit face is as wide as the value
    // columns are laid out for: 113 twips at 12 points.
    for (const char* digits : {"0123456789", "ABCDEFABCD", "FFFFFFFFFF", "1111111111"})
        EXPECT_NEAR(out.textWidth(QString::fromLatin1(digits), 12, false, false, PrintFace::Digits), 1130.0, 1.0)
            << digits;

    ASSERT_TRUE(out.begin());
    // A4's printable area (575 by 822 points within margins of 10) holds the
    // layout page at its full size: a twip is a twentieth of a point.
    EXPECT_NEAR(out.scale() * 1440.0 / printer.resolution(), 1.0, 1e-4);
    out.printTo(QStringLiteral("     ") + QString(139, QLatin1Char('-')), 10726);
    out.setFontFace(PrintFace::Digits);
    for (const char* value : {"00", "FF", "DC", "11"}) {
        out.setCurrentX(10500);
        out.print(QString::fromLatin1(value));
    }
    out.setCurrentX(3500);
    out.print(QString(64, QLatin1Char('D')));
    ASSERT_TRUE(out.endDoc());
    const QString pdf = printer.outputFileName();

    // The one-byte values end at 10500 + 2 x 113 = 10726 twips, 536.3 points
    // right of the margin of 10, letters or not; so do the 64 letters from
    // 3500 (3500 + 64 x 113 = 10732) and the rule spread to 10726.
    const auto w = pdftext::words(pdf);
    int values = 0;
    for (const auto& word : w) {
        if (word.text == QLatin1String("00") || word.text == QLatin1String("FF") || word.text == QLatin1String("DC") ||
            word.text == QLatin1String("11")) {
            ++values;
            EXPECT_NEAR(word.xMax, 546.3, 0.1) << word.text.toStdString();
            EXPECT_NEAR(word.xMin, 535.0, 0.1) << word.text.toStdString();
        } else if (word.text.startsWith(QLatin1String("DDDD"))) {
            ++values;
            EXPECT_NEAR(word.xMin, 185.0, 0.1);
            EXPECT_NEAR(word.xMax, 546.6, 0.1);
        } else if (word.text.startsWith(QLatin1String("----"))) {
            ++values;
            EXPECT_NEAR(word.xMax, 546.3, 0.2);
            EXPECT_LT(word.xMin, 30.0);
        }
    }
    EXPECT_EQ(values, 6);
}

namespace {

// One short page of text into the printer's file; the result of endDoc, or
// false when the job did not start.
bool printInto(const QString& path, bool* started = nullptr)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    platform::QtPrinter out(printer);
    const bool began = out.begin();
    if (started)
        *started = began;
    if (!began)
        return false;
    out.print(QStringLiteral("A line"));
    return out.endDoc();
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(QtPrinter, APdfFileIsDoneOnlyWhenEveryByteReachedIt)
{
    REQUIRE_PDF_TOOLS();
    QTemporaryDir dir;
    // A new file, and an old one replaced whole.
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    ASSERT_TRUE(printInto(pdf));
    EXPECT_EQ(pdftext::pageCount(pdf), 1);
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write(QByteArray(100000, 'x'));
    }
    ASSERT_TRUE(printInto(pdf));
    EXPECT_EQ(pdftext::pageCount(pdf), 1);
    EXPECT_TRUE(contentOf(pdf).endsWith("%%EOF\n"));

    // /dev/full takes the file and refuses every byte, as a full disk does:
    // the job starts and fails, and the device stays a device.
    bool started = false;
    EXPECT_FALSE(printInto(QStringLiteral("/dev/full"), &started));
    EXPECT_TRUE(started);
    struct stat st {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    // Files that cannot be written do not start: a missing folder, a file
    // its owner made read-only (left as it was), a folder.
    EXPECT_FALSE(printInto(dir.filePath(QStringLiteral("no such folder/r.pdf")), &started));
    EXPECT_FALSE(started);
    if (::geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("locked.pdf"));
        {
            QFile f(locked);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        QFile::setPermissions(locked, QFile::ReadOwner);
        EXPECT_FALSE(printInto(locked, &started));
        EXPECT_FALSE(started);
        EXPECT_EQ(contentOf(locked), QByteArray("old"));
    }
    EXPECT_FALSE(printInto(dir.path(), &started));
    EXPECT_FALSE(started);
    // Nothing is left beside the files.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("r.pdf")} + (::geteuid() != 0 ? QStringList{QStringLiteral("locked.pdf")}
                                                                        : QStringList{}));
}

TEST(QtPrinter, AFullDiskLeavesNoPartOfTheReportAndAnOldFileWhole)
{
    QTemporaryDir dir;
    const QByteArray where = QFile::encodeName(dir.filePath(QStringLiteral("tiny")));
    QDir().mkpath(dir.filePath(QStringLiteral("tiny")));
    if (::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root): " << std::strerror(errno);
    struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
    } unmount{where};
    const QString old = dir.filePath(QStringLiteral("tiny/old.pdf"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("an old report");
    }
    // Fill what is left.
    {
        QFile filler(dir.filePath(QStringLiteral("tiny/filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }
    bool started = false;
    EXPECT_FALSE(printInto(old, &started));
    EXPECT_TRUE(started);
    EXPECT_EQ(contentOf(old), QByteArray("an old report"));
    EXPECT_FALSE(printInto(dir.filePath(QStringLiteral("tiny/new.pdf")), &started));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("tiny"))).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("filler"), QStringLiteral("old.pdf")}));
}
