#include "platform/SettingsStore.h"

#include <QSettings>
#include <memory>

namespace settings {

namespace {
std::unique_ptr<QSettings>& holder()
{
    static std::unique_ptr<QSettings> s;
    return s;
}
QString fullName(const QString& key, const QString& name) { return key + QLatin1Char('/') + name; }
} // namespace

QSettings& store()
{
    auto& s = holder();
    if (!s)
        s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QString::fromLatin1(kMaker), QString::fromLatin1(kProduct));
    return *s;
}

void useFile(const QString& path)
{
    auto& s = holder();
    if (s)
        s->sync();
    if (path.isEmpty())
        s.reset();
    else
        s = std::make_unique<QSettings>(path, QSettings::IniFormat);
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
    s.sync();
}

void remove(const QString& key, const QString& name)
{
    QSettings& s = store();
    s.remove(fullName(key, name));
    s.sync();
}

int storedSize(const QString& text) { return static_cast<int>(text.toLocal8Bit().size()) + 1; }

} // namespace settings
