#pragma once

#include "platform/CredentialStore.h"

#include <QMap>
#include <QPair>

#include <vector>

namespace quillo {

// A credential store in memory. By default every call completes before it
// returns; a test can hold completions back, make calls fail, or make them
// never complete (a keyring waiting on an unlock prompt).
class MemoryCredentialStore final : public CredentialStore {
public:
    enum class Mode { immediate, deferred, hanging };

    void read(const QString &service, const QString &account, ReadDone done) override;
    void write(const QString &service, const QString &account, const QByteArray &secret, const QString &label,
        WriteDone done) override;
    void remove(const QString &service, const QString &account, WriteDone done) override;

    void setMode(Mode mode) { mode_ = mode; }
    // Every later call fails with this error (nullopt: calls work again).
    void setFailure(std::optional<CredentialError> failure) { failure_ = std::move(failure); }
    // Only writes fail (reads and removals still work).
    void setWritesFail(bool fail) { writesFail_ = fail; }
    // Runs the completions held back in deferred mode, in call order.
    void completePending();
    std::size_t pendingCount() const { return pending_.size(); }

    void plant(const QString &service, const QString &account, const QByteArray &secret);
    std::optional<QByteArray> item(const QString &service, const QString &account) const;
    QString label(const QString &service, const QString &account) const;
    int callCount() const { return calls_; }

private:
    void finish(std::function<void()> completion);

    using Key = QPair<QString, QString>;
    QMap<Key, QByteArray> items_;
    QMap<Key, QString> labels_;
    Mode mode_ = Mode::immediate;
    std::optional<CredentialError> failure_;
    bool writesFail_ = false;
    std::vector<std::function<void()>> pending_;
    int calls_ = 0;
};

} // namespace quillo
