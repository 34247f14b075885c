#pragma once
// Reading printed PDF files back with the poppler tools (pdftotext,
// pdfinfo, pdftohtml, pdftoppm), which `./setup.sh test` installs.

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace pdftext {

inline bool toolsPresent()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftohtml")).isEmpty();
}

#define REQUIRE_PDF_TOOLS()                                                                                        \
    if (!pdftext::toolsPresent())                                                                                  \
    GTEST_FAIL() << "pdftotext, pdfinfo or pdftohtml is missing (package poppler-utils; ./setup.sh test installs it)"

inline QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int pageCount(const QString& pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The document title the file carries (its "Title" entry).
inline QString title(const QString& pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const auto m = QRegularExpression(QStringLiteral("^Title:[ \\t]*(.*)$"), QRegularExpression::MultilineOption)
                       .match(info);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The text of each page, laid out as printed (one text line per printed line).
inline QStringList pages(const QString& pdf)
{
    QStringList out = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                          .split(QLatin1Char('\f'));
    if (!out.isEmpty() && out.constLast().trimmed().isEmpty())
        out.removeLast();
    return out;
}

// The line of a page that holds both texts, description first.
inline QString lineWith(const QString& page, const QString& description, const QString& value)
{
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        const qsizetype d = line.indexOf(description);
        if (d >= 0 && line.indexOf(value, d + description.size()) > d)
            return line;
    }
    return QString();
}

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
    int page;
};

// Every word with its box (points), and each page's size.
inline std::vector<Word> words(const QString& pdf, std::vector<std::pair<double, double>>* pageSizes = nullptr)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<Word> out;
    static const QRegularExpression tag(QStringLiteral(
        "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
        "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (pageSizes)
                pageSizes->emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
        } else {
            out.push_back({m.captured(7), m.captured(3).toDouble(), m.captured(4).toDouble(),
                           m.captured(5).toDouble(), m.captured(6).toDouble(), page});
        }
    }
    return out;
}

} // namespace pdftext

namespace pdftext {

// A run of text as pdftohtml reports it: its font's size (whole points) and
// family.
struct Run {
    QString text;
    int size;
    QString family;
    int page;
};

inline std::vector<Run> runs(const QString& pdf)
{
    const QString xml = run(QStringLiteral("pdftohtml"), {QStringLiteral("-xml"), QStringLiteral("-i"),
                                                         QStringLiteral("-zoom"), QStringLiteral("1"),
                                                         QStringLiteral("-stdout"), pdf});
    static const QRegularExpression tag(QStringLiteral(
        "<page number=\"(\\d+)\"|<fontspec id=\"(\\d+)\" size=\"(\\d+)\" family=\"([^\"]*)\"|"
        "<text [^>]*font=\"(\\d+)\">(.*)</text>"));
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    std::map<int, std::pair<int, QString>> fonts;
    std::vector<Run> out;
    int page = 0;
    for (auto it = tag.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            page = m.captured(1).toInt();
        } else if (!m.captured(2).isEmpty()) {
            fonts[m.captured(2).toInt()] = {m.captured(3).toInt(), m.captured(4)};
        } else {
            const auto& f = fonts[m.captured(5).toInt()];
            out.push_back({m.captured(6).remove(markup), f.first, f.second, page});
        }
    }
    return out;
}

} // namespace pdftext
