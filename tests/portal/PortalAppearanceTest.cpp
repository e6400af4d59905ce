#include "FakePortalProcess.h"

#include "platform/portal/PortalAppearance.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <gtest/gtest.h>

#include <vector>

namespace quillo {
namespace {

using Preference = PortalAppearance::Preference;

// The settings portal with nothing but the colour scheme.
class SettingsPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint scheme = 1;

public slots:
    QDBusVariant ReadOne(const QString &group, const QString &key)
    {
        return QDBusVariant(
            group == QLatin1String("org.freedesktop.appearance") && key == QLatin1String("color-scheme") ? scheme : 0u);
    }
};

// The portal's side: a connection of its own, as the portal is another program.
QDBusConnection portalSide()
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("settings-portal"));
}

void settingChanged(const QString &group, const QString &key, uint value)
{
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(portal::objectPath),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
    signal.setArguments({group, key, QVariant::fromValue(QDBusVariant(value))});
    portalSide().send(signal);
}

TEST(PortalAppearance, ReadsTheColourSchemeAndFollowsIt)
{
    QDBusConnection bus = portalSide();
    SettingsPortal settings;
    ASSERT_TRUE(bus.registerService(QLatin1String(portal::service)));
    ASSERT_TRUE(bus.registerObject(QLatin1String(portal::objectPath), &settings, QDBusConnection::ExportAllSlots));
    std::vector<Preference> heard;
    PortalAppearance appearance(QDBusConnection::sessionBus());
    appearance.onPreference = [&heard](Preference preference) { heard.push_back(preference); };
    ASSERT_TRUE(test::waitUntil([&] { return heard.size() == 1; }));
    EXPECT_EQ(heard.back(), Preference::dark);

    settingChanged(QStringLiteral("org.freedesktop.interface"), QStringLiteral("color-scheme"), 2);
    settingChanged(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"), 2);
    settingChanged(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"), 0);
    ASSERT_TRUE(test::waitUntil([&] { return heard.size() == 3; }));
    EXPECT_EQ(heard, (std::vector<Preference>{Preference::dark, Preference::light, Preference::none}));
    QDBusConnection::disconnectFromBus(bus.name());
}

} // namespace
} // namespace quillo

#include "PortalAppearanceTest.moc"
