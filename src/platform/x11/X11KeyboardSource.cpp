#include "platform/x11/X11KeyboardSource.h"

#include "platform/x11/X11KeyMap.h"
#include "platform/x11/X11OwnKeystrokes.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XI2.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <utility>
#include <vector>

namespace quillo {
namespace {

// Collects the code of X protocol errors while alive instead of letting Xlib's
// default handler end the process.
// WORKAROUND: Xlib error handlers are process-wide function pointers with no
// context, so the code is kept in a thread_local; every read syncs first and
// the previous handler is put back only after a final sync.
class ErrorCollector {
public:
    explicit ErrorCollector(Display *display)
        : display_(display)
    {
        XSync(display_, False);
        code() = 0;
        previous_ = XSetErrorHandler(&record);
    }
    ~ErrorCollector()
    {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorCollector(const ErrorCollector &) = delete;
    ErrorCollector &operator=(const ErrorCollector &) = delete;

    // The first error since the last take (0 for none), then starts afresh.
    int take()
    {
        XSync(display_, False);
        return std::exchange(code(), 0);
    }

private:
    static int record(Display *, XErrorEvent *event)
    {
        if (code() == 0)
            code() = event->error_code;
        return 0;
    }
    static int &code()
    {
        thread_local int value = 0;
        return value;
    }

    Display *display_;
    XErrorHandler previous_ = nullptr;
};

bool isModifierKey(std::uint16_t macKeyCode)
{
    return X11KeyMap::modifierFlag(macKeyCode) != 0 || macKeyCode == 57; // Caps Lock
}

} // namespace

void X11KeyboardSource::DisplayCloser::operator()(_XDisplay *display) const
{
    if (display)
        XCloseDisplay(display);
}

X11KeyboardSource::X11KeyboardSource(X11OwnKeystrokes *ownKeystrokes, QObject *parent)
    : QObject(parent)
    , display_(XOpenDisplay(nullptr))
    , ownKeystrokes_(ownKeystrokes)
{
    macCodes_.fill(unknownKeyCode);
    Display *dpy = display_.get();
    if (!dpy)
        return;
    root_ = DefaultRootWindow(dpy);

    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    hasXInput2_ = XQueryExtension(dpy, "XInputExtension", &xiOpcode_, &event, &error)
        && XIQueryVersion(dpy, &major, &minor) == Success && major >= 2;
    int xtestMajor = 0;
    int xtestMinor = 0;
    hasXTest_ = XTestQueryExtension(dpy, &event, &error, &xtestMajor, &xtestMinor);

    // A held grabbed key then repeats as presses only, without fake releases.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(dpy, True, &detectable);
    loadKeyboardMapping();

    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(dpy), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { drain(); });
    scheduleDrain();
}

X11KeyboardSource::~X11KeyboardSource()
{
    notifier_.reset();
    if (!display_)
        return;
    // Closing the connection releases every grab and selection it holds.
    XUngrabKey(display_.get(), AnyKey, AnyModifier, root_);
    XSync(display_.get(), True);
}

void X11KeyboardSource::setSink(Sink sink)
{
    sink_ = std::move(sink);
}

KeyboardAccess X11KeyboardSource::access() const
{
    // X has no permission to ask for: any client may observe and post keys.
    return KeyboardAccess{hasXInput2_, hasXTest_, static_cast<bool>(display_)};
}

bool X11KeyboardSource::startListening()
{
    if (listening_)
        return true;
    if (!display_ || !hasXInput2_)
        return false;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    ErrorCollector errors(display_.get());
    XISelectEvents(display_.get(), root_, &mask, 1);
    if (errors.take() != 0)
        return false;
    // Modifiers already down when we start count from the first event on.
    rawDown_ = keysDownNow();
    listening_ = true;
    scheduleDrain();
    return true;
}

void X11KeyboardSource::stopListening()
{
    if (!listening_)
        return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(display_.get(), root_, &mask, 1);
    XFlush(display_.get());
    listening_ = false;
    rawDown_.clear();
}

int X11KeyboardSource::registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers)
{
    unregisterHotKey(id);
    if (!display_)
        return noSuchKey;
    const std::optional<unsigned> keycode = xKeycode(keyCode);
    if (!keycode)
        return noSuchKey;
    const std::optional<unsigned> mods = xModifiers(modifiers);
    if (!mods)
        return noSuchModifier;
    hotKeys_[id] = HotKey{*keycode, *mods};
    const int status = regrab(*keycode, id);
    if (status != 0) {
        hotKeys_.erase(id);
        regrab(*keycode, std::nullopt);
    }
    return status;
}

