#pragma once

#include <QString>

namespace quillo {

// Why capture could not start or an audio file could not be read. The
// description is what the user sees on the panel.
struct AudioRecorderError {
    enum class Kind {
        noInputDevice,
        converterUnavailable,
        engineFailed, // the audio system refused to start; message is its own text
        fileUnreadable, // open, format or decode failure; message names the cause
        deviceLost, // capture ended on its own mid-recording; message is the platform's text
    };

    Kind kind = Kind::noInputDevice;
    QString message;

    static AudioRecorderError noInputDevice() { return {Kind::noInputDevice, {}}; }
    static AudioRecorderError converterUnavailable() { return {Kind::converterUnavailable, {}}; }
    static AudioRecorderError engineFailed(QString m) { return {Kind::engineFailed, std::move(m)}; }
    static AudioRecorderError fileUnreadable(QString m) { return {Kind::fileUnreadable, std::move(m)}; }
    static AudioRecorderError deviceLost(QString m) { return {Kind::deviceLost, std::move(m)}; }

    QString description() const;

    friend bool operator==(const AudioRecorderError &, const AudioRecorderError &) = default;
};

} // namespace quillo
