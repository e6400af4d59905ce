#pragma once

#include "platform/HttpClient.h"
#include "refinement/ChatFunction.h"

#include <QUrl>

#include <chrono>
#include <optional>

namespace quillo {

// The chat-completions exchange of the compatible mode: one POST, the first choice's
// text back. No state, no retries.
namespace chat {

inline constexpr std::chrono::seconds requestTimeout{12};

// https://HOST/compatible-mode/v1/chat/completions, or nothing when the host forms no URL.
std::optional<QUrl> completionsUrl(const QString &host);
QByteArray requestBody(const ChatRequest &request);
// The answer as received (status 0 when it was not an HTTP response).
ChatResult parseResponse(int status, const QByteArray &body);

} // namespace chat

// Completes once on the main thread. `http` must outlive the call; when it is destroyed
// first, `done` is not called.
void completeChat(HttpClient &http, const ChatRequest &request, ChatCompletion done);

// completeChat bound to a client, for injection into the controller and the settings window.
ChatFunction makeChatFunction(HttpClient &http);

} // namespace quillo
