#include "platform/SettingsStore.h"

#include "platform/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <vector>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {

namespace {

struct Store {
    QString path;
    bool loaded = false;
    QMap<QString, QVariant> values;  // by "key/name"
};

Store& state()
{
    static Store s;
    return s;
}

QString fullName(const QString& key, const QString& name) { return key + QLatin1Char('/') + name; }

// A stored text ends at its first zero character.
QString untilZero(QString text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

QString userFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           QLatin1String(kMaker) + QLatin1Char('/') + QLatin1String(kProduct) + QStringLiteral(".conf");
}

// The file's text as it is on the disk (nothing for a file not made yet);
// false, with the reason, for a file that is not a regular one or cannot be
// read. Its kind is known before it is opened, and the open does not wait:
// a FIFO would wait for a writer. The file holds the password, so only its
// user may read it: when `makePrivate`, group and others lose their rights.
bool readText(const QString& path, QByteArray& text, QString& why, bool makePrivate)
{
    text.clear();
    const QByteArray name = QFile::encodeName(platform::followLinks(path));
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return true;
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const QString notRegular = QStringLiteral("it is not a regular file");
    if (!S_ISREG(st.st_mode)) {
        why = notRegular;
        return false;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok)
        why = notRegular;
    if (ok && makePrivate && (st.st_mode & 077) != 0)
        (void)::fchmod(fd, st.st_mode & 07700);
    char buffer[4096];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = QString::fromLocal8Bit(std::strerror(errno));
            ok = false;
        } else if (n == 0) {
            break;
        } else {
            text.append(buffer, n);
        }
    }
    ::close(fd);
    return ok;
}

void load(Store& s)
{
    s.loaded = true;
    s.values.clear();
    QByteArray text;
    QString why;
    if (!readText(s.path, text, why, true)) {
        std::fprintf(stderr, "velmora: the settings file %s is not used: %s\n", QFile::encodeName(s.path).constData(),
                     why.toLocal8Bit().constData());
        return;
    }
    if (text.isEmpty())
        return;
    const QSettings file(s.path, QSettings::IniFormat);
    for (const QString& k : file.allKeys())
        s.values.insert(k, file.value(k));
}

Store& loaded()
{
    Store& s = state();
    if (s.path.isEmpty())
        s.path = userFile();
    if (!s.loaded)
        load(s);
    return s;
}

