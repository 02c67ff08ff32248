#pragma once
// How late the window thread gets: the worst lateness of a 1 ms timer on it while the meter lives.
// A window that never stalls keeps it within a frame or two; one held up by a lock or a huge text
// misses it for seconds.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace brisko::test {

class StallMeter {
public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            worstMs_ = std::max(worstMs_, now - lastMs_ - 1);
            lastMs_ = now;
        });
        clock_.start();
        timer_.start(1);
    }
    qint64 WorstMs() const { return worstMs_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastMs_ = 0;
    qint64 worstMs_ = 0;
};

} // namespace brisko::test
