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
// saved value. A store that does not answer within the time-out counts as a
// failure (reads: no key); its late answer is ignored. Callbacks never run
// after this object is destroyed.
class SecretStore final : public QObject {
public:
    static constexpr auto credentialService = "com.nolt.quillo";
    static constexpr auto apiKeyAccount = "dashscope-api-key";
    static constexpr auto legacyCredentialService = "com.nolt.tavlo-mac";
    static constexpr auto itemLabel = "Quillo API Key";
    static constexpr std::chrono::seconds defaultTimeout{30};

    using ReadDone = std::function<void(std::optional<QString>)>;
    // None: no such item (or not UTF-8); an error: the store could not answer.
    using CheckedRead = Expected<std::optional<QString>, CredentialError>;
    using CheckedReadDone = std::function<void(CheckedRead)>;
    using SaveDone = std::function<void(bool)>;

    SecretStore(CredentialStore &store, Scheduler &scheduler, QObject *parent = nullptr);

    // The text under (account, service); none when missing, unreadable, not
    // UTF-8, or the store failed or timed out.
    void read(const QString &account, const QString &service, ReadDone done);
    // The same, telling a missing item apart from a store that failed or timed out.
    void readChecked(const QString &account, const QString &service, CheckedReadDone done);
    // Replaces the item of account under credentialService; an empty value
    // only deletes it. done(false) when the store refused.
    void save(const QString &value, const QString &account, SaveDone done);

    void setTimeout(Scheduler::Duration timeout) { timeout_ = timeout; }

private:
    using WriteResult = Expected<Done, CredentialError>;

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
    ScheduledWork deadline_;
};

} // namespace quillo
