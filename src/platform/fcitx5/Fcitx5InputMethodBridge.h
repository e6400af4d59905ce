#pragma once

#include "platform/InputMethodBridge.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <functional>

namespace quillo {

// The InputMethodBridge of Quillo's fcitx5 addon, which answers on fcitx5's own bus name.
// Every call is asynchronous and bounded: a fcitx5 that hangs never holds up the main
// thread, and counts as absent for that call.
class Fcitx5InputMethodBridge final : public InputMethodBridge {
public:
    static constexpr auto serviceName = "org.fcitx.Fcitx5";
    static constexpr auto objectPath = "/com/nolt/quillo/InputMethod";
    static constexpr auto interfaceName = "com.nolt.quillo.InputMethod1";
    static constexpr int probeTimeoutMs = 300;
    // fcitx5 answers at once; a late answer to a commit would risk the text twice.
    static constexpr int callTimeoutMs = 500;

    // The session bus by default; tests pass a private bus's connection.
    explicit Fcitx5InputMethodBridge(
        QDBusConnection bus = QDBusConnection::sessionBus(), QString service = QString::fromLatin1(serviceName));

    void probe(Done done) override;
    void focused(FocusDone done) override;
    void setPreedit(const QString &context, const QString &text, Done done) override;
    void clearPreedit(const QString &context, Done done) override;
    void commit(const QString &context, const QString &text, Done done) override;

private:
    using Reply = std::function<void(const QDBusMessage &)>;
    void call(const QString &method, const QVariantList &args, int timeoutMs, Reply reply);
    void callForBool(const QString &method, const QVariantList &args, Done done);

    QDBusConnection bus_;
    QString service_;
    // Owns the watchers of calls under way: their answers die with the bridge.
    QObject calls_;
};

} // namespace quillo
