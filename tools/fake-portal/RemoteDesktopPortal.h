#pragma once

#include "VirtualKeyboard.h"

#include <QDBusMessage>
#include <QMap>
#include <QString>

#include <cstdint>

namespace quillo::fakeportal {

class PortalCore;
struct Session;

// org.freedesktop.portal.RemoteDesktop: a session selects devices, starts
// (with the desktop's consent, or restored from a grant) and types on the
// virtual keyboard. Version 2 frontends keep grants behind restore tokens.
class RemoteDesktopPortal {
public:
    explicit RemoteDesktopPortal(PortalCore &core);

    void handle(const QDBusMessage &message);
    VirtualKeyboard &keyboard() { return keyboard_; }
    void sessionGone() { keyboard_.reset(); }
    // Transient grants live in the frontend: gone with their client or the frontend.
    void forgetTransientGrants(const QString &owner = QString());

private:
    struct Grant {
        QString appId;
        QString owner;
        std::uint32_t persistMode = 0;
        bool clipboard = false;
    };

    void createSession(const QDBusMessage &message);
    void selectDevices(const QDBusMessage &message);
    void start(const QDBusMessage &message);
    void notify(const QDBusMessage &message, bool keycode);
    bool checkRestoreOptions(const QDBusMessage &message, const QString &token, std::uint32_t persistMode);
    void takeGrant(Session &session, const QString &token);
    QString keepGrant(Session &session);
    void closeIfRefused(const QString &path, std::uint32_t code);

    PortalCore &core_;
    VirtualKeyboard keyboard_;
    QMap<QString, Grant> grants_; // restore token -> grant
};

} // namespace quillo::fakeportal
