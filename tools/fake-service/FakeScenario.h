#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillo::fake {

// One recognised utterance of a realtime session.
struct FakeItem {
    QString transcript;
    bool fail = false; // answered with "…transcription.failed" instead of "…completed"
};

// How one realtime connection behaves.
struct AsrScript {
    enum class OnFinish { finish, ignore, error, close };

    std::vector<FakeItem> items;
    int bytesPerItem = 16000; // speech bytes that make up one item
    int partialBytes = 3200; // a partial text event per this many speech bytes
    std::optional<qint64> errorAfterBytes; // an "error" event once this much speech arrived
    QString errorMessage = QStringLiteral("Audio format is invalid.");
    std::optional<qint64> closeAfterBytes; // the connection is dropped without a close frame
    OnFinish onFinish = OnFinish::finish;
    int finishDelayMs = 0;
    int handshakeDelayMs = 0;
    bool garbage = false; // junk frames between the valid ones
    bool binaryFrames = false; // valid events sent as binary frames
};

// One answer of the chat endpoint, chosen by the first rule whose `match` occurs in
// the transcript (the text between <transcript> tags of the last user message).
struct ChatRule {
    QString match; // empty: matches everything
    QString system; // non-empty: must also occur in the system prompt (tells polish from translation)
    int status = 200;
    std::optional<QString> content = QStringLiteral("{cleaned}"); // nothing: JSON null
    std::optional<QByteArray> raw; // whole body verbatim
    bool emptyChoices = false;
    QString errorCode; // status != 200: the envelope's code
    QString errorMessage;
    int delayMs = 0;
};

struct FakeScenario {
    std::optional<QString> apiKey = QStringLiteral("test-key"); // nothing: any key is accepted
    std::vector<AsrScript> asrSessions; // the n-th connection plays the n-th; the last repeats
    std::vector<ChatRule> chatRules;
    ChatRule chatDefault;

    const AsrScript &asrScript(int connectionIndex) const;
    const ChatRule &chatRule(const QString &transcript, const QString &systemPrompt = {}) const;

    // Unknown members are rejected so a typo does not silently change a test.
    static std::optional<FakeScenario> fromJson(const QJsonObject &json, QString *error);
};

// The format, for --help.
QString scenarioHelp();

} // namespace quillo::fake
