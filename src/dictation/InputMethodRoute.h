#pragma once

#include "dictation/DictationPhase.h"
#include "dictation/TextInserter.h"
#include "platform/InputMethodBridge.h"
#include "platform/Scheduler.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace quillo {

// A dictation's text through the input method, into the field that had the focus when the
// recording started (or, when none had, the first found focused after): the partial transcript as that field's preedit
// while the user speaks, the final text committed in its place. The clipboard is never touched on this way. When the
// input method does not answer, no field had the focus, or it refuses (the focus moved, the user is composing), the
// text goes the usual way and no preedit of ours stays behind. Main thread only.
class InputMethodRoute {
public:
    // Often enough to follow speech, rarely enough not to flood the input method.
    static constexpr std::chrono::milliseconds preeditInterval{100};

    struct Deps {
        InputMethodBridge &bridge;
        Scheduler &scheduler;
        // Whether the partial text is shown in the field (the setting); unset: never.
        std::function<bool()> liveText;
        // Where each delivery's way is told (the observation modes); may be unset.
        std::function<void(const QString &)> report;
    };
    // The usual way of a text to the cursor.
    using Fallback = std::function<void(InsertDone)>;

    explicit InputMethodRoute(Deps deps);
    ~InputMethodRoute();
    InputMethodRoute(const InputMethodRoute &) = delete;
    InputMethodRoute &operator=(const InputMethodRoute &) = delete;

    // A recording starts: the field focused now is where its text may go.
    void begin();
    // The partial transcript changed.
    void showPartial(const QString &text);
    // Commits text into the dictation's field, or hands it to fallback.
    void insert(const QString &text, InsertDone done, Fallback fallback);
    // The dictation is over (delivered, cancelled or failed): our preedit goes.
    void end();
    // Begins as a recording starts and ends as the dictation does.
    void follow(const DictationPhase &phase);
    // Whether the last text was committed through the input method.
    bool lastCommitted() const { return lastCommitted_; }

private:
    struct Target;

    void askFocus(const std::shared_ptr<Target> &target, std::function<void()> then);
    static bool mayAskAgain(const Target &target);
    void commitTo(const std::shared_ptr<Target> &target, const QString &text, InsertDone done, Fallback fallback);
    void pushPreedit();
    void sendPreedit(const std::shared_ptr<Target> &target);
    void clearPreedit(Target &target);
    void report(const char *line) const;

    Deps deps_;
    std::shared_ptr<Target> target_;
    bool lastCommitted_ = false;
    DictationPhase::Kind lastPhase_ = DictationPhase::Kind::idle;
};

} // namespace quillo
