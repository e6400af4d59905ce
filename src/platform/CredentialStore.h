#pragma once

#include <QByteArray>
#include <QString>

#include "common/Expected.h"

#include <functional>
#include <optional>

namespace quillo {

// Why the platform's credential store could not answer.
struct CredentialError {
    // locked: the item is there, in a collection nobody has unlocked yet.
    enum class Kind { unavailable, denied, locked, timeout, failed };

    Kind kind = Kind::failed;
    QString detail; // the platform's own text, for diagnostics only

    friend bool operator==(const CredentialError &, const CredentialError &) = default;
};

// The platform's secure store of generic-password items, keyed by service and
// account. Every operation completes asynchronously on the main thread (the
// Secret Service is a D-Bus round trip and may ask the user to unlock).
// Completions may also arrive before the call returns.
class CredentialStore {
public:
    // nullopt: no such item.
    using ReadResult = Expected<std::optional<QByteArray>, CredentialError>;
    using ReadDone = std::function<void(ReadResult)>;
    using WriteDone = std::function<void(Expected<Done, CredentialError>)>;

    virtual ~CredentialStore() = default;

    virtual void read(const QString &service, const QString &account, ReadDone done) = 0;
    // Adds or replaces the item.
    virtual void write(
        const QString &service, const QString &account, const QByteArray &secret, const QString &label, WriteDone done)
        = 0;
    // Removing an absent item succeeds.
    virtual void remove(const QString &service, const QString &account, WriteDone done) = 0;
};

} // namespace quillo
