#pragma once

#include <QString>

namespace quillo::fakeportal {

// A preferred trigger as xdg-desktop-portal-kde reads it (XdgShortcut::parse):
// upper-case SHIFT, CAPS, CTRL, ALT, NUM and LOGO then one keysym name, found
// without regard to case; anything else gives no key. The key is Qt's
// combined key code, as kglobalaccel stores it.
class KdeTrigger {
public:
    // 0 when KDE binds no key.
    static int parse(const QString &trigger);
    // As KDE shows the key in trigger_description; empty for no key.
    static QString describe(int key);
    static QString describe(const QString &trigger) { return describe(parse(trigger)); }
};

} // namespace quillo::fakeportal
