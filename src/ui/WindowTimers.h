#pragma once
// Small helpers for the windows' QTimers, which tests find by object name.
#include <QObject>
#include <QTimer>

namespace brisko::ui {

inline QTimer* NewTimer(QObject* owner, const char* name, int interval, bool singleShot = false) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(singleShot);
    return timer;
}

// Starting a running timer changes nothing (QTimer::start would restart its count).
inline void Inicia(QTimer* timer) {
    if (!timer->isActive()) {
        timer->start();
    }
}

// A new interval restarts a running timer's count; the same interval leaves it alone.
inline void DefineIntervalo(QTimer* timer, int ms) {
    if (timer->interval() != ms) {
        timer->setInterval(ms);
    }
}

} // namespace brisko::ui
