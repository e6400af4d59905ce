#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

#include <sys/socket.h>
#include <unistd.h>

namespace quillo {

namespace {

constexpr std::array<int, 3> handledSignals{SIGTERM, SIGINT, SIGHUP};

// The handler's socket pair, made once and never closed: a signal can come at any moment, and
// must never write into a descriptor number that has been closed and reused since.
std::atomic<int> wakeReadFd{-1};
std::atomic<int> wakeWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free); // so the handler may load it
std::atomic<bool> instanceExists{false};

extern "C" void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeWriteFd.load(), &byte, 1);
    errno = savedErrno;
}

bool haveWakePair()
{
    if (wakeWriteFd.load() >= 0)
        return true;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return false;
    wakeReadFd.store(fds[0]);
    wakeWriteFd.store(fds[1]);
    return true;
}

// What came while nobody listened belongs to an earlier instance.
void dropPending()
{
    unsigned char stale[16];
    while (::read(wakeReadFd.load(), stale, sizeof stale) > 0) { }
}

void install()
{
    struct sigaction action { };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second signal of a kind kills, as if we had never caught it.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : handledSignals) {
        struct sigaction current { };
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal))
{
    if (instanceExists.exchange(true))
        return;
    if (!haveWakePair()) {
        instanceExists = false;
        return;
    }
    dropPending();
    install();
    notifier_ = std::make_unique<QSocketNotifier>(wakeReadFd.load(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { drain(); });
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier_)
        return;
    notifier_.reset();
    instanceExists = false;
}

void TerminationSignals::drain()
{
    unsigned char received[16];
    ssize_t got = 0;
    while ((got = ::read(wakeReadFd.load(), received, sizeof received)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (onSignal_)
                onSignal_(received[i]);
        }
    }
}

} // namespace quillo
