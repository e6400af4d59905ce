#pragma once

#include "audio/AudioRecorderError.h"
#include "common/Expected.h"

#include <QByteArray>
#include <QString>

namespace quillo {

// Reads a whole audio file (WAV, FLAC, Ogg/Vorbis, MP3, ... at any rate and
// channel count) as one PCM chunk: 16 kHz mono 16-bit little-endian. Fails with
// fileUnreadable for a missing, non-audio, truncated or undecodable file, and
// converterUnavailable for a format the converter does not take.
Expected<QByteArray, AudioRecorderError> loadPCM16(const QString &path);

} // namespace quillo
