#pragma once
// The program's one clock: today's date and time for the date code, the week
// number and the year, and the time base of every device wait and device
// timer. Tests fix the date and compress time; the programmer simulator
// follows the same compression (VELMORA_TIME_SCALE).

#include <QDateTime>
#include <functional>

namespace vclock {

class Clock {
public:
    Clock();
    // Local date and time; a fixed value when a test has set one.
    QDateTime now() const;
    QDate today() const { return now().date(); }
    void setFixedNow(const QDateTime& t);
    void clearFixedNow();

    // Milliseconds on a monotonic clock since the program started.
    qint64 monotonicMs() const;
    // The same clock in the program's time: real milliseconds times the
    // speed, so that an interval of the program (the device's answer limit,
    // say) is the same number at every speed.
    qint64 programMs() const;

    // 1 is real time; 10 makes every device wait and device timer ten times
    // shorter. Read from VELMORA_TIME_SCALE at start.
    double speed() const { return speed_; }
    void setSpeed(double s);
    // An interval of the program (ms) as it runs at the current speed.
    int scaled(int ms) const;

private:
    QDateTime fixed_;
    double speed_ = 1.0;
};

Clock& clock();

// Week of the year with weeks beginning on Sunday; week 1 holds January 1,
// so a year has 53 or 54 weeks.
int sundayWeekOfYear(const QDate& d);

// Processes window events until ms (scaled) have passed on the monotonic
// clock. The wait ends once that time is reached or passed, also when an
// event handler run inside it took longer than the wait. Events are
// processed at least once, however short the wait.
void waitMs(int ms);
inline void waitSeconds(int n) { waitMs(n * 1000); }

// Processes window events until done() is true or ms (scaled) have passed;
// returns done(). Events are processed at least once before it gives up.
bool waitUntil(const std::function<bool()>& done, int ms);

} // namespace vclock
