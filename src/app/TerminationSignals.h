#pragma once

#include <array>
#include <functional>
#include <memory>

#include <signal.h>

class QSocketNotifier;

namespace quillo {

// SIGTERM (logout, systemd, kill), SIGINT (Ctrl+C) and SIGHUP (the terminal closed) are
// handed to the event loop instead of killing the process: onSignal runs there, and the owner
// ends the program as its Quit does, tearing everything down in order. A second signal of the
// same kind takes the default action, so a shutdown that hangs can still be ended.
// One instance at a time; destroying it puts the previous dispositions back.
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
    int readFd_ = -1;
    int writeFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<struct sigaction, 3> previous_{};
    std::array<bool, 3> replaced_{};
};

} // namespace quillo
