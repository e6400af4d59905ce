#pragma once

#include <memory>

#include "platform/Permissions.h"

namespace quillo {

// Permissions on an X11 desktop: nothing is granted per program, so synthetic
// keys are "trusted" when the X server offers XTest, and the microphone is
// always "authorised" — a missing input device is the recorder's error to report.
class X11Permissions final : public Permissions {
public:
    X11Permissions();
    ~X11Permissions() override;

    bool isAccessibilityTrusted() const override { return xtest_; }
    void promptForAccessibility() override { }
    MicrophoneAuthorization microphoneAuthorization() const override;
    void requestMicrophoneAccess() override { }
    QString sessionProblem() const override;

    // The message for a session without a usable X server; empty when there is one.
    static QString sessionProblemFor(bool haveX11, bool waylandSession);
    // Whether $DISPLAY names an X server that accepts a connection now.
    static bool displayReachable();

private:
    // Xlib stays out of this header: its macros (None, Bool, Status...) break Qt headers.
    struct Connection;
    std::unique_ptr<Connection> x_;
    bool xtest_ = false;
};

} // namespace quillo
