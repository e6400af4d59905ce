#pragma once

#include "platform/CredentialStore.h"

#include <QObject>

namespace quillo {

// Credentials through QtKeychain: the Secret Service (gnome-keyring, KWallet)
// on Linux, the Keychain on macOS. Never falls back to a plain-text file.
// Completions run on the main thread and never after this object is gone.
// Calls are not bounded here: SecretStore gives up on a store that does not answer.
class QtKeychainCredentialStore final : public QObject, public CredentialStore {
    Q_OBJECT
public:
    // The store QtKeychain talks to in this session.
    enum class Backend { secretService, kwallet };

    explicit QtKeychainCredentialStore(QObject *parent = nullptr);

    void read(const QString &service, const QString &account, ReadDone done) override;
    // QtKeychain names the item itself; label is not used.
    void write(const QString &service, const QString &account, const QByteArray &secret, const QString &label,
        WriteDone done) override;
    void remove(const QString &service, const QString &account, WriteDone done) override;

    // QtKeychain picks it once per process from the desktop's environment variables.
    static Backend backend();
    // Which store failed how, and what the user can do about it: one sentence or two.
    static QString explain(const CredentialError &error);

private:
    void readMissing(const QString &service, const QString &account, const ReadDone &done);
};

} // namespace quillo
