// Loaded with LD_PRELOAD into a Qt Widgets program: prints "APPLICATION <CLOCK_MONOTONIC ns>" when
// the application object is made, and when the first paint event reaches a top-level window,
// prints "FIRST_PAINT <CLOCK_MONOTONIC ns> <class>" on standard output and ends the process at once. The
// program needs no hook of its own, and runs unchanged without this library.
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

class FirstPaintStamp : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("FIRST_PAINT %lld %s\n",
                        static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec,
                        watched->metaObject()->className());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

void InstallStamp() {
    std::printf("APPLICATION %lld\n", MonotonicNs());
    QCoreApplication::instance()->installEventFilter(new FirstPaintStamp(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallStamp)