void X11KeyboardSource::unregisterHotKey(std::uint32_t id)
{
    const auto it = hotKeys_.find(id);
    if (it == hotKeys_.end())
        return;
    const unsigned keycode = it->second.keycode;
    hotKeys_.erase(it);
    regrab(keycode, std::nullopt);
}

void X11KeyboardSource::setKeyTaken(std::uint16_t keyCode, bool taken)
{
    const std::optional<unsigned> keycode = display_ ? xKeycode(keyCode) : std::nullopt;
    if (!keycode)
        return;
    if (taken == takenKeys_.contains(*keycode))
        return;
    if (taken)
        takenKeys_.insert(*keycode);
    else
        takenKeys_.erase(*keycode);
    regrab(*keycode, std::nullopt);
}

bool X11KeyboardSource::hasKey(std::uint16_t keyCode) const
{
    return display_ && xKeycode(keyCode).has_value();
}

std::uint64_t X11KeyboardSource::currentModifiers() const
{
    if (!display_)
        return 0;
    return flagsOf(listening_ ? rawDown_ : keysDownNow());
}

// Every grab of one key is rebuilt at once: an ungrab with particular modifiers
// would punch holes into a grab with any modifiers.
int X11KeyboardSource::regrab(unsigned keycode, std::optional<std::uint32_t> reportId)
{
    Display *dpy = display_.get();
    ErrorCollector errors(dpy);
    XUngrabKey(dpy, static_cast<int>(keycode), AnyModifier, root_);
    if (takenKeys_.contains(keycode))
        XGrabKey(dpy, static_cast<int>(keycode), AnyModifier, root_, False, GrabModeAsync, GrabModeAsync);
    errors.take();
    int status = 0;
    const unsigned lockMasks[] = {0, LockMask, numLockMask_, LockMask | numLockMask_};
    for (const auto &[id, hotKey] : hotKeys_) {
        if (hotKey.keycode != keycode)
            continue;
        for (unsigned lock : lockMasks)
            XGrabKey(
                dpy, static_cast<int>(keycode), hotKey.modifiers | lock, root_, False, GrabModeAsync, GrabModeAsync);
        const int error = errors.take();
        if (reportId == id)
            status = error;
    }
    scheduleDrain();
    return status;
}

void X11KeyboardSource::scheduleDrain() const
{
    // Replies read during a round trip may have queued events the socket
    // notifier will never announce.
    if (draining_ || drainQueued_)
        return;
    drainQueued_ = true;
    auto *self = const_cast<X11KeyboardSource *>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->drainQueued_ = false;
            self->drain();
        },
        Qt::QueuedConnection);
}

void X11KeyboardSource::drain()
{
    if (draining_ || !display_)
        return;
    draining_ = true;
    while (XPending(display_.get()) > 0) {
        XEvent event;
        XNextEvent(display_.get(), &event);
        handleEvent(event);
    }
    draining_ = false;
}

void X11KeyboardSource::handleEvent(XEvent &event)
{
    Display *dpy = display_.get();
    switch (event.type) {
    case KeyPress:
    case KeyRelease:
        handleCoreKey(event.xkey.keycode, event.xkey.state, event.type == KeyPress);
        return;
    case MappingNotify:
        XRefreshKeyboardMapping(&event.xmapping);
        loadKeyboardMapping();
        return;
    case GenericEvent:
        break;
    default:
        return;
    }
    XGenericEventCookie *cookie = &event.xcookie;
    if (cookie->extension != xiOpcode_ || !XGetEventData(dpy, cookie))
        return;
    if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
        const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
        handleRawKey(
            static_cast<unsigned>(raw->detail), cookie->evtype == XI_RawKeyPress, (raw->flags & XIKeyRepeat) != 0);
    }
    XFreeEventData(dpy, cookie);
}

void X11KeyboardSource::handleRawKey(unsigned keycode, bool press, bool repeatFlag)
{
    if (!listening_ || keycode >= macCodes_.size())
        return;
    const bool repeat = press && (repeatFlag || rawDown_.contains(keycode));
    if (press)
        rawDown_.insert(keycode);
    else
        rawDown_.erase(keycode);
    const bool ours = !repeat && ownKeystrokes_ && ownKeystrokes_->consume(keycode, press);
    const std::uint16_t macKeyCode = macCodes_[keycode];

    KeyEvent event;
    event.keyCode = macKeyCode;
    event.modifiers = flagsOf(rawDown_);
    event.isRepeat = repeat;
    event.isOurs = ours;
    if (isModifierKey(macKeyCode)) {
        if (repeat)
            return; // a held modifier changes no flags
        event.type = KeyEvent::Type::flagsChanged;
    } else {
        event.type = press ? KeyEvent::Type::keyDown : KeyEvent::Type::keyUp;
    }
    if (sink_.onKeyEvent)
        sink_.onKeyEvent(event);
}

