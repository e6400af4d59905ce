#include "VirtualKeyboard.h"

#include "PortalCore.h"

#include <QMap>

namespace quillo::fakeportal {
namespace {

// Posted chords take a few milliseconds; a key still down after this is stuck.
constexpr int settleMs = 100;

} // namespace

VirtualKeyboard::VirtualKeyboard(PortalCore &core)
    : core_(core)
{
    settle_.setSingleShot(true);
    QObject::connect(&settle_, &QTimer::timeout, [this] { settled(); });
}

void VirtualKeyboard::setShuffle(std::uint32_t seed, int maxDelayMs)
{
    shuffle_ = seed != 0;
    maxDelayMs_ = maxDelayMs;
    random_.seed(seed);
}

void VirtualKeyboard::reset()
{
    held_.clear();
    settle_.stop();
}

void VirtualKeyboard::notify(const QDBusMessage &message, bool keycode, int key, bool down)
{
    if (!shuffle_)
        return process(message, keycode, key, down);
    const int delay = int(random_() % std::uint32_t(maxDelayMs_ + 1));
    QTimer::singleShot(delay, [this, message, keycode, key, down] { process(message, keycode, key, down); });
}

void VirtualKeyboard::process(const QDBusMessage &message, bool keycode, int key, bool down)
{
    core_.log(QStringLiteral("%1 0x%2 %3")
                  .arg(keycode ? QStringLiteral("keycode") : QStringLiteral("keysym"))
                  .arg(key, 0, 16)
                  .arg(down ? QStringLiteral("down") : QStringLiteral("up")));
    const QString name = keyName(keycode, key);
    if (!down)
        held_.removeAll(name);
    else if (!held_.contains(name))
        held_.append(name);
    core_.reply(message);
    settle_.start(settleMs);
}

void VirtualKeyboard::settled()
{
    if (!held_.isEmpty())
        core_.log(QStringLiteral("keys: %1 left held").arg(held_.join(QLatin1Char(' '))));
}

QString VirtualKeyboard::keyName(bool keycode, int key)
{
    // linux/input-event-codes.h and the keysyms of the same keys.
    static const QMap<int, QString> codes{{29, QStringLiteral("ctrl")}, {97, QStringLiteral("rightctrl")},
        {42, QStringLiteral("shift")}, {54, QStringLiteral("rightshift")}, {56, QStringLiteral("alt")},
        {100, QStringLiteral("rightalt")}, {125, QStringLiteral("super")}, {126, QStringLiteral("rightsuper")}};
    static const QMap<int, QString> keysyms{{0xffe3, QStringLiteral("ctrl")}, {0xffe4, QStringLiteral("rightctrl")},
        {0xffe1, QStringLiteral("shift")}, {0xffe2, QStringLiteral("rightshift")}, {0xffe9, QStringLiteral("alt")},
        {0xffea, QStringLiteral("rightalt")}, {0xffeb, QStringLiteral("super")},
        {0xffec, QStringLiteral("rightsuper")}};
    const QString known = (keycode ? codes : keysyms).value(key);
    return known.isEmpty() ? QStringLiteral("0x%1").arg(key, 0, 16) : known;
}

} // namespace quillo::fakeportal
