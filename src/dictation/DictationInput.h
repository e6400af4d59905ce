#pragma once

#include "dictation/DictationPorts.h"
#include "dictation/DictationTake.h"
#include "dictation/HUDModel.h"
#include "dictation/ResultPresenter.h"
#include "dictation/StartGate.h"
#include "hotkeys/Hotkey.h"
#include "platform/Scheduler.h"
#include "settings/AppSettings.h"

#include <functional>

namespace quillo {

// What a key, the menu item or a command-line action means in the state the dictation is
// in: a press that starts, stops or carries a hold recording on hands-free, a release that
// ends it, Escape, a translation tap, `quillo --start` and friends. It decides; the
// controller's few actions do. Main thread only.
class DictationInput {
public:
    // The state it reads, owned by the controller.
    struct State {
        const ResultPresenter &presenter; // the phase
        // The dictation under way: a key may switch it to hands-free or to auto-send.
        DictationTake &take;
        StartGate &startGate;
        HUDModel &hud;
        AppSettings &settings;
        DictationHotkeys &hotkeys;
        Scheduler &scheduler;
    };
    struct Actions {
        std::function<void(RecordingMode mode, bool translate, HotkeySlot holdSlot)> start;
        std::function<void()> stop;
        std::function<void()> cancel;
        std::function<void()> cycleTranslation;
    };

    DictationInput(State state, Actions actions);

    void handlePress(HotkeySlot slot);
    void handleRelease(HotkeySlot slot);
    void handleOtherKeyWhileHolding();
    void handleEscape();
    void handleTranslateTap(Scheduler::TimePoint time);
    void toggleFromMenu();
    // Each answers whether it did anything; one that does not fit the current phase is
    // ignored, as the matching key press would be.
    bool startFromCommand();
    bool stopFromCommand();
    bool toggleFromCommand();
    bool cancelFromCommand();
    bool translateFromCommand();

private:
    bool isRecording() const { return state_.presenter.isRecording(); }
    bool isBusy() const { return state_.presenter.phase().isBusy(); }

    State state_;
    Actions actions_;
};

} // namespace quillo
