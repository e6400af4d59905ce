#include "KeyMatcher.h"

#include <utility>

namespace quillo::fakeportal {
namespace {

int qtModifiers(std::uint32_t mask)
{
    int modifiers = 0;
    if (mask & Mod::shift)
        modifiers |= Qt::ShiftModifier;
    if (mask & Mod::control)
        modifiers |= Qt::ControlModifier;
    if (mask & Mod::alt)
        modifiers |= Qt::AltModifier;
    if (mask & Mod::super)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

int modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Alt:
        return Qt::AltModifier;
    case Qt::Key_Meta:
        return Qt::MetaModifier;
    default:
        return 0;
    }
}

// A modifier-only combination matches a shortcut of that modifier's key
// ("Alt" is Qt::Key_Alt), left or right alike.
bool kwinMatches(int bound, int pressed)
{
    if (bound == 0 || pressed == 0)
        return false;
    if (bound == pressed)
        return true;
    return (pressed & ~int(Qt::KeyboardModifierMask)) == 0 && modifierOfKey(bound) == pressed;
}

QString grabName(const KeyBinding &binding)
{
    return QStringLiteral("%1/%2").arg(binding.key ? binding.key->value() : 0).arg(binding.modifiers);
}

} // namespace

KeyMatcher::KeyMatcher(Targets targets, Deliver deliver)
    : targets_(std::move(targets))
    , deliver_(std::move(deliver))
{
    QObject::connect(&repeat_, &QTimer::timeout, [this] { repeatKey(); });
}

void KeyMatcher::setMatching(KeyMatching matching)
{
    matching_ = matching;
    reset();
}

void KeyMatcher::setRepeat(int delayMs, int intervalMs)
{
    repeatDelay_ = delayMs;
    repeatInterval_ = intervalMs > 0 ? intervalMs : delayMs;
    if (delayMs <= 0)
        repeat_.stop();
}

void KeyMatcher::reset()
{
    held_.clear();
    active_.clear();
    releasePending_.clear();
    lastKwinKey_ = 0;
    kwinState_ = ModifierOnly::no;
    repeating_.reset();
    repeat_.stop();
}

QString KeyMatcher::press(const Keysym &key)
{
    if (held_.contains(key))
        return QStringLiteral("%1 is already down").arg(key.name());
    const std::uint32_t before = heldModifiers();
    held_.append(key);
    switch (matching_) {
    case KeyMatching::documented:
        pressDocumented(key, before);
        break;
    case KeyMatching::kwin5:
        kwinProcess(kwinKey(key));
        break;
    case KeyMatching::kwin6:
        pressKwin6(key);
        break;
    case KeyMatching::mutter:
        mutterEvent(key, before, true);
        break;
    }
    if (repeatDelay_ > 0 && key.repeats()) {
        repeating_ = key;
        repeat_.start(repeatDelay_);
    }
    return {};
}

QString KeyMatcher::release(const Keysym &key)
{
    if (!held_.contains(key))
        return QStringLiteral("%1 is not down").arg(key.name());
    const std::uint32_t before = heldModifiers();
    held_.removeOne(key);
    if (repeating_ && *repeating_ == key) {
        repeating_.reset();
        repeat_.stop();
    }
    switch (matching_) {
    case KeyMatching::documented:
        releaseDocumented(key);
        break;
    case KeyMatching::kwin5:
        kwinReleaseLast();
        break;
    case KeyMatching::kwin6:
        releaseKwin6(key);
        break;
    case KeyMatching::mutter:
        mutterEvent(key, before, false);
        break;
    }
    return {};
}

// The compositor's repeat of the last key pressed, with the modifiers held now.
void KeyMatcher::repeatKey()
{
    if (!repeating_) {
        repeat_.stop();
        return;
    }
    repeat_.start(repeatInterval_);
    if (matching_ == KeyMatching::documented)
        deliverAll(active_.value(repeating_->value()), true);
    else if (matching_ == KeyMatching::mutter)
        mutterEvent(*repeating_, heldModifiers(), true);
    else
        kwinProcess(kwinKey(*repeating_));
}

void KeyMatcher::pressDocumented(const Keysym &key, std::uint32_t before)
{
    const QList<KeyTarget> targets = boundTo(key, before);
    active_.insert(key.value(), targets);
    deliverAll(targets, true);
}

void KeyMatcher::releaseDocumented(const Keysym &key)
{
    deliverAll(active_.take(key.value()), false);
}

