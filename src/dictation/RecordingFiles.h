#pragma once

#include "dictation/FailedRecording.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quillo::recordingFiles {

// A recording on disk is a WAV file (any audio program plays it) and a JSON note.
inline constexpr qint64 wavHeaderBytes = 44;

// The header of a 16 kHz mono 16-bit PCM WAV file; none for the sizes while the
// file still grows (they are put in when it is closed).
QByteArray wavHeader(std::optional<qint64> dataBytes);
// Whether bytes start like a file wavHeader wrote, whatever its sizes say.
bool isOurWav(const QByteArray &bytes);

QString audioPath(const QString &folder, const QString &id);
QString notePath(const QString &folder, const QString &id);

// A note says whether its recording is still being made (by the process pid) or failed.
struct Note {
    FailedRecording recording;
    bool inProgress = false;
    qint64 pid = 0;
};
QByteArray noteBytes(const Note &note);
// The note of id; none when it is damaged or not ours.
std::optional<Note> parseNote(const QByteArray &bytes, const QString &id);

// Writes bytes to path as a whole or not at all, readable by the user alone.
bool writePrivately(const QString &path, const QByteArray &bytes);
// Makes folder (and its parents), the last readable by the user alone.
bool makePrivateFolder(const QString &folder);
// Whether another process with our name runs as pid.
bool isOtherLiveProcess(qint64 pid);

} // namespace quillo::recordingFiles
