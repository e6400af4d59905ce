#pragma once

#include <QObject>

#include <functional>

namespace quillo {

// Where the recording files are written and synced: a thread of its own in the
// program, so no write or sync ever stalls the main thread; in line in tests.
class FileTasks {
public:
    virtual ~FileTasks() = default;

    // Runs task after every task posted before it.
    virtual void post(std::function<void()> task) = 0;
    // Runs done on the main thread once every task posted so far has run; never
    // after context is gone.
    virtual void whenDone(QObject *context, std::function<void()> done) = 0;
};

} // namespace quillo
