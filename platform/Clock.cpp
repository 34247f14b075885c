#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace vclock {

namespace {
QElapsedTimer& monotonic()
{
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t;
}
} // namespace

Clock::Clock()
{
    bool ok = false;
    const double s = qEnvironmentVariable("VELMORA_TIME_SCALE").toDouble(&ok);
    if (ok && s > 0 && std::isfinite(s))
        speed_ = s;
    monotonic();
}

QDateTime Clock::now() const { return fixed_.isValid() ? fixed_ : QDateTime::currentDateTime(); }
void Clock::setFixedNow(const QDateTime& t) { fixed_ = t; }
void Clock::clearFixedNow() { fixed_ = QDateTime(); }
qint64 Clock::monotonicMs() const { return monotonic().elapsed(); }
qint64 Clock::programMs() const { return static_cast<qint64>(static_cast<double>(monotonic().elapsed()) * speed_); }

void Clock::setSpeed(double s)
{
    if (s > 0 && std::isfinite(s))
        speed_ = s;
}

int Clock::scaled(int ms) const
{
    if (ms <= 0)
        return 0;
    return std::max(1, static_cast<int>(std::lround(ms / speed_)));
}

Clock& clock()
{
    static Clock c;
    return c;
}

int sundayWeekOfYear(const QDate& d)
{
    const QDate jan1(d.year(), 1, 1);
    const int jan1Dow = jan1.dayOfWeek() % 7; // Sunday 0 .. Saturday 6
    return (d.dayOfYear() - 1 + jan1Dow) / 7 + 1;
}

bool waitUntil(const std::function<bool()>& done, int ms)
{
    const qint64 deadline = clock().monotonicMs() + clock().scaled(ms);
    // Events are processed at least once, also when the time given has
    // already run out: what was posted before the wait gets its turn.
    bool first = true;
    while (!done()) {
        const qint64 left = deadline - clock().monotonicMs();
        if (left <= 0 && !first)
            break;
        first = false;
        QEventLoop loop;
        QTimer stop;
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, &loop, &QEventLoop::quit);
        // Look at the condition again every few milliseconds: it is changed by
        // event handlers that do not know about this wait.
        stop.start(static_cast<int>(std::clamp<qint64>(left, 0, 5)));
        loop.exec();
    }
    return done();
}

void waitMs(int ms)
{
    const qint64 deadline = clock().monotonicMs() + clock().scaled(ms);
    bool first = true;
    while (true) {
        const qint64 left = deadline - clock().monotonicMs();
        if (left <= 0 && !first)
            return;
        first = false;
        QEventLoop loop;
        QTimer stop;
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, &loop, &QEventLoop::quit);
        stop.start(static_cast<int>(std::max<qint64>(left, 0)));
        loop.exec();
    }
}

} // namespace vclock
