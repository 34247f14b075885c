#include "rules/jedec/Jedec.h"

#include "rules/jedec/JedecTable.h"

#include <QHash>

namespace jedec {

namespace {

const QHash<QString, QString>& index()
{
    static const QHash<QString, QString> byKey = [] {
        QHash<QString, QString> h;
        h.reserve(kRowCount);
        for (const Row& r : kTable)
            h.insert(QString::fromLatin1(r.key), QString::fromLatin1(r.name));
        return h;
    }();
    return byKey;
}

} // namespace

std::optional<QString> nameFor(const QString& key)
{
    const auto& h = index();
    const auto it = h.constFind(key);
    if (it == h.constEnd())
        return std::nullopt;
    return *it;
}

QString dialogLookup(const QString& JEDEC) { return nameFor(JEDEC).value_or(QString()); }

} // namespace jedec
