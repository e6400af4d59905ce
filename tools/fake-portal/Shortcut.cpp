#include "Shortcut.h"

#include <QDBusMetaType>

namespace quillo::fakeportal {

QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

void registerShortcutTypes()
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<ShortcutList>();
}

ShortcutList shortcutsFrom(const QVariant &value)
{
    ShortcutList list;
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return list;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() == QLatin1String("a(sa{sv})"))
        argument >> list;
    return list;
}

QVariant toVariant(const ShortcutList &shortcuts)
{
    return QVariant::fromValue(shortcuts);
}

} // namespace quillo::fakeportal
