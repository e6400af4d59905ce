#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillo {

// SIGTERM (logout, systemd, kill), SIGINT (Ctrl+C) and SIGHUP (the terminal closed) are
// handed to the event loop instead of killing the process: onSignal runs there, and the owner
// ends the program as its Quit does, tearing everything down in order. A second signal of the
// same kind takes the default action, so a shutdown that hangs can still be ended. The handlers
// stay for the rest of the process: a first signal that comes while the program is already
// ending, after this object is gone, is swallowed rather than cutting the teardown short.
// A signal the process inherited as ignored (nohup) stays ignored. One instance at a time.
class TerminationSignals final {
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // False when no handler could be installed: the default actions stay.
    bool isInstalled() const { return notifier_ != nullptr; }

private:
    void drain();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quillo
