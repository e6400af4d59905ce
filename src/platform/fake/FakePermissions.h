#pragma once

#include "platform/Permissions.h"

namespace quillo {

// Switches a test flips; counts the prompts and requests.
class FakePermissions final : public Permissions {
public:
    bool isAccessibilityTrusted() const override { return accessibility; }
    void promptForAccessibility() override { ++accessibilityPrompts; }
    MicrophoneAuthorization microphoneAuthorization() const override { return microphone; }
    void requestMicrophoneAccess() override { ++microphoneRequests; }
    QString sessionProblem() const override { return problem; }
    std::optional<DesktopAccess> desktopAccess() const override { return access; }
    void askForShortcuts() override { ++shortcutAsks; }
    void askForKeyboard() override { ++keyboardAsks; }

    bool accessibility = true;
    MicrophoneAuthorization microphone = MicrophoneAuthorization::authorized;
    QString problem;
    int accessibilityPrompts = 0;
    int microphoneRequests = 0;
    std::optional<DesktopAccess> access; // set: a desktop granting through its portals
    int shortcutAsks = 0;
    int keyboardAsks = 0;
};

} // namespace quillo
