#include "platform/wayland/ProcessRunner.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <memory>

namespace quillo {

std::vector<ProcessRunner::Result> ProcessRunner::runAll(
    const std::vector<Request> &requests, std::chrono::milliseconds bound) const
{
    std::vector<std::unique_ptr<QProcess>> processes;
    processes.reserve(requests.size());
    for (const Request &request : requests) {
        auto process = std::make_unique<QProcess>();
        // A helper that forks (wl-copy keeps serving the clipboard) must not hold our pipes open.
        if (!request.captureOutput)
            process->setStandardOutputFile(QProcess::nullDevice());
        process->start(request.program, request.arguments);
        if (process->waitForStarted(static_cast<int>(bound.count()))) {
            if (!request.input.isEmpty())
                process->write(request.input);
            process->closeWriteChannel();
        }
        processes.push_back(std::move(process));
    }

    const QDeadlineTimer deadline(bound);
    std::vector<Result> results(requests.size());
    for (std::size_t i = 0; i < processes.size(); ++i) {
        QProcess &process = *processes[i];
        if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart)
            continue;
        if (!process.waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
            process.kill();
            process.waitForFinished(200);
            continue;
        }
        Result &result = results[i];
        result.finished = process.exitStatus() == QProcess::NormalExit;
        result.exitCode = process.exitCode();
        result.output = process.readAllStandardOutput();
        result.errors = process.readAllStandardError();
    }
    return results;
}

ProcessRunner::Result ProcessRunner::run(const Request &request, std::chrono::milliseconds bound) const
{
    return runAll({request}, bound).front();
}

} // namespace quillo
