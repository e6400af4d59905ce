#include "settings/SecretStore.h"

#include <QPointer>
#include <QStringDecoder>

namespace quillo {

namespace {

SecretStore::CheckedRead decodeSecret(const CredentialStore::ReadResult &result)
{
    if (!result)
        return unexpected(result.error());
    if (!result.value())
        return std::optional<QString>{};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(*result.value());
    if (decoder.hasError())
        return std::optional<QString>{};
    return std::optional<QString>{text};
}

CredentialError silence(const QString &detail)
{
    return CredentialError{CredentialError::Kind::timeout, detail};
}

} // namespace

SecretStore::SecretStore(CredentialStore &store, Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , store_(store)
    , scheduler_(scheduler)
{
}

void SecretStore::read(const QString &account, const QString &service, ReadDone done)
{
    readChecked(account, service, [done = std::move(done)](CheckedRead result) {
        if (done)
            done(result ? result.value() : std::nullopt);
    });
}

void SecretStore::readChecked(const QString &account, const QString &service, CheckedReadDone done)
{
    enqueue([this, account, service, done = std::move(done)] {
        guarded<CredentialStore::ReadResult>(
            [this, account, service](auto settle) { store_.read(service, account, std::move(settle)); },
            [this, done](CredentialStore::ReadResult result) {
                finish([&] {
                    if (done)
                        done(decodeSecret(result));
                });
            });
    });
}

void SecretStore::save(const QString &value, const QString &account, SaveDone done)
{
    const QString service = QString::fromLatin1(credentialService);
    enqueue([this, value, account, service, done = std::move(done)] {
        const auto notify = [this, done](WriteResult result) {
            finish([&] {
                if (done)
                    done(result);
            });
        };
        // A new key replaces the old one in a single write: a write that is refused or never
        // answers leaves the old key where it was. Only clearing deletes.
        if (value.isEmpty()) {
            guarded<WriteResult>(
                [this, account, service](auto settle) { store_.remove(service, account, std::move(settle)); }, notify);
            return;
        }
        guarded<WriteResult>(
            [this, value, account, service](auto settle) {
                store_.write(service, account, value.toUtf8(), QString::fromLatin1(itemLabel), std::move(settle));
            },
            notify);
    });
}

template <typename Result>
void SecretStore::guarded(std::function<void(std::function<void(Result)>)> start, std::function<void(Result)> then)
{
    const std::uint64_t id = ++callId_;
    settled_ = false;
    QPointer<SecretStore> self(this);
    auto settle = [self, id, then = std::move(then)](Result result) {
        if (!self)
            return;
        if (self->callId_ != id || self->settled_) {
            // A late answer: the store is answering again.
            if (self->silentCall_ == id)
                self->silentCall_ = 0;
            return;
        }
        self->settled_ = true;
        self->deadline_.cancel();
        then(std::move(result));
    };
    if (silentCall_ != 0)
        return settle(unexpected(silence(QStringLiteral("no answer to an earlier call yet"))));
    deadline_ = scheduler_.after(timeout_, [self, id, settle] {
        if (!self)
            return;
        self->silentCall_ = id;
        settle(unexpected(silence(QStringLiteral("no answer"))));
    });
    start(settle);
}

void SecretStore::enqueue(std::function<void()> operation)
{
    queue_.push_back(std::move(operation));
    if (!busy_)
        runNext();
}

void SecretStore::runNext()
{
    if (queue_.empty()) {
        busy_ = false;
        return;
    }
    busy_ = true;
    auto operation = std::move(queue_.front());
    queue_.pop_front();
    operation();
}

void SecretStore::finish(const std::function<void()> &notify)
{
    QPointer<SecretStore> self(this);
    if (notify)
        notify();
    if (self)
        self->runNext();
}

} // namespace quillo
