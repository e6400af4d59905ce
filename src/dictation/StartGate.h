#pragma once

#include "dictation/PendingStart.h"
#include "hotkeys/Hotkey.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"

#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// Whether a dictation may start: the API key, read fresh from the credential store at
// every start (the start waits meanwhile, see PendingStart), and the microphone
// permission. A start that may not go ahead is refused with its reason. Main thread only.
class StartGate {
public:
    struct Deps {
        Scheduler &scheduler;
        PendingStart::ReadKey readKey;
        Permissions &permissions;
        std::function<void()> openMicrophoneSettings;
        // Shows why a start cannot go ahead.
        std::function<void(const QString &message)> refuse;
    };

    explicit StartGate(Deps deps);

    // Reads the key, then runs start with it. releaseSlot: the key whose release before the
    // answer drops the start. keyRequired false lets a missing key through to a start that
    // says so itself.
    void withAPIKey(
        std::optional<HotkeySlot> releaseSlot, std::function<void(const QString &key)> start, bool keyRequired = true);
    // Refuses, asking for the permission or opening its settings, unless the microphone may be used.
    bool microphoneAllowed();

    // `quillo --stop` found no recording to stop.
    void stopArrivedFirst() { stopWithoutRecording_ = deps_.scheduler.now(); }
    // Whether a start from the command line follows the stop of its own quick tap, which
    // overtook it (two processes race); forgets that stop either way.
    bool overtakenByStop();

    bool isWaiting() const { return pending_.isWaiting(); }
    bool isReleasedBy(HotkeySlot slot) const { return pending_.isReleasedBy(slot); }
    void drop() { pending_.drop(); }

private:
    Deps deps_;
    PendingStart pending_;
    std::optional<Scheduler::TimePoint> stopWithoutRecording_;
};

} // namespace quillo
