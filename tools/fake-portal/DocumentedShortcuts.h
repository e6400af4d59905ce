#pragma once

#include "ShortcutBackend.h"

namespace quillo::fakeportal {

// The portal as documented: a session binds once, the desktop answers each
// shortcut with the trigger it bound (the preferred one unless told
// otherwise), Activated on press and Deactivated on release.
class DocumentedShortcuts final : public ShortcutBackend {
public:
    using ShortcutBackend::ShortcutBackend;

    BindAnswer bind(const QString &path, const ShortcutList &asked) override;
    ShortcutList list(const QString &path) const override;
    QList<std::pair<QString, ShortcutList>> rebind(const QString &id, const QString &trigger) override;
    void sessionGone(const QString &path) override { bound_.remove(path); }
    QList<KeyTarget> targets() const override;

private:
    struct Entry {
        QString id;
        QString trigger;
    };
    QMap<QString, QList<Entry>> bound_; // session path -> its shortcuts, in the order bound
};

} // namespace quillo::fakeportal
