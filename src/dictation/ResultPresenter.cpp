#include "dictation/ResultPresenter.h"

#include "dictation/DictationTexts.h"

#include <chrono>

namespace quillo {

ResultPresenter::ResultPresenter(Deps deps)
    : deps_(std::move(deps))
{
}

void ResultPresenter::setPhase(const DictationPhase &phase)
{
    phase_ = phase;
    deps_.hud.setPhase(phase);
    if (deps_.phaseChanged)
        deps_.phaseChanged(phase_);
}

void ResultPresenter::show(const DictationPhase &phase)
{
    setPhase(phase);
    deps_.panel.show();
}

void ResultPresenter::showRecording(Scheduler::TimePoint startedAt, bool fromMicrophone)
{
    show(DictationPhase::recording());
    if (!fromMicrophone)
        return;
    play(Sound::tink);
    clock_ = deps_.scheduler.every(dictationTimes::elapsedInterval, [this, startedAt] {
        deps_.hud.setElapsed(std::chrono::duration<double>(deps_.scheduler.now() - startedAt).count());
    });
}

void ResultPresenter::showResult(const DictationPhase &phase, double hideAfter)
{
    show(phase);
    const auto delay = std::chrono::round<Scheduler::Duration>(std::chrono::duration<double>(hideAfter));
    hideWork_ = deps_.scheduler.after(delay, [this] { hideUnlessBusy(); });
}

void ResultPresenter::refuse(const QString &message)
{
    showResult(DictationPhase::failed(message), dictationTimes::hideAfter::refused);
}

void ResultPresenter::end()
{
    setPhase(DictationPhase::idle());
    deps_.panel.hide();
}

void ResultPresenter::setNote(std::optional<QString> note)
{
    note_ = std::move(note);
    if (deps_.noteChanged)
        deps_.noteChanged();
}

void ResultPresenter::play(Sound sound)
{
    if (deps_.settings.playSounds())
        deps_.sounds.play(sound, dictationTimes::soundVolume);
}

void ResultPresenter::hideUnlessBusy()
{
    if (phase_.isBusy())
        return; // a new dictation started meanwhile
    end();
}

} // namespace quillo
