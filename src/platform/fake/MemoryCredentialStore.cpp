#include "platform/fake/MemoryCredentialStore.h"

namespace quillo {

void MemoryCredentialStore::finish(std::function<void()> completion)
{
    ++calls_;
    switch (mode_) {
    case Mode::immediate:
        completion();
        return;
    case Mode::deferred:
        pending_.push_back(std::move(completion));
        return;
    case Mode::hanging:
        return;
    }
}

void MemoryCredentialStore::completePending()
{
    // Completions may issue new calls; those queue behind the ones taken here.
    auto batch = std::move(pending_);
    pending_.clear();
    for (auto &completion : batch)
        completion();
}

void MemoryCredentialStore::read(const QString &service, const QString &account, ReadDone done)
{
    // The state is captured when the call is made, as a real store answers for the moment it was asked.
    ReadResult result = std::optional<QByteArray>{};
    if (failure_)
        result = unexpected(*failure_);
    else if (const auto found = item(service, account))
        result = std::optional<QByteArray>{*found};
    finish([done = std::move(done), result = std::move(result)] { done(result); });
}

void MemoryCredentialStore::write(
    const QString &service, const QString &account, const QByteArray &secret, const QString &label, WriteDone done)
{
    Expected<Done, CredentialError> result = Done{};
    if (failure_)
        result = unexpected(*failure_);
    else if (writesFail_)
        result = unexpected(CredentialError{CredentialError::Kind::denied, QStringLiteral("write refused")});
    else {
        items_.insert({service, account}, secret);
        labels_.insert({service, account}, label);
    }
    finish([done = std::move(done), result = std::move(result)] { done(result); });
}

void MemoryCredentialStore::remove(const QString &service, const QString &account, WriteDone done)
{
    Expected<Done, CredentialError> result = Done{};
    if (failure_)
        result = unexpected(*failure_);
    else {
        items_.remove({service, account});
        labels_.remove({service, account});
    }
    finish([done = std::move(done), result = std::move(result)] { done(result); });
}

void MemoryCredentialStore::plant(const QString &service, const QString &account, const QByteArray &secret)
{
    items_.insert({service, account}, secret);
}

std::optional<QByteArray> MemoryCredentialStore::item(const QString &service, const QString &account) const
{
    if (const auto it = items_.constFind({service, account}); it != items_.constEnd())
        return *it;
    return std::nullopt;
}

QString MemoryCredentialStore::label(const QString &service, const QString &account) const
{
    return labels_.value({service, account});
}

} // namespace quillo
