#pragma once
// The printer the byte reports print on. It owns the cursor (x and y in
// twips from the top-left corner of the printable area), the font (size in
// points, bold, italic) and the foreground colour (&HBBGGRR); printing a text
// draws it at the cursor in that font and colour and then ends the line: x
// goes back to 0 and y moves down one line of the current font.
//
// The reports are laid out on one fixed page of kPageWidth by kPageHeight
// twips with a line of 20 twips per point (240 at 12 points). The real
// printer scales that page to the printable area of whatever paper the user
// chose, so a report keeps to its pages at any paper size (a text that would
// run past the right edge is narrowed to end there); a report asks for a new
// page itself where it needs one. The page is as wide as A4's printable
// area with the usual margins of 10 points, so that A4 prints at the sizes
// the reports ask for.
//
// Texts print in one of two faces: descriptions and headings in the text
// face, values in the digit face, whose hexadecimal digits all have one
// width, kDigitTwipsAt12 at 12 points, so that a column of values stays
// straight whatever letters it holds.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QPrinter;

namespace platform {

using PrintColour = std::uint32_t;  // &HBBGGRR

enum class PrintFace { Text, Digits };

// One text as it went onto a page.
struct PrintedText {
    QString text;
    int x = 0;  // twips
    int y = 0;  // twips, the top of the line
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    PrintColour colour = 0;
    int page = 1;  // counted from 1
    PrintFace face = PrintFace::Text;
    // 0: the text at its own width; else its last character ends at this x
    // (twips), the text spread or narrowed to get there.
    int right = 0;
};

class Printer {
public:
    static constexpr int kPageWidth = 11500;
    static constexpr int kPageHeight = 16080;
    static constexpr int kTwipsPerPoint = 20;
    // The width of a digit of the digit face at 12 points, the width the
    // reports' value columns are laid out for.
    static constexpr int kDigitTwipsAt12 = 113;

    virtual ~Printer() = default;

    void setFontSize(int points) { fontSize_ = points; }
    int fontSize() const { return fontSize_; }
    void setFontBold(bool on) { bold_ = on; }
    bool fontBold() const { return bold_; }
    void setFontItalic(bool on) { italic_ = on; }
    bool fontItalic() const { return italic_; }
    void setFontFace(PrintFace f) { face_ = f; }
    PrintFace fontFace() const { return face_; }
    void setCurrentX(int twips) { x_ = twips; }
    void setCurrentY(int twips) { y_ = twips; }
    int currentX() const { return x_; }
    int currentY() const { return y_; }
    void setForeColor(PrintColour c) { colour_ = c; }
    PrintColour foreColor() const { return colour_; }
    // The height of one printed line in the current font.
    int lineHeight() const { return fontSize_ * kTwipsPerPoint; }
    // The page being printed, counted from 1.
    int page() const { return page_; }

    // Draws the text at the cursor and ends the line; the empty text only
    // ends the line. A line that would reach below the page starts a new
    // page first and goes to its top.
    void print(const QString& text);
    // Prints as print() does, the text spread (or narrowed) so that its last
    // character ends at x `right`: a rule that runs to a given edge.
    void printTo(const QString& text, int right);
    // Ends the page; the cursor goes to the top-left corner of the next.
    void newPage();
    // Hands the pages printed so far over as one job; false when that
    // failed (or something before it did): for a file, unless every byte
    // of it reached the disk.
    bool endDoc();

protected:
    virtual void drawText(const PrintedText& t) = 0;
    virtual void startNewPage() = 0;
    virtual bool finish() = 0;

private:
    void printLine(const QString& text, int right);

    int fontSize_ = 12;
    bool bold_ = false;
    bool italic_ = false;
    PrintFace face_ = PrintFace::Text;
    int x_ = 0;
    int y_ = 0;
    PrintColour colour_ = 0;
    int page_ = 1;
};

// Keeps every text with its place, font, colour and page (tests read it).
class RecordingPrinter final : public Printer {
public:
    std::vector<PrintedText> texts;  // in the order printed, empty texts too
    int pagesStarted = 1;
    bool ended = false;

protected:
    void drawText(const PrintedText& t) override { texts.push_back(t); }
    void startNewPage() override { ++pagesStarted; }
    bool finish() override
    {
        ended = true;
        return true;
    }
};

// Prints on a QPrinter: a CUPS printer, or a PDF file when the printer has
// an output file name. The text face is Liberation Sans Narrow, the digit
// face Liberation Mono narrowed to kDigitTwipsAt12, both at their point
// sizes and without ligatures (a printed "fi" stays two letters, so the
// PDF's text can be searched).
//
// A PDF file is made in memory and written out when the job ends: into a
// new file beside the old one, which takes the old one's place only when
// every byte has reached the disk, so a failed job leaves no partial file
// (and an old file whole). A device (such as /dev/full) is written directly.
class QtPrinter final : public Printer {
public:
    explicit QtPrinter(QPrinter& printer);
    ~QtPrinter() override;

    // Starts the job; false when it cannot start (no printer, an output file
    // that cannot be written).
    bool begin();
    // Where the job goes: the output file, else the printer's name.
    QString destination() const;
    // The width of a text in twips on the layout page.
    double textWidth(const QString& text, int points, bool bold, bool italic,
                     PrintFace face = PrintFace::Text) const;
    // Device pixels to a twip of the layout page (after begin).
    double scale() const { return scale_; }

protected:
    void drawText(const PrintedText& t) override;
    void startNewPage() override;
    bool finish() override;

private:
    struct Impl;
    QPrinter& printer_;
    std::unique_ptr<Impl> d_;
    double scale_ = 1.0;
    bool failed_ = false;
};

} // namespace platform
