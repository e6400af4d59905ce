#include "QuilloAddon.h"

#include "InputMethodObject.h"

#include <dbus_public.h>
#include <fcitx/inputcontext.h>

#include <stdexcept>

namespace quillo::fcitx5 {

QuilloAddon::QuilloAddon(fcitx::Instance *instance)
    : instance_(instance)
{
    auto *dbusAddon = dbus();
    if (!dbusAddon) {
        throw std::runtime_error("fcitx5's dbus addon is not loaded");
    }
    auto *bus = dbusAddon->call<fcitx::IDBusModule::bus>();
    flusher_ = std::make_unique<WaylandFlusher>(wayland());
    object_ = std::make_unique<InputMethodObject>(*instance_, *bus, preedit_, [this] { flusher_->flush(); });
    if (!bus->addObjectVTable(InputMethodObject::path, InputMethodObject::interface, *object_)) {
        throw std::runtime_error("could not export " + std::string(InputMethodObject::path));
    }
    // A field that loses the focus loses our preedit with it: the next field starts clean.
    focusOut_ = instance_->watchEvent(
        fcitx::EventType::InputContextFocusOut, fcitx::EventWatcherPhase::PreInputMethod, [this](fcitx::Event &event) {
            auto &icEvent = static_cast<fcitx::InputContextEvent &>(event);
            preedit_.clear(*icEvent.inputContext());
        });
}

QuilloAddon::~QuilloAddon() = default;

fcitx::AddonInstance *QuilloAddonFactory::create(fcitx::AddonManager *manager)
{
    // fcitx5's addon manager owns what its factories create.
    return new QuilloAddon(manager->instance());
}

} // namespace quillo::fcitx5

FCITX_ADDON_FACTORY(quillo::fcitx5::QuilloAddonFactory)
