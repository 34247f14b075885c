#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <memory>

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

void write(const QString& key, const QString& name, const QString& text)
{
    QSettings& s = store();
    s.setValue(fullName(key, name), text);
    keepPrivate(s);
    s.sync();
}

void remove(const QString& key, const QString& name)
{
    QSettings& s = store();
    s.remove(fullName(key, name));
    keepPrivate(s);
    s.sync();
}

int storedSize(const QString& text) { return static_cast<int>(text.toLocal8Bit().size()) + 1; }

} // namespace settings
