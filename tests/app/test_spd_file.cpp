#include "app/SpdFile.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"
#include "support/CrashAt.h"
#include "support/OrdinaryUser.h"
#include "support/TinyFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

velmora::SpdImage imageFrom(const std::vector<std::uint8_t>& bytes)
{
    velmora::SpdImage img{};
    for (std::size_t i = 0; i < bytes.size() && i < 512; ++i)
        img[i] = bytes[i];
    return img;
}

} // namespace

TEST(SpdFileFormat, ChosenByTheLastThreeCharactersOfThePath)
{
    using spdfile::Format;
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.spd")), Format::Text);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.Spd")), Format::Text);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/bSPD")), Format::Text);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.spd.bak")), Format::Binary);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.bin")), Format::Binary);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/module")), Format::Binary);
}

TEST(SpdFileFormat, TextImageIsThirtyTwoFixedLines)
{
    velmora::SpdImage img{};
    for (int i = 0; i < 512; ++i)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 3);
    const QByteArray text = spdfile::encodeText(img);
    ASSERT_EQ(text.size(), 1632);
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 33);  // the last line also ends in CR LF
    EXPECT_EQ(lines[0], QByteArray(" 00 03 06 09 0C 0F 12 15 18 1B 1E 21 24 27 2A 2D \r"));
    for (int r = 0; r < 32; ++r)
        EXPECT_EQ(lines[r].size(), 50);
    EXPECT_TRUE(lines[32].isEmpty());
}

TEST(SpdFileFormat, RoundTripsBinaryThroughText)
{
    QTemporaryDir dir;
    const QString corpus = testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CPB.bin"));
    const auto original = spdfile::read(corpus);
    ASSERT_TRUE(original.ok);
    const velmora::SpdImage img = imageFrom(original.bytes);

    QString error;
    const QString spd = dir.filePath(QStringLiteral("m.spd"));
    ASSERT_TRUE(spdfile::write(spd, img, &error)) << qPrintable(error);
    const auto text = spdfile::read(spd);
    ASSERT_TRUE(text.ok);
    EXPECT_EQ(imageFrom(text.bytes), img);

    const QString bin = dir.filePath(QStringLiteral("m.bin"));
    ASSERT_TRUE(spdfile::write(bin, imageFrom(text.bytes), &error));
    EXPECT_EQ(readAll(bin), readAll(corpus));
}

TEST(SpdFileFormat, BinaryReadsUpTo512Bytes)
{
    QTemporaryDir dir;
    for (int size : {0, 1, 255, 256, 257, 511, 512, 513, 10 * 1024 * 1024}) {
        QByteArray data(size, '\0');
        for (int i = 0; i < size && i < 600; ++i)
            data[i] = static_cast<char>(i + 1);
        const auto r = spdfile::read(writeFile(dir, QStringLiteral("f%1.bin").arg(size), data));
        ASSERT_TRUE(r.ok) << size;
        ASSERT_EQ(r.bytes.size(), 512u) << size;
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(r.bytes[static_cast<std::size_t>(i)], i < size ? static_cast<std::uint8_t>(i + 1) : 0) << size << " " << i;
    }
}

TEST(SpdFileFormat, TextReaderTakesFieldsAtTheirPlaces)
{
    QTemporaryDir dir;
    // Lower-case digits, a missing leading blank, trailing text, LF, CR and
    // tabs inside fields.
    const QByteArray content = " 0a ff 1B\n"
                               "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 extra text\r"
                               " \t7 8\t 9 \r\n";
    const auto r = spdfile::read(writeFile(dir, QStringLiteral("a.spd"), content));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.bytes.size(), 48u);
    EXPECT_EQ(r.bytes[0], 0x0A);
    EXPECT_EQ(r.bytes[1], 0xFF);
    EXPECT_EQ(r.bytes[2], 0x1B);
    EXPECT_EQ(r.bytes[3], 0);  // short line: empty field
    // Without its leading blank a line reads the same.
    EXPECT_EQ(r.bytes[16], 0x01);
    EXPECT_EQ(r.bytes[17], 0x02);
    EXPECT_EQ(r.bytes[31], 0x10);
    EXPECT_EQ(r.bytes[32], 0x07);
    EXPECT_EQ(r.bytes[33], 0x08);
    EXPECT_EQ(r.bytes[34], 0x09);
}

