#include "platform/pulse/PulseAudioInput.h"

#include <algorithm>
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
    for (std::future<void> &closing : retiring_)
        closing.wait();
}

PulseAudioInput::Opening PulseAudioInput::open(const QString &deviceMatch, std::chrono::milliseconds timeout)
{
    auto connection = PulseConnection::open(timeout);
    if (!connection)
        return unexpected(connection.error());
    auto found = connection.value()->findSource(deviceMatch);
    if (!found)
        return unexpected(found.error());
    return Opened{std::move(connection).value(), found.value()};
}

void PulseAudioInput::prepare()
{
    // Fresh at every press: the default device may have changed since an earlier one.
    discardPrepared();
    opening_ = std::async(std::launch::async, &PulseAudioInput::open, deviceMatch_, timeout_);
}

AudioInputFormat PulseAudioInput::inputFormat()
{
    std::future<Opening> begun = std::exchange(opening_, {});
    discardPrepared(); // not recording: an older one is of no use
    Opening opening = begun.valid() ? begun.get() : open(deviceMatch_, timeout_);
    if (!opening) {
        lastProblem_ = opening.error();
        return {};
    }
    lastProblem_.clear();
    prepared_ = std::move(opening->connection);
    preparedSource_ = opening->source;
    return preparedSource_.format;
}

Expected<Done, QString> PulseAudioInput::start(
    AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError)
{
    retire(std::exchange(running_, nullptr));
    std::unique_ptr<PulseConnection> connection = std::exchange(prepared_, nullptr);
    PulseConnection::Source source = preparedSource_;
    if (!connection || !connection->isReady()) {
        // Nothing prepared, or its server went away meanwhile.
        retire(std::move(connection));
        auto opening = open(deviceMatch_, timeout_);
        if (!opening)
            return unexpected(opening.error());
        connection = std::move(opening->connection);
        source = opening->source;
    }
    if (source.format != format || !format.isUsable()) {
        retire(std::move(connection));
        return unexpected(QStringLiteral("输入设备已改变"));
    }
    auto recording = connection->record(source, framesHint, std::move(handler), std::move(onError));
    if (!recording) {
        retire(std::move(connection));
        return recording;
    }
    running_ = std::move(connection);
    return Done{};
}

void PulseAudioInput::stop()
{
    discardPrepared();
    retire(std::exchange(running_, nullptr));
}

void PulseAudioInput::discardPrepared()
{
    retire(std::exchange(prepared_, nullptr));
    if (opening_.valid()) {
        // Still connecting, maybe to a server that does not answer: it ends on a thread of its own.
        retireLater(std::async(std::launch::async, [opening = std::exchange(opening_, {})]() mutable {
            opening.get(); // the connection it opened, if any, closes here
        }));
    }
}

void PulseAudioInput::retire(std::unique_ptr<PulseConnection> connection)
{
    if (!connection)
        return;
    connection->detach();
    // Closing waits for the event thread, which may be inside a handler this very
    // moment: that wait happens on a helper thread, never on the caller's.
    retireLater(std::async(std::launch::async, [connection = std::move(connection)]() mutable { connection.reset(); }));
}

void PulseAudioInput::retireLater(std::future<void> closing)
{
    const auto ended
        = [](const std::future<void> &f) { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
    std::erase_if(retiring_, ended);
    retiring_.push_back(std::move(closing));
}

} // namespace quillo
