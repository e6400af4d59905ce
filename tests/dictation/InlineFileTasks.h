#pragma once

#include "dictation/FileTasks.h"

namespace quillo::test {

// File tasks run at once, so a test sees the disk as the worker will leave it.
class InlineFileTasks final : public FileTasks {
public:
    void post(std::function<void()> task) override { task(); }
    void whenDone(QObject *, std::function<void()> done) override { done(); }
};

} // namespace quillo::test
