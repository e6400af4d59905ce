#pragma once

#include "dictation/DictationPhase.h"
#include "platform/HttpClient.h"
#include "platform/Scheduler.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

namespace quillo {

// Keeps a verified connection to the chat endpoint open while a dictation whose text goes
// to the chat model is recorded and transcribed, so that its request after the key is
// released pays no handshakes. The service closes idle connections on its own schedule,
// possibly in the middle of a long recording: the connection is asked for again every
// refreshInterval, which costs nothing while it is still open. Once the request is out
// or the dictation is over, nothing more is asked and the service's idle limit ends it.
class ChatConnectionWarmer {
public:
    static constexpr std::chrono::milliseconds refreshInterval{1000};

    ChatConnectionWarmer(HttpClient &http, Scheduler &scheduler);

    // Called at every change of the dictation's phase, of whether its text goes to the
    // chat model (polish on, or a translation chosen), or of the host.
    void follow(DictationPhase::Kind phase, bool chatAhead, const QString &host);
    bool isWarming() const { return refresh_.isSet(); }

private:
    void stop();

    HttpClient &http_;
    Scheduler &scheduler_;
    std::optional<QUrl> url_;
    ScheduledWork refresh_;
};

} // namespace quillo
