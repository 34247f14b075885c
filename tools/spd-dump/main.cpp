// spd-dump: loads an SPD image file into an offscreen document window the
// way the program's Open does and prints what the window shows: the 512
// bytes, the memory type code, the checksum mode with the caption of the CRC
// option, and the caption of every visible label of the summary panels as
// objectName=caption lines. In captions a backslash is written as two, a
// line break as \n and any other control character as \xNN (two upper-case
// digits), so every caption stays on its line.
//
//   spd-dump FILE

#include "state/Globals.h"
#include "app/SpdFile.h"
#include "document/frmDocument.h"
#include "platform/Look.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTextStream>
#include <cstdio>

namespace {

QString escaped(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (QChar c : caption) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x") + QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

void printPanel(QTextStream& out, QGroupBox* panel)
{
    if (!panel || panel->isHidden())
        return;
    const auto labels = panel->findChildren<QLabel*>();
    for (QLabel* l : labels) {
        if (l->objectName().isEmpty() || !l->isVisibleTo(panel))
            continue;
        out << l->objectName() << '=' << escaped(l->text()) << '\n';
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: spd-dump FILE\n");
        return 2;
    }
    const spdfile::ReadResult r = spdfile::read(args[1]);
    if (!r.ok) {
        std::fprintf(stderr, "spd-dump: %s: %s\n", qPrintable(args[1]), qPrintable(r.error));
        return 1;
    }

    velmora::gs().passwordMode = -1;
    frmDocument doc;
    doc.Form_Load();
    doc.setWindowTitle(args[1]);
    spdfile::fillDocument(doc, r.bytes);
    // The window's own re-decode, 2000 ms after it opened.
    doc.Timer1_Timer();

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (int row = 0; row < 32; ++row) {
        for (int k = 0; k < 16; ++k)
            out << (k ? " " : "") << look::hex2(doc.Get_Value(row * 16 + k));
        out << '\n';
    }
    static const char* modes[] = {"Checksum", "CRC", "None"};
    out << "type_code=" << doc.Get_Type() << '\n';
    out << "checksum_mode=" << modes[doc.checksumMode()] << '\n';
    out << "Optcrc(1)=" << doc.Optcrc(1)->text() << '\n';
    out << "Label153=" << doc.L(QStringLiteral("Label153"))->text() << '\n';
    printPanel(out, doc.Frame2());
    printPanel(out, doc.Frame10());
    out.flush();
    doc.Set_form_chang(0);
    return 0;
}
