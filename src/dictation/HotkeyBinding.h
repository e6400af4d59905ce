#pragma once

#include "dictation/DictationPhase.h"
#include "dictation/DictationPorts.h"
#include "dictation/HUDModel.h"
#include "hotkeys/Hotkey.h"
#include "platform/Permissions.h"
#include "settings/AppSettings.h"

#include <QObject>

namespace quillo {

// Keeps the global hotkey listener and the key names on the panel in line with the
// settings, and hands the listener's events to the dictation. Main thread only.
class HotkeyBinding : public QObject {
    Q_OBJECT

public:
    // The send key is fixed: the right Command key alone.
    static constexpr Hotkey holdSendHotkey{54, modifierFlag::command, true};

    HotkeyBinding(DictationHotkeys &hotkeys, AppSettings &settings, HUDModel &hud, QObject *parent = nullptr);

    // Once; later calls change nothing.
    void bind(DictationHotkeys::Callbacks callbacks);
    // The key whose release ends a recording started by holdSlot, named on the panel.
    void showHoldKey(RecordingMode mode, HotkeySlot holdSlot);
    // As a recording from the microphone starts: the listener installed if it may observe
    // every key by now, the hold key named, and the translation on when asked for or when
    // the trigger modifier is held.
    void armForRecording(RecordingMode mode, HotkeySlot holdSlot, bool translate, const Permissions &permissions);

private:
    void apply();

    DictationHotkeys &hotkeys_;
    AppSettings &settings_;
    HUDModel &hud_;
    bool bound_ = false;
};

} // namespace quillo
