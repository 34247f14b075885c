#include "rules/report/ReportPrinters.h"

#include <algorithm>

namespace report {

using platform::PrintFace;
using platform::Printer;
using velmora::SpdImage;

namespace {

constexpr int kOneByteX = 10500;
// The right edge of the report: where a one-byte value ends. The dashed
// rules run to it, past "HEX" above the values.
constexpr int kReportRight = kOneByteX + 2 * Printer::kDigitTwipsAt12;

int byteAt(const SpdImage& image, int i) { return image.at(static_cast<std::size_t>(i)); }

// The header block: the web address at size w from (xw, 200) in red
// italics; the file-name line at y yf in bold blue 12 points; a line of two
// blanks; "HEX" at (10300, yh) and the column header from x 0 on the same
// line; the rule below it; then red for the body.
void headerBlock(Printer& p, const LineTable& t, const ReportSource& doc, int w, int xw, int yf, int yh, int header,
                 int rule)
{
    p.setFontFace(PrintFace::Text);
    p.setFontSize(w);
    p.setCurrentY(200);
    p.setCurrentX(xw);
    p.setFontItalic(true);
    p.setForeColor(kRed);
    p.print(doc.webAddress);
    p.setFontItalic(false);

    p.setForeColor(kBlue);
    p.setFontSize(12);
    p.setCurrentY(yf);
    p.setFontBold(true);
    p.print(QStringLiteral("     Filename: ") + fileNameOf(doc.caption));
    p.setFontBold(false);
    p.print(QStringLiteral("  "));

    p.setCurrentY(yh);
    p.setCurrentX(10300);
    p.print(QStringLiteral("HEX"));
    p.setCurrentY(yh);
    p.print(t[static_cast<std::size_t>(header)]);
    p.printTo(t[static_cast<std::size_t>(rule)], kReportRight);
    p.setForeColor(kRed);
}

void lineIn(Printer& p, const LineTable& t, int i, platform::PrintColour c)
{
    p.setForeColor(c);
    p.setFontFace(PrintFace::Text);
    p.print(t[static_cast<std::size_t>(i)]);
}

// A dashed rule across the report, in blue.
void ruleIn(Printer& p, const LineTable& t, int i)
{
    p.setForeColor(kBlue);
    p.setFontFace(PrintFace::Text);
    p.printTo(t[static_cast<std::size_t>(i)], kReportRight);
}

void byteAtX(Printer& p, const SpdImage& image, int i, int x)
{
    p.setCurrentX(x);
    print_byte(p, image, i);
}

void valueIn(Printer& p, const QString& text, platform::PrintColour c, int x)
{
    p.setForeColor(c);
    p.setCurrentX(x);
    p.setFontFace(PrintFace::Digits);
    p.print(text);
}

// The second block of the SDRAM, DDR and DDR2 reports: the manufacturer's
// ID code, location, part number, revision, date, serial number and
// manufacturer's data, one per line from y.
void manufacturerValues(Printer& p, const SpdImage& image, int idX, int y, int dataLast, int dataX)
{
    p.setCurrentY(y);
    valueIn(p, hexField(image, 64, 71), kRed, idX);
    valueIn(p, hexByte(byteAt(image, 72)), kBlue, kOneByteX);
    valueIn(p, partNumberText(image), kRed, 8550);
    valueIn(p, hexField(image, 91, 92), kBlue, 10270);
    valueIn(p, hexByte(byteAt(image, 93)), kRed, kOneByteX);
    valueIn(p, hexByte(byteAt(image, 94)), kBlue, kOneByteX);
    valueIn(p, hexField(image, 95, 98), kRed, 9830);
    valueIn(p, hexField(image, 99, dataLast), kBlue, dataX);
}

} // namespace

ReportKind reportFor(int memoryTypeByte)
{
    switch (memoryTypeByte) {
    case 8: return ReportKind::Ddr2;
    case 11: return ReportKind::Ddr3;
    case 12: return ReportKind::Ddr4;
    case 4: return ReportKind::Sdram;
    default: return ReportKind::Ddr;
    }
}

QString fileNameOf(const QString& caption)
{
    const qsizetype cut = std::max(caption.lastIndexOf(QLatin1Char('\\')), caption.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? caption : caption.mid(cut + 1);
}

QString hexByte(int value)
{
    static const char digits[] = "0123456789ABCDEF";
    const int v = value & 0xFF;
    const QChar out[2] = {QLatin1Char(digits[v >> 4]), QLatin1Char(digits[v & 15])};
    return QString(out, 2);
}

QString hexField(const SpdImage& image, int first, int last)
{
    QString out;
    for (int k = first; k <= last; ++k)
        out += hexByte(byteAt(image, k));
    return out;
}

QString partNumberText(const SpdImage& image)
{
    int sum = 0;
    for (int k = 73; k <= 90; ++k)
        sum += byteAt(image, k);
    if (sum == 0)
        return QString();
    QString out;
    for (int k = 73; k <= 90; ++k) {
        const QChar c = QChar(QLatin1Char(static_cast<char>(byteAt(image, k))));
        // A byte that prints as no visible character (the control codes C0,
        // DEL and C1, the soft hyphen 0xAD, the no-break space) keeps its
        // place as one blank, so the characters after it stay in their
        // cells.
        out += c.isPrint() && !c.isSpace() ? c : QChar(QLatin1Char(' '));
    }
    return out;
}

void switchColour(Printer& p)
{
    const platform::PrintColour c = p.foreColor();
    if (c == kRed)
        p.setForeColor(kBlue);
    else if (c == kBlue)
        p.setForeColor(kRed);
}

void print_line(Printer& p, const LineTable& table, int I)
{
    switchColour(p);
    p.setFontFace(PrintFace::Text);
    p.print(table.at(static_cast<std::size_t>(I)));
}

void print_byte(Printer& p, const SpdImage& image, int I)
{
    switchColour(p);
    p.setFontFace(PrintFace::Digits);
    p.print(hexByte(byteAt(image, I)));
}

void Print_ddr4_str(Printer& p, const SpdImage& image, int I, int J)
{
    switchColour(p);
    p.setFontFace(PrintFace::Digits);
    p.print(hexField(image, I, J));
}

// ---------------------------------------------------------------- SDRAM

void SDR_PRINTER(Printer& p, const LineTable& t, const ReportSource& doc)
{
    const SpdImage& img = doc.image;
    headerBlock(p, t, doc, 8, 9500, 800, 1340, kHeader, kRule);

    for (int i = 0; i <= 36; ++i)
        print_line(p, t, i);
    lineIn(p, t, 41, kRed);
    lineIn(p, t, 42, kBlue);
    lineIn(p, t, 62, kRed);
    lineIn(p, t, 63, kBlue);
    for (int k = 0; k < 4; ++k)
        p.print(QStringLiteral("  "));
    ruleIn(p, t, kRule);
    const int second[] = {64, 72, 73, 91, 93, 94, 95, 99, 126, 127};
    for (int k = 0; k < 10; ++k)
        lineIn(p, t, second[k], k % 2 == 0 ? kRed : kBlue);
    ruleIn(p, t, kRule);

    p.setForeColor(kRed);
    p.setCurrentY(1810);
    for (int i = 0; i <= 36; ++i)
        byteAtX(p, img, i, kOneByteX);
    for (int i : {41, 42, 62, 63})
        byteAtX(p, img, i, kOneByteX);
    manufacturerValues(p, img, 8920, 12850, 125, 4660);
    valueIn(p, hexByte(byteAt(img, 126)), kRed, kOneByteX);
    valueIn(p, hexByte(byteAt(img, 127)), kBlue, kOneByteX);
}

// ---------------------------------------------------------------- DDR

void DDR_PRINTER(Printer& p, const LineTable& t, const ReportSource& doc)
{
    const SpdImage& img = doc.image;
    headerBlock(p, t, doc, 8, 9500, 800, 1340, kHeader, kRule);

    for (int i = 0; i <= 36; ++i)
        print_line(p, t, i);
    for (int i = 41; i <= 46; ++i)
        print_line(p, t, i);
    lineIn(p, t, 62, kRed);
    lineIn(p, t, 63, kBlue);
    p.print(QStringLiteral("  "));
    p.print(QStringLiteral("  "));
    ruleIn(p, t, kRule);
    const int second[] = {64, 72, 73, 91, 93, 94, 95, 99};
    for (int k = 0; k < 8; ++k)
        lineIn(p, t, second[k], k % 2 == 0 ? kRed : kBlue);
    ruleIn(p, t, kRule);

    p.setForeColor(kRed);
    p.setCurrentY(1800);
    for (int i = 0; i <= 36; ++i)
        byteAtX(p, img, i, kOneByteX);
    for (int i = 41; i <= 46; ++i)
        byteAtX(p, img, i, kOneByteX);
    byteAtX(p, img, 62, kOneByteX);
    byteAtX(p, img, 63, kOneByteX);
    manufacturerValues(p, img, 8920, 13350, 127, 4220);
}

// ---------------------------------------------------------------- DDR2

void DDR2_PRINTER(Printer& p, const LineTable& t, const ReportSource& doc)
{
    const SpdImage& img = doc.image;
    headerBlock(p, t, doc, 8, 9500, 600, 1140, kHeader, kRule);

    for (int i = 0; i <= 47; ++i)
        print_line(p, t, i);
    lineIn(p, t, 62, kBlue);
    lineIn(p, t, 63, kRed);
    ruleIn(p, t, kRule);
    const int second[] = {64, 72, 73, 91, 93, 94, 95, 99};
    for (int k = 0; k < 8; ++k)
        lineIn(p, t, second[k], k % 2 == 0 ? kRed : kBlue);
    ruleIn(p, t, kRule);

    p.setForeColor(kRed);
    p.setCurrentY(1620);
    for (int i = 0; i <= 47; ++i)
        byteAtX(p, img, i, kOneByteX);
    byteAtX(p, img, 62, kOneByteX);
    byteAtX(p, img, 63, kOneByteX);
    manufacturerValues(p, img, 8900, 13880, 127, 4220);
}

// ---------------------------------------------------------------- DDR3

void DDR3_PRINTER(Printer& p, const LineTable& t, const ReportSource& doc)
{
    const SpdImage& img = doc.image;
    headerBlock(p, t, doc, 8, 9500, 900, 1500, kHeader, kRule);

    for (int i = 0; i <= 31; ++i)
        print_line(p, t, i);
    const int block[] = {32, 60, 61, 62, 63, 64, 117, 118, 119, 120, 121, 122, 126, 127};
    for (int k = 0; k < 14; ++k)
        lineIn(p, t, block[k], k % 2 == 0 ? kBlue : kRed);
    p.print(QString());
    p.print(QString());
    ruleIn(p, t, kRule);
    const int second[] = {128, 146, 148, 150, 176};
    for (int k = 0; k < 5; ++k)
        lineIn(p, t, second[k], k % 2 == 0 ? kBlue : kRed);
    p.print(QString());
    p.print(QString());
    p.print(QString());
    ruleIn(p, t, kRule);

    p.setCurrentY(2020);
    p.setForeColor(kRed);
    for (int i = 0; i <= 32; ++i)
        byteAtX(p, img, i, kOneByteX);
    for (int i = 60; i <= 64; ++i)
        byteAtX(p, img, i, kOneByteX);
    for (int i = 117; i <= 121; ++i)
        byteAtX(p, img, i, kOneByteX);
    valueIn(p, hexField(img, 122, 125), kRed, 9830);
    byteAtX(p, img, 126, kOneByteX);
    byteAtX(p, img, 127, kOneByteX);

    p.setCurrentY(13770);
    valueIn(p, hexField(img, 128, 145), kBlue, 6670);
    valueIn(p, hexField(img, 146, 147), kRed, 10270);
    valueIn(p, hexField(img, 148, 149), kBlue, 10270);
    valueIn(p, hexField(img, 150, 175), kRed, 4870);
    valueIn(p, hexField(img, 176, 191), kBlue, 7120);
    valueIn(p, hexField(img, 192, 223), kBlue, 3500);
    valueIn(p, hexField(img, 224, 255), kBlue, 3500);
}

// ---------------------------------------------------------------- DDR4

void DDR4_PRINTER(Printer& p, const LineTable& t, const ReportSource& doc)
{
    const SpdImage& img = doc.image;

    // Page 1: bytes 0 to 127.
    headerBlock(p, t, doc, 11, 8500, 900, 1500, kDdr4Header, kDdr4Rule);
    for (int i = 0; i <= 40; ++i)
        print_line(p, t, i);
    print_line(p, t, 41);
    print_line(p, t, 60);
    print_line(p, t, 78);
    for (int i = 117; i <= 127; ++i)
        print_line(p, t, i);
    p.print(QString());
    p.print(QString());
    p.setCurrentX(5000);
    p.print(QStringLiteral("PAGE 1"));

    p.setCurrentY(2020);
    p.setForeColor(kRed);
    for (int i = 0; i <= 41; ++i)
        byteAtX(p, img, i, kOneByteX);
    p.setCurrentX(7575);
    Print_ddr4_str(p, img, 64, 77);  // the bit mapping: bytes 64 to 77 only
    byteAtX(p, img, 78, kOneByteX);
    for (int i = 117; i <= 127; ++i)
        byteAtX(p, img, i, kOneByteX);

    // Page 2: bytes 128 to 384, on a page of its own whatever the paper.
    p.newPage();
    p.setFontSize(11);
    p.setCurrentY(200);
    p.setCurrentX(8500);
    p.setFontItalic(true);
    p.setForeColor(kRed);
    p.setFontFace(PrintFace::Text);
    p.print(doc.webAddress);
    // The body in the face of page 1's body.
    p.setFontItalic(false);
    p.setFontSize(12);

    const int keys[] = {155, 254, 255, 256, 320, 321, 322, 323, 324, 325, 329, 349, 350, 351, 352, 353, 382, 384};
    p.setCurrentY(500);
    for (int i = 128; i <= 154; ++i)
        print_line(p, t, i);
    for (int k : keys)
        print_line(p, t, k);
    p.setCurrentX(5000);
    p.setCurrentY(15660);
    p.print(QStringLiteral("PAGE 2"));

    p.setForeColor(kRed);
    p.setCurrentY(500);
    p.setCurrentX(kOneByteX);
    for (int i = 128; i <= 154; ++i)
        byteAtX(p, img, i, kOneByteX);
    for (int k : keys) {
        if (k == 325) {
            p.setCurrentX(9750);
            Print_ddr4_str(p, img, 325, 328);
        } else if (k == 329) {
            p.setCurrentX(6125);
            Print_ddr4_str(p, img, 329, 348);
        } else {
            byteAtX(p, img, k, kOneByteX);
        }
    }
}

// ---------------------------------------------------------------- dispatch

void printReport(Printer& p, const LineTables& tables, const ReportSource& doc)
{
    switch (reportFor(doc.image[2])) {
    case ReportKind::Ddr2: DDR2_PRINTER(p, tables.ddr2, doc); break;
    case ReportKind::Ddr3: DDR3_PRINTER(p, tables.ddr3, doc); break;
    case ReportKind::Ddr4: DDR4_PRINTER(p, tables.ddr4, doc); break;
    case ReportKind::Sdram: SDR_PRINTER(p, tables.sdr, doc); break;
    case ReportKind::Ddr: DDR_PRINTER(p, tables.ddr, doc); break;
    }
}

} // namespace report
