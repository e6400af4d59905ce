#pragma once

#include <QDBusMessage>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <random>

namespace quillo::fakeportal {

class PortalCore;

// The keyboard a RemoteDesktop session types on. The frontend runs each
// method call in a thread of its own, so key events sent at once may reach
// the compositor in another order: with a seed, each waits a random moment
// before it is processed (and then answered). Every event is logged in the
// order processed; once the keys settle, any key left down is logged too
// ("keys: ctrl left held").
class VirtualKeyboard {
public:
    explicit VirtualKeyboard(PortalCore &core);

    // A seed of 0 processes every event as it comes.
    void setShuffle(std::uint32_t seed, int maxDelayMs);
    void notify(const QDBusMessage &message, bool keycode, int key, bool down);
    void reset();

private:
    void process(const QDBusMessage &message, bool keycode, int key, bool down);
    void settled();
    static QString keyName(bool keycode, int key);

    PortalCore &core_;
    QStringList held_;
    QTimer settle_;
    std::mt19937 random_;
    bool shuffle_ = false;
    int maxDelayMs_ = 0;
};

} // namespace quillo::fakeportal
