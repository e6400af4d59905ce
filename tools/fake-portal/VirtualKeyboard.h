#pragma once

#include <QDBusMessage>
#include <QStringList>
#include <QTimer>

namespace quillo::fakeportal {

class PortalCore;

// The keyboard a RemoteDesktop session types on. Every event is logged in
// the order processed; once the keys settle, any key left down is logged too
// ("keys: ctrl left held").
class VirtualKeyboard {
public:
    explicit VirtualKeyboard(PortalCore &core);

    void notify(const QDBusMessage &message, bool keycode, int key, bool down);
    void reset();

private:
    void process(const QDBusMessage &message, bool keycode, int key, bool down);
    void settled();
    static QString keyName(bool keycode, int key);

    PortalCore &core_;
    QStringList held_;
    QTimer settle_;
};

} // namespace quillo::fakeportal
