#pragma once

#include "OwnPreedit.h"
#include "WaylandFlusher.h"

#include <fcitx-utils/handlertable.h>
#include <fcitx/addonfactory.h>
#include <fcitx/addoninstance.h>
#include <fcitx/addonmanager.h>
#include <fcitx/instance.h>

#include <memory>

namespace quillo::fcitx5 {

class InputMethodObject;

// The addon inside the user's fcitx5: offers Quillo the focused field over fcitx5's
// session-bus connection, whatever input method is active.
class QuilloAddon : public fcitx::AddonInstance {
public:
    explicit QuilloAddon(fcitx::Instance *instance);
    ~QuilloAddon() override;

private:
    FCITX_ADDON_DEPENDENCY_LOADER(dbus, instance_->addonManager())
    FCITX_ADDON_DEPENDENCY_LOADER(wayland, instance_->addonManager())

    fcitx::Instance *instance_;
    OwnPreedit preedit_;
    std::unique_ptr<WaylandFlusher> flusher_;
    std::unique_ptr<InputMethodObject> object_;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>> focusOut_;
};

class QuilloAddonFactory : public fcitx::AddonFactory {
public:
    fcitx::AddonInstance *create(fcitx::AddonManager *manager) override;
};

} // namespace quillo::fcitx5
