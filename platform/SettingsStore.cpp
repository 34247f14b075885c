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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {

namespace {

struct Store {
    QString path;
    bool loaded = false;
    bool saidUnlocked = false;
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
// false, with the reason (and errno), for a file that is not a regular one
// or cannot be read. `name` is the file that links lead to. The file holds
// the password, so only its user may read it: when `makePrivate`, group and
// others lose their rights.
bool readText(const QByteArray& name, QByteArray& text, QString& why, bool makePrivate)
{
    text.clear();
    const auto failed = [&why](int e, const QString& reason) {
        why = reason;
        errno = e;
        return false;
    };
    struct stat st {};
    platform::FileKind kind = platform::FileKind::Missing;
    const int fd = platform::openRegular(name, kind, &st);
    if (fd < 0) {
        if (kind == platform::FileKind::Missing)
            return true;
        if (kind != platform::FileKind::Unknown)
            return failed(EINVAL, QStringLiteral("it is not a regular file"));
        return failed(errno, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (makePrivate && (st.st_mode & 077) != 0)
        (void)::fchmod(fd, st.st_mode & 07700);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int e = errno;
            ::close(fd);
            return n == 0 || failed(e, QString::fromLocal8Bit(std::strerror(e)));
        }
        text.append(buffer, n);
    }
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

// A lock for the time a write reads, changes and replaces the settings file
// `file`, so that two instances of the program (on two displays, or on two
// machines that share the home folder) take turns and neither undoes the
// other's write: `flock` on the file NAME.lock beside it, opened for writing
// (over NFS only such a descriptor is locked, and then for every machine).
// The lock file stays, empty. It is opened by the file writer's rules: only a
// regular file is a lock, never through a link (the folder may be another
// user's, whose link would lead root anywhere), and where root makes it, it
// is the folder's owner's; one that was there keeps its owner. A lock that
// another instance keeps longer than a few seconds fails the write; where no
// lock can be had at all (also where something else has the lock file's
// name), the write goes on without one.
class SettingsLock {
public:
    explicit SettingsLock(const QByteArray& file)
    {
        const QByteArray name = file + ".lock";
        platform::FileKind kind = platform::FileKind::Missing;
        bool made = false;
        struct stat st {};
        fd_ = platform::openOrMakeRegular(name, 0600, kind, made, &st);
        if (fd_ < 0) {
            why_ = kind == platform::FileKind::Unknown
                       ? QString::fromLocal8Bit(std::strerror(errno))
                       : QStringLiteral("%1 is not a regular file").arg(QFile::decodeName(name));
            return;
        }
        struct stat folder {};
        if (made && ::geteuid() == 0 && ::stat(platform::folderOf(file).constData(), &folder) == 0 &&
            st.st_uid != folder.st_uid)
            (void)!::fchown(fd_, folder.st_uid, folder.st_gid);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK) {
                why_ = QString::fromLocal8Bit(std::strerror(errno));
                return;
            }
            if (std::chrono::steady_clock::now() >= until) {
                kept_ = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        held_ = true;
    }
    ~SettingsLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;
    bool held() const { return held_; }
    // Another instance kept the lock.
    bool kept() const { return kept_; }
    // Why no lock could be had.
    QString why() const { return why_; }

private:
    int fd_ = -1;
    bool held_ = false;
    bool kept_ = false;
    QString why_;
};

void say(const Store& s, const char* what, const QString& why)
{
    std::fprintf(stderr, "velmora: the settings file %s %s: %s\n", QFile::encodeName(s.path).constData(), what,
                 why.toLocal8Bit().constData());
}

bool commit(const std::vector<Change>& changes)
{
    Store& s = loaded();
    makeFolders(platform::folderOf(QFile::encodeName(s.path)));
    const QString target = platform::followLinks(s.path);
    const QByteArray name = QFile::encodeName(target);
    const SettingsLock lock(name);
    if (lock.kept()) {
        say(s, "is not written", QStringLiteral("another instance of the program keeps it locked"));
        errno = EWOULDBLOCK;
        return false;
    }
    // No other instance is in the middle of a write: the new files of
    // writes cut short (by a crash, or a power cut) go.
    if (lock.held())
        platform::removeLeftovers(target, std::chrono::seconds(0));
    QByteArray text;
    QString why;
    if (!readText(name, text, why, false))
        return false;
    const std::optional<QByteArray> next = edited(text, changes);
    if (!next) {
        say(s, "is not written",
            QStringLiteral("a line of it that the program did not write would hide the values set"));
        errno = EINVAL;
        return false;
    }
    const platform::Replaced replaced = platform::replaceFile(target, *next, 0600);
    if (replaced == platform::Replaced::No)
        return false;
    // The file holds the new values; should its name not outlast a crash of
    // the system, the disk has said so.
    if (replaced == platform::Replaced::Unsynced)
        say(s, "is written, but the disk reported an error", QString::fromLocal8Bit(std::strerror(errno)));
    if (!lock.held() && !s.saidUnlocked) {
        s.saidUnlocked = true;
        say(s, "is written without a lock, so another instance of the program may undo its writes", lock.why());
    }
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
    s.saidUnlocked = false;
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
