#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

namespace quillo {

// Runs short-lived helper programs (wl-copy, wl-paste, wtype) and waits for them, bounded.
// Several requests run side by side, so reading many clipboard types costs about one start.
class ProcessRunner {
public:
    struct Request {
        QString program;
        QStringList arguments;
        QByteArray input; // written to standard input, which is then closed
        bool captureOutput = true; // false: standard output goes to /dev/null
    };
    struct Result {
        bool finished = false; // started and exited by itself within the bound
        int exitCode = -1;
        QByteArray output;
        QByteArray errors;
        bool succeeded() const { return finished && exitCode == 0; }
    };

    static constexpr std::chrono::milliseconds defaultBound{1500};

    virtual ~ProcessRunner() = default;

    // One result per request, in order. A request still running at the bound is killed.
    virtual std::vector<Result> runAll(const std::vector<Request> &requests, std::chrono::milliseconds bound) const;
    Result run(const Request &request, std::chrono::milliseconds bound = defaultBound) const;
};

} // namespace quillo
