#include "platform/x11/X11KeystrokePoster.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace quillo {

struct X11KeystrokePoster::Connection {
    X11Display display = openX11Display();
};
namespace {

struct XkbKeyboardFree {
    void operator()(XkbDescPtr desc) const { XkbFreeKeyboard(desc, 0, True); }
};

// The key at the V position of a standard keyboard (XKB name "AB04"): what
// applications match Ctrl+V against when the layout has no Latin letters.
unsigned physicalVKey(Display *display)
{
    std::unique_ptr<XkbDescRec, XkbKeyboardFree> desc(XkbGetMap(display, 0, XkbUseCoreKbd));
    if (!desc || XkbGetNames(display, XkbKeyNamesMask, desc.get()) != Success || !desc->names || !desc->names->keys)
        return 0;
    for (int kc = desc->min_key_code; kc <= desc->max_key_code; ++kc) {
        if (std::strncmp(desc->names->keys[kc].name, "AB04", XkbKeyNameLength) == 0)
            return static_cast<unsigned>(kc);
    }
    return 0;
}

} // namespace

X11KeystrokePoster::X11KeystrokePoster(X11OwnKeystrokes &ledger, Scheduler &scheduler)
    : ledger_(ledger)
    , scheduler_(scheduler)
    , x_(std::make_unique<Connection>())
{
    int event = 0, error = 0, major = 0, minor = 0;
    xtest_ = x_->display && XTestQueryExtension(x_->display.get(), &event, &error, &major, &minor);
}

X11KeystrokePoster::~X11KeystrokePoster() = default;

void X11KeystrokePoster::postPaste(PasteChord chord, Done done)
{
    Job job;
    switch (chord) {
    case PasteChord::ctrlV:
        job.modifiers = {keycode(XK_Control_L)};
        job.key = pasteKey();
        break;
    case PasteChord::ctrlShiftV:
        job.modifiers = {keycode(XK_Control_L), keycode(XK_Shift_L)};
        job.key = pasteKey();
        break;
    case PasteChord::shiftInsert:
        job.modifiers = {keycode(XK_Shift_L)};
        job.key = keycode(XK_Insert);
        break;
    }
    job.done = std::move(done);
    enqueue(std::move(job));
}

void X11KeystrokePoster::postReturn(Done done)
{
    Job job;
    job.key = keycode(XK_Return);
    job.done = std::move(done);
    enqueue(std::move(job));
}

void X11KeystrokePoster::enqueue(Job job)
{
    queue_.push_back(std::move(job));
    if (!waiting_)
        pump();
}

// Sends queued keystrokes once no modifier is held or the wait ran out.
void X11KeystrokePoster::pump()
{
    while (!queue_.empty()) {
        if (xtest_ && !heldModifiers().empty()) {
            if (!waiting_) {
                waiting_ = true;
                waitStarted_ = scheduler_.now();
            }
            if (scheduler_.now() - waitStarted_ < releaseWait) {
                poll_ = scheduler_.after(pollInterval, [this] { pump(); });
                return;
            }
        }
        waiting_ = false;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        const bool sent = send(job);
        if (job.done)
            job.done(sent); // may queue more; the loop picks it up
    }
    waiting_ = false;
}

bool X11KeystrokePoster::send(const Job &job)
{
    if (!xtest_ || job.key == 0 || std::count(job.modifiers.begin(), job.modifiers.end(), 0u) > 0)
        return false;
    Display *d = x_->display.get();
    X11ErrorTrap trap(d);

    // Release what the user still holds. XTest can only release keys pressed
    // through XTest; a physically held key stays down, and is not pressed again.
    const std::vector<unsigned> held = heldModifiers();
    for (unsigned kc : held)
        transition(kc, false);
    XSync(d, False);
    const std::vector<unsigned> stillHeld = heldModifiers();
    std::vector<unsigned> released;
    for (unsigned kc : held) {
        if (std::find(stillHeld.begin(), stillHeld.end(), kc) == stillHeld.end())
            released.push_back(kc);
        else
            ledger_.consume(kc, false); // the server dropped it: the user's own release must not pass for ours
    }

    for (unsigned kc : job.modifiers)
        transition(kc, true);
    transition(job.key, true);
    transition(job.key, false);
    for (auto it = job.modifiers.rbegin(); it != job.modifiers.rend(); ++it)
        transition(*it, false);

    for (unsigned kc : released)
        transition(kc, true);
    return !trap.failed();
}

void X11KeystrokePoster::transition(unsigned keycode, bool press)
{
    ledger_.expect(keycode, press);
    XTestFakeKeyEvent(x_->display.get(), keycode, press ? True : False, CurrentTime);
}

// Keys of the modifier map (Shift, Control, Alt, Super...) that are down now.
std::vector<unsigned> X11KeystrokePoster::heldModifiers() const
{
    std::vector<unsigned> held;
    Display *d = x_->display.get();
    if (!d)
        return held;
    char keys[32] = {};
    XQueryKeymap(d, keys);
    XModifierKeymap *map = XGetModifierMapping(d);
    if (!map)
        return held;
    for (int i = 0; i < 8 * map->max_keypermod; ++i) {
        const unsigned kc = map->modifiermap[i];
        const bool down = kc != 0 && (keys[kc / 8] & (1 << (kc % 8))) != 0;
        if (down && std::find(held.begin(), held.end(), kc) == held.end())
            held.push_back(kc);
    }
    XFreeModifiermap(map);
    return held;
}

unsigned X11KeystrokePoster::keycode(unsigned long keysym) const
{
    return x_->display ? XKeysymToKeycode(x_->display.get(), keysym) : 0;
}

// The key that types "v" in one of the user's layouts; else the key at the V
// position, so a non-Latin layout still gets the usual shortcut key.
unsigned X11KeystrokePoster::pasteKey() const
{
    if (!x_->display)
        return 0;
    if (const unsigned kc = keycode(XK_v))
        return kc;
    return physicalVKey(x_->display.get());
}

} // namespace quillo
