#include "DelayedPipe.h"

#include <QTcpSocket>

#include <algorithm>

namespace quillo::bench {

DelayedPipe::DelayedPipe(QTcpSocket &to, QObject *parent)
    : QObject(parent)
    , to_(to)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &DelayedPipe::deliver);
}

void DelayedPipe::push(Clock::time_point due, QByteArray bytes)
{
    enqueue(Chunk{due, std::move(bytes), false});
}

void DelayedPipe::pushEnd(Clock::time_point due)
{
    enqueue(Chunk{due, {}, true});
}

void DelayedPipe::enqueue(Chunk chunk)
{
    chunk.due = std::max(chunk.due, lastDue_);
    lastDue_ = chunk.due;
    queue_.push_back(std::move(chunk));
    deliver();
}

void DelayedPipe::deliver()
{
    const Clock::time_point now = Clock::now();
    while (!queue_.empty() && queue_.front().due <= now) {
        Chunk chunk = std::move(queue_.front());
        queue_.pop_front();
        if (chunk.end) {
            queue_.clear();
            to_.disconnectFromHost();
            return;
        }
        if (to_.state() == QAbstractSocket::ConnectedState || to_.state() == QAbstractSocket::ConnectingState)
            to_.write(chunk.bytes);
    }
    if (queue_.empty())
        return;
    // Rounded up: a timer that fires a little early would only have to wait again.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(queue_.front().due - now);
    timer_.start(wait);
}

} // namespace quillo::bench