TEST(SpdFileFormat, TextImageAfterAByteOrderMark)
{
    QTemporaryDir dir;
    const QByteArray bom = "\xEF\xBB\xBF";
    // The mark as editors on other systems put it before the first line.
    const QByteArray lines = " 92 13 0B 02 04 21 00 01 03 11 01 08 0A 00 FC 00\r\n"
                             " 69 78 69 30 69 11 18 81 20 08 3C 3C 00 F0 83 01\r\n";
    auto r = spdfile::read(writeFile(dir, QStringLiteral("a.spd"), bom + lines));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.bytes.size(), 32u);
    EXPECT_EQ(r.bytes[0], 0x92);
    EXPECT_EQ(r.bytes[1], 0x13);
    EXPECT_EQ(r.bytes[14], 0xFC);
    EXPECT_EQ(r.bytes[15], 0x00);
    EXPECT_EQ(r.bytes[16], 0x69);
    // Also before a first line without its leading blank.
    r = spdfile::read(writeFile(dir, QStringLiteral("b.spd"), bom + lines.mid(1)));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes[0], 0x92);
    EXPECT_EQ(r.bytes[15], 0x00);

    // A whole written image behind the mark reads back whole.
    velmora::SpdImage img{};
    for (std::size_t i = 0; i < img.size(); ++i)
        img[i] = static_cast<std::uint8_t>(255 - (i & 0xFF));
    r = spdfile::read(writeFile(dir, QStringLiteral("c.SPD"), bom + spdfile::encodeText(img)));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(imageFrom(r.bytes), img);

    // A binary image has no text to mark: those bytes are its first entries.
    r = spdfile::read(writeFile(dir, QStringLiteral("d.bin"), bom + "\x01"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes[0], 0xEF);
    EXPECT_EQ(r.bytes[1], 0xBB);
    EXPECT_EQ(r.bytes[2], 0xBF);
    EXPECT_EQ(r.bytes[3], 0x01);
}

TEST(SpdFileFormat, TextReaderStopsAfter32LinesAndSurvivesGarbage)
{
    QTemporaryDir dir;
    QByteArray forty;
    for (int i = 0; i < 40; ++i)
        forty += " 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 00 \r\n";
    auto r = spdfile::read(writeFile(dir, QStringLiteral("forty.spd"), forty));
    ASSERT_EQ(r.bytes.size(), 512u);
    EXPECT_EQ(r.bytes[511], 0x00);
    EXPECT_EQ(r.bytes[496], 0x11);

    QByteArray ten;
    for (int i = 0; i < 10; ++i)
        ten += " 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 \r\n";
    r = spdfile::read(writeFile(dir, QStringLiteral("ten.SPD"), ten));
    EXPECT_EQ(r.bytes.size(), 160u);

    QByteArray garbage(10 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    r = spdfile::read(writeFile(dir, QStringLiteral("garbage.spd"), garbage));
    ASSERT_TRUE(r.ok);
    EXPECT_LE(r.bytes.size(), 512u);

    r = spdfile::read(writeFile(dir, QStringLiteral("empty.spd"), QByteArray()));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.bytes.empty());

    r = spdfile::read(writeFile(dir, QStringLiteral("nohex.spd"), QByteArray(" zz GG ?? \r\n")));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes[0], 0);
    EXPECT_EQ(r.bytes[1], 0);
}

TEST(SpdFileFormat, UnreadableFilesAreReportedNotRead)
{
    QTemporaryDir dir;
    EXPECT_FALSE(spdfile::read(dir.filePath(QStringLiteral("missing.spd"))).ok);
    EXPECT_FALSE(spdfile::read(dir.path()).ok);
    const QString locked = writeFile(dir, QStringLiteral("locked.bin"), QByteArray(512, '\1'));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (QFile(locked).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    EXPECT_FALSE(spdfile::read(locked).ok);
}

TEST(SpdFileFormat, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    velmora::SpdImage img{};
    QString error;
    EXPECT_FALSE(spdfile::write(dir.filePath(QStringLiteral("no/such/folder/x.spd")), img, &error));
    EXPECT_FALSE(error.isEmpty());
}

class FillDocumentTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        velmora::gs().passwordMode = -1;
        doc.Form_Load();
    }
    void TearDown() override
    {
        doc.Set_form_chang(0);
        ProgramStateTest::TearDown();
    }
    ScriptedUi ui;
    frmDocument doc;
};

