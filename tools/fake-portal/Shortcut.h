#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace quillo::fakeportal {

// One element of the GlobalShortcuts lists, D-Bus type (sa{sv}). The fake's
// own copy, so that it does not change with the client it tests.
struct Shortcut {
    QString id;
    QVariantMap properties;

    QString text(const char *key) const { return properties.value(QLatin1String(key)).toString(); }
};

using ShortcutList = QList<Shortcut>;

QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut);

// Call once before marshalling.
void registerShortcutTypes();
// An a(sa{sv}) as received; empty for any other type.
ShortcutList shortcutsFrom(const QVariant &value);
QVariant toVariant(const ShortcutList &shortcuts);

} // namespace quillo::fakeportal

Q_DECLARE_METATYPE(quillo::fakeportal::Shortcut)
