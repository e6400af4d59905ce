#pragma once

#include "platform/wayland/CompositorFocus.h"

#include <QByteArray>
#include <QLocalSocket>

#include <chrono>
#include <cstdint>

namespace quillo {

// The focused window from sway's IPC (the i3 protocol on $SWAYSOCK): one GET_TREE per
// question over a connection kept open, reconnected when sway dropped it.
class SwayIpcFocus final : public CompositorFocus {
public:
    static constexpr std::uint32_t getTree = 4;
    static constexpr std::chrono::milliseconds answerBound{500};

    explicit SwayIpcFocus(QString socketPath);

    std::optional<CompositorWindow> focusedWindow() override;

    // The focused window of a GET_TREE answer; none when the focus is not on a window.
    static std::optional<CompositorWindow> parseTree(const QByteArray &json);
    // An i3-ipc message: magic, payload length, type (native byte order), payload.
    static QByteArray frame(std::uint32_t type, const QByteArray &payload);
    // The payload of one whole message at the front of buffer; none while incomplete.
    static std::optional<QByteArray> takeMessage(QByteArray &buffer, std::uint32_t &type);

private:
    bool ensureConnected();
    std::optional<QByteArray> ask(std::uint32_t type);

    QString path_;
    QLocalSocket socket_;
};

} // namespace quillo
