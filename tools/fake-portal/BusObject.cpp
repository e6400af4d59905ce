#include "BusObject.h"

#include <utility>

namespace quillo::fakeportal {

BusObject::BusObject(std::function<void(const QDBusMessage &)> handler)
    : handler_(std::move(handler))
{
}

QString BusObject::introspect(const QString &) const
{
    return {};
}

bool BusObject::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    QMetaObject::invokeMethod(
        this, [this, message] { handler_(message); }, Qt::QueuedConnection);
    return true;
}

} // namespace quillo::fakeportal
