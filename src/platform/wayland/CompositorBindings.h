#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

namespace quillo {

// The desktop's own key bindings that start or end a dictation: sway's bindings running
// `quillo --start` (and the other actions), Hyprland's `exec` binds of the same and its
// `global, com.nolt.quillo:<shortcut>` binds, GNOME's custom shortcuts. Read, never changed.
class CompositorBindings {
public:
    struct Binding {
        QString keys; // as the configuration writes them, e.g. "$mod+d" or "SUPER+D"
        QString action; // "start", "stop", "toggle", … or a portal shortcut ("hold")
        bool release = false; // runs when the key is let go
        bool global = false; // a portal shortcut (Hyprland's `global` dispatcher)

        friend bool operator==(const Binding &, const Binding &) = default;
    };

    using Environment = std::map<QString, QString>;

    struct Found {
        bool read = false; // the compositor answered
        std::vector<Binding> bindings;
    };

    static constexpr std::chrono::milliseconds answerBound{1000};
    static constexpr std::uint32_t swayGetVersion = 7;
    static constexpr std::uint32_t swayGetConfig = 9;

    // sway over $SWAYSOCK: the configuration it loaded, and the files it includes.
    static Found sway(const QString &socketPath);
    // Hyprland's "j/binds" on its request socket.
    static Found hyprland(const QString &socketPath);
    // GNOME's custom shortcuts (gnome-settings-daemon's media-keys), read with gsettings.
    static Found gnome();

    // The bindings of one sway configuration file's text.
    static std::vector<Binding> parseSwayConfig(const QString &text);
    // The files its `include` lines name, resolved against dir (the including file's
    // folder), sway's `set` variables and sway's environment (ours where it lacks one).
    static QStringList swayIncludes(const QString &text, const QString &dir, const Environment &environment);
    static std::vector<Binding> parseHyprlandBinds(const QByteArray &json);
    // The strings of a GVariant text as gsettings prints them: "['a', 'b']", "'a'", "@as []".
    static QStringList gvariantStrings(const QString &text);
};

} // namespace quillo
