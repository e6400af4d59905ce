#pragma once

#include <QObject>

#include <chrono>
#include <functional>

namespace quillo {

// Whether the desktop shows tray icons: a StatusNotifier host (KDE, GNOME's AppIndicator
// extension, waybar…) registered with the watcher on the session bus, or an XEmbed tray
// on X11. The watcher is asked without blocking; Qt's own check, which asks it again and
// waits for the answer, runs only once the watcher has answered.
class SystemTrayProbe {
public:
    struct Outcome {
        bool answered = true; // false: the watcher did not answer in time
        bool statusNotifierHost = false;
        bool available = false; // Qt can show our icon (either kind of tray)
    };

    static constexpr std::chrono::milliseconds defaultTimeout{1500};

    // `done` runs on the main thread, at most once, unless `context` is gone.
    static void run(QObject *context, std::function<void(const Outcome &)> done,
        std::chrono::milliseconds timeout = defaultTimeout);
};

} // namespace quillo
