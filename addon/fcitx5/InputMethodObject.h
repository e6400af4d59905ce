#pragma once

#include <fcitx-utils/dbus/objectvtable.h>

#include <functional>
#include <string>
#include <tuple>
#include <unordered_map>

namespace fcitx {
class InputContext;
class Instance;
namespace dbus {
class Bus;
}
} // namespace fcitx

namespace quillo::fcitx5 {

class OwnPreedit;

// com.nolt.quillo.InputMethod1 at /com/nolt/quillo/InputMethod on fcitx5's own bus
// connection: what Quillo may do with the focused field, and only for fcitx5's own user.
class InputMethodObject : public fcitx::dbus::ObjectVTable<InputMethodObject> {
public:
    static constexpr const char *path = "/com/nolt/quillo/InputMethod";
    static constexpr const char *interface = "com.nolt.quillo.InputMethod1";

    // delivered runs after every call that may have changed a field.
    InputMethodObject(
        fcitx::Instance &instance, fcitx::dbus::Bus &bus, OwnPreedit &preedit, std::function<void()> delivered);

    uint32_t version();
    std::tuple<bool, std::string, std::string> focused();
    bool setPreedit(const std::string &context, const std::string &text);
    bool clearPreedit(const std::string &context);
    bool commit(const std::string &context, const std::string &text);

private:
    void refuseOtherUsers();
    bool isOwnUser(const std::string &sender);
    fcitx::InputContext *find(const std::string &context) const;
    fcitx::InputContext *findFocused(const std::string &context) const;

    fcitx::Instance &instance_;
    fcitx::dbus::Bus &bus_;
    OwnPreedit &preedit_;
    std::function<void()> delivered_;
    // Unique bus names are never reused, so what the bus daemon said about one stays true.
    std::unordered_map<std::string, bool> senders_;

    FCITX_OBJECT_VTABLE_METHOD(version, "Version", "", "u");
    FCITX_OBJECT_VTABLE_METHOD(focused, "Focused", "", "bss");
    FCITX_OBJECT_VTABLE_METHOD(setPreedit, "SetPreedit", "ss", "b");
    FCITX_OBJECT_VTABLE_METHOD(clearPreedit, "ClearPreedit", "s", "b");
    FCITX_OBJECT_VTABLE_METHOD(commit, "Commit", "ss", "b");
};

} // namespace quillo::fcitx5
