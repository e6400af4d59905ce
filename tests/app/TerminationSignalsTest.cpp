#include "app/TerminationSignals.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace quillo {
namespace {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

void (*handlerOf(int signal))(int)
{
    struct sigaction current { };
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

// Puts a signal's disposition back however the test ends.
class KeptDisposition {
public:
    explicit KeptDisposition(int signal)
        : signal_(signal)
    {
        sigaction(signal_, nullptr, &saved_);
    }
    ~KeptDisposition() { sigaction(signal_, &saved_, nullptr); }
    KeptDisposition(const KeptDisposition &) = delete;
    KeptDisposition &operator=(const KeptDisposition &) = delete;

private:
    int signal_;
    struct sigaction saved_ { };
};

class TerminationSignalsTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ensureApplication(); }
};

// Spins the event loop until something arrived, or a bounded number of rounds.
void deliver(const std::vector<int> &received)
{
    for (int i = 0; i < 100 && received.empty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The signal reaches the callback through the event loop, once; a second one takes the default
// action, so a shutdown that hangs can still be ended.
TEST_P(TerminationSignalsTest, SignalEndsUpInTheEventLoopOnce)
{
    const int signal = GetParam();
    const KeptDisposition kept(signal);
    std::signal(signal, SIG_DFL);
    std::vector<int> received;
    const TerminationSignals termination([&received](int s) { received.push_back(s); });
    ASSERT_TRUE(termination.isInstalled());
    std::raise(signal);
    EXPECT_TRUE(received.empty()) << "ran inside the signal handler";
    deliver(received);
    EXPECT_EQ(received, std::vector<int>{signal});
    EXPECT_EQ(handlerOf(signal), SIG_DFL);
}

// The program's teardown runs after the object is gone: a first signal then must not kill it
// half-way, nor reach a later instance.
TEST_P(TerminationSignalsTest, SignalWhileEndingIsSwallowedOnce)
{
    const int signal = GetParam();
    const KeptDisposition kept(signal);
    std::signal(signal, SIG_DFL);
    std::vector<int> received;
    {
        const TerminationSignals termination([&received](int s) { received.push_back(s); });
    }
    std::raise(signal);
    EXPECT_EQ(handlerOf(signal), SIG_DFL);
    const TerminationSignals later([&received](int s) { received.push_back(s); });
    deliver(received);
    EXPECT_TRUE(received.empty());
}

// nohup's ignored SIGHUP (and a shell's ignored SIGINT for background jobs) stay ignored.
TEST_P(TerminationSignalsTest, IgnoredSignalStaysIgnored)
{
    const int signal = GetParam();
    const KeptDisposition kept(signal);
    std::signal(signal, SIG_IGN);
    std::vector<int> received;
    const TerminationSignals termination([&received](int s) { received.push_back(s); });
    EXPECT_EQ(handlerOf(signal), SIG_IGN);
    std::raise(signal);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(received.empty());
}

INSTANTIATE_TEST_SUITE_P(LogoutInterruptHangup, TerminationSignalsTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

} // namespace
} // namespace quillo
