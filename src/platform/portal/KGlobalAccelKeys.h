#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quillo {

// Which of a component's actions KDE's global shortcut daemon (kglobalaccel) really gave a
// key. KDE's portal lists the key a shortcut asked for even when kglobalaccel gave it to
// nobody (another component held it), so on KDE the daemon itself is asked.
class KGlobalAccelKeys {
public:
    using Done = std::function<void(const std::optional<QSet<QString>> &actionsWithKeys)>;

    // Whether the daemon is on the bus (a KDE session).
    static bool present(const QDBusConnection &bus);
    // The components KDE would name our shortcut session after, most specific first: KDE
    // 5.27 uses the app id followed by the session token, KDE 6 the app id or "token_" and
    // the token.
    static QStringList componentNames(const QStringList &appIds, const QString &sessionToken);
    // Answers with the action ids of the first of `components` the daemon knows that hold at
    // least one key; none when it knows none of them or does not answer. `context` bounds the
    // callback's life.
    static void actionsWithKeys(const QDBusConnection &bus, const QStringList &components, QObject *context, Done done);
};

} // namespace quillo
