#include "dictation/ChatConnectionWarmer.h"

#include "refinement/ChatClient.h"

namespace quillo {

namespace {

// From the key press until the transcript is final: the chat request follows at once.
bool beforeChatRequest(DictationPhase::Kind phase)
{
    return phase == DictationPhase::Kind::recording || phase == DictationPhase::Kind::transcribing;
}

} // namespace

ChatConnectionWarmer::ChatConnectionWarmer(HttpClient &http, Scheduler &scheduler)
    : http_(http)
    , scheduler_(scheduler)
{
}

void ChatConnectionWarmer::follow(DictationPhase::Kind phase, bool chatAhead, const QString &host)
{
    const std::optional<QUrl> url
        = chatAhead && beforeChatRequest(phase) ? chat::completionsUrl(host) : std::optional<QUrl>();
    if (!url) {
        stop();
        return;
    }
    if (url == url_ && refresh_.isSet())
        return;
    url_ = url;
    http_.prewarm(*url_);
    refresh_ = scheduler_.every(refreshInterval, [this] { http_.prewarm(*url_); });
}

void ChatConnectionWarmer::stop()
{
    refresh_.cancel();
    url_.reset();
}

} // namespace quillo