// The key as KWin hands it to kglobalaccel: modifiers counted after the key
// went down, Super as Meta, Shift dropped where it made another symbol (so
// Shift+1 arrives as "!"), and a lone modifier as its key alone.
int KeyMatcher::kwinKey(const Keysym &key) const
{
    const std::uint32_t mask = heldModifiers();
    if ((mask & Mod::shift) && key.shiftMakesOtherSymbol())
        return 0;
    int qtKey = key.qtKey();
    if (qtKey == Qt::Key_Super_L || qtKey == Qt::Key_Super_R)
        qtKey = Qt::Key_Meta;
    const int combined = qtModifiers(mask) | qtKey;
    return modifierOfKey(qtKey) == (combined & int(Qt::KeyboardModifierMask)) ? qtKey : combined;
}

// kglobalaccel: a matching shortcut is pressed; the one pressed before it is
// released first.
void KeyMatcher::kwinProcess(int keyQt)
{
    QList<KeyTarget> found;
    int foundKey = 0;
    for (const KeyTarget &target : targets_()) {
        if (!kwinMatches(target.binding.qtKey, keyQt))
            continue;
        found.append(target);
        foundKey = target.binding.qtKey;
    }
    if (found.isEmpty())
        return;
    if (lastKwinKey_ != 0 && lastKwinKey_ != foundKey)
        kwinReleaseLast();
    lastKwinKey_ = foundKey;
    deliverAll(found, true);
}

// Any key going up ends the last shortcut, whichever key it was.
void KeyMatcher::kwinReleaseLast()
{
    if (lastKwinKey_ == 0)
        return;
    QList<KeyTarget> found;
    for (const KeyTarget &target : targets_()) {
        if (target.binding.qtKey == lastKwinKey_)
            found.append(target);
    }
    lastKwinKey_ = 0;
    deliverAll(found, false);
}

// Plasma 6.1: modifiers alone wait for their release; other keys as before.
void KeyMatcher::pressKwin6(const Keysym &key)
{
    const int keyQt = kwinKey(key);
    const int bare = keyQt & ~int(Qt::KeyboardModifierMask);
    if (modifierOfKey(bare) != 0) {
        kwinState_ = ModifierOnly::pressing;
        kwinModifiers_ = modifierOfKey(bare) | (keyQt & int(Qt::KeyboardModifierMask));
        return;
    }
    kwinState_ = ModifierOnly::no;
    kwinModifiers_ = keyQt & int(Qt::KeyboardModifierMask);
    kwinProcess(keyQt);
}

void KeyMatcher::releaseKwin6(const Keysym &key)
{
    if (!key.isModifier()) {
        kwinState_ = ModifierOnly::no;
        kwinReleaseLast();
        return;
    }
    if (kwinState_ == ModifierOnly::pressing) {
        modifierOnly_ = kwinModifiers_;
        kwinState_ = ModifierOnly::releasing;
    }
    kwinModifiers_ = qtModifiers(heldModifiers());
    if (kwinState_ == ModifierOnly::releasing && kwinModifiers_ == 0) {
        kwinState_ = ModifierOnly::no;
        kwinProcess(modifierOnly_);
    }
    kwinReleaseLast();
}

// mutter looks a key event up with the modifiers held before it: a modifier
// counts itself on its release, so a lone modifier's release finds nothing,
// and neither does a key released after its modifier.
void KeyMatcher::mutterEvent(const Keysym &key, std::uint32_t mask, bool press)
{
    const QList<KeyTarget> targets = boundTo(key, mask);
    if (targets.isEmpty())
        return;
    const QString grab = grabName(targets.constFirst().binding);
    if (press) {
        releasePending_.insert(grab);
        deliverAll(targets, true);
        return;
    }
    if (releasePending_.remove(grab))
        deliverAll(targets, false);
}

QList<KeyTarget> KeyMatcher::boundTo(const Keysym &key, std::uint32_t mask) const
{
    QList<KeyTarget> found;
    for (const KeyTarget &target : targets_()) {
        const KeyBinding &binding = target.binding;
        if (binding.key && binding.key->lower() == key.lower() && binding.modifiers == mask)
            found.append(target);
    }
    return found;
}

void KeyMatcher::deliverAll(const QList<KeyTarget> &targets, bool activated)
{
    for (const KeyTarget &target : targets)
        deliver_(target, activated);
}

std::uint32_t KeyMatcher::heldModifiers() const
{
    std::uint32_t mask = 0;
    for (const Keysym &key : held_)
        mask |= key.modifierMask();
    return mask;
}

} // namespace quillo::fakeportal
