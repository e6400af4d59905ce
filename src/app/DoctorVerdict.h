#pragma once

#include "app/DoctorFindings.h"

#include <vector>

namespace quillo {

// Whether a dictation can work end to end on this desktop, and what to do about each
// missing piece. A dictation works when the key is stored and readable, a microphone
// opens, something verified starts it (portal shortcuts with a trigger, X11 hot keys in an
// X11 session, or a compositor binding), and its text is pasted rather than only copied.
struct DoctorVerdict {
    // One fix each, in the order they are shown.
    enum class Advice {
        graphicalSession, // run it inside the desktop session
        importKey,
        unlockKeyStore,
        startSoundServer,
        fixMicrophone,
        bindDesktopKey, // nothing verified starts a dictation: the desktop's binding lines
        confirmShortcuts, // the portal's shortcuts were refused or got no trigger
        freeX11Hotkey, // another program holds one of the X11 hot keys
        addStopBinding, // `quillo --start` bound without `quillo --stop`
        installWlClipboard,
        installWtype,
        installPortal,
        grantKeyboard, // the portal's keyboard was refused
        pasteByHand, // nothing can paste here: the text waits on the clipboard
        installDesktopEntry,
        enableAppIndicator,
        addTray,
        startQuillo, // none runs: the key bindings need it
        restartQuillo, // one runs but did not answer (or is older)
    };

    bool canDictate = false;
    bool startVerified = false;
    bool pasteWorks = false;
    bool keyReady = false;
    bool microphoneReady = false;
    std::vector<Advice> advice;

    bool advises(Advice a) const;
    static DoctorVerdict judge(const DoctorFindings &findings);
};

} // namespace quillo
