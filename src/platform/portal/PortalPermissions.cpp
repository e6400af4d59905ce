#include "platform/portal/PortalPermissions.h"

#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalRemoteDesktop.h"

namespace quillo {

bool PortalPermissions::shortcutsBound() const
{
    return !shortcuts_
        || (shortcuts_->state() == PortalGlobalShortcuts::State::bound && !shortcuts_->triggerDescriptions().empty());
}

bool PortalPermissions::keyboardGranted() const
{
    return !keyboard_ || keyboard_->state() == PortalRemoteDesktop::State::started;
}

// Only what is missing is asked for: each ask is a dialog of the desktop.
void PortalPermissions::promptForAccessibility()
{
    if (!shortcutsBound())
        shortcuts_->bindAgain();
    if (!keyboardGranted())
        keyboard_->start();
}

} // namespace quillo
