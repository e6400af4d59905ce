#pragma once

#include <chrono>
#include <deque>

namespace quillo {

// Keystrokes this program is about to post through XTest. XInput2 reports every
// XTest client's keys from the same "Virtual core XTEST keyboard" device, so our
// own paste and Return keys are recognised by expectation: the poster announces
// each key transition just before sending it, and the keyboard source consumes
// the matching raw event (within a short window) and passes it on as "ours".
// Both sides run on the main thread.
class X11OwnKeystrokes {
public:
    using Clock = std::chrono::steady_clock;

    void expect(unsigned keycode, bool press)
    {
        prune(Clock::now());
        pending_.push_back({keycode, press, Clock::now() + window});
    }

    // True (and forgets it) when this transition was announced and not yet seen.
    bool consume(unsigned keycode, bool press)
    {
        prune(Clock::now());
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (it->keycode == keycode && it->press == press) {
                pending_.erase(it);
                return true;
            }
        }
        return false;
    }

    static constexpr std::chrono::milliseconds window{500};

private:
    struct Pending {
        unsigned keycode;
        bool press;
        Clock::time_point deadline;
    };

    void prune(Clock::time_point now)
    {
        while (!pending_.empty() && pending_.front().deadline < now)
            pending_.pop_front();
    }

    std::deque<Pending> pending_;
};

} // namespace quillo
