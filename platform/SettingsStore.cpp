#include "platform/SettingsStore.h"

#include "platform/FileWrite.h"

#include <QFile>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <chrono>
#include <thread>
#include <vector>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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
// read. `name` is the file that links lead to; `found`, when given, gets its
// status (st_mode 0 when there is no file). Its kind is known before it is
// opened, and the open does not wait: a FIFO would wait for a writer. The
// file holds the password, so only its user may read it: when
// `makePrivate`, group and others lose their rights.
bool readText(const QByteArray& name, QByteArray& text, QString& why, bool makePrivate, struct stat* found = nullptr)
{
    text.clear();
    struct stat st {};
    if (found)
        *found = st;
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
    if (ok && found)
        *found = st;
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
    if (!readText(QFile::encodeName(platform::followLinks(s.path)), text, why, true)) {
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

// ---------------------------------------------------------------- the lines as QSettings reads them

bool iniBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The section before the first header, which "[General]" also names.
const QByteArray kGeneral = QByteArrayLiteral("\x01");

// One line as the reader takes it. It may run over several lines of the
// text: a quote it opens goes on to the quote that closes it, to the end of
// the text when none does, and a backslash takes the line end behind it. A
// comment is no line of its own; an unquoted ";" ends a line.
struct IniLine {
    qsizetype begin = 0;   // where its line of the text begins (the blanks before it included)
    qsizetype start = 0;   // its first character
    qsizetype length = 0;
    qsizetype equals = -1;  // the "=" after its name; -1 for none
    bool header = false;
    QByteArray section;  // the section it is in; the one a header opens
    QByteArray name;     // the name of the value it sets
    qsizetype end() const { return start + length; }
};

// The next line from `pos`, as the reader takes it; false when none is left.
bool nextIniLine(const QByteArray& data, qsizetype& pos, IniLine& line)
{
    const qsizetype n = data.size();
    bool quoted = false;
    qsizetype equals = -1;
    qsizetype start = pos;
    while (start < n && iniBlank(data[start]))
        ++start;
    qsizetype i = start;
    while (i < n) {
        const char c = data[i++];
        if (c == '=') {
            if (!quoted && equals < 0)
                equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1)
                ++start;
            else if (!quoted) {
                --i;
                break;
            }
        } else if (c == '\\') {
            // An escaped character; a line end with both of its characters.
            if (i < n) {
                const char e = data[i++];
                if (i < n && ((e == '\n' && data[i] == '\r') || (e == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';') {
            if (i == start + 1) {
                // A comment, to the end of its line of the text.
                while (i < n && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < n && iniBlank(data[i]))
                    ++i;
                start = i;
            } else if (!quoted) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.start = start;
    line.length = i - start;
    line.equals = equals;
    line.begin = start;
    while (line.begin > 0 && (data[line.begin - 1] == ' ' || data[line.begin - 1] == '\t'))
        --line.begin;
    return line.length > 0;
}

std::vector<IniLine> iniLines(const QByteArray& text)
{
    std::vector<IniLine> lines;
    QByteArray section = kGeneral;
    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    IniLine line;
    while (nextIniLine(text, pos, line)) {
        line.header = text.at(line.start) == '[';
        if (line.header) {
            const QByteArray t = text.mid(line.start, line.length);
            const qsizetype close = t.indexOf(']');
            section = t.mid(1, (close < 0 ? t.size() : close) - 1).trimmed();
            if (section.compare("general", Qt::CaseInsensitive) == 0)
                section = kGeneral;
        }
        line.section = section;
        line.name = !line.header && line.equals >= 0 ? text.mid(line.start, line.equals - line.start).trimmed()
                                                     : QByteArray();
        lines.push_back(line);
    }
    return lines;
}

// The values the reader finds, as they are written: by section and name.
using Values = QMap<QByteArray, QByteArray>;

QByteArray idOf(const QByteArray& section, const QByteArray& name) { return section + '\0' + name; }

Values valuesOf(const QByteArray& text)
{
    Values values;
    for (const IniLine& l : iniLines(text))
        if (!l.header && l.equals >= 0)
            values.insert(idOf(l.section, l.name), text.mid(l.equals + 1, l.end() - l.equals - 1));
    return values;
}

// Where the line of the text that holds `pos` ends, its line end included.
qsizetype lineAfter(const QByteArray& text, qsizetype pos)
{
    const qsizetype n = text.size();
    while (pos < n && text[pos] != '\n' && text[pos] != '\r')
        ++pos;
    if (pos < n && text[pos] == '\r' && pos + 1 < n && text[pos + 1] == '\n')
        return pos + 2;
    return pos < n ? pos + 1 : n;
}

// The last line of a text that ends with a line end holds blanks only.
bool endsWithBlankLine(const QByteArray& text)
{
    const qsizetype from = text.size() < 2 ? 0 : text.lastIndexOf('\n', text.size() - 2) + 1;
    return text.mid(from).trimmed().isEmpty();
}

struct Change {
    QString key;
    QString name;
    std::optional<QString> text;  // nothing: the value goes
};

// Sets or removes one value in the file's text, so that the reader then finds
// the values `expected`: the value's last line is replaced (that is the one
// read) and a removal takes every line of it. A new value goes at the end of
// the last block of its section, a new section at the end of the file; where
// a line the program did not write would take it in there (a quote opened and
// never closed), the new value goes before that line, the new section before
// the last one. False when no such place gives the values expected.
bool apply(QByteArray& text, const Change& c, const Values& expected)
{
    const QByteArray section = escapedName(c.key);
    const QByteArray name = escapedName(c.name);
    const std::vector<IniLine> lines = iniLines(text);
    std::vector<const IniLine*> own;         // the lines of the value
    const IniLine* last = nullptr;           // the last line of its section
    const IniLine* lastHeader = nullptr;     // the header of the file's last section
    for (const IniLine& l : lines) {
        if (l.header)
            lastHeader = &l;
        if (l.section != section)
            continue;
        last = &l;
        if (!l.header && l.equals >= 0 && l.name == name)
            own.push_back(&l);
    }
    const QByteArray line = c.text ? name + '=' + escapedText(*c.text) : QByteArray();
    QByteArray ended = text;
    if (!ended.isEmpty() && !ended.endsWith('\n'))
        ended += '\n';
    std::vector<QByteArray> tries;
    if (!c.text) {
        QByteArray t = text;
        for (auto l = own.rbegin(); l != own.rend(); ++l)
            t.remove((*l)->begin, lineAfter(t, (*l)->end()) - (*l)->begin);
        tries.push_back(t);
    } else if (!own.empty()) {
        tries.push_back(QByteArray(text).replace(own.back()->begin, own.back()->end() - own.back()->begin, line));
    } else if (last) {
        tries.push_back(QByteArray(ended).insert(lineAfter(ended, last->end()), line + '\n'));
        if (!last->header)
            tries.push_back(QByteArray(text).insert(last->begin, line + '\n'));
    } else {
        QByteArray t = ended;
        if (!t.isEmpty() && !endsWithBlankLine(t))
            t += '\n';
        tries.push_back(t + '[' + section + "]\n" + line + '\n');
        if (lastHeader)
            tries.push_back(QByteArray(text).insert(lastHeader->begin, '[' + section + "]\n" + line + "\n\n"));
    }
    for (const QByteArray& t : tries) {
        if (valuesOf(t) == expected) {
            text = t;
            return true;
        }
    }
    return false;
}

// The file's text with the changes; nothing when they cannot be placed.
std::optional<QByteArray> edited(const QByteArray& text, const std::vector<Change>& changes)
{
    QByteArray out = text;
    Values expected = valuesOf(text);
    for (const Change& c : changes) {
        const QByteArray id = idOf(escapedName(c.key), escapedName(c.name));
        if (c.text)
            expected.insert(id, escapedText(*c.text));
        else
            expected.remove(id);
        if (!apply(out, c, expected))
            return std::nullopt;
    }
    return out;
}

// ---------------------------------------------------------------- writing the file

// The folder part of a file's name.
QByteArray folderOf(const QByteArray& name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : name.left(slash);
}

// The folders of a first start, each made as the system finds its name
// (through links too); those there are left as they are.
void makeFolders(const QByteArray& folder)
{
    if (::access(folder.constData(), F_OK) == 0)
        return;
    for (qsizetype i = folder.indexOf('/', 1);; i = folder.indexOf('/', i + 1)) {
        (void)::mkdir((i < 0 ? folder : folder.left(i)).constData(), 0777);
        if (i < 0)
            return;
    }
}

// A lock on the settings file's folder for the time a write reads, changes
// and replaces the file, so that two instances of the program take turns and
// neither undoes the other's write. The folder is locked because the file is
// replaced by each write; no file is made for the lock. A folder that cannot
// be opened, or a file system without locks, goes without; a lock that
// another instance keeps longer than a few seconds fails the write.
class FolderLock {
public:
    explicit FolderLock(const QByteArray& folder)
        : fd_(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK)
                return;
            if (std::chrono::steady_clock::now() >= until) {
                kept_ = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // Another instance kept the lock.
    bool kept() const { return kept_; }

private:
    int fd_;
    bool kept_ = false;
};

void say(const Store& s, const char* why)
{
    std::fprintf(stderr, "velmora: the settings file %s is not written: %s\n", QFile::encodeName(s.path).constData(),
                 why);
}

bool commit(const std::vector<Change>& changes)
{
    Store& s = loaded();
    makeFolders(folderOf(QFile::encodeName(s.path)));
    const QString target = platform::followLinks(s.path);
    const QByteArray name = QFile::encodeName(target);
    const FolderLock lock(folderOf(name));
    if (lock.kept()) {
        say(s, "another instance of the program keeps it locked");
        errno = EWOULDBLOCK;
        return false;
    }
    QByteArray text;
    QString why;
    struct stat old {};
    if (!readText(name, text, why, false, &old))
        return false;
    const bool exists = old.st_mode != 0;
    // A file its owner made read-only stays as it is.
    if (exists && ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
        return false;
    const std::optional<QByteArray> next = edited(text, changes);
    if (!next) {
        say(s, "a line of it that the program did not write would hide the values set");
        errno = EINVAL;
        return false;
    }
    // The file stays its owner's when another user (root) writes it.
    const auto keepOwner = [&](int fd) {
        if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)!::fchown(fd, old.st_uid, old.st_gid);
    };
    if (!platform::replaceFile(target, *next, 0600, keepOwner))
        return false;
    for (const Change& c : changes) {
        if (c.text)
            s.values.insert(fullName(c.key, c.name), untilZero(*c.text));
        else
            s.values.remove(fullName(c.key, c.name));
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
        changes.push_back({key, name, text});
    return commit(changes);
}

bool write(const std::vector<Value>& values)
{
    std::vector<Change> changes;
    for (const Value& v : values)
        changes.push_back({v.key, v.name, v.text});
    return commit(changes);
}

bool remove(const QString& key, const QString& name) { return commit({{key, name, std::nullopt}}); }

int storedSize(const QString& text) { return static_cast<int>(text.toLocal8Bit().size()) + 1; }

} // namespace settings
