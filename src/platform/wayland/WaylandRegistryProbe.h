#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

namespace quillo {

// Which protocols (globals) the Wayland compositor offers, asked once over the socket
// with the core wire protocol alone: get_registry, then a sync whose "done" ends the list.
class WaylandRegistryProbe {
public:
    static constexpr std::chrono::milliseconds answerBound{1000};

    // The socket of $WAYLAND_DISPLAY (absolute, or under $XDG_RUNTIME_DIR); empty when unset.
    static QString sessionSocket();
    // The interface names of every global; empty when the compositor cannot be reached.
    static QStringList globals(const QString &socketPath);

    // The request bytes: wl_display.get_registry(2) then wl_display.sync(3).
    static QByteArray request();
    // Adds the interfaces of the whole events in buffer (and drops them from it); true
    // once the sync's "done" arrived.
    static bool readEvents(QByteArray &buffer, QStringList &interfaces);
};

} // namespace quillo
