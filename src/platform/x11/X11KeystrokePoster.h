#pragma once

#include <memory>

#include "platform/KeystrokePoster.h"
#include "platform/Scheduler.h"
#include "platform/x11/X11OwnKeystrokes.h"

#include <chrono>
#include <deque>
#include <vector>

namespace quillo {

// Synthetic keystrokes through XTest on its own X connection. Each keystroke
// waits (briefly, polling) for the user to let go of modifier keys; modifiers
// still down after that are released for the chord and pressed again afterwards,
// so a held Alt cannot turn Ctrl+V into Ctrl+Alt+V. Keystrokes go out in the
// order they were asked for. Every transition is announced to the shared ledger
// first, so the keyboard source takes them for ours.
class X11KeystrokePoster final : public KeystrokePoster {
public:
    static constexpr std::chrono::milliseconds releaseWait{500};
    static constexpr std::chrono::milliseconds pollInterval{10};

    X11KeystrokePoster(X11OwnKeystrokes &ledger, Scheduler &scheduler);
    ~X11KeystrokePoster() override;

    // The X server is reachable and offers XTest.
    bool isAvailable() const { return xtest_; }

    void postPaste(PasteChord chord, Done done) override;
    void postReturn(Done done) override;

private:
    struct Job {
        std::vector<unsigned> modifiers; // pressed in order, released in reverse
        unsigned key = 0;
        Done done;
    };

    void enqueue(Job job);
    void pump();
    bool send(const Job &job);
    void transition(unsigned keycode, bool press);
    std::vector<unsigned> heldModifiers() const;
    unsigned keycode(unsigned long keysym) const;
    unsigned pasteKey() const;

    X11OwnKeystrokes &ledger_;
    Scheduler &scheduler_;
    // Xlib stays out of this header: its macros (None, Bool, Status...) break Qt headers.
    struct Connection;
    std::unique_ptr<Connection> x_;
    bool xtest_ = false;
    std::deque<Job> queue_;
    ScheduledWork poll_;
    bool waiting_ = false;
    Scheduler::TimePoint waitStarted_{};
};

} // namespace quillo
