#include "Polling.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace brisko::test {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

} // namespace brisko::test