TEST_F(FillDocumentTest, Ddr4GetsItsTypeAndBothCrcs)
{
    auto r = spdfile::read(testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CPB.bin")));
    const auto good126 = r.bytes[126];
    const auto good254 = r.bytes[254];
    r.bytes[126] ^= 0xFF;
    r.bytes[254] ^= 0xFF;
    spdfile::fillDocument(doc, r.bytes);
    EXPECT_EQ(doc.Get_Type(), 5);
    EXPECT_EQ(doc.checksumMode(), 1);
    EXPECT_EQ(doc.Get_Value(126), good126);
    EXPECT_EQ(doc.Get_Value(254), good254);
    EXPECT_EQ(doc.Chk_Form_Chang(), 0);
    EXPECT_EQ(doc.grid()->header(47).back, look::kRed);
    EXPECT_EQ(doc.grid()->header(31).back, look::kButtonFace);
}

TEST_F(FillDocumentTest, Ddr3AndDdr2AndUnknownTypes)
{
    std::vector<std::uint8_t> bytes(512, 0x5A);
    bytes[2] = 0x0B;
    bytes[0] = 0x12;
    spdfile::fillDocument(doc, bytes);
    EXPECT_EQ(doc.Get_Type(), 4);
    EXPECT_EQ(doc.checksumMode(), 1);
    EXPECT_EQ(doc.Get_Value(300), 0);  // the 256-byte layout clears the upper half
    EXPECT_EQ(doc.Get_Value(126), 0x52);  // CRC-16 of bytes 0 to 125: 2B52
    EXPECT_EQ(doc.Get_Value(127), 0x2B);

    frmDocument ddr2;
    ddr2.Form_Load();
    bytes.assign(256, 0x11);
    bytes[2] = 0x08;
    spdfile::fillDocument(ddr2, bytes);
    EXPECT_EQ(ddr2.Get_Type(), 2);
    EXPECT_EQ(ddr2.checksumMode(), 0);
    EXPECT_EQ(ddr2.Get_Value(63), 0x11);  // the stored checksum stays as the file has it

    frmDocument odd;
    odd.Form_Load();
    bytes.assign(512, 0);
    bytes[2] = 0x0A;
    spdfile::fillDocument(odd, bytes);
    EXPECT_EQ(odd.Get_Type(), 0);
    EXPECT_EQ(odd.checksumMode(), 0);
}

// ---------------------------------------------------------------- files that are not images

namespace {

// Runs the reader on its own thread and gives up after `limit`. A reader that
// hangs in a FIFO's open is set free by `unblock` so that the thread can end.
std::optional<spdfile::ReadResult> readWithin(const QString& path, std::chrono::milliseconds limit,
                                              const std::function<void()>& unblock = nullptr)
{
    auto result = std::make_shared<std::promise<spdfile::ReadResult>>();
    std::future<spdfile::ReadResult> done = result->get_future();
    std::thread([result, path] { result->set_value(spdfile::read(path)); }).detach();
    if (done.wait_for(limit) == std::future_status::ready)
        return done.get();
    if (unblock)
        unblock();
    return std::nullopt;
}

} // namespace

TEST(SpdFileRead, FifosAndDevicesAreRefusedWithoutWaiting)
{
    QTemporaryDir dir;
    using namespace std::chrono_literals;
    for (const char* name : {"pipe.spd", "pipe.bin"}) {
        const QString fifo = dir.filePath(QString::fromLatin1(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // Should the reader wait for a writer, one comes after the limit.
        const auto r = readWithin(fifo, 3s, [fifo] {
            const int w = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (w >= 0)
                ::close(w);
        });
        ASSERT_TRUE(r.has_value()) << name << ": the reader waited for a writer";
        EXPECT_FALSE(r->ok) << name;
        EXPECT_FALSE(r->error.isEmpty()) << name;
    }
    // A link to an endless device is followed and refused; so is a device named
    // directly.
    for (const char* name : {"zero.spd", "zero.bin"}) {
        const QString link = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));
        const auto r = readWithin(link, 3s);
        ASSERT_TRUE(r.has_value()) << name << ": the reader did not stop";
        EXPECT_FALSE(r->ok) << name;
    }
    const auto nul = readWithin(QStringLiteral("/dev/null"), 3s);
    ASSERT_TRUE(nul.has_value());
    EXPECT_FALSE(nul->ok);
}

TEST(SpdFileRead, HugeFilesAreReadOnlyAsFarAsAnImageReaches)
{
    QTemporaryDir dir;
    using namespace std::chrono_literals;
    // 64 GiB of holes: no line end anywhere.
    const QString text = dir.filePath(QStringLiteral("huge.spd"));
    const QString bin = dir.filePath(QStringLiteral("huge.bin"));
    for (const QString& path : {text, bin}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (!f.resize(qint64(64) << 30))
            GTEST_SKIP() << "this file system holds no sparse file of 64 GiB";
    }
    const auto t = readWithin(text, 3s);
    ASSERT_TRUE(t.has_value()) << "the text reader went through the whole file";
    EXPECT_FALSE(t->ok);  // no 32 lines within the size of a text image
    EXPECT_FALSE(t->error.isEmpty());

    const auto b = readWithin(bin, 3s);
    ASSERT_TRUE(b.has_value());
    ASSERT_TRUE(b->ok);
    EXPECT_EQ(b->bytes, std::vector<std::uint8_t>(512, 0));

    // Text after the fields is allowed while 32 lines end within 4096 bytes:
    // 32 lines of 111 bytes do, of 151 bytes do not.
    for (int extra : {60, 100}) {
        QByteArray lines;
        for (int n = 0; n < 32; ++n)
            lines += " 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 5A " + QByteArray(extra, 'x') + "\r\n";
        const auto r = spdfile::read(writeFile(dir, QStringLiteral("wide%1.spd").arg(extra), lines));
        EXPECT_EQ(r.ok, extra == 60) << extra;
        EXPECT_EQ(r.bytes.size(), extra == 60 ? 512u : 0u) << extra;
    }
}

TEST(SpdFileRead, AFileIsReadToItsThirtySecondLineOrRefused)
{
    QTemporaryDir dir;
    const QByteArray fields = " 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 5A ";
    // A line of `size` bytes with its CR LF.
    auto line = [&](int size) { return fields + QByteArray(size - 2 - fields.size(), 'x') + "\r\n"; };
    QByteArray first31;
    for (int n = 0; n < 30; ++n)
        first31 += line(132);
    first31 += line(136);
    ASSERT_EQ(first31.size(), 4096);
    const QByteArray last = " 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 \r\n";

    // 31 lines end exactly at byte 4096 and a 32nd comes after them: the
    // file is not taken as 496 entries with 16 zeros after them.
    auto r = spdfile::read(writeFile(dir, QStringLiteral("cut.spd"), first31 + last));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.bytes.empty());
    EXPECT_FALSE(r.error.isEmpty());
    // The same with the 31st line's CR as byte 4096 and its LF beyond it.
    const QByteArray crAtTheCut = first31.chopped(2) + "x\r\n";
    r = spdfile::read(writeFile(dir, QStringLiteral("cr.spd"), crAtTheCut + last));
    EXPECT_FALSE(r.ok);

    // 31 such lines and nothing after them are a short image, read whole.
    r = spdfile::read(writeFile(dir, QStringLiteral("short.spd"), first31));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes.size(), 496u);

    // 32 lines that end exactly at byte 4096 are read to the last entry,
    // whatever follows them.
    QByteArray all32;
    for (int n = 0; n < 31; ++n)
        all32 += line(127);
    all32 += last.chopped(2) + QByteArray(4096 - all32.size() - last.size(), 'y') + "\r\n";
    ASSERT_EQ(all32.size(), 4096);
    r = spdfile::read(writeFile(dir, QStringLiteral("full.spd"), all32 + "trailing text"));
    ASSERT_TRUE(r.ok) << qPrintable(r.error);
    ASSERT_EQ(r.bytes.size(), 512u);
    EXPECT_EQ(r.bytes[495], 0x5A);
    EXPECT_EQ(r.bytes[496], 0x01);
    EXPECT_EQ(r.bytes[511], 0x10);
}

