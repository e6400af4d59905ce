#pragma once

#include <QString>

namespace quillo {

// Failure of a recognition session. `cancelled` is not a failure: it marks a
// dictation the user abandoned, and callers drop it silently.
struct ASRError {
    enum class Kind { server, connection, timeout, cancelled };

    Kind kind = Kind::connection;
    QString message; // server / connection payload

    static ASRError server(QString m) { return {Kind::server, std::move(m)}; }
    static ASRError connection(QString m) { return {Kind::connection, std::move(m)}; }
    static ASRError timeout() { return {Kind::timeout, {}}; }
    static ASRError cancelled() { return {Kind::cancelled, {}}; }

    bool isCancellation() const { return kind == Kind::cancelled; }
    QString description() const;

    friend bool operator==(const ASRError &, const ASRError &) = default;
};

} // namespace quillo
