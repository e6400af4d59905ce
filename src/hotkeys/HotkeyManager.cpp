#include "hotkeys/HotkeyManager.h"

#include <utility>

namespace quillo {
namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

bool sameModifierOnlyKey(const std::optional<Hotkey> &candidate, const Hotkey &hotkey)
{
    return candidate && candidate->isModifierOnly && candidate->keyCode == hotkey.keyCode
        && candidate->modifiers == hotkey.modifiers;
}

// The toggle hotkey with the trigger modifier added: starts hands-free already translating.
std::optional<Hotkey> translateVariant(const Hotkey &toggle, const TriggerModifier &trigger)
{
    const std::uint64_t held = toggle.modifiers & relevantModifiers;
    if (toggle.isModifierOnly || (held & trigger.flag) != 0)
        return std::nullopt;
    return Hotkey{toggle.keyCode, trigger.flag | held, false};
}

} // namespace

HotkeyManager::HotkeyManager(KeyboardSource &source, Scheduler &scheduler)
    : source_(source)
    , scheduler_(scheduler)
{
    source_.setSink({
        [this](const KeyEvent &event) { handleTapEvent(event); },
        [this](std::uint32_t id, bool pressed) {
            handleSystemHotKeyId(id, pressed);
            updateTakenKeys();
        },
    });
}

HotkeyManager::~HotkeyManager()
{
    debugLog = nullptr;
    uninstall();
    source_.setSink({});
}

void HotkeyManager::configure(
    std::optional<Hotkey> hold, std::optional<Hotkey> toggle, std::optional<Hotkey> holdSend, TriggerModifier trigger)
{
    uninstall();
    bindings_.clear();
    trigger_ = trigger;

    if (hold && isValid(*hold))
        bindings_[HotkeySlot::hold] = *hold;

    if (holdSend && holdSend->isModifierOnly && isValid(*holdSend) && !sameModifierOnlyKey(hold, *holdSend)
        && !sameModifierOnlyKey(toggle, *holdSend) && !trigger.hasKeyCode(holdSend->keyCode))
        bindings_[HotkeySlot::holdSend] = *holdSend;

    if (toggle && isValid(*toggle) && !(hold && *toggle == *hold)) {
        bindings_[HotkeySlot::toggle] = *toggle;
        const std::optional<Hotkey> variant = translateVariant(*toggle, trigger);
        const bool clashesWithHold = hold && !hold->isModifierOnly && variant && hold->keyCode == variant->keyCode
            && hold->modifiers == variant->modifiers;
        if (variant && !clashesWithHold)
            bindings_[HotkeySlot::toggleTranslate] = *variant;
    }

    if (!suspended_)
        install();
    if (onConfigured)
        onConfigured();
}

void HotkeyManager::install()
{
    registerSystemHotKeys();
    reportUnavailableKeys();
    startListening();
    const KeyboardAccess access = source_.access();
    log(QStringLiteral("eventTap %1 listen=%2 post=%3 ax=%4")
            .arg(listening_ ? QStringLiteral("on") : QStringLiteral("off"), boolText(access.listen),
                boolText(access.post), boolText(access.trusted)));
    updateTakenKeys();
}

void HotkeyManager::uninstall()
{
    for (HotkeySlot slot : registered_)
        source_.unregisterHotKey(rawValue(slot));
    registered_.clear();
    for (std::uint32_t id : registeredExtras_)
        source_.unregisterHotKey(id);
    registeredExtras_.clear();
    if (listening_) {
        source_.stopListening();
        listening_ = false;
    }
    heldModifierSlots_.clear();
    heldComboSlots_.clear();
    pendingTranslate_.reset();
    shortcutPresses_.reset();
    updateTakenKeys();
}

std::uint64_t HotkeyManager::currentModifiers() const
{
    return source_.currentModifiers() & relevantModifiers;
}

void HotkeyManager::registerSystemHotKeys()
{
    const bool shortcutsOnly = source_.shortcutsOnly();
    for (const auto &[slot, hotkey] : bindings_) {
        if (hotkey.isModifierOnly && !shortcutsOnly)
            continue;
        const int status = source_.registerHotKey(rawValue(slot), hotkey.keyCode, hotkey.modifiers);
        if (status == 0)
            registered_.insert(slot);
        log(QStringLiteral("register %1 %2 status=%3").arg(slotName(slot), displayName(hotkey)).arg(status));
    }
    if (shortcutsOnly)
        registerShortcutOnlyKeys();
}

// Without a stream of every key, Escape and the trigger tap can only arrive as
// hot keys of their own.
void HotkeyManager::registerShortcutOnlyKeys()
{
    const int escapeStatus = source_.registerHotKey(cancelHotKeyId, escapeKeyCode, 0);
    if (escapeStatus == 0)
        registeredExtras_.insert(cancelHotKeyId);
    log(QStringLiteral("register cancel Escape status=%1").arg(escapeStatus));

    const std::optional<std::uint16_t> triggerKey = translateShortcutKey();
    if (!triggerKey) {
        log(QStringLiteral("register translate skipped: both trigger keys are bound"));
        return;
    }
    const int status = source_.registerHotKey(translateHotKeyId, *triggerKey, trigger_.flag);
    if (status == 0)
        registeredExtras_.insert(translateHotKeyId);
    log(QStringLiteral("register translate %1 status=%2")
            .arg(displayName(Hotkey{*triggerKey, trigger_.flag, true}))
            .arg(status));
}

