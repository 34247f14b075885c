#include "platform/Printer.h"

#include "platform/FileWrite.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace platform {

// ---------------------------------------------------------------- Printer

void Printer::print(const QString& text) { printLine(text, 0); }

void Printer::printTo(const QString& text, int right) { printLine(text, right); }

void Printer::printLine(const QString& text, int right)
{
    if (y_ > 0 && y_ + lineHeight() > kPageHeight) {
        const int x = x_;
        newPage();
        x_ = x;
    }
    PrintedText t;
    t.text = text;
    t.x = x_;
    t.y = y_;
    t.fontSize = fontSize_;
    t.bold = bold_;
    t.italic = italic_;
    t.colour = colour_;
    t.page = page_;
    t.face = face_;
    t.right = right;
    drawText(t);
    x_ = 0;
    y_ += lineHeight();
}

void Printer::newPage()
{
    startNewPage();
    ++page_;
    x_ = 0;
    y_ = 0;
}

bool Printer::endDoc() { return finish(); }

// ---------------------------------------------------------------- QtPrinter

namespace {

QColor toColour(PrintColour c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// The face at an em of emPixels. Shaping is skipped, which keeps ligatures
// out: "fi" and "ff" print as their letters, and the PDF's text reads back
// as written.
QFont makeFont(PrintFace face, double emPixels, bool bold, bool italic)
{
    QFont f;
    if (face == PrintFace::Digits) {
        f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
        f.setStyleHint(QFont::Monospace);
    } else {
        f.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
        f.setStyleHint(QFont::SansSerif);
    }
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(emPixels))));
    f.setBold(bold);
    f.setItalic(italic);
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// The part of a text that shows: trailing blanks print as nothing.
QString shown(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

// Where a PDF file goes. A file (or a name not yet taken) is written as a
// new file beside it that takes its place once every byte is on the disk; a
// device or a FIFO with a reader is written directly; a folder, a FIFO
// without a reader and a file its owner made read-only are refused at once.
class FileSink {
public:
    ~FileSink()
    {
        if (fd_ >= 0)
            ::close(fd_);
        // A QSaveFile not committed takes its new file away with it.
    }

    bool open(const QString& path)
    {
        const QByteArray name = QFile::encodeName(path);
        struct stat st {};
        if (path.isEmpty())
            return false;
        if (::stat(name.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                return false;
            if (!S_ISREG(st.st_mode)) {
                // Not waiting for a FIFO's reader; then blocking writes.
                fd_ = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
                if (fd_ < 0)
                    return false;
                const int flags = ::fcntl(fd_, F_GETFL);
                return flags >= 0 && ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0;
            }
            if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
                return false;
        } else if (errno != ENOENT) {
            return false;
        }
        save_ = std::make_unique<QSaveFile>(path);
        // Never the old file itself: a failure would leave it cut short.
        save_->setDirectWriteFallback(false);
        return save_->open(QIODevice::WriteOnly);
    }

    // True only when every byte has reached the file.
    bool commit(const QByteArray& data)
    {
        if (fd_ >= 0) {
            const bool written = writeAll(fd_, data);
            const int fd = fd_;
            fd_ = -1;
            const bool closed = ::close(fd) == 0 || errno == EINTR;
            return written && closed;
        }
        if (!save_)
            return false;
        if (save_->write(data) != data.size() || !save_->flush() || ::fsync(save_->handle()) != 0) {
            save_->cancelWriting();
            return false;
        }
        const QString folder = QFileInfo(save_->fileName()).absolutePath();
        if (!save_->commit())
            return false;
        // The new name reaches the disk with its folder.
        syncFolder(folder);
        return true;
    }

private:
    std::unique_ptr<QSaveFile> save_;
    int fd_ = -1;
};

} // namespace

struct QtPrinter::Impl {
    struct DeviceFont {
        QFont font;
        double sx = 1.0;      // horizontal scale of the glyphs
        double baseline = 0;  // device pixels below the top of the line
    };
    std::unique_ptr<QPainter> painter;
    // A PDF file: made in memory, then written out by the sink.
    std::unique_ptr<FileSink> sink;
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QPdfWriter> pdf;
    bool grey = false;
    double digitScale = 1.0;  // brings a digit of the digit face to its width
    std::map<std::tuple<int, bool, bool, PrintFace>, DeviceFont> fonts;

    double faceScale(PrintFace f) const { return f == PrintFace::Digits ? digitScale : 1.0; }
    void drop()
    {
        if (painter && painter->isActive())
            painter->end();
        painter.reset();
        pdf.reset();
        buffer.reset();
        sink.reset();
    }
};

QtPrinter::QtPrinter(QPrinter& printer)
    : printer_(printer)
    , d_(std::make_unique<Impl>())
{
    const QFont probe = makeFont(PrintFace::Digits, 1000, false, false);
    const double perEm = QFontMetricsF(probe).horizontalAdvance(QStringLiteral("0123456789")) / 10.0 / 1000.0;
    if (perEm > 0.05)
        d_->digitScale = kDigitTwipsAt12 / (12.0 * kTwipsPerPoint) / perEm;
}

QtPrinter::~QtPrinter() { d_->drop(); }

QString QtPrinter::destination() const
{
    return printer_.outputFileName().isEmpty() ? printer_.printerName() : printer_.outputFileName();
}

bool QtPrinter::begin()
{
    d_->drop();
    d_->fonts.clear();
    failed_ = false;
    if (!printer_.isValid())
        return false;

    QPaintDevice* device = &printer_;
    QRectF area;
    if (!printer_.outputFileName().isEmpty()) {
        // The printer's own PDF output takes no notice of a write that
        // fails; the file is made in memory and written out with every
        // write checked.
        auto sink = std::make_unique<FileSink>();
        if (!sink->open(printer_.outputFileName()))
            return false;
        d_->sink = std::move(sink);
        d_->buffer = std::make_unique<QBuffer>();
        d_->buffer->open(QIODevice::WriteOnly);
        d_->pdf = std::make_unique<QPdfWriter>(d_->buffer.get());
        d_->pdf->setResolution(printer_.resolution());
        if (!d_->pdf->setPageLayout(printer_.pageLayout())) {
            d_->drop();
            return false;
        }
        d_->pdf->setTitle(printer_.docName());
        if (!printer_.creator().isEmpty())
            d_->pdf->setCreator(printer_.creator());
        d_->grey = printer_.colorMode() == QPrinter::GrayScale;
        device = d_->pdf.get();
        area = d_->pdf->pageLayout().paintRectPixels(d_->pdf->resolution());
    } else {
        d_->grey = false;
        area = printer_.pageRect(QPrinter::DevicePixel);
    }

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device)) {
        d_->drop();
        return false;
    }
    // The origin is the top-left corner of the printable area.
    scale_ = std::min(area.width() / kPageWidth, area.height() / kPageHeight);
    if (!(scale_ > 0)) {
        painter->end();
        d_->drop();
        return false;
    }
    painter->setRenderHint(QPainter::TextAntialiasing);
    d_->painter = std::move(painter);
    return true;
}

