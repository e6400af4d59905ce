#include "platform/wayland/WtypeKeystrokePoster.h"

#include <QTimer>

#include <utility>

namespace quillo {

namespace {

// A wtype run that has not ended by then is taken as failed.
constexpr int runBoundMs = 2000;

} // namespace

WtypeKeystrokePoster::WtypeKeystrokePoster(QString program)
    : program_(std::move(program))
{
}

WtypeKeystrokePoster::~WtypeKeystrokePoster()
{
    if (!running_)
        return;
    running_->disconnect();
    running_->kill();
    running_->waitForFinished(200);
}

QStringList WtypeKeystrokePoster::pasteArguments(PasteChord chord)
{
    switch (chord) {
    case PasteChord::ctrlShiftV:
        return {QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("-M"), QStringLiteral("shift"),
            QStringLiteral("v"), QStringLiteral("-m"), QStringLiteral("shift"), QStringLiteral("-m"),
            QStringLiteral("ctrl")};
    case PasteChord::shiftInsert:
        return {QStringLiteral("-M"), QStringLiteral("shift"), QStringLiteral("-k"), QStringLiteral("Insert"),
            QStringLiteral("-m"), QStringLiteral("shift")};
    case PasteChord::ctrlV:
        break;
    }
    return {QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("v"), QStringLiteral("-m"),
        QStringLiteral("ctrl")};
}

QStringList WtypeKeystrokePoster::returnArguments()
{
    return {QStringLiteral("-k"), QStringLiteral("Return")};
}

void WtypeKeystrokePoster::postPaste(PasteChord chord, Done done)
{
    enqueue({pasteArguments(chord), std::move(done)});
}

void WtypeKeystrokePoster::postReturn(Done done)
{
    enqueue({returnArguments(), std::move(done)});
}

void WtypeKeystrokePoster::enqueue(Job job)
{
    queue_.push_back(std::move(job));
    if (!running_)
        startNext();
}

void WtypeKeystrokePoster::startNext()
{
    if (queue_.empty())
        return;
    running_ = std::make_unique<QProcess>();
    running_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    running_->setStandardOutputFile(QProcess::nullDevice());
    QProcess *process = running_.get();
    QObject::connect(process, &QProcess::finished, process,
        [this](int code, QProcess::ExitStatus status) { finish(status == QProcess::NormalExit && code == 0); });
    QObject::connect(process, &QProcess::errorOccurred, process, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    QTimer::singleShot(runBoundMs, process, [process] { process->kill(); });
    process->start(program_, queue_.front().arguments);
}

void WtypeKeystrokePoster::finish(bool posted)
{
    if (queue_.empty())
        return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    // The finished process cannot be destroyed inside its own signal.
    if (running_)
        running_.release()->deleteLater();
    if (job.done)
        job.done(posted);
    if (!running_)
        startNext();
}

} // namespace quillo
