#pragma once

#include "dictation/FileTasks.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quillo {

// Runs file tasks one after another on a thread of its own. Destroying it runs
// what is still queued first: a recording's last second reaches the disk even
// when the program quits in the middle of it.
class FileWorker final : public FileTasks {
public:
    FileWorker();
    ~FileWorker() override;
    FileWorker(const FileWorker &) = delete;
    FileWorker &operator=(const FileWorker &) = delete;

    void post(std::function<void()> task) override;
    void whenDone(QObject *context, std::function<void()> done) override;

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread thread_; // last: starts once the queue exists
};

} // namespace quillo