// ---------------------------------------------------------------- writing

TEST(SpdFileWrite, WritableFileInAReadOnlyFolderIsWrittenInPlace)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/kept.spd");
    velmora::SpdImage img{};
    img[0] = 0x92;
    img[511] = 0x7E;
    QString error;
    ASSERT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
    const QByteArray f = QFile::encodeName(folder);
    const QByteArray p = QFile::encodeName(path);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chown(f.constData(), OrdinaryUser::uid(), OrdinaryUser::gid()), 0);
    ASSERT_EQ(::chown(p.constData(), OrdinaryUser::uid(), OrdinaryUser::gid()), 0);
    ASSERT_EQ(::chmod(f.constData(), 0555), 0);
    {
        OrdinaryUser user;
        if (user.failed())
            GTEST_SKIP() << "cannot take an ordinary user's rights, so a read-only folder cannot be made";
        if (QFile probe(folder + QStringLiteral("/probe")); probe.open(QIODevice::WriteOnly))
            GTEST_SKIP() << "the folder stays writable for this user";
        img[0] = 0x23;
        img[100] = 0x01;
        EXPECT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
        // A file made read-only itself is not written in either way.
        ASSERT_EQ(::chmod(p.constData(), 0444), 0);
        img[0] = 0x55;
        EXPECT_FALSE(spdfile::write(path, img, &error));
        ASSERT_EQ(::chmod(f.constData(), 0755), 0);
        EXPECT_FALSE(spdfile::write(path, img, &error));
        ASSERT_EQ(::chmod(f.constData(), 0555), 0);
        // A file the folder does not hold yet cannot be made there.
        EXPECT_FALSE(spdfile::write(folder + QStringLiteral("/new.spd"), img, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    ::chmod(f.constData(), 0755);
    const QByteArray text = readAll(path);
    ASSERT_EQ(text.size(), 1632);
    EXPECT_TRUE(text.startsWith(" 23 00 00 "));
    EXPECT_TRUE(text.endsWith(" 00 7E \r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.spd")});
}

TEST(SpdFileWrite, TheReplacedFileKeepsItsPermissionBits)
{
    QTemporaryDir dir;
    velmora::SpdImage img{};
    QString error;
    for (const char* name : {"a.spd", "b.bin"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const QByteArray p = QFile::encodeName(path);
        ASSERT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
        for (mode_t mode : {0600, 0640, 0664, 0755, 02640}) {
            ASSERT_EQ(::chmod(p.constData(), mode), 0);
            img[0] = static_cast<std::uint8_t>(mode & 0xFF);
            ASSERT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
            struct stat st {};
            ASSERT_EQ(::stat(p.constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, mode) << name << " " << std::oct << mode;
            EXPECT_EQ(spdfile::read(path).bytes[0], mode & 0xFF);
        }
    }
}

// A save makes, renames over or removes no file but its own and the image's,
// also one named as a save might name its new file; and the longest name
// the system allows is saved too.
TEST(SpdFileWrite, ASaveTouchesNoOtherFileAndTakesTheLongestName)
{
    QTemporaryDir dir;
    velmora::SpdImage img{};
    QString error;
    const QString mine = writeFile(dir, QStringLiteral(".a.spd.tmp"), "mine");
    for (const QString& name : {QStringLiteral("a.spd"), QString(251, QLatin1Char('n')) + QStringLiteral(".spd")}) {
        const QString path = dir.filePath(name);
        for (std::uint8_t v : {0x11, 0x92}) {
            img[0] = v;
            ASSERT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
            EXPECT_EQ(spdfile::read(path).bytes[0], v);
        }
    }
    EXPECT_EQ(readAll(mine), QByteArray("mine"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// A user's image that root saves stays the user's, and one its owner made
// read-only is refused, also by root; another user's file that may be
// written in a shared sticky folder (like /tmp), whose owner alone may
// replace it, is written in place.
TEST(SpdFileWrite, AnotherUsersImageIsSavedAndStaysTheirs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make files of another user";
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    velmora::SpdImage img{};
    QString error;
    const QString users = dir.filePath(QStringLiteral("user.spd"));
    ASSERT_TRUE(spdfile::write(users, img, &error));
    ASSERT_EQ(::chown(QFile::encodeName(users).constData(), OrdinaryUser::kNobody, OrdinaryUser::kNobody), 0);
    img[0] = 0x23;
    ASSERT_TRUE(spdfile::write(users, img, &error)) << qPrintable(error);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(users).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, OrdinaryUser::kNobody);
    EXPECT_EQ(st.st_gid, OrdinaryUser::kNobody);
    ASSERT_EQ(::chmod(QFile::encodeName(users).constData(), 0444), 0);
    const QByteArray kept = readAll(users);
    img[0] = 0x44;
    EXPECT_FALSE(spdfile::write(users, img, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(platform::writeInPlace(users, "in place"));
    EXPECT_EQ(readAll(users), kept);
    ASSERT_EQ(::stat(QFile::encodeName(users).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    img[0] = 0x23;

    const QString shared = dir.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString roots = shared + QStringLiteral("/root.spd");
    ASSERT_TRUE(spdfile::write(roots, img, &error));
    ASSERT_EQ(::chmod(QFile::encodeName(roots).constData(), 0666), 0);
    {
        OrdinaryUser user;
        ASSERT_FALSE(user.failed());
        img[0] = 0x55;
        EXPECT_TRUE(spdfile::write(roots, img, &error)) << qPrintable(error);
    }
    EXPECT_TRUE(readAll(roots).startsWith(" 55 "));
    ASSERT_EQ(::stat(QFile::encodeName(roots).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(QDir(shared).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("root.spd")});
}

TEST(SpdFileWrite, OnlyFilesAreReplaced)
{
    QTemporaryDir dir;
    velmora::SpdImage img{};
    QString error;
    // A link is followed: its target is written and the link stays.
    const QString target = dir.filePath(QStringLiteral("target.bin"));
    ASSERT_TRUE(spdfile::write(target, img, &error));
    const QString link = dir.filePath(QStringLiteral("link.bin"));
    ASSERT_TRUE(QFile::link(target, link));
    img[3] = 0x33;
    ASSERT_TRUE(spdfile::write(link, img, &error)) << qPrintable(error);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(target).at(3), '\x33');

    // A relative link with ".." in a folder reached through a linked folder
    // goes up from the folder it really is in, as the system follows it.
    for (const char* folder : {"phys/sub", "phys/deep", "lnk"})
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QString::fromLatin1(folder))));
    ASSERT_EQ(::symlink("../phys/sub", QFile::encodeName(dir.filePath(QStringLiteral("lnk/lf"))).constData()), 0);
    ASSERT_EQ(::symlink("../deep/t.bin", QFile::encodeName(dir.filePath(QStringLiteral("phys/sub/f.bin"))).constData()),
              0);
    const QString deep = dir.filePath(QStringLiteral("phys/deep/t.bin"));
    ASSERT_TRUE(spdfile::write(deep, img, &error));
    img[4] = 0x44;
    ASSERT_TRUE(spdfile::write(dir.filePath(QStringLiteral("lnk/lf/f.bin")), img, &error)) << qPrintable(error);
    EXPECT_EQ(readAll(deep).at(4), '\x44');
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("phys/sub/f.bin"))).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("lnk/deep"))));

    // A FIFO, named or behind a link, is not replaced by a file.
    const QString fifo = dir.filePath(QStringLiteral("pipe.bin"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(spdfile::write(fifo, img, &error));
    EXPECT_FALSE(error.isEmpty());
    const QString toFifo = dir.filePath(QStringLiteral("to-pipe.spd"));
    ASSERT_TRUE(QFile::link(fifo, toFifo));
    EXPECT_FALSE(spdfile::write(toFifo, img, &error));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A save that no longer fits, or that dies half-way, leaves the old image
// whole.
TEST(SpdFileWrite, AFullDiskOrACrashLeavesTheOldImageWhole)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("tiny"));
    TinyFileSystem fs(folder);
    if (!fs.mounted())
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root)";
    const QString path = folder + QStringLiteral("/module.spd");
    velmora::SpdImage img{};
    img[0] = 0x92;
    QString error;
    ASSERT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
    const QByteArray before = readAll(path);
    ASSERT_EQ(before.size(), 1632);

    // The disk full: the 1632 characters of a text image no longer fit.
    ASSERT_TRUE(fs.fill());
    img[0] = 0x23;
    EXPECT_FALSE(spdfile::write(path, img, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path), before);
    const QStringList alone{QStringLiteral("module.spd")};
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/filler")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), alone);

    for (const char* step : {"written", "named"}) {
        SCOPED_TRACE(step);
        EXPECT_EXIT(
            {
                killAtReplaceStep(step);
                velmora::SpdImage other{};
                other[0] = 0x11;
                QString e;
                spdfile::write(path, other, &e);
                std::_Exit(0);
            },
            testing::KilledBySignal(SIGKILL), "");
        EXPECT_EQ(readAll(path), before);
    }
    // The crash at the rename left the new file under a name of its own. The
    // first save into the folder in a later run of the program leaves it
    // while it is young (another instance of the program may be writing it),
    // also on a full disk; once it is older than any write takes, that first
    // save removes it, and so what a crash left for another image. Later
    // saves of a run do not look through the folder again.
    const QStringList afterModule = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    ASSERT_EQ(afterModule.size(), 2);
    EXPECT_EXIT(
        {
            killAtReplaceStep("named");
            QString e;
            spdfile::write(folder + QStringLiteral("/other.spd"), img, &e);
            std::_Exit(0);
        },
        testing::KilledBySignal(SIGKILL), "");
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    ASSERT_EQ(left.size(), 3);
    ASSERT_TRUE(fs.fill());
    platform::forgetFoldersLookedThrough();
    bool saved = spdfile::write(path, img, &error);
    EXPECT_EQ(readAll(path).startsWith(" 23 "), saved);
    EXPECT_EQ(readAll(path) == before, !saved);
    left << QStringLiteral("filler");
    left.sort();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);

    const timespec twoHoursAgo{::time(nullptr) - 7200, 0};
    const timespec times[2] = {twoHoursAgo, twoHoursAgo};
    for (const QString& name : left)
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(folder + QLatin1Char('/') + name).constData(), times, 0), 0);
    img[0] = 0x24;
    saved = spdfile::write(path, img, &error);
    EXPECT_EQ(readAll(path).startsWith(" 24 "), saved);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
    platform::forgetFoldersLookedThrough();
    img[0] = 0x25;
    EXPECT_TRUE(spdfile::write(path, img, &error)) << qPrintable(error);
    EXPECT_TRUE(readAll(path).startsWith(" 25 "));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("filler"), QStringLiteral("module.spd")}));
}

