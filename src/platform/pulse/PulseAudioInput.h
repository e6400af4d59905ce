#pragma once

#include "platform/AudioInput.h"
#include "platform/pulse/PulseConnection.h"

#include <QString>

#include <chrono>
#include <future>
#include <memory>
#include <vector>

namespace quillo {

// The microphone through PulseAudio (or PipeWire's pulse server). Unlike Qt
// Multimedia, which connects once per process, every recording opens a connection
// of its own and closes it at stop: a sound server restarted between two
// dictations is simply found again. The connection's event thread is the audio
// thread. No call waits for the server longer than the time-out.
//
// One connection per recording: prepare() opens it and asks for the device on a
// thread of its own, inputFormat() takes it over (waiting only for what is left),
// start() records on it. Connections are closed off the calling thread too.
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

    void prepare() override;
    // What prepare() opened, or a connection opened now when nothing was prepared;
    // kept for the start() that follows.
    AudioInputFormat inputFormat() override;
    Expected<Done, QString> start(
        AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError) override;
    void stop() override;

    // Why the last inputFormat() found no usable device, for diagnostics.
    const QString &lastProblem() const { return lastProblem_; }

private:
    struct Opened {
        std::unique_ptr<PulseConnection> connection;
        PulseConnection::Source source;
    };
    using Opening = Expected<Opened, QString>;

    static Opening open(const QString &deviceMatch, std::chrono::milliseconds timeout);
    // Drops what was prepared and not started, without waiting for it.
    void discardPrepared();
    // Closes a connection that may be delivering right now without waiting for it here.
    void retire(std::unique_ptr<PulseConnection> connection);
    void retireLater(std::future<void> closing);

    QString deviceMatch_;
    std::chrono::milliseconds timeout_;
    std::future<Opening> opening_; // begun by prepare()
    std::unique_ptr<PulseConnection> prepared_; // taken over by inputFormat()
    PulseConnection::Source preparedSource_;
    std::unique_ptr<PulseConnection> running_;
    std::vector<std::future<void>> retiring_;
    QString lastProblem_;
};

} // namespace quillo
