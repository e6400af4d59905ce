#pragma once

#include <fcitx/inputcontext.h>

#include <string>

namespace quillo::fcitx5 {

// The preedit this addon shows in one input context, and the rules that keep it from
// overwriting a composition the user is typing with their own input method.
class OwnPreedit {
public:
    // Shows text underlined in the field; false (nothing changed) when the user composes
    // there or the client cannot show a preedit. An empty text clears ours.
    bool show(fcitx::InputContext &ic, const std::string &text);
    // Takes ours out of that context; anything that is not ours stays.
    void clear(fcitx::InputContext &ic);
    // Replaces ours by committed text in one go; false (nothing committed) when the user composes there.
    bool commit(fcitx::InputContext &ic, const std::string &text);

private:
    void forget(const fcitx::InputContext &ic);
    bool isShownIn(const fcitx::InputContext &ic) const;
    bool holdsUsersComposition(fcitx::InputContext &ic) const;
    void remove(fcitx::InputContext &ic);

    fcitx::ICUUID context_{};
    std::string text_;
    bool shown_ = false;
};

} // namespace quillo::fcitx5