// A failed save takes away only the new file it made: a file that someone
// else put at its name meanwhile stays.
TEST(SpdFileWrite, AFailedSaveLeavesAFileSomeoneElsePutAtItsNewFilesName)
{
    QTemporaryDir dir;
    static QString folder;
    folder = dir.path();
    const QString path = dir.filePath(QStringLiteral("module.bin"));
    velmora::SpdImage img{};
    QString error;
    platform::setReplaceStepHook([](const char* step) {
        if (std::strcmp(step, "named") != 0)
            return 0;
        const QStringList made = QDir(folder).entryList({QStringLiteral(".velmora-*")}, QDir::Files | QDir::Hidden);
        const QString own = folder + QLatin1Char('/') + made.value(0);
        QFile::rename(own, folder + QStringLiteral("/moved"));
        QFile theirs(own);
        theirs.open(QIODevice::WriteOnly);
        theirs.write("theirs");
        return EIO;
    });
    EXPECT_FALSE(spdfile::write(path, img, &error));
    platform::setReplaceStepHook(nullptr);
    const QStringList theirs = QDir(folder).entryList({QStringLiteral(".velmora-*")}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(theirs.size(), 1);
    EXPECT_EQ(readAll(dir.filePath(theirs[0])), QByteArray("theirs"));
    EXPECT_FALSE(QFileInfo::exists(path));
}
