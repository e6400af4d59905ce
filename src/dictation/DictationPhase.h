#pragma once

#include <QMetaType>
#include <QString>

namespace quillo {

// Where one dictation stands. `done` carries the inserted text, `failed` the
// message shown to the user; the other cases carry nothing.
class DictationPhase {
public:
    enum class Kind { idle, recording, transcribing, polishing, done, failed };

    DictationPhase() = default;

    static DictationPhase idle() { return DictationPhase(Kind::idle); }
    static DictationPhase recording() { return DictationPhase(Kind::recording); }
    static DictationPhase transcribing() { return DictationPhase(Kind::transcribing); }
    static DictationPhase polishing() { return DictationPhase(Kind::polishing); }
    static DictationPhase done(QString text) { return DictationPhase(Kind::done, std::move(text)); }
    static DictationPhase failed(QString message) { return DictationPhase(Kind::failed, std::move(message)); }

    Kind kind() const { return kind_; }
    // The done text or the failed message; empty for the other phases.
    const QString &payload() const { return payload_; }

    // A busy phase belongs to a dictation under way; a free one lets a new one start.
    bool isBusy() const { return kind_ == Kind::recording || kind_ == Kind::transcribing || kind_ == Kind::polishing; }
    bool isFree() const { return !isBusy(); }

    friend bool operator==(const DictationPhase &, const DictationPhase &) = default;

private:
    explicit DictationPhase(Kind kind, QString payload = {})
        : kind_(kind)
        , payload_(std::move(payload))
    {
    }

    Kind kind_ = Kind::idle;
    QString payload_;
};

// hold: the recording lasts while the key is down; handsFree: until a second press.
enum class RecordingMode { hold = 0, handsFree = 1 };

} // namespace quillo

Q_DECLARE_METATYPE(quillo::DictationPhase)
Q_DECLARE_METATYPE(quillo::RecordingMode)
