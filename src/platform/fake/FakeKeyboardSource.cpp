#include "platform/fake/FakeKeyboardSource.h"

namespace quillo {
namespace {

std::uint64_t flagOf(std::uint16_t keyCode)
{
    switch (keyCode) {
    case 56:
    case 60:
        return 0x20000;
    case 59:
    case 62:
        return 0x40000;
    case 58:
    case 61:
        return 0x80000;
    case 55:
    case 54:
        return 0x100000;
    case 63:
        return 0x800000;
    default:
        return 0;
    }
}

} // namespace

bool FakeKeyboardSource::startListening()
{
    ++startCount_;
    listening_ = listeningPossible_;
    return listening_;
}

int FakeKeyboardSource::registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers)
{
    if (const auto failure = failures_.find(keyCode); failure != failures_.end())
        return failure->second;
    registrations_[id] = Registration{keyCode, modifiers};
    return 0;
}

void FakeKeyboardSource::setKeyTaken(std::uint16_t keyCode, bool taken)
{
    if (taken)
        taken_.insert(keyCode);
    else
        taken_.erase(keyCode);
}

void FakeKeyboardSource::modifierDown(std::uint16_t keyCode, bool ours)
{
    heldModifierKeys_.insert(keyCode);
    modifiers_ |= flagOf(keyCode);
    sendFlags(keyCode, ours);
}

void FakeKeyboardSource::modifierUp(std::uint16_t keyCode, bool ours)
{
    if (auto it = heldModifierKeys_.find(keyCode); it != heldModifierKeys_.end())
        heldModifierKeys_.erase(it);
    std::uint64_t flags = 0;
    for (std::uint16_t held : heldModifierKeys_)
        flags |= flagOf(held);
    modifiers_ = flags;
    sendFlags(keyCode, ours);
}

void FakeKeyboardSource::keyDown(std::uint16_t keyCode, bool repeat, bool ours)
{
    send(KeyEvent{KeyEvent::Type::keyDown, keyCode, modifiers_, repeat, ours});
}

void FakeKeyboardSource::keyUp(std::uint16_t keyCode, bool ours)
{
    send(KeyEvent{KeyEvent::Type::keyUp, keyCode, modifiers_, false, ours});
}

void FakeKeyboardSource::send(const KeyEvent &event)
{
    if (listening_ && sink_.onKeyEvent)
        sink_.onKeyEvent(event);
}

void FakeKeyboardSource::systemHotKey(std::uint32_t id, bool pressed)
{
    if (sink_.onSystemHotKey)
        sink_.onSystemHotKey(id, pressed);
}

void FakeKeyboardSource::sendFlags(std::uint16_t keyCode, bool ours)
{
    send(KeyEvent{KeyEvent::Type::flagsChanged, keyCode, modifiers_, false, ours});
}

} // namespace quillo
