#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace quillo {

// Whether the Secret Service holds an item of (service, account) in a locked collection.
// QtKeychain reads such an item as "not found" when nobody answers the unlock prompt (a
// keyring still locked after login): this tells a locked key apart from a missing one.
// Asks the session bus directly; never prompts. done runs on the calling thread, with false
// when the service cannot say, and not after context is gone.
class SecretServiceLockProbe {
public:
    static void hasLockedItem(
        const QString &service, const QString &account, QObject *context, std::function<void(bool)> done);
};

} // namespace quillo
