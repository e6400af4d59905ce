#pragma once

#include "platform/AudioInput.h"
#include "platform/pulse/PulseConnection.h"

#include <QString>

#include <chrono>
#include <future>
#include <memory>

namespace quillo {

// The microphone through PulseAudio (or PipeWire's pulse server). Unlike Qt
// Multimedia, which connects once per process, every recording opens a connection
// of its own and closes it at stop: a sound server restarted between two
// dictations is simply found again. The connection's event thread is the audio
// thread. No call waits for the server longer than the time-out.
//
// Device: the server's default source, or the first source whose name or
// description contains deviceMatch (case-insensitive); a name that matches nothing
// means no device.
class PulseAudioInput final : public AudioInput {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{1500};

    // Reads the device name from QUILLO_INPUT_DEVICE.
    PulseAudioInput();
    explicit PulseAudioInput(QString deviceMatch, std::chrono::milliseconds timeout = defaultTimeout);
    ~PulseAudioInput() override;
    PulseAudioInput(const PulseAudioInput &) = delete;
    PulseAudioInput &operator=(const PulseAudioInput &) = delete;

    // Connects and asks for the device; the connection is kept for the next start().
    AudioInputFormat inputFormat() override;
    Expected<Done, QString> start(
        AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError) override;
    void stop() override;

    // Why the last inputFormat() found no usable device, for diagnostics.
    const QString &lastProblem() const { return lastProblem_; }

private:
    Expected<std::unique_ptr<PulseConnection>, QString> connectTo(PulseConnection::Source &source) const;
    // Closes a connection that may be delivering right now without waiting for it here.
    void retire(std::unique_ptr<PulseConnection> connection);

    QString deviceMatch_;
    std::chrono::milliseconds timeout_;
    // Opened by inputFormat() for the start() that follows it.
    std::unique_ptr<PulseConnection> prepared_;
    PulseConnection::Source preparedSource_;
    std::unique_ptr<PulseConnection> running_;
    std::future<void> retiring_;
    QString lastProblem_;
};

} // namespace quillo
