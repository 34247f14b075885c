#include "platform/SettingsStore.h"

#include "platform/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStringList>
#include <memory>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {

namespace {
std::unique_ptr<QSettings>& holder()
{
    static std::unique_ptr<QSettings> s;
    return s;
}
QString fullName(const QString& key, const QString& name) { return key + QLatin1Char('/') + name; }

// The file holds the password, so only its user may read it: a missing file
// is made with mode 0600 before the store first writes it, and an existing
// one loses the rights of group and others. The store replaces the file by
// a new one at every write, which takes the mode of the file it replaces.
void keepPrivate(const QSettings& s)
{
    const QString path = s.fileName();
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0)
        (void)::fchmod(fd, st.st_mode & 07700);
    ::close(fd);
}
} // namespace

QSettings& store()
{
    auto& s = holder();
    if (!s) {
        s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QString::fromLatin1(kMaker), QString::fromLatin1(kProduct));
        keepPrivate(*s);
    }
    return *s;
}

namespace {

// One value a write changes: its full name, its new text (nothing for a
// removal) and what it held before (nothing when it did not exist).
struct Change {
    QString full;
    std::optional<QString> text;
    std::optional<QVariant> before;
};

// A second name of the settings file in its folder (a hard link). Under a
// name no QSettings has seen yet, the file is read from the disk instead of
// from what QSettings remembers of it; and a second name keeps the file as
// it was when a new one takes its place. The name goes with the object
// unless the file has been put back under its own name.
class SecondName {
public:
    explicit SecondName(const QString& path)
        : path_(QFile::encodeName(path))
    {
        const QString folder = QFileInfo(path).absolutePath();
        for (int attempt = 0; attempt < 64; ++attempt) {
            const QByteArray name = QFile::encodeName(
                folder + QStringLiteral("/.velmora-settings-%1.tmp")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
            if (::link(path_.constData(), name.constData()) == 0) {
                name_ = name;
                return;
            }
            error_ = errno;
            if (error_ != EEXIST)
                return;
        }
    }
    ~SecondName()
    {
        if (!name_.isEmpty())
            ::unlink(name_.constData());
    }
    SecondName(const SecondName&) = delete;
    SecondName& operator=(const SecondName&) = delete;

    bool made() const { return !name_.isEmpty(); }
    // The folder's file system has no second names at all.
    bool unsupported() const { return error_ == EPERM || error_ == EOPNOTSUPP || error_ == ENOSYS; }
    QString name() const { return QFile::decodeName(name_); }
    bool putBack()
    {
        if (!made() || ::rename(name_.constData(), path_.constData()) != 0)
            return false;
        name_.clear();
        return true;
    }

private:
    QByteArray path_;
    QByteArray name_;
    int error_ = 0;
};

// Whether the file on the disk holds every value the writer holds. QSettings
// writes the new file through a buffer whose last write it does not check:
// on a full disk it puts a file cut short in the old one's place and reports
// no error.
bool reachedDisk(const QSettings& w)
{
    const SecondName fresh(w.fileName());
    if (!fresh.made())
        return fresh.unsupported();  // then the status is all there is to go by
    const QSettings disk(fresh.name(), w.format());
    if (disk.status() != QSettings::NoError)
        return false;
    const QStringList keys = w.allKeys();
    if (disk.allKeys() != keys)
        return false;
    for (const QString& k : keys) {
        if (disk.value(k) != w.value(k))
            return false;
    }
    return true;
}

// Makes the changes and writes the file; true when the file with them has
// reached the disk. QSettings shows a failure of the folder, the lock, the
// new file or its renaming in its status, and keeps the first error it met
// for good: so each write goes through a QSettings of its own, which shares
// the file's values with the store. (One that has just read a file changed
// on the disk may start with the error of a line it could not parse; a
// second one finds the file read and starts clean.) A write that failed
// leaves the store with the values it had, so that the next write to the
// file does not take them along.
bool commit(std::vector<Change> changes)
{
    QSettings& s = store();
    auto writer = std::make_unique<QSettings>(s.fileName(), s.format());
    if (writer->status() != QSettings::NoError)
        writer = std::make_unique<QSettings>(s.fileName(), s.format());
    QSettings& w = *writer;
    for (Change& c : changes) {
        if (w.contains(c.full))
            c.before = w.value(c.full);
        if (c.text)
            w.setValue(c.full, *c.text);
        else
            w.remove(c.full);
    }
    keepPrivate(w);
    SecondName old(w.fileName());
    w.sync();
    if (w.status() != QSettings::NoError) {
        for (auto c = changes.rbegin(); c != changes.rend(); ++c) {
            if (c->before)
                w.setValue(c->full, *c->before);
            else
                w.remove(c->full);
        }
        return false;
    }
    const QString folder = QFileInfo(w.fileName()).absolutePath();
    if (reachedDisk(w)) {
        platform::syncFolder(folder);
        return true;
    }
    // The old file goes back in its place, and the store reads it again.
    if (old.putBack())
        platform::syncFolder(folder);
    w.sync();
    return false;
}

} // namespace

void useFile(const QString& path)
{
    auto& s = holder();
    if (s)
        s->sync();
    if (path.isEmpty())
        s.reset();
    else {
        s = std::make_unique<QSettings>(path, QSettings::IniFormat);
        keepPrivate(*s);
    }
}

std::optional<QString> read(const QString& key, const QString& name)
{
    QSettings& s = store();
    const QString full = fullName(key, name);
    if (!s.contains(full))
        return std::nullopt;
    const QVariant v = s.value(full);
    if (!v.canConvert<QString>())
        return std::nullopt;
    QString text = v.toString();
    // A stored text ends at its first zero character.
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

bool write(const QString& key, const QString& name, const QString& text) { return write(key, {{name, text}}); }

bool write(const QString& key, std::initializer_list<std::pair<QString, QString>> values)
{
    std::vector<Change> changes;
    for (const auto& [name, text] : values)
        changes.push_back({fullName(key, name), text, std::nullopt});
    return commit(std::move(changes));
}

bool remove(const QString& key, const QString& name) { return commit({{fullName(key, name), std::nullopt, std::nullopt}}); }

int storedSize(const QString& text) { return static_cast<int>(text.toLocal8Bit().size()) + 1; }

} // namespace settings
