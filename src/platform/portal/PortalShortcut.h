#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace quillo {

// One element of the GlobalShortcuts portal's shortcut lists, D-Bus type (sa{sv}):
// an id and its properties ("description", "preferred_trigger" going out;
// "description", "trigger_description" coming back).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// Registers the types with Qt D-Bus; call before marshalling (idempotent).
void registerPortalShortcutTypes();

// Reads an a(sa{sv}) value as received (a QDBusArgument inside the variant);
// empty when the value has another type.
PortalShortcutList portalShortcutsFromVariant(const QVariant &value);

} // namespace quillo

Q_DECLARE_METATYPE(quillo::PortalShortcut)
