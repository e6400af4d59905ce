#pragma once

#include <QString>

namespace quillo {

// A failed chat exchange. Its description is what the user sees as a note.
struct PolishError {
    enum class Kind { http, emptyResponse };

    Kind kind = Kind::http;
    int code = 0; // http: the status, or 0 when no request could be formed / no HTTP response came
    QString body; // http: the response body (or the transport's message)

    static PolishError http(int code, QString body) { return {Kind::http, code, std::move(body)}; }
    static PolishError emptyResponse() { return {Kind::emptyResponse, 0, {}}; }

    QString description() const;

    friend bool operator==(const PolishError &, const PolishError &) = default;
};

} // namespace quillo
