#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

class QDBusMessage;
class QDBusVariant;

namespace quillo {

// The desktop's light or dark preference as the settings portal publishes it
// (org.freedesktop.appearance color-scheme; GNOME 42+, KDE Plasma 5.24+): read once at
// start and followed as the user switches. Nothing is heard without a portal.
class PortalAppearance final : public QObject {
    Q_OBJECT

public:
    enum class Preference { none, dark, light };

    explicit PortalAppearance(QDBusConnection bus, QObject *parent = nullptr);

    // Runs for the first answer and every change.
    std::function<void(Preference)> onPreference;

private slots:
    void onSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void read(const QString &method);
    void tell(const QVariant &value);

    QDBusConnection bus_;
};

} // namespace quillo
