#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace quillo {

// Holds microphone audio back until the user is clearly speaking, then releases a
// short pre-roll and passes everything after it straight through. Never closes again.
class SpeechGate {
public:
    static constexpr std::int64_t preRollLimitBytes = 16000; // 0.5 s of 16 kHz 16-bit mono
    static constexpr qsizetype levelWindow = 10;
    static constexpr float loudLevel = 0.3f;
    static constexpr qsizetype openingCount = 3;

    // Returns the chunks to send now, oldest first (empty while the gate holds back).
    QList<QByteArray> process(const QByteArray &chunk, float level);
    void reset() { *this = SpeechGate{}; }

    bool isOpen() const { return isOpen_; }
    const QList<QByteArray> &buffered() const { return buffered_; }
    std::int64_t bufferedBytes() const { return bufferedBytes_; }
    const QList<float> &recentLevels() const { return recentLevels_; }

private:
    bool isOpen_ = false;
    QList<QByteArray> buffered_;
    std::int64_t bufferedBytes_ = 0;
    QList<float> recentLevels_;
};

} // namespace quillo
