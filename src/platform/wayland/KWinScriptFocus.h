#pragma once

#include "platform/wayland/CompositorFocus.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include <optional>

namespace quillo {

// The focused window on KWin (KDE Plasma), which has no IPC that names it: a small KWin
// script, loaded through KWin's scripting D-Bus interface, calls us back with the active
// window at once and whenever it changes. What it last said is the answer; until it has
// said anything (or where KWin refused the script) the focus is unknown. Main thread only.
class KWinScriptFocus final : public QObject, public CompositorFocus, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quillo.KWinFocus")

public:
    static constexpr char objectPath[] = "/org/quillo/KWinFocus";

    // Loads the script into the KWin on `bus`; `scriptFolder` holds its file (private to the user).
    KWinScriptFocus(QDBusConnection bus, QString scriptFolder, QObject *parent = nullptr);
    ~KWinScriptFocus() override;

    // Whether KWin runs on this bus.
    static bool available(const QDBusConnection &bus);
    // The script KWin runs: KWin 5's and KWin 6's names for the active window and its signal.
    static QString script(const QString &service, const QString &path);

    std::optional<CompositorWindow> focusedWindow() override { return focused_; }
    bool loaded() const { return loaded_; }

public slots:
    // Called by the script. An empty window id: no window has the focus.
    Q_SCRIPTABLE void Focused(const QString &resourceClass, const QString &resourceName, const QString &caption,
        const QString &pid, const QString &windowId, bool xwayland);

private:
    void load(const QString &scriptFolder);

    QDBusConnection bus_;
    QString pluginName_;
    QString scriptFile_;
    std::optional<CompositorWindow> focused_;
    bool loaded_ = false;
};

} // namespace quillo