// The left trigger key, unless a lone-modifier binding already uses it.
std::optional<std::uint16_t> HotkeyManager::translateShortcutKey() const
{
    const auto usedAlone = [this](std::uint16_t keyCode) {
        for (const auto &[slot, hotkey] : bindings_) {
            if (hotkey.isModifierOnly && hotkey.keyCode == keyCode)
                return true;
        }
        return false;
    };
    if (!usedAlone(trigger_.leftKeyCode))
        return trigger_.leftKeyCode;
    if (!usedAlone(trigger_.rightKeyCode))
        return trigger_.rightKeyCode;
    return std::nullopt;
}

void HotkeyManager::handleShortcutOnlyKey(std::uint32_t id, bool pressed)
{
    log(QStringLiteral("shortcut %1 pressed=%2")
            .arg(id == cancelHotKeyId ? QStringLiteral("cancel") : QStringLiteral("translate"), boolText(pressed)));
    if (!pressed)
        return;
    if (id == translateHotKeyId) {
        log(QStringLiteral("translate tap"));
        if (onTranslateTap)
            onTranslateTap(scheduler_.now());
        return;
    }
    if (shouldInterceptEscape && shouldInterceptEscape() && onEscape)
        onEscape();
}

void HotkeyManager::reportUnavailableKeys()
{
    for (const auto &[slot, hotkey] : bindings_) {
        if (hotkey.isModifierOnly && !source_.hasKey(hotkey.keyCode))
            log(QStringLiteral("modifier %1 %2 unavailable: no such key on this keyboard")
                    .arg(slotName(slot), displayName(hotkey)));
    }
}

void HotkeyManager::startListening()
{
    if (listening_ || !source_.access().trusted)
        return;
    listening_ = source_.startListening();
}

void HotkeyManager::handleSystemHotKey(HotkeySlot slot, bool pressed)
{
    log(QStringLiteral("carbon %1 pressed=%2").arg(slotName(slot), boolText(pressed)));
    // The observed keystroke already pressed toggle while the hold key was down.
    if (slot != HotkeySlot::hold && lastTapToggle_ && scheduler_.now() - *lastTapToggle_ < toggleDedupWindow)
        return;
    if (pressed) {
        if (!heldComboSlots_.insert(slot).second)
            return; // key repeat
        if (onPress)
            onPress(slot);
        return;
    }
    heldComboSlots_.erase(slot);
    if (onRelease)
        onRelease(slot);
}

bool HotkeyManager::handleSystemHotKeyId(std::uint32_t id, bool pressed)
{
    const bool extra = registeredExtras_.contains(id);
    const std::optional<HotkeySlot> slot = hotkeySlotFromRaw(id);
    if (!extra && !slot)
        return false;
    const auto deliver = [&](bool down) {
        if (extra)
            handleShortcutOnlyKey(id, down);
        else
            handleSystemHotKey(*slot, down);
    };
    if (!source_.shortcutsOnly()) {
        deliver(pressed);
        return true;
    }
    // A desktop's shortcuts repeat, lose releases and tap: see ShortcutPressTracker.
    const bool holdLike = slot == HotkeySlot::hold || slot == HotkeySlot::holdSend;
    const TimePoint now = scheduler_.now();
    const auto events = pressed ? shortcutPresses_.activated(id, now) : shortcutPresses_.deactivated(id, now, holdLike);
    if (events.empty())
        log(QStringLiteral("shortcut %1 %2 kept as held")
                .arg(id)
                .arg(pressed ? QStringLiteral("activation") : QStringLiteral("release")));
    for (const ShortcutPressTracker::Event event : events)
        deliver(event == ShortcutPressTracker::Event::press);
    return true;
}

HotkeyManager::Verdict HotkeyManager::handleTapEvent(const KeyEvent &event)
{
    if (event.isOurs)
        return Verdict::pass;
    Verdict verdict = Verdict::pass;
    switch (event.type) {
    case KeyEvent::Type::keyDown:
        verdict = handleKeyDown(event);
        break;
    case KeyEvent::Type::keyUp:
        if (swallowedToggleKeyCode_ == event.keyCode) {
            swallowedToggleKeyCode_.reset();
            verdict = Verdict::swallow;
        }
        break;
    case KeyEvent::Type::flagsChanged:
        handleFlagsChanged(event);
        for (const auto &[slot, hotkey] : bindings_) {
            if (hotkey.isModifierOnly && hotkey.keyCode == event.keyCode)
                verdict = Verdict::swallow;
        }
        break;
    }
    updateTakenKeys();
    return verdict;
}

