#pragma once

#include "dictation/FailedRecording.h"

#include <QObject>
#include <QString>

#include <optional>

namespace quillo {

// Keeps the audio of the last dictation whose recognition failed, so the words
// are not lost: in memory, and in a folder as a WAV file beside a small JSON note
// of how it was recorded (no secret in either), both readable by the user alone.
// Only one is kept; it survives a restart and goes once a dictation succeeds.
// Main thread only.
class FailedRecordingStore : public QObject {
    Q_OBJECT

public:
    // The longest audio kept (10 minutes): bounds memory and disk; a longer
    // dictation cannot be retried.
    static constexpr qsizetype maxBytes = qsizetype{FailedRecording::bytesPerSecond} * 60 * 10;

    // Loads what an earlier run kept in folder. A damaged, mismatched or
    // half-written pair offers nothing and is removed.
    explicit FailedRecordingStore(QString folder, QObject *parent = nullptr);

    // The user's cache folder for this program.
    static QString defaultFolder();

    const std::optional<FailedRecording> &current() const { return current_; }
    // Replaces the kept recording. It stays in memory even when the files cannot
    // be written (answers false then): a retry still works until the program ends.
    // Empty or overlong audio is not kept.
    bool keep(FailedRecording recording);
    void discard();

    QString wavPath() const;
    QString notePath() const;

signals:
    void changed();

private:
    void load();
    bool write(const FailedRecording &recording) const;
    void removeFiles() const;

    QString folder_;
    std::optional<FailedRecording> current_;
};

} // namespace quillo
