#pragma once

#include <QString>

namespace quillo {

// A failed chat exchange. Its description is what the user sees as a note.
struct PolishError {
    // transport: no response came (no connection, TLS failure, time-out); invalidJson: a
    // 200 answer that does not parse, or a request that cannot be written.
    enum class Kind { http, emptyResponse, transport, invalidJson };

    Kind kind = Kind::http;
    int code = 0; // http: the status, or 0 when no request could be formed / the answer was not HTTP
    QString body; // http: the response body; transport, invalidJson: the library's message

    static PolishError http(int code, QString body) { return {Kind::http, code, std::move(body)}; }
    static PolishError emptyResponse() { return {Kind::emptyResponse, 0, {}}; }
    static PolishError transport(QString message) { return {Kind::transport, 0, std::move(message)}; }
    static PolishError invalidJson(QString message) { return {Kind::invalidJson, 0, std::move(message)}; }

    QString description() const;

    friend bool operator==(const PolishError &, const PolishError &) = default;
};

} // namespace quillo
