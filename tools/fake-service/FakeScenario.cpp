#include "FakeScenario.h"

#include <QJsonArray>

namespace quillo::fake {

const AsrScript &FakeScenario::asrScript(int connectionIndex) const
{
    static const AsrScript silent;
    if (asrSessions.empty())
        return silent;
    const auto index
        = std::min<std::size_t>(static_cast<std::size_t>(std::max(connectionIndex, 0)), asrSessions.size() - 1);
    return asrSessions[index];
}

const ChatRule &FakeScenario::chatRule(const QString &transcript, const QString &systemPrompt) const
{
    for (const ChatRule &rule : chatRules) {
        if (transcript.contains(rule.match) && systemPrompt.contains(rule.system))
            return rule;
    }
    return chatDefault;
}

namespace {

class Reader {
public:
    Reader(const QJsonObject &object, QString where, QString *error)
        : object_(object)
        , where_(std::move(where))
        , error_(error)
    {
    }

    bool known(const QStringList &names)
    {
        for (const QString &key : object_.keys()) {
            if (!names.contains(key))
                return fail(QStringLiteral("unknown member \"%1\"").arg(key));
        }
        return true;
    }
    bool integer(const char *name, int &out)
    {
        return number(name, [&](double v) { out = static_cast<int>(v); });
    }
    bool optionalInteger(const char *name, std::optional<qint64> &out)
    {
        return number(name, [&](double v) { out = static_cast<qint64>(v); });
    }
    bool text(const char *name, QString &out)
    {
        const QJsonValue v = object_.value(QLatin1String(name));
        if (v.isUndefined())
            return true;
        if (!v.isString())
            return fail(QStringLiteral("\"%1\" must be a string").arg(QLatin1String(name)));
        out = v.toString();
        return true;
    }
    bool flag(const char *name, bool &out)
    {
        const QJsonValue v = object_.value(QLatin1String(name));
        if (v.isUndefined())
            return true;
        if (!v.isBool())
            return fail(QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(name)));
        out = v.toBool();
        return true;
    }
    bool fail(const QString &message)
    {
        if (error_ && error_->isEmpty())
            *error_ = where_ + QStringLiteral(": ") + message;
        return false;
    }

private:
    template <typename Set> bool number(const char *name, Set set)
    {
        const QJsonValue v = object_.value(QLatin1String(name));
        if (v.isUndefined())
            return true;
        if (!v.isDouble() || v.toDouble() < 0)
            return fail(QStringLiteral("\"%1\" must be a non-negative number").arg(QLatin1String(name)));
        set(v.toDouble());
        return true;
    }

    QJsonObject object_;
    QString where_;
    QString *error_;
};

bool readItem(const QJsonValue &value, const QString &where, FakeItem &item, QString *error)
{
    if (value.isString()) {
        item.transcript = value.toString();
        return true;
    }
    Reader r(value.toObject(), where, error);
    if (!value.isObject())
        return r.fail(QStringLiteral("an item is a string or an object"));
    return r.known({"transcript", "fail"}) && r.text("transcript", item.transcript) && r.flag("fail", item.fail);
}

bool readAsr(const QJsonObject &json, const QString &where, AsrScript &script, QString *error)
{
    Reader r(json, where, error);
    QString onFinish = QStringLiteral("finish");
    if (!r.known({"items", "bytesPerItem", "partialBytes", "errorAfterBytes", "errorMessage", "closeAfterBytes",
            "onFinish", "finishDelayMs", "handshakeDelayMs", "garbage", "binaryFrames"})
        || !r.integer("bytesPerItem", script.bytesPerItem) || !r.integer("partialBytes", script.partialBytes)
        || !r.optionalInteger("errorAfterBytes", script.errorAfterBytes) || !r.text("errorMessage", script.errorMessage)
        || !r.optionalInteger("closeAfterBytes", script.closeAfterBytes) || !r.text("onFinish", onFinish)
        || !r.integer("finishDelayMs", script.finishDelayMs) || !r.integer("handshakeDelayMs", script.handshakeDelayMs)
        || !r.flag("garbage", script.garbage) || !r.flag("binaryFrames", script.binaryFrames))
        return false;
    const QStringList finishModes{"finish", "ignore", "error", "close"};
    if (!finishModes.contains(onFinish))
        return r.fail(QStringLiteral("\"onFinish\" is one of finish, ignore, error, close"));
    script.onFinish = static_cast<AsrScript::OnFinish>(finishModes.indexOf(onFinish));
    script.bytesPerItem = std::max(script.bytesPerItem, 2);
    script.partialBytes = std::max(script.partialBytes, 2);
    const QJsonArray items = json.value("items").toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        FakeItem item;
        if (!readItem(items.at(i), where + QStringLiteral(".items[%1]").arg(i), item, error))
            return false;
        script.items.push_back(item);
    }
    return true;
}

