#pragma once

#include <QList>
#include <QString>

namespace quillo {

// One turn of a conversation sent to the chat model.
struct ChatMessage {
    QString role; // "system", "user" or "assistant"
    QString content;

    friend bool operator==(const ChatMessage &, const ChatMessage &) = default;
};

using Conversation = QList<ChatMessage>;

} // namespace quillo
