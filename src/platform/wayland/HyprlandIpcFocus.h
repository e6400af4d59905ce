#pragma once

#include "platform/wayland/CompositorFocus.h"

#include <QByteArray>
#include <QString>

#include <chrono>

namespace quillo {

// The focused window from Hyprland's request socket: "j/activewindow" on
// $XDG_RUNTIME_DIR/hypr/$HYPRLAND_INSTANCE_SIGNATURE/.socket.sock (older releases:
// /tmp/hypr/…), one connection per question, closed by Hyprland after its answer.
class HyprlandIpcFocus final : public CompositorFocus {
public:
    static constexpr std::chrono::milliseconds answerBound{500};

    explicit HyprlandIpcFocus(QString socketPath);

    // The request socket of this session; empty outside Hyprland.
    static QString sessionSocket();

    std::optional<CompositorWindow> focusedWindow() override;

    // The window of an `activewindow` JSON answer; none for "{}" (no window) or garbage.
    static std::optional<CompositorWindow> parseActiveWindow(const QByteArray &json);

private:
    QString path_;
};

} // namespace quillo
