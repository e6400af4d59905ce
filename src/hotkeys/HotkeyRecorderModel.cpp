#include "hotkeys/HotkeyRecorderModel.h"

#include "hotkeys/HotkeyManager.h"
#include "hotkeys/KeyNames.h"

#include <utility>

namespace quillo {

HotkeyRecorderModel::HotkeyRecorderModel(HotkeyManager *manager, QObject *parent)
    : QObject(parent)
    , manager_(manager)
{
}

// A model dropped mid-capture must not leave the global hotkeys switched off.
HotkeyRecorderModel::~HotkeyRecorderModel()
{
    stop();
}

QString HotkeyRecorderModel::startHint()
{
    return keyNames::recorderStartHint();
}

QString HotkeyRecorderModel::invalidCombinationHint()
{
    return keyNames::recorderInvalidHint();
}

void HotkeyRecorderModel::start(std::function<void(const Hotkey &)> onCommit)
{
    stop();
    onCommit_ = std::move(onCommit);
    setRecording(true);
    setHint(startHint());
    if (manager_) {
        manager_->setSuspended(true);
        manager_->uninstall();
    }
}

void HotkeyRecorderModel::stop()
{
    pendingModifier_.reset();
    if (isRecording_ && manager_) {
        manager_->setSuspended(false);
        manager_->uninstall();
        manager_->install();
    }
    setRecording(false);
}

bool HotkeyRecorderModel::handleKeyEvent(const KeyEvent &event)
{
    if (!isRecording_)
        return false;
    const std::uint64_t flags = event.modifiers & relevantModifiers;
    if (event.type == KeyEvent::Type::flagsChanged)
        handleFlagsChanged(event.keyCode, flags);
    else if (event.type == KeyEvent::Type::keyDown)
        handleKeyDown(event.keyCode, flags);
    return true;
}

void HotkeyRecorderModel::handleFlagsChanged(std::uint16_t keyCode, std::uint64_t flags)
{
    const std::optional<ModifierKey> key = modifierKey(keyCode);
    if (!key)
        return;
    if ((flags & key->flag) != 0) {
        pendingModifier_ = keyCode;
        return;
    }
    if (pendingModifier_ == keyCode)
        commit(Hotkey{keyCode, key->flag, true});
}

void HotkeyRecorderModel::handleKeyDown(std::uint16_t keyCode, std::uint64_t flags)
{
    // A modifier followed by a real key makes a combination.
    pendingModifier_.reset();
    if (keyCode == HotkeyManager::escapeKeyCode && (flags & combinationModifiers) == 0) {
        setHint(std::nullopt);
        stop();
        return;
    }
    const Hotkey combination{keyCode, flags, false};
    // A key we cannot name could never be registered again: say why nothing happened.
    if (keyCode == unknownKeyCode || !isValid(combination)) {
        setHint(invalidCombinationHint());
        return;
    }
    commit(combination);
}

void HotkeyRecorderModel::commit(const Hotkey &hotkey)
{
    const std::function<void(const Hotkey &)> onCommit = onCommit_;
    setHint(std::nullopt);
    stop();
    if (onCommit)
        onCommit(hotkey);
}

void HotkeyRecorderModel::setHint(std::optional<QString> hint)
{
    if (hint_ == hint)
        return;
    hint_ = std::move(hint);
    emit hintChanged();
}

void HotkeyRecorderModel::setRecording(bool recording)
{
    if (isRecording_ == recording)
        return;
    isRecording_ = recording;
    emit isRecordingChanged(recording);
}

} // namespace quillo