// A name as the file writes it: letters, digits, "_", "-" and "." as they
// are, any other character as %XX or %UXXXX.
QByteArray escapedName(const QString& name)
{
    QByteArray out;
    for (const QChar c : name) {
        const char16_t ch = c.unicode();
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
            ch == '-' || ch == '.')
            out += static_cast<char>(ch);
        else if (ch <= 0xFF)
            out += '%' + QByteArray::number(ch, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(ch, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

// A text as QSettings writes it and reads it back: a leading "@" doubled;
// quotes, backslashes and control characters escaped (a hex escape is not
// followed by a bare hex digit); other characters in UTF-8; quoted when it
// holds ";", "," or "=" or starts or ends with a blank. A stored text ends
// at its first zero character.
QByteArray escapedText(const QString& stored)
{
    QString text = untilZero(stored);
    if (text.startsWith(QLatin1Char('@')))
        text.prepend(QLatin1Char('@'));
    QByteArray out;
    bool quote = false;
    bool afterHex = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (ch >= 0x80) {
            const bool pair = QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const qsizetype n = pair ? 2 : 1;
            out += text.mid(i, n).toUtf8();
            i += n - 1;
            afterHex = false;
            continue;
        }
        const char c = static_cast<char>(ch);
        if (c == ';' || c == ',' || c == '=')
            quote = true;
        if (afterHex && std::isxdigit(static_cast<unsigned char>(c))) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        afterHex = false;
        static const char kEscapes[] = "\aa\bb\ff\nn\rr\tt\vv\"\"\\\\";
        const char* e = c != 0 ? std::strchr(kEscapes, c) : nullptr;
        if (e && (e - kEscapes) % 2 == 0) {
            out += '\\';
            out += e[1];
        } else if (ch <= 0x1F) {
            out += "\\x" + QByteArray::number(ch, 16);
            afterHex = true;
        } else {
            out += c;
        }
    }
    if (quote || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

// The section a line opens ("[History]" gives "History").
std::optional<QByteArray> sectionOf(const QByteArray& line)
{
    QByteArray t = line.trimmed();
    if (t.startsWith("\xEF\xBB\xBF"))
        t = t.mid(3).trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    return t.mid(1, (close < 0 ? t.size() : close) - 1).trimmed();
}

// The name of the value a line sets.
std::optional<QByteArray> nameOf(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    const qsizetype eq = t.indexOf('=');
    if (t.startsWith(';') || eq <= 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

struct Change {
    QString name;
    std::optional<QString> text;  // nothing: the value goes
};

// Sets or removes one value in the file's lines. A value that the file sets
// more than once is read from its last line, which is the one replaced; a
// removal takes every line of it. A new value goes at the end of the last
// block of its section, a new section at the end of the file.
void apply(QList<QByteArray>& lines, const QByteArray& section, const Change& c)
{
    const QByteArray name = escapedName(c.name);
    const QByteArray value = c.text ? name + '=' + escapedText(*c.text) : QByteArray();
    std::optional<QByteArray> current;
    qsizetype last = -1;
    qsizetype end = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto s = sectionOf(lines[i])) {
            current = s;
            if (*s == section)
                end = i + 1;
            continue;
        }
        if (current != section)
            continue;
        if (nameOf(lines[i]) == name) {
            if (!c.text) {
                lines.removeAt(i--);
                continue;
            }
            last = i;
        }
        if (!lines[i].trimmed().isEmpty())
            end = i + 1;
    }
    if (!c.text)
        return;
    if (last >= 0)
        lines[last] = value + (lines[last].endsWith("\r\n") ? "\r\n" : "\n");
    else if (end >= 0)
        lines.insert(end, value + '\n');
    else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append("\n");
        lines.append('[' + section + "]\n");
        lines.append(value + '\n');
    }
}

QByteArray edited(const QByteArray& text, const QString& key, const std::vector<Change>& changes)
{
    QList<QByteArray> lines;
    for (qsizetype from = 0; from < text.size();) {
        const qsizetype nl = text.indexOf('\n', from);
        const qsizetype to = nl < 0 ? text.size() : nl + 1;
        lines.append(text.mid(from, to - from));
        from = to;
    }
    if (!lines.isEmpty() && !lines.last().endsWith('\n'))
        lines.last().append('\n');
    const QByteArray section = escapedName(key);
    for (const Change& c : changes)
        apply(lines, section, c);
    return lines.join();
}

bool commit(const QString& key, const std::vector<Change>& changes)
{
    Store& s = loaded();
    QByteArray text;
    QString why;
    if (!readText(s.path, text, why, false))
        return false;
    // The folder of a first start.
    QDir().mkpath(QFileInfo(platform::followLinks(s.path)).absolutePath());
    if (!platform::replaceFile(s.path, edited(text, key, changes), 0600))
        return false;
    for (const Change& c : changes) {
        if (c.text)
            s.values.insert(fullName(key, c.name), untilZero(*c.text));
        else
            s.values.remove(fullName(key, c.name));
    }
    return true;
}

} // namespace

void useFile(const QString& path)
{
    Store& s = state();
    s.path = path.isEmpty() ? userFile() : path;
    load(s);
}

QString fileName() { return loaded().path; }

std::optional<QString> read(const QString& key, const QString& name)
{
    const Store& s = loaded();
    const auto v = s.values.constFind(fullName(key, name));
    if (v == s.values.cend() || !v->canConvert<QString>())
        return std::nullopt;
    return untilZero(v->toString());
}

bool write(const QString& key, const QString& name, const QString& text) { return write(key, {{name, text}}); }

bool write(const QString& key, std::initializer_list<std::pair<QString, QString>> values)
{
    std::vector<Change> changes;
    for (const auto& [name, text] : values)
        changes.push_back({name, text});
    return commit(key, changes);
}

bool remove(const QString& key, const QString& name) { return commit(key, {{name, std::nullopt}}); }

int storedSize(const QString& text) { return static_cast<int>(text.toLocal8Bit().size()) + 1; }

} // namespace settings
