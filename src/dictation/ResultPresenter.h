#pragma once

#include "dictation/DictationPhase.h"
#include "dictation/DictationPorts.h"
#include "dictation/HUDModel.h"
#include "platform/Scheduler.h"
#include "platform/Sounds.h"
#include "settings/AppSettings.h"

#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// What the user sees and hears of a dictation: its phase on the panel and in the tray,
// the panel shown and hidden again after a result, the feedback sounds and the note
// of the last dictation. Main thread only.
class ResultPresenter {
public:
    struct Deps {
        AppSettings &settings;
        Scheduler &scheduler;
        Sounds &sounds;
        DictationPanel &panel;
        HUDModel &hud;
        // Told after every change, for the controller's signals.
        std::function<void(const DictationPhase &)> phaseChanged;
        std::function<void()> noteChanged;
    };

    explicit ResultPresenter(Deps deps);
    ResultPresenter(const ResultPresenter &) = delete;
    ResultPresenter &operator=(const ResultPresenter &) = delete;

    const DictationPhase &phase() const { return phase_; }
    bool isRecording() const { return phase_.kind() == DictationPhase::Kind::recording; }
    const std::optional<QString> &note() const { return note_; }

    void setPhase(const DictationPhase &phase);
    // The phase, with the panel brought up for it.
    void show(const DictationPhase &phase);
    // A recording under way since startedAt; from the microphone it starts with a sound
    // and the panel counts its seconds.
    void showRecording(Scheduler::TimePoint startedAt, bool fromMicrophone);
    void stopClock() { clock_.cancel(); }
    // The end of a dictation, on the panel for hideAfter seconds.
    void showResult(const DictationPhase &phase, double hideAfter);
    // A start that cannot go ahead: its reason, briefly.
    void refuse(const QString &message);
    // Back to idle with the panel gone, without a word.
    void end();
    // A new dictation takes the panel: the last result's hiding is off.
    void keepPanel() { hideWork_.cancel(); }
    void setNote(std::optional<QString> note);
    // Only when the user wants sounds.
    void play(Sound sound);

private:
    void hideUnlessBusy();

    Deps deps_;
    DictationPhase phase_;
    std::optional<QString> note_;
    ScheduledWork hideWork_; // cancelled with the presenter
    ScheduledWork clock_;
};

} // namespace quillo
