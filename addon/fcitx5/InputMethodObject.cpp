#include "InputMethodObject.h"

#include "ContextId.h"
#include "OwnPreedit.h"

#include <fcitx-utils/dbus/bus.h>
#include <fcitx-utils/dbus/message.h>
#include <fcitx/inputcontext.h>
#include <fcitx/inputcontextmanager.h>
#include <fcitx/instance.h>

#include <unistd.h>

namespace quillo::fcitx5 {

namespace {

constexpr uint32_t interfaceVersion = 1;
constexpr uint64_t uidQueryTimeoutUsec = 500'000;
// Enough for every program of a session; beyond it the answers are asked again.
constexpr std::size_t maxRememberedSenders = 256;

} // namespace

InputMethodObject::InputMethodObject(
    fcitx::Instance &instance, fcitx::dbus::Bus &bus, OwnPreedit &preedit, std::function<void()> delivered)
    : instance_(instance)
    , bus_(bus)
    , preedit_(preedit)
    , delivered_(std::move(delivered))
{
}

uint32_t InputMethodObject::version()
{
    refuseOtherUsers();
    return interfaceVersion;
}

std::tuple<bool, std::string, std::string> InputMethodObject::focused()
{
    refuseOtherUsers();
    auto *ic = instance_.lastFocusedInputContext();
    if (!ic || !ic->hasFocus()) {
        return {false, "", ""};
    }
    return {true, ic->program(), ContextId::format(ic->uuid())};
}

bool InputMethodObject::setPreedit(const std::string &context, const std::string &text)
{
    refuseOtherUsers();
    auto *ic = findFocused(context);
    const bool shown = ic && preedit_.show(*ic, text);
    delivered_();
    return shown;
}

bool InputMethodObject::clearPreedit(const std::string &context)
{
    refuseOtherUsers();
    auto *ic = find(context);
    if (!ic) {
        return false;
    }
    preedit_.clear(*ic);
    delivered_();
    return true;
}

bool InputMethodObject::commit(const std::string &context, const std::string &text)
{
    refuseOtherUsers();
    auto *ic = findFocused(context);
    const bool committed = ic && preedit_.commit(*ic, text);
    delivered_();
    return committed;
}

void InputMethodObject::refuseOtherUsers()
{
    const auto *message = currentMessage();
    if (message && isOwnUser(message->sender())) {
        return;
    }
    throw fcitx::dbus::MethodCallError(
        "com.nolt.quillo.InputMethod1.Error.NotAllowed", "only the user running fcitx5 may use this");
}

bool InputMethodObject::isOwnUser(const std::string &sender)
{
    if (auto known = senders_.find(sender); known != senders_.end()) {
        return known->second;
    }
    auto query = bus_.createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetConnectionUnixUser");
    query << sender;
    auto reply = query.call(uidQueryTimeoutUsec);
    uint32_t uid = 0;
    // No answer is no permission, and is asked again next time.
    if (reply.isError() || !(reply >> uid)) {
        return false;
    }
    if (senders_.size() >= maxRememberedSenders) {
        senders_.clear();
    }
    const bool allowed = uid == static_cast<uint32_t>(getuid());
    senders_.emplace(sender, allowed);
    return allowed;
}

fcitx::InputContext *InputMethodObject::find(const std::string &context) const
{
    const auto uuid = ContextId::parse(context);
    return uuid ? instance_.inputContextManager().findByUUID(*uuid) : nullptr;
}

fcitx::InputContext *InputMethodObject::findFocused(const std::string &context) const
{
    auto *ic = find(context);
    return ic && ic->hasFocus() ? ic : nullptr;
}

} // namespace quillo::fcitx5
