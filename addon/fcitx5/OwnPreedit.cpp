#include "OwnPreedit.h"

#include <fcitx/candidatelist.h>
#include <fcitx/inputpanel.h>
#include <fcitx/text.h>

namespace quillo::fcitx5 {

namespace {

fcitx::Text underlined(const std::string &text)
{
    // DontCommit: on focus out fcitx5 commits the preedit of a client without ClientUnfocusCommit
    // (GTK, the Wayland input method) and Qt's module commits its own; both skip text marked so,
    // and a partial transcript must never land that way.
    fcitx::Text preedit(
        text, fcitx::TextFormatFlags{fcitx::TextFormatFlag::Underline, fcitx::TextFormatFlag::DontCommit});
    preedit.setCursor(static_cast<int>(text.size()));
    return preedit;
}

} // namespace

bool OwnPreedit::show(fcitx::InputContext &ic, const std::string &text)
{
    if (holdsUsersComposition(ic)) {
        return false;
    }
    if (text.empty()) {
        clear(ic);
        return true;
    }
    if (!ic.capabilityFlags().test(fcitx::CapabilityFlag::Preedit)) {
        return false;
    }
    ic.inputPanel().setClientPreedit(underlined(text));
    ic.updatePreedit();
    context_ = ic.uuid();
    text_ = text;
    shown_ = true;
    return true;
}

void OwnPreedit::clear(fcitx::InputContext &ic)
{
    if (isShownIn(ic) && !holdsUsersComposition(ic)) {
        remove(ic);
    }
    forget(ic);
}

bool OwnPreedit::commit(fcitx::InputContext &ic, const std::string &text)
{
    if (holdsUsersComposition(ic)) {
        return false;
    }
    if (isShownIn(ic)) {
        remove(ic);
    }
    forget(ic);
    ic.commitString(text);
    return true;
}

void OwnPreedit::forget(const fcitx::InputContext &ic)
{
    if (!isShownIn(ic)) {
        return;
    }
    shown_ = false;
    text_.clear();
}

bool OwnPreedit::isShownIn(const fcitx::InputContext &ic) const
{
    return shown_ && context_ == ic.uuid();
}

bool OwnPreedit::holdsUsersComposition(fcitx::InputContext &ic) const
{
    const auto &panel = ic.inputPanel();
    const auto candidates = panel.candidateList();
    if (!panel.preedit().empty() || (candidates && candidates->size() > 0)) {
        return true;
    }
    const auto client = panel.clientPreedit().toString();
    return !client.empty() && !(isShownIn(ic) && client == text_);
}

void OwnPreedit::remove(fcitx::InputContext &ic)
{
    ic.inputPanel().setClientPreedit(fcitx::Text());
    ic.updatePreedit();
}

} // namespace quillo::fcitx5