void X11KeyboardSource::handleCoreKey(unsigned keycode, unsigned state, bool press)
{
    if (!press) {
        const auto active = activeHotKeys_.find(keycode);
        if (active == activeHotKeys_.end())
            return;
        const std::uint32_t id = active->second;
        activeHotKeys_.erase(active);
        if (sink_.onSystemHotKey)
            sink_.onSystemHotKey(id, false);
        return;
    }
    if (activeHotKeys_.contains(keycode))
        return; // auto-repeat of a held combination
    const unsigned relevant = ShiftMask | ControlMask | altMask_ | superMask_;
    for (const auto &[id, hotKey] : hotKeys_) {
        if (hotKey.keycode == keycode && (state & relevant) == hotKey.modifiers) {
            activeHotKeys_[keycode] = id;
            if (sink_.onSystemHotKey)
                sink_.onSystemHotKey(id, true);
            return;
        }
    }
}

void X11KeyboardSource::loadKeyboardMapping()
{
    Display *dpy = display_.get();
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(dpy, &minKeycode, &maxKeycode);
    macCodes_.fill(unknownKeyCode);
    for (int keycode = minKeycode; keycode <= maxKeycode && keycode < static_cast<int>(macCodes_.size()); ++keycode) {
        const KeySym keysym = XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(keycode), 0, 0);
        macCodes_[static_cast<std::size_t>(keycode)]
            = X11KeyMap::macKeyCode(static_cast<std::uint32_t>(keysym)).value_or(unknownKeyCode);
    }

    altMask_ = superMask_ = numLockMask_ = 0;
    XModifierKeymap *map = XGetModifierMapping(dpy);
    if (!map)
        return;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            const KeyCode keycode = map->modifiermap[modifier * map->max_keypermod + i];
            if (keycode == 0)
                continue;
            const KeySym keysym = XkbKeycodeToKeysym(dpy, keycode, 0, 0);
            const unsigned bit = 1u << modifier;
            if (keysym == XK_Alt_L || keysym == XK_Alt_R || keysym == XK_Meta_L || keysym == XK_Meta_R)
                altMask_ |= bit;
            else if (keysym == XK_Super_L || keysym == XK_Super_R)
                superMask_ |= bit;
            else if (keysym == XK_Num_Lock)
                numLockMask_ |= bit;
        }
    }
    XFreeModifiermap(map);
    scheduleDrain();
}

std::optional<unsigned> X11KeyboardSource::xKeycode(std::uint16_t macKeyCode) const
{
    for (std::uint32_t keysym : X11KeyMap::keysyms(macKeyCode)) {
        const KeyCode keycode = XKeysymToKeycode(display_.get(), keysym);
        if (keycode != 0 && macCodes_[keycode] == macKeyCode)
            return keycode;
    }
    return std::nullopt;
}

std::optional<unsigned> X11KeyboardSource::xModifiers(std::uint64_t macFlags) const
{
    struct Pair {
        std::uint64_t flag;
        unsigned mask;
    };
    const Pair pairs[] = {{0x20000, ShiftMask}, {0x40000, ControlMask}, {0x80000, altMask_}, {0x100000, superMask_}};
    unsigned mask = 0;
    for (const Pair &pair : pairs) {
        if ((macFlags & pair.flag) == 0)
            continue;
        if (pair.mask == 0)
            return std::nullopt;
        mask |= pair.mask;
    }
    return mask; // Function has no X counterpart and is dropped.
}

std::uint64_t X11KeyboardSource::flagsOf(const std::set<unsigned> &keycodes) const
{
    std::uint64_t flags = 0;
    for (unsigned keycode : keycodes) {
        if (keycode < macCodes_.size())
            flags |= X11KeyMap::modifierFlag(macCodes_[keycode]);
    }
    return flags;
}

std::set<unsigned> X11KeyboardSource::keysDownNow() const
{
    std::set<unsigned> down;
    char keys[32] = {};
    XQueryKeymap(display_.get(), keys);
    for (unsigned keycode = 0; keycode < 256; ++keycode) {
        if ((keys[keycode / 8] >> (keycode % 8)) & 1)
            down.insert(keycode);
    }
    scheduleDrain();
    return down;
}

} // namespace quillo
