#pragma once

#include "platform/AudioInput.h"

#include <QAudioDevice>
#include <QString>

#include <memory>

class QThread;

namespace quillo {

// The microphone through Qt Multimedia. Capture runs on a QThread of its own
// (the audio thread): the QAudioSource lives there and its buffers are handed to
// the handler there, so the main thread only asks for start and stop.
//
// Device: the system's default input, or the first input whose description or id
// contains deviceMatch (case-insensitive). A name that matches nothing means no
// device, rather than silently recording from another microphone.
//
// Qt Multimedia 6.4 connects to the sound server once per process: after the server
// restarts, every start fails with "音频服务不可用" until Quillo is restarted. That is
// why it is only the fallback behind PulseAudioInput.
class QtAudioInput final : public AudioInput {
public:
    // Reads the device name from QUILLO_INPUT_DEVICE.
    QtAudioInput();
    explicit QtAudioInput(QString deviceMatch);
    ~QtAudioInput() override;
    QtAudioInput(const QtAudioInput &) = delete;
    QtAudioInput &operator=(const QtAudioInput &) = delete;

    AudioInputFormat inputFormat() override;
    Expected<Done, QString> start(
        AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError) override;
    void stop() override;

private:
    class Worker;

    QAudioDevice chosenDevice() const;

    QString deviceMatch_;
    std::unique_ptr<QThread> thread_;
    Worker *worker_ = nullptr; // lives on thread_, deleted there
};

} // namespace quillo
