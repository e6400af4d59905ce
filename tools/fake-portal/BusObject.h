#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <functional>

namespace quillo::fakeportal {

// An object path on a bus whose every call goes to one handler, on the main
// thread (Qt D-Bus may deliver on a thread of its own).
class BusObject final : public QDBusVirtualObject {
    Q_OBJECT

public:
    explicit BusObject(std::function<void(const QDBusMessage &)> handler);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    std::function<void(const QDBusMessage &)> handler_;
};

} // namespace quillo::fakeportal
