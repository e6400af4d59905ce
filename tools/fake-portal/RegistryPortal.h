#pragma once

#include <QDBusMessage>

namespace quillo::fakeportal {

class PortalCore;

// org.freedesktop.host.portal.Registry and the portal object's properties:
// what a client reads before anything else.
class RegistryPortal {
public:
    explicit RegistryPortal(PortalCore &core);

    void handleRegistry(const QDBusMessage &message);
    void handleProperties(const QDBusMessage &message);

private:
    void get(const QDBusMessage &message);
    void getAll(const QDBusMessage &message);
    // The interface's short name ("GlobalShortcuts"), empty when not offered.
    QString offered(const QString &interface) const;

    PortalCore &core_;
};

} // namespace quillo::fakeportal
