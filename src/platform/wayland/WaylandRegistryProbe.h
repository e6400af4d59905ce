#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace quillo {

// Which protocols (globals) the Wayland compositor offers, asked once over the socket
// with the core wire protocol alone: get_registry, then a sync whose "done" ends the list.
class WaylandRegistryProbe {
public:
    // A compositor answers in milliseconds; a busy one (KWin under load) was seen to take
    // over a second, and a wrong answer here picks the wrong paste route for the session.
    static constexpr std::chrono::milliseconds answerBound{5000};

    // The socket of $WAYLAND_DISPLAY (absolute, or under $XDG_RUNTIME_DIR); empty when unset.
    static QString sessionSocket();
    // The interface names of every global; none when the compositor did not answer.
    static std::optional<QStringList> globals(const QString &socketPath, std::chrono::milliseconds bound = answerBound);

    // The request bytes: wl_display.get_registry(2) then wl_display.sync(3).
    static QByteArray request();
    // Adds the interfaces of the whole events in buffer (and drops them from it); true
    // once the sync's "done" arrived.
    static bool readEvents(QByteArray &buffer, QStringList &interfaces);
};

} // namespace quillo
