#include "dictation/FileWorker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace quillo {

FileWorker::FileWorker()
    : thread_([this] { run(); })
{
}

FileWorker::~FileWorker()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void FileWorker::post(std::function<void()> task)
{
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void FileWorker::whenDone(QObject *context, std::function<void()> done)
{
    post([context = QPointer<QObject>(context), done = std::move(done)]() mutable {
        // The context is looked at only on the main thread, where it can go.
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [context, done = std::move(done)] {
                if (context)
                    done();
            },
            Qt::QueuedConnection);
    });
}

void FileWorker::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty())
                return; // stopping, with nothing left to write
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace quillo
