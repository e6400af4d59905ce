#include "platform/pulse/PulseMicrophoneCheck.h"

#include "platform/pulse/PulseConnection.h"

namespace quillo {

PulseMicrophoneCheck::Outcome PulseMicrophoneCheck::run(const QString &deviceMatch, std::chrono::milliseconds timeout)
{
    Outcome outcome;
    auto connection = PulseConnection::open(timeout);
    if (!connection) {
        outcome.problem = connection.error();
        return outcome;
    }
    outcome.serverAnswered = true;
    const auto source = connection.value()->findSource(deviceMatch);
    if (!source) {
        outcome.problem = source.error();
        return outcome;
    }
    outcome.name = QString::fromUtf8(source.value().name);
    outcome.description = source.value().description;
    // Opening the stream is what a dictation does first; the audio itself is not wanted.
    const auto recording = connection.value()->record(
        source.value(), 1600, [](const AudioBufferView &) {}, [](const QString &) {});
    if (!recording) {
        outcome.problem = recording.error();
        return outcome;
    }
    connection.value()->detach();
    outcome.opened = true;
    return outcome;
}

} // namespace quillo
