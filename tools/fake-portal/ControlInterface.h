#pragma once

#include <QDBusMessage>
#include <QString>

namespace quillo::fakeportal {

class FakePortal;
class Keysym;

// org.quillo.FakePortal: how tests steer the fake (the calls are listed in
// FakePortal.h).
class ControlInterface {
public:
    explicit ControlInterface(FakePortal &portal);

    void handle(const QDBusMessage &message);

private:
    bool settings(const QDBusMessage &message);
    bool desktop(const QDBusMessage &message);
    bool keys(const QDBusMessage &message);
    bool others(const QDBusMessage &message);
    void key(const QDBusMessage &message, bool down);
    void keySequence(const QDBusMessage &message);

    FakePortal &portal_;
};

} // namespace quillo::fakeportal
