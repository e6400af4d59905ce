#include "platform/fcitx5/Fcitx5InputMethodBridge.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace quillo {

namespace {

bool isReplyOf(const QDBusMessage &message, int arguments)
{
    return message.type() == QDBusMessage::ReplyMessage && message.arguments().size() == arguments;
}

} // namespace

Fcitx5InputMethodBridge::Fcitx5InputMethodBridge(QDBusConnection bus, QString service)
    : bus_(std::move(bus))
    , service_(std::move(service))
{
}

void Fcitx5InputMethodBridge::call(const QString &method, const QVariantList &args, int timeoutMs, Reply reply)
{
    if (!bus_.isConnected()) {
        reply(QDBusMessage::createError(QDBusError::Disconnected, QString()));
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        service_, QString::fromLatin1(objectPath), QString::fromLatin1(interfaceName), method);
    message.setArguments(args);
    // Never starts fcitx5 through bus activation: an input method the user does not run is absent.
    message.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, timeoutMs), &calls_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &calls_,
        [reply = std::move(reply)](QDBusPendingCallWatcher *done) {
            done->deleteLater();
            reply(done->reply());
        });
}

void Fcitx5InputMethodBridge::callForBool(const QString &method, const QVariantList &args, Done done)
{
    call(method, args, callTimeoutMs, [done = std::move(done)](const QDBusMessage &reply) {
        done(isReplyOf(reply, 1) && reply.arguments().front().toBool());
    });
}

void Fcitx5InputMethodBridge::probe(Done done)
{
    call(QStringLiteral("Version"), {}, probeTimeoutMs, [done = std::move(done)](const QDBusMessage &reply) {
        done(isReplyOf(reply, 1) && reply.arguments().front().toUInt() >= 1);
    });
}

void Fcitx5InputMethodBridge::focused(FocusDone done)
{
    call(QStringLiteral("Focused"), {}, probeTimeoutMs, [done = std::move(done)](const QDBusMessage &reply) {
        if (!isReplyOf(reply, 3))
            return done(std::nullopt);
        const QVariantList values = reply.arguments();
        if (!values[0].toBool())
            return done(Focus{});
        done(Focus{values[1].toString(), values[2].toString()});
    });
}

void Fcitx5InputMethodBridge::setPreedit(const QString &context, const QString &text, Done done)
{
    callForBool(QStringLiteral("SetPreedit"), {context, text}, std::move(done));
}

void Fcitx5InputMethodBridge::clearPreedit(const QString &context, Done done)
{
    callForBool(QStringLiteral("ClearPreedit"), {context}, std::move(done));
}

void Fcitx5InputMethodBridge::commit(const QString &context, const QString &text, Done done)
{
    callForBool(QStringLiteral("Commit"), {context, text}, std::move(done));
}

} // namespace quillo
