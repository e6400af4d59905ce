#pragma once

#include "dictation/DictationPhase.h"
#include "platform/Scheduler.h"

#include <QString>

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>

namespace quillo {

// Where the time of the last dictations went, from the key press to the paste. Kept in
// memory only (the stored history has no place for it); printed as an "[e2e] timings"
// line and shown by `quillo --doctor`. Main thread only.
class DictationTimings {
public:
    using TimePoint = Scheduler::TimePoint;

    // In the order a dictation passes them; a stage it skips (no chat model) stays unset.
    enum class Stage { pressed, recording, firstAudio, released, transcript, chatAnswer, inserted, count };

    struct Record {
        std::array<std::optional<TimePoint>, static_cast<std::size_t>(Stage::count)> at;
        DictationPhase::Kind outcome = DictationPhase::Kind::idle; // done, failed, or idle (cancelled)

        std::optional<TimePoint> of(Stage stage) const { return at[static_cast<std::size_t>(stage)]; }
        // Milliseconds from one stage to another; none unless both were reached.
        std::optional<double> span(Stage from, Stage to) const;
        // "press->recording 12 ms, …, release->paste 312 ms, done": the same in every language.
        QString summary() const;
    };

    static constexpr std::size_t kept = 10;

    // A new dictation starts; one still open is dropped unfinished.
    void begin(TimePoint at);
    // The first time a stage is reached counts; nothing counts outside a dictation.
    void mark(Stage stage, TimePoint at);
    // Recording and release come from the phases; a free phase ends the dictation.
    void phaseChanged(DictationPhase::Kind phase, TimePoint at);

    // Newest first.
    const std::deque<Record> &last() const { return last_; }
    std::function<void(const Record &)> onFinished;

private:
    void finish(DictationPhase::Kind outcome);

    std::optional<Record> current_;
    std::deque<Record> last_;
};

} // namespace quillo
