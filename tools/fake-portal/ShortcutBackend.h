#pragma once

#include "KeyMatcher.h"
#include "Shortcut.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <utility>

namespace quillo::fakeportal {

class PortalCore;

// What BindShortcuts answers: an error reply, or a Response, on GNOME
// preceded by ShortcutsChanged.
struct BindAnswer {
    QString error;
    std::uint32_t code = 0;
    QVariantMap results;
    std::optional<ShortcutList> changedFirst;

    static BindAnswer failed(const QString &text)
    {
        BindAnswer answer;
        answer.error = text;
        return answer;
    }
    static BindAnswer withCode(std::uint32_t code)
    {
        BindAnswer answer;
        answer.code = code;
        return answer;
    }
};

// One desktop's GlobalShortcuts backend: what it binds, what it answers and
// which keys reach which session.
class ShortcutBackend {
public:
    explicit ShortcutBackend(PortalCore &core)
        : core_(core)
    {
    }
    virtual ~ShortcutBackend() = default;
    ShortcutBackend(const ShortcutBackend &) = delete;
    ShortcutBackend &operator=(const ShortcutBackend &) = delete;

    // CreateSession with the shortcuts a 1.16 frontend passes on; the list
    // the backend answers with, if it answers one.
    virtual std::optional<ShortcutList> created(const QString &, const ShortcutList &) { return std::nullopt; }
    virtual BindAnswer bind(const QString &path, const ShortcutList &asked) = 0;
    virtual ShortcutList list(const QString &path) const = 0;
    // The user binds another trigger to `id`: each session to tell, with
    // the list its ShortcutsChanged carries.
    virtual QList<std::pair<QString, ShortcutList>> rebind(const QString &id, const QString &trigger) = 0;
    virtual void sessionGone(const QString &path) = 0;
    // Every bound key and the session its activations go to.
    virtual QList<KeyTarget> targets() const = 0;

    // What the desktop binds instead of the preferred trigger of `id`.
    void setTriggers(const QMap<QString, QString> &overrides) { overrides_ = overrides; }

protected:
    QString preferredTrigger(const Shortcut &shortcut) const
    {
        return overrides_.value(shortcut.id, shortcut.text("preferred_trigger"));
    }
    QString triggerOverride(const QString &id) const { return overrides_.value(id); }
    static Shortcut described(const QString &id, const QString &description, const QString &trigger);

    PortalCore &core_;

private:
    QMap<QString, QString> overrides_;
};

} // namespace quillo::fakeportal
