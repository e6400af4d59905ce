#pragma once

#include "platform/AudioInput.h"

#include <QByteArray>

namespace quillo {

// Loudness on the scale the waveform and the speech gate use: -55 dBFS and
// below give 0, -10 dBFS and above give 1, linear in decibels between.
float levelFromRms(double rms);

// Level of channel 0 of a float buffer; 0 for an empty buffer.
float bufferLevel(const AudioBufferView &buffer);

// Level of a PCM chunk (16-bit signed little-endian mono); 0 below one sample.
float pcm16Level(const QByteArray &chunk);

} // namespace quillo
