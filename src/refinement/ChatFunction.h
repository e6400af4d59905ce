#pragma once

#include "common/Expected.h"
#include "refinement/ChatMessage.h"
#include "refinement/PolishError.h"

#include <functional>

namespace quillo {

struct ChatRequest {
    Conversation messages;
    QString apiKey;
    QString host; // normalised host, no scheme or path
    QString model;
    double temperature = 0.1;
};

using ChatResult = Expected<QString, PolishError>;
using ChatCompletion = std::function<void(ChatResult)>;

// The chat-completions call as its callers see it: asynchronous, completes once on
// the main thread. Injected so callers are tested without a network.
using ChatFunction = std::function<void(const ChatRequest &, ChatCompletion)>;

} // namespace quillo
