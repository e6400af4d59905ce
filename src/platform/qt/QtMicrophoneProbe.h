#pragma once

namespace quillo {

// Whether the sound system offers any audio input device (Qt Multimedia).
class QtMicrophoneProbe {
public:
    bool hasInput() const;
};

} // namespace quillo
