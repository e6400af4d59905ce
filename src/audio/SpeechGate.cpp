#include "audio/SpeechGate.h"

#include <algorithm>
#include <utility>

namespace quillo {

QList<QByteArray> SpeechGate::process(const QByteArray &chunk, float level)
{
    if (isOpen_)
        return {chunk};

    buffered_.append(chunk);
    bufferedBytes_ += chunk.size();
    // The newest chunk always stays, even when it alone exceeds the limit.
    while (bufferedBytes_ > preRollLimitBytes && buffered_.size() >= 2) {
        bufferedBytes_ -= buffered_.front().size();
        buffered_.removeFirst();
    }

    recentLevels_.append(level);
    if (recentLevels_.size() > levelWindow)
        recentLevels_.removeFirst();

    // Any three loud chunks in the window, not necessarily consecutive: one pop does not open it.
    const auto loud = std::ranges::count_if(recentLevels_, [](float l) { return l >= loudLevel; });
    if (loud < openingCount)
        return {};

    isOpen_ = true;
    bufferedBytes_ = 0;
    return std::exchange(buffered_, {});
}

} // namespace quillo
