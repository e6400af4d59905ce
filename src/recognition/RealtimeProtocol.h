#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace quillo::realtime {

// The wire format of the realtime recognition service: client messages and the
// server events the client acts on. Pure functions.

inline constexpr const char *path = "/api-ws/v1/realtime";

// wss://HOST/api-ws/v1/realtime?model=MODEL, or nothing when the host cannot form a URL.
std::optional<QUrl> sessionUrl(const QString &host, const QString &model);

QString sessionUpdateMessage(const QString &language);
QString appendMessage(const QByteArray &pcm);
// Half a second of silence at 16 kHz, 16-bit mono, as an append message.
const QString &trailingSilenceMessage();
QString finishMessage();

inline constexpr int trailingSilenceBytes = 16000;

struct ServerEvent {
    enum class Kind { ignored, itemSeen, liveText, completed, sessionFinished, error };
    Kind kind = Kind::ignored;
    QString itemId;
    QString text; // live text, final transcript or error message
};

ServerEvent parseServerEvent(const QString &frame);

} // namespace quillo::realtime
