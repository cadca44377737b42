// SPDX-License-Identifier: MIT

#include "loopwatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace ui {

void watchEventLoopIfAsked()
{
    if (qEnvironmentVariableIsEmpty("ZOMVORN_LOOP_WATCH"))
        return;
    struct Watch
    {
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
    };
    auto *timer = new QTimer(QCoreApplication::instance());
    auto *watch = new Watch;
    watch->clock.start();
    timer->setInterval(10);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [watch] {
        const qint64 now = watch->clock.elapsed();
        const qint64 gap = now - watch->last;
        watch->last = now;
        if (gap > watch->longest)
            watch->longest = gap;
        if (gap > 100)
            std::fprintf(stderr, "loop watch: at %lld ms the window thread was busy %lld ms\n",
                         static_cast<long long>(now), static_cast<long long>(gap));
    });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, timer, [watch] {
        std::fprintf(stderr, "loop watch: longest time the window thread was busy: %lld ms\n",
                     static_cast<long long>(watch->longest));
        delete watch;
    });
    timer->start();
}

} // namespace ui
