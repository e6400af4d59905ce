#pragma once

#include "platform/CredentialStore.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

namespace quillo {

// The API key's home in the platform credential store.
//
// The credential store answers asynchronously (a D-Bus round trip, perhaps an
// unlock prompt), so this wrapper does too: every operation completes through
// its callback on the main thread, never blocking the event loop. Operations
// run one after another in call order, so a read issued after a save sees the
// saved value. A store that does not answer within the time-out fails the call
// with CredentialError::Kind::timeout; its late answer is ignored. Until that
// late answer comes, later calls fail the same way at once: the store works
// through one call at a time (QtKeychain queues its jobs), so they could only
// wait out their own time-outs behind it. Callbacks never run after this
// object is destroyed.
class SecretStore final : public QObject {
public:
    static constexpr auto credentialService = "com.nolt.quillo";
    static constexpr auto apiKeyAccount = "dashscope-api-key";
    static constexpr auto legacyCredentialService = "com.nolt.tavlo-mac";
    static constexpr auto itemLabel = "Quillo API Key";
    // A Secret Service answers within milliseconds (one D-Bus round trip). A call still
    // open after a few seconds waits on something that may never come: a KWallet that
    // shows no window, a stopped keyring daemon, an unlock prompt nobody sees. 4 s leaves
    // a keyring daemon started on demand time to come up, tells a key press or
    // `--import-env` at once, and stays below the 5 s a dictation waits for its key, so
    // the dictation can say that the store did not answer.
    static constexpr std::chrono::seconds defaultTimeout{4};

    using ReadDone = std::function<void(std::optional<QString>)>;
    // None: no such item (or not UTF-8); an error: the store could not answer.
    using CheckedRead = Expected<std::optional<QString>, CredentialError>;
    using CheckedReadDone = std::function<void(CheckedRead)>;
    using SaveResult = Expected<Done, CredentialError>;
    using SaveDone = std::function<void(const SaveResult &)>;

    SecretStore(CredentialStore &store, Scheduler &scheduler, QObject *parent = nullptr);

    // The text under (account, service); none when missing, unreadable, not
    // UTF-8, or the store failed or timed out.
    void read(const QString &account, const QString &service, ReadDone done);
    // The same, telling a missing item apart from a store that failed or timed out.
    void readChecked(const QString &account, const QString &service, CheckedReadDone done);
    // Replaces the item of account under credentialService in one write (the old
    // item stays when that fails); an empty value deletes it. An error when the
    // store refused or did not answer.
    void save(const QString &value, const QString &account, SaveDone done);

    void setTimeout(Scheduler::Duration timeout) { timeout_ = timeout; }

private:
    using WriteResult = SaveResult;

    void enqueue(std::function<void()> operation);
    void runNext();
    // Runs the caller's callback, then the next queued operation.
    void finish(const std::function<void()> &notify);

    template <typename Result>
    void guarded(std::function<void(std::function<void(Result)>)> start, std::function<void(Result)> then);

    CredentialStore &store_;
    Scheduler &scheduler_;
    Scheduler::Duration timeout_ = defaultTimeout;
    std::deque<std::function<void()>> queue_;
    bool busy_ = false;
    std::uint64_t callId_ = 0;
    bool settled_ = true;
    // The call that ran out of time and has not answered since (0: none).
    std::uint64_t silentCall_ = 0;
    ScheduledWork deadline_;
};

} // namespace quillo
