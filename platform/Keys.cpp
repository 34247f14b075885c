#include "platform/Keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

namespace {
int keyFor(const QString& name)
{
    static const struct {
        const char* name;
        int key;
    } keys[] = {{"HOME", Qt::Key_Home}, {"END", Qt::Key_End}, {"LEFT", Qt::Key_Left},
                {"RIGHT", Qt::Key_Right}, {"DEL", Qt::Key_Delete}, {"BACKSPACE", Qt::Key_Backspace},
                {"ENTER", Qt::Key_Return}, {"TAB", Qt::Key_Tab}, {"ESC", Qt::Key_Escape}};
    for (const auto& k : keys)
        if (name.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k.key;
    return 0;
}

void press(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text = QString())
{
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(w, &up);
}
} // namespace

void sendKeys(QWidget* target, const QString& keys)
{
    if (!target)
        return;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QChar c = keys[i];
        if (c == QLatin1Char('+')) {
            mods |= Qt::ShiftModifier;
            continue;
        }
        if (c == QLatin1Char('{')) {
            const qsizetype end = keys.indexOf(QLatin1Char('}'), i);
            if (end < 0)
                return;
            const int key = keyFor(keys.mid(i + 1, end - i - 1));
            if (key)
                press(target, key, mods);
            i = end;
        } else {
            press(target, c.toUpper().unicode(), mods, QString(c));
        }
        mods = Qt::NoModifier;
    }
}

} // namespace platform