bool readRule(const QJsonObject &json, const QString &where, ChatRule &rule, QString *error)
{
    Reader r(json, where, error);
    QString raw;
    if (!r.known(
            {"match", "system", "status", "content", "raw", "emptyChoices", "errorCode", "errorMessage", "delayMs"})
        || !r.text("match", rule.match) || !r.text("system", rule.system) || !r.integer("status", rule.status)
        || !r.text("raw", raw) || !r.flag("emptyChoices", rule.emptyChoices) || !r.text("errorCode", rule.errorCode)
        || !r.text("errorMessage", rule.errorMessage) || !r.integer("delayMs", rule.delayMs))
        return false;
    if (json.contains("raw"))
        rule.raw = raw.toUtf8();
    const QJsonValue content = json.value("content");
    if (content.isNull())
        rule.content.reset();
    else if (content.isString())
        rule.content = content.toString();
    else if (!content.isUndefined())
        return r.fail(QStringLiteral("\"content\" is a string or null"));
    return true;
}

} // namespace

std::optional<FakeScenario> FakeScenario::fromJson(const QJsonObject &json, QString *error)
{
    FakeScenario scenario;
    Reader r(json, QStringLiteral("scenario"), error);
    if (!r.known({"apiKey", "asr", "chat"}))
        return std::nullopt;
    const QJsonValue key = json.value("apiKey");
    if (key.isNull())
        scenario.apiKey.reset();
    else if (key.isString())
        scenario.apiKey = key.toString();
    else if (!key.isUndefined())
        return r.fail(QStringLiteral("\"apiKey\" is a string or null")), std::nullopt;

    const QJsonArray sessions = json.value("asr").toArray();
    for (qsizetype i = 0; i < sessions.size(); ++i) {
        AsrScript script;
        if (!readAsr(sessions.at(i).toObject(), QStringLiteral("asr[%1]").arg(i), script, error))
            return std::nullopt;
        scenario.asrSessions.push_back(script);
    }
    const QJsonObject chat = json.value("chat").toObject();
    Reader c(chat, QStringLiteral("chat"), error);
    if (!c.known({"rules", "default"}))
        return std::nullopt;
    const QJsonArray rules = chat.value("rules").toArray();
    for (qsizetype i = 0; i < rules.size(); ++i) {
        ChatRule rule;
        if (!readRule(rules.at(i).toObject(), QStringLiteral("chat.rules[%1]").arg(i), rule, error))
            return std::nullopt;
        scenario.chatRules.push_back(rule);
    }
    if (chat.contains("default")
        && !readRule(chat.value("default").toObject(), QStringLiteral("chat.default"), scenario.chatDefault, error))
        return std::nullopt;
    return scenario;
}

QString scenarioHelp()
{
    return QStringLiteral(R"(Scenario JSON (every member optional):
{
  "apiKey": "test-key",          expected key; null accepts any. A wrong key gets 401 with the
                                 service's JSON body (WebSocket handshake and chat alike)
  "asr": [                       one object per realtime connection, in order; the last repeats
    {
      "items": ["今天天气不错", {"transcript": "第二句", "fail": true}],
      "bytesPerItem": 16000,     speech bytes (non-zero audio) that make one item
      "partialBytes": 3200,      one "...transcription.text" event per this much speech
      "errorAfterBytes": 8000,   send an "error" event once this much speech arrived
      "errorMessage": "...",     its error.message
      "closeAfterBytes": 8000,   drop the connection (no close frame) after this much speech
      "onFinish": "finish",      on "session.finish": finish | ignore (never finishes) | error | close
      "finishDelayMs": 0,        wait before answering "session.finish"
      "handshakeDelayMs": 0,     wait before completing the WebSocket handshake
      "garbage": false,          junk frames (non-JSON, binary, arrays, odd types) between events
      "binaryFrames": false      valid events as binary frames
    }
  ],
  "chat": {
    "rules": [                   first rule whose "match" occurs in the transcript wins
      {
        "match": "天气",
        "system": "日语",        optional: must also occur in the system prompt
        "status": 200,           any status; not 200 gets the error envelope
        "errorCode": "...", "errorMessage": "...",
        "content": "{cleaned}",  template: {transcript}, {cleaned}; null sends JSON null
        "raw": "not json",       the whole body verbatim (overrides the rest)
        "emptyChoices": false,   {"choices":[]}
        "delayMs": 0             wait before answering (beyond 12000 the client times out)
      }
    ],
    "default": {"content": "{cleaned}"}
  }
}
The transcript is the text between <transcript> and </transcript> in the last user message
(the whole message without tags); {cleaned} is it without 嗯 啊 呃 额 and spaces, ending in "。".
A rule's "system" is looked for in the first "system" message (polish and translation prompts differ).
Silent audio (all-zero chunks) never makes speech: items advance only on non-zero audio.)");
}

} // namespace quillo::fake
