#pragma once

#include <QString>

namespace quillo {

// Ordered as the platform reports them.
enum class MicrophoneAuthorization { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

// What the program may do on this desktop: post synthetic keys and paste
// ("accessibility"), and record from a microphone.
class Permissions {
public:
    virtual ~Permissions() = default;

    virtual bool isAccessibilityTrusted() const = 0;
    // Asks the system to offer the permission; does nothing where there is nothing to grant.
    virtual void promptForAccessibility() = 0;
    virtual MicrophoneAuthorization microphoneAuthorization() const = 0;
    // The answer is not awaited; read the status again later.
    virtual void requestMicrophoneAccess() = 0;
    // One sentence for the user when this desktop session cannot support global
    // hotkeys and paste at all; empty when it can.
    virtual QString sessionProblem() const = 0;
};

} // namespace quillo