HotkeyManager::Verdict HotkeyManager::handleKeyDown(const KeyEvent &event)
{
    const std::uint16_t keyCode = event.keyCode;
    log(QStringLiteral("keyDown %1").arg(keyCode));
    // Any key cancels a trigger tap in progress: the trigger was used as a modifier.
    pendingTranslate_.reset();

    if (keyCode == escapeKeyCode && shouldInterceptEscape && shouldInterceptEscape()) {
        if (onEscape)
            onEscape();
        return Verdict::swallow;
    }

    const std::optional<Hotkey> toggle = binding(HotkeySlot::toggle);
    if (heldModifierSlots_.contains(HotkeySlot::hold) && toggle && !toggle->isModifierOnly
        && toggle->keyCode == keyCode) {
        if (!event.isRepeat) {
            lastTapToggle_ = scheduler_.now();
            if (onPress)
                onPress(HotkeySlot::toggle);
        }
        swallowedToggleKeyCode_ = keyCode;
        return Verdict::swallow;
    }

    if (!heldModifierSlots_.empty() && onOtherKeyWhileHolding)
        onOtherKeyWhileHolding();
    return Verdict::pass;
}

void HotkeyManager::handleFlagsChanged(const KeyEvent &event)
{
    const std::uint64_t flags = event.modifiers & relevantModifiers;
    handleTriggerFlags(event.keyCode, flags);
    handleModifierSlots(event.keyCode, flags);
}

void HotkeyManager::handleTriggerFlags(std::uint16_t keyCode, std::uint64_t flags)
{
    if (!trigger_.hasKeyCode(keyCode) || isHoldModifierOnlyWithKey(keyCode))
        return;
    const TimePoint now = scheduler_.now();
    if ((flags & trigger_.flag) != 0) {
        pendingTranslate_ = PendingTranslate{keyCode, now};
        return;
    }
    if (!pendingTranslate_ || pendingTranslate_->keyCode != keyCode)
        return;
    const TimePoint down = pendingTranslate_->down;
    pendingTranslate_.reset();
    if (now - down < translateTapLimit) {
        log(QStringLiteral("translate tap"));
        if (onTranslateTap)
            onTranslateTap(down);
    }
}

void HotkeyManager::handleModifierSlots(std::uint16_t keyCode, std::uint64_t flags)
{
    const std::optional<ModifierKey> key = modifierKey(keyCode);
    if (!key)
        return;
    // A callback may reconfigure the manager; walk a copy.
    const std::map<HotkeySlot, Hotkey> bound = bindings_;
    for (const auto &[slot, hotkey] : bound) {
        if (!hotkey.isModifierOnly || hotkey.keyCode != keyCode)
            continue;
        if ((flags & key->flag) != 0) {
            if (!heldModifierSlots_.insert(slot).second)
                continue;
            log(QStringLiteral("modifier %1 down").arg(slotName(slot)));
            if (onPress)
                onPress(slot);
        } else if (heldModifierSlots_.erase(slot) > 0) {
            log(QStringLiteral("modifier %1 up").arg(slotName(slot)));
            if (onRelease)
                onRelease(slot);
        }
    }
}

bool HotkeyManager::isHoldModifierOnlyWithKey(std::uint16_t keyCode) const
{
    const std::optional<Hotkey> hold = binding(HotkeySlot::hold);
    return hold && hold->isModifierOnly && hold->keyCode == keyCode;
}

std::optional<Hotkey> HotkeyManager::binding(HotkeySlot slot) const
{
    const auto it = bindings_.find(slot);
    if (it == bindings_.end())
        return std::nullopt;
    return it->second;
}

std::set<std::uint16_t> HotkeyManager::wantedTakenKeys() const
{
    std::set<std::uint16_t> keys;
    if (!listening_)
        return keys;
    if (shouldInterceptEscape && shouldInterceptEscape())
        keys.insert(escapeKeyCode);
    const std::optional<Hotkey> toggle = binding(HotkeySlot::toggle);
    if (heldModifierSlots_.contains(HotkeySlot::hold) && toggle && !toggle->isModifierOnly)
        keys.insert(toggle->keyCode);
    return keys;
}

// The observing source cannot swallow an event after the fact, so the keys the
// rules would swallow next are taken from the focused application in advance.
void HotkeyManager::updateTakenKeys()
{
    const std::set<std::uint16_t> wanted = wantedTakenKeys();
    if (wanted == takenKeys_)
        return;
    for (std::uint16_t keyCode : takenKeys_) {
        if (!wanted.contains(keyCode))
            source_.setKeyTaken(keyCode, false);
    }
    for (std::uint16_t keyCode : wanted) {
        if (!takenKeys_.contains(keyCode))
            source_.setKeyTaken(keyCode, true);
    }
    takenKeys_ = wanted;
}

void HotkeyManager::log(const QString &line) const
{
    if (debugLog)
        debugLog(line);
}

} // namespace quillo
