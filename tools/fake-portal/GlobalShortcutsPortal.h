#pragma once

#include "KeyMatcher.h"
#include "Shortcut.h"
#include "ShortcutBackend.h"

#include <QDBusMessage>
#include <QMap>
#include <QString>

#include <memory>

namespace quillo::fakeportal {

class PortalCore;

// org.freedesktop.portal.GlobalShortcuts: the frontend's checks, then the
// profile's backend; keys pressed on the fake's keyboard reach the sessions
// through the profile's key matching.
class GlobalShortcutsPortal {
public:
    explicit GlobalShortcutsPortal(PortalCore &core);

    void handle(const QDBusMessage &message);
    // The profile's backend (with nothing bound yet) and key matching.
    void useProfile();
    void sessionGone(const QString &path) { backend_->sessionGone(path); }
    // What the desktop binds instead of the preferred trigger.
    void setTrigger(const QString &id, const QString &trigger);
    // The user binds another trigger: ShortcutsChanged where the desktop sends it.
    void changeTrigger(const QString &id, const QString &trigger);
    // The desktop fires a shortcut directly, whatever its key.
    void activate(const QString &id, bool activated);
    KeyMatcher &keys() { return keys_; }

private:
    void createSession(const QDBusMessage &message);
    void bindShortcuts(const QDBusMessage &message);
    void listShortcuts(const QDBusMessage &message);
    void configureShortcuts(const QDBusMessage &message);
    bool checkShortcuts(const QDBusMessage &message, const ShortcutList &shortcuts);
    void deliver(const KeyTarget &target, bool activated);
    void shortcutsChanged(const QString &path, const ShortcutList &shortcuts);

    PortalCore &core_;
    std::unique_ptr<ShortcutBackend> backend_;
    QMap<QString, QString> overrides_;
    KeyMatcher keys_;
};

} // namespace quillo::fakeportal
