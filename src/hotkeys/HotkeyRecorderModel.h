#pragma once

#include "hotkeys/Hotkey.h"
#include "platform/KeyboardSource.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace quillo {

class HotkeyManager;

// Captures a new hotkey from the key events of the program's own windows: a lone
// modifier pressed and released, or a key with modifiers (F1–F19 alone). While
// it captures, the global hotkey manager is suspended so the current hotkey does
// not start a dictation.
//
// The view routes key-down and flags-changed events of its windows here (see
// KeyEventTranslator) while isRecording(), and swallows those handleKeyEvent()
// takes.
class HotkeyRecorderModel : public QObject {
    Q_OBJECT
public:
    // manager may be null (nothing to suspend).
    explicit HotkeyRecorderModel(HotkeyManager *manager, QObject *parent = nullptr);
    ~HotkeyRecorderModel() override;

    static QString startHint();
    static QString invalidCombinationHint();

    bool isRecording() const { return isRecording_; }
    std::optional<QString> hint() const { return hint_; }
    std::optional<std::uint16_t> pendingModifier() const { return pendingModifier_; }

    void start(std::function<void(const Hotkey &)> onCommit);
    void stop();

    // Runs the capture rule; true when the event was taken (while capturing).
    bool handleKeyEvent(const KeyEvent &event);

signals:
    void isRecordingChanged(bool recording);
    void hintChanged();

private:
    void handleFlagsChanged(std::uint16_t keyCode, std::uint64_t flags);
    void handleKeyDown(std::uint16_t keyCode, std::uint64_t flags);
    void commit(const Hotkey &hotkey);
    void setHint(std::optional<QString> hint);
    void setRecording(bool recording);

    HotkeyManager *manager_;
    bool isRecording_ = false;
    std::optional<QString> hint_;
    std::optional<std::uint16_t> pendingModifier_;
    std::function<void(const Hotkey &)> onCommit_;
};

} // namespace quillo