double QtPrinter::textWidth(const QString& text, int points, bool bold, bool italic, PrintFace face) const
{
    // Measured on a large em for precision, then brought to twips.
    const double em = points * kTwipsPerPoint;
    const QFont f = makeFont(face, em * 10.0, bold, italic);
    return QFontMetricsF(f).horizontalAdvance(text) / 10.0 * d_->faceScale(face);
}

void QtPrinter::drawText(const PrintedText& t)
{
    if (!d_->painter || t.text.isEmpty())
        return;
    QPainter& p = *d_->painter;
    auto key = std::make_tuple(t.fontSize, t.bold, t.italic, t.face);
    auto it = d_->fonts.find(key);
    if (it == d_->fonts.end()) {
        const double em = t.fontSize * kTwipsPerPoint * scale_;
        Impl::DeviceFont df;
        df.font = makeFont(t.face, em, t.bold, t.italic);
        df.sx = d_->faceScale(t.face);
        // The glyphs stand in the middle of their line, and both faces on
        // the text face's baseline, so that a value and its description
        // printed at one y share a baseline.
        const QFontMetricsF text(makeFont(PrintFace::Text, em, t.bold, t.italic), p.device());
        df.baseline = (em - (text.ascent() + text.descent())) / 2.0 + text.ascent();
        it = d_->fonts.emplace(key, df).first;
    }
    const Impl::DeviceFont& df = it->second;
    p.setFont(df.font);
    QColor colour = toColour(t.colour);
    if (d_->grey) {
        const int g = qGray(colour.rgb());
        colour = QColor(g, g, g);
    }
    p.setPen(colour);

    const double baseline = t.y * scale_ + df.baseline;
    const double left = t.x * scale_;
    const QFontMetricsF fm(df.font, p.device());
    double sx = df.sx;
    if (t.right > t.x) {
        // Spread (or narrowed) to end at the given x.
        const double width = fm.horizontalAdvance(shown(t.text)) * df.sx;
        if (width > 0)
            sx *= (t.right - t.x) * scale_ / width;
    }
    // A text that would run past the right edge of the page (a long value
    // of wide letters) is narrowed to end there.
    const double room = kPageWidth * scale_ - left;
    const double width = fm.horizontalAdvance(shown(t.text)) * sx;
    if (room > 0 && width > room)
        sx *= room / width;
    if (sx == 1.0) {
        p.drawText(QPointF(left, baseline), t.text);
        return;
    }
    p.save();
    p.translate(left, baseline);
    p.scale(sx, 1.0);
    p.drawText(QPointF(0, 0), t.text);
    p.restore();
}

void QtPrinter::startNewPage()
{
    if (!d_->painter)
        return;
    const bool ok = d_->pdf ? d_->pdf->newPage() : printer_.newPage();
    if (!ok)
        failed_ = true;
}

bool QtPrinter::finish()
{
    if (!d_->painter)
        return false;
    bool ok = d_->painter->end() && !failed_;
    d_->painter.reset();
    if (d_->sink) {
        // The file is done only when every byte of it reached the disk.
        ok = ok && d_->sink->commit(d_->buffer->data());
        d_->drop();
    }
    return ok;
}

} // namespace platform
