#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <utility>

#include <sys/socket.h>
#include <unistd.h>

namespace quillo {

namespace {

constexpr std::array<int, 3> handledSignals{SIGTERM, SIGINT, SIGHUP};

// Where the handler writes; -1 while no instance exists. Lock-free, so safe in a handler.
std::atomic<int> wakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const int fd = wakeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal))
{
    int fds[2];
    if (wakeFd.load() >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    readFd_ = fds[0];
    writeFd_ = fds[1];
    wakeFd.store(writeFd_);

    struct sigaction action { };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second signal of a kind kills, as if we had never caught it.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < handledSignals.size(); ++i) {
        // A signal the parent ignored (nohup) stays ignored.
        if (::sigaction(handledSignals[i], nullptr, &previous_[i]) != 0 || previous_[i].sa_handler == SIG_IGN)
            continue;
        replaced_[i] = ::sigaction(handledSignals[i], &action, nullptr) == 0;
    }
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { drain(); });
}

TerminationSignals::~TerminationSignals()
{
    // Dispositions first: a signal from now on takes its old action instead of being lost.
    for (std::size_t i = 0; i < handledSignals.size(); ++i) {
        if (replaced_[i])
            ::sigaction(handledSignals[i], &previous_[i], nullptr);
    }
    if (writeFd_ >= 0 && wakeFd.load() == writeFd_)
        wakeFd.store(-1);
    notifier_.reset();
    if (readFd_ >= 0)
        ::close(readFd_);
    if (writeFd_ >= 0)
        ::close(writeFd_);
}

void TerminationSignals::drain()
{
    unsigned char received[16];
    ssize_t got = 0;
    while ((got = ::read(readFd_, received, sizeof received)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (onSignal_)
                onSignal_(received[i]);
        }
    }
}

} // namespace quillo
