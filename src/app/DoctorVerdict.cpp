#include "app/DoctorVerdict.h"

#include <algorithm>
#include <set>

namespace quillo {

namespace {

using Advice = DoctorVerdict::Advice;
using F = DoctorFindings;

bool hasAction(const F &f, std::initializer_list<const char *> actions, bool global)
{
    return std::any_of(f.desktopBindings.begin(), f.desktopBindings.end(), [&](const F::DesktopBinding &b) {
        return b.global == global && std::any_of(actions.begin(), actions.end(), [&b](const char *action) {
            return b.action == QLatin1String(action);
        });
    });
}

bool desktopBindingStarts(const F &f)
{
    return hasAction(f, {"start", "toggle"}, false) || hasAction(f, {"hold", "toggle", "holdSend"}, true);
}

bool someX11HotkeyWorks(const F &f)
{
    // Where the running Quillo said it listens on X11, its own word stands.
    if (!f.x11HotkeysChecked)
        return true;
    return std::any_of(f.x11Hotkeys.begin(), f.x11Hotkeys.end(), [](const F::X11Hotkey &h) { return h.works; });
}

bool someX11HotkeyTaken(const F &f)
{
    return std::any_of(f.x11Hotkeys.begin(), f.x11Hotkeys.end(), [](const F::X11Hotkey &h) { return !h.works; });
}

// X11 hot keys start a dictation in native Wayland windows only through the portal or the
// compositor: there they count only in an X11 session.
bool startIsVerified(const F &f)
{
    const bool portal = f.hotkeys == F::Hotkeys::portal && !f.triggers.empty();
    const bool x11 = f.hotkeys == F::Hotkeys::x11 && f.session == F::Session::x11 && someX11HotkeyWorks(f);
    return portal || x11 || desktopBindingStarts(f);
}

void adviseStart(const F &f, bool verified, std::set<Advice> &advice)
{
    if (!verified)
        advice.insert(Advice::bindDesktopKey);
    if (f.shortcuts != F::Shortcuts::notAsked && f.shortcuts != F::Shortcuts::bound)
        advice.insert(Advice::confirmShortcuts);
    if (f.hotkeys == F::Hotkeys::x11 && someX11HotkeyTaken(f))
        advice.insert(Advice::freeX11Hotkey);
    if (hasAction(f, {"start"}, false) && !hasAction(f, {"stop"}, false))
        advice.insert(Advice::addStopBinding);
    if (f.instance == F::Instance::none)
        advice.insert(Advice::startQuillo);
    if (f.instance == F::Instance::silent || f.instance == F::Instance::old)
        advice.insert(Advice::restartQuillo);
}

void advisePaste(const F &f, bool works, std::set<Advice> &advice)
{
    const bool gnomeOrKde = f.desktop == F::Desktop::gnome || f.desktop == F::Desktop::kde;
    if (f.wayland()) {
        if (!f.clipboardTools)
            advice.insert(Advice::installWlClipboard);
        if (f.dataControl && f.virtualKeyboard && !f.keyTool)
            advice.insert(Advice::installWtype);
        if (f.portalAsked && f.portal && f.portal->presence == PortalSupport::Presence::absent && gnomeOrKde)
            advice.insert(Advice::installPortal);
        // The portal looks the entry up by the app id it knows us by; without one it is of no use.
        const bool appInfoMissing = f.portal && f.portal->registryProblem.contains(QLatin1String("App info"));
        if (f.portalPresent() && ((!f.desktopEntryInstalled && !f.appId.isEmpty()) || appInfoMissing))
            advice.insert(Advice::installDesktopEntry);
    }
    if (f.remoteDesktopState == QLatin1String("refused"))
        advice.insert(Advice::grantKeyboard);
    const bool fixOffered = advice.contains(Advice::installWlClipboard) || advice.contains(Advice::installWtype)
        || advice.contains(Advice::installPortal) || advice.contains(Advice::grantKeyboard);
    if (!works && !fixOffered)
        advice.insert(Advice::pasteByHand);
}

bool adviseKey(const F &f, std::set<Advice> &advice)
{
    if (f.key == F::Key::stored)
        return true;
    advice.insert(f.key == F::Key::missing ? Advice::importKey : Advice::unlockKeyStore);
    return false;
}

bool adviseMicrophone(const F &f, std::set<Advice> &advice)
{
    if (f.microphoneOpened.value_or(false))
        return true;
    advice.insert(f.soundServerMissing ? Advice::startSoundServer : Advice::fixMicrophone);
    return false;
}

} // namespace

bool DoctorVerdict::advises(Advice a) const
{
    return std::find(advice.begin(), advice.end(), a) != advice.end();
}

DoctorVerdict DoctorVerdict::judge(const DoctorFindings &f)
{
    DoctorVerdict verdict;
    std::set<Advice> advice;
    verdict.keyReady = adviseKey(f, advice);
    verdict.microphoneReady = adviseMicrophone(f, advice);
    if (f.session == F::Session::none) {
        advice.insert(Advice::graphicalSession);
    } else {
        verdict.startVerified = startIsVerified(f);
        verdict.pasteWorks = f.route && *f.route != InsertionRoute::clipboardOnly;
        adviseStart(f, verdict.startVerified, advice);
        advisePaste(f, verdict.pasteWorks, advice);
        if (f.tray == false)
            advice.insert(f.desktop == F::Desktop::gnome ? Advice::enableAppIndicator : Advice::addTray);
    }
    verdict.canDictate = verdict.keyReady && verdict.microphoneReady && verdict.startVerified && verdict.pasteWorks;
    verdict.advice.assign(advice.begin(), advice.end());
    return verdict;
}

} // namespace quillo
