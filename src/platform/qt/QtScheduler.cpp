#include "platform/qt/QtScheduler.h"

#include <QPointer>
#include <QTimer>

namespace quillo {

QtScheduler::QtScheduler()
    : context_(std::make_unique<QObject>())
{
}

QtScheduler::~QtScheduler() = default;

Scheduler::TimePoint QtScheduler::now() const
{
    return std::chrono::steady_clock::now();
}

std::chrono::system_clock::time_point QtScheduler::wallNow() const
{
    return std::chrono::system_clock::now();
}

ScheduledWork QtScheduler::after(Duration delay, std::function<void()> fn)
{
    return start(delay, false, std::move(fn));
}

ScheduledWork QtScheduler::every(Duration interval, std::function<void()> fn)
{
    return start(interval, true, std::move(fn));
}

ScheduledWork QtScheduler::start(Duration delay, bool repeat, std::function<void()> fn)
{
    auto *timer = new QTimer(context_.get()); // owned by context_
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeat);
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay);
    timer->setInterval(std::max<std::chrono::milliseconds>(ms, std::chrono::milliseconds(0)));
    QObject::connect(timer, &QTimer::timeout, timer, [timer, repeat, fn = std::move(fn)] {
        if (!repeat)
            timer->deleteLater();
        fn();
    });
    timer->start();
    QPointer<QTimer> guard(timer);
    return ScheduledWork([guard] {
        if (guard) {
            guard->stop();
            guard->deleteLater();
        }
    });
}

} // namespace quillo
