#include "platform/pulse/PulseAudioInput.h"

#include <utility>

namespace quillo {

PulseAudioInput::PulseAudioInput()
    : PulseAudioInput(qEnvironmentVariable("QUILLO_INPUT_DEVICE").trimmed())
{
}

PulseAudioInput::PulseAudioInput(QString deviceMatch, std::chrono::milliseconds timeout)
    : deviceMatch_(std::move(deviceMatch))
    , timeout_(timeout)
{
}

PulseAudioInput::~PulseAudioInput()
{
    stop();
    if (retiring_.valid())
        retiring_.wait();
}

Expected<std::unique_ptr<PulseConnection>, QString> PulseAudioInput::connectTo(PulseConnection::Source &source) const
{
    auto connection = PulseConnection::open(timeout_);
    if (!connection)
        return connection;
    auto found = connection.value()->findSource(deviceMatch_);
    if (!found)
        return unexpected(found.error());
    source = found.value();
    return connection;
}

AudioInputFormat PulseAudioInput::inputFormat()
{
    prepared_.reset(); // not recording: closes at once
    PulseConnection::Source source;
    auto connection = connectTo(source);
    if (!connection) {
        lastProblem_ = connection.error();
        return {};
    }
    lastProblem_.clear();
    prepared_ = std::move(connection).value();
    preparedSource_ = source;
    return source.format;
}

Expected<Done, QString> PulseAudioInput::start(
    AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError)
{
    stop();
    std::unique_ptr<PulseConnection> connection = std::exchange(prepared_, nullptr);
    PulseConnection::Source source = preparedSource_;
    if (!connection || !connection->isReady()) {
        connection.reset();
        auto opened = connectTo(source);
        if (!opened)
            return unexpected(opened.error());
        connection = std::move(opened).value();
    }
    if (source.format != format || !format.isUsable())
        return unexpected(QStringLiteral("输入设备已改变"));
    auto recording = connection->record(source, framesHint, std::move(handler), std::move(onError));
    if (!recording)
        return recording;
    running_ = std::move(connection);
    return Done{};
}

void PulseAudioInput::stop()
{
    prepared_.reset();
    retire(std::exchange(running_, nullptr));
}

void PulseAudioInput::retire(std::unique_ptr<PulseConnection> connection)
{
    if (!connection)
        return;
    connection->detach();
    // Closing waits for the event thread, which may be inside a handler this very
    // moment: that wait happens on a helper thread, never on the caller's.
    if (retiring_.valid())
        retiring_.wait();
    retiring_ = std::async(std::launch::async, [connection = std::move(connection)]() mutable { connection.reset(); });
}

} // namespace quillo
