#pragma once

#include "platform/Permissions.h"

namespace quillo {

// Permissions in a Wayland session: nothing is granted per program to the helpers
// (wl-clipboard, wtype) or to XTest on XWayland, so "trusted" means some way to paste
// exists in this session. The microphone is never gated here.
class WaylandPermissions final : public Permissions {
public:
    explicit WaylandPermissions(bool canPaste)
        : canPaste_(canPaste)
    {
    }

    bool isAccessibilityTrusted() const override { return canPaste_; }
    void promptForAccessibility() override { }
    MicrophoneAuthorization microphoneAuthorization() const override { return MicrophoneAuthorization::authorized; }
    void requestMicrophoneAccess() override { }
    QString sessionProblem() const override;

private:
    bool canPaste_;
};

} // namespace quillo
