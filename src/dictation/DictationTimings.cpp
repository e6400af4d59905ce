#include "dictation/DictationTimings.h"

#include <QStringList>

#include <chrono>

namespace quillo {

namespace {

using Stage = DictationTimings::Stage;

const char *outcomeName(DictationPhase::Kind outcome)
{
    switch (outcome) {
    case DictationPhase::Kind::done:
        return "done";
    case DictationPhase::Kind::failed:
        return "failed";
    default:
        return "cancelled";
    }
}

} // namespace

std::optional<double> DictationTimings::Record::span(Stage from, Stage to) const
{
    const auto begin = of(from);
    const auto end = of(to);
    if (!begin || !end)
        return std::nullopt;
    return std::chrono::duration<double, std::milli>(*end - *begin).count();
}

QString DictationTimings::Record::summary() const
{
    QStringList parts;
    const auto add = [this, &parts](const char *name, Stage from, Stage to) {
        if (const auto ms = span(from, to))
            parts << QString::asprintf("%s %.0f ms", name, *ms);
    };
    // The key press to the recording is the key store and the microphone; after the
    // release it is the network and the paste, release -> paste what the user waits for.
    add("press->recording", Stage::pressed, Stage::recording);
    add("press->audio", Stage::pressed, Stage::firstAudio);
    add("release->transcript", Stage::released, Stage::transcript);
    if (of(Stage::chatAnswer)) {
        add("transcript->chat", Stage::transcript, Stage::chatAnswer);
        add("chat->paste", Stage::chatAnswer, Stage::inserted);
    } else {
        add("transcript->paste", Stage::transcript, Stage::inserted);
    }
    add("release->paste", Stage::released, Stage::inserted);
    parts << QString::fromLatin1(outcomeName(outcome));
    return parts.join(QStringLiteral(", "));
}

void DictationTimings::begin(TimePoint at)
{
    current_ = Record{};
    current_->at[static_cast<std::size_t>(Stage::pressed)] = at;
}

void DictationTimings::mark(Stage stage, TimePoint at)
{
    if (!current_)
        return;
    auto &slot = current_->at[static_cast<std::size_t>(stage)];
    if (!slot)
        slot = at;
}

void DictationTimings::phaseChanged(DictationPhase::Kind phase, TimePoint at)
{
    if (phase == DictationPhase::Kind::recording)
        mark(Stage::recording, at);
    else if (phase == DictationPhase::Kind::transcribing)
        mark(Stage::released, at);
    else if (phase != DictationPhase::Kind::polishing)
        finish(phase);
}

void DictationTimings::finish(DictationPhase::Kind outcome)
{
    if (!current_)
        return;
    current_->outcome = outcome;
    last_.push_front(std::move(*current_));
    current_.reset();
    if (last_.size() > kept)
        last_.pop_back();
    if (onFinished)
        onFinished(last_.front());
}

} // namespace quillo
