#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>

class QTcpSocket;

namespace quillo::bench {

// One direction of a relayed connection: bytes written to a socket no earlier than
// they are due, in the order they came, and the socket's end once that is due.
class DelayedPipe : public QObject {
public:
    using Clock = std::chrono::steady_clock;

    DelayedPipe(QTcpSocket &to, QObject *parent);

    // `due` is kept no earlier than that of what was pushed before: bytes never overtake.
    void push(Clock::time_point due, QByteArray bytes);
    void pushEnd(Clock::time_point due);
    bool isEmpty() const { return queue_.empty(); }

private:
    struct Chunk {
        Clock::time_point due;
        QByteArray bytes;
        bool end = false;
    };

    void enqueue(Chunk chunk);
    void deliver();

    QTcpSocket &to_;
    std::deque<Chunk> queue_;
    Clock::time_point lastDue_{};
    QTimer timer_;
};

} // namespace quillo::bench
