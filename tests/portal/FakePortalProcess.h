#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quillo::test {

// Spins the event loop until `done` answers true or `limit` passes.
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(5));

// The fake portal program on the test's session bus, ended (by its own pid,
// through QProcess) when this goes out of scope.
class FakePortalProcess {
public:
    FakePortalProcess();
    ~FakePortalProcess();
    FakePortalProcess(const FakePortalProcess &) = delete;
    FakePortalProcess &operator=(const FakePortalProcess &) = delete;

    // The fake owns its names on the bus.
    bool ready() const { return ready_; }

    void setOutcome(const QString &method, unsigned response);
    void setVersion(const QString &interface, unsigned version);
    void setTrigger(const QString &shortcut, const QString &description);
    void changeTrigger(const QString &shortcut, const QString &description);
    void activate(const QString &shortcut);
    void deactivate(const QString &shortcut);
    // Another application copies text, or pastes a type of what we offer.
    void copy(const QString &type, const QString &text);
    void paste(const QString &type);
    // The desktop ends every session of a kind ("RemoteDesktop").
    void closeSessions(const QString &kind);
    QStringList log();
    // Log lines starting with `prefix`.
    QStringList log(const QString &prefix);
    // Any other control call (SetProfile, Keys, Restart, SetShuffle, …; see FakePortal.h).
    QDBusMessage control(const QString &method, const QVariantList &args = {});

private:
    QProcess process_;
    bool ready_ = false;
};

} // namespace quillo::test
