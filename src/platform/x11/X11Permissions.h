#pragma once

#include <memory>

#include "platform/Permissions.h"

#include <functional>

namespace quillo {

// Permissions on an X11 desktop: nothing is granted per program, so synthetic
// keys are "trusted" when the X server offers XTest, and the microphone is
// "authorised" when the sound system has an input device.
class X11Permissions final : public Permissions {
public:
    using InputProbe = std::function<bool()>;

    explicit X11Permissions(InputProbe hasAudioInput);
    ~X11Permissions() override;

    bool isAccessibilityTrusted() const override { return xtest_; }
    void promptForAccessibility() override { }
    MicrophoneAuthorization microphoneAuthorization() const override;
    void requestMicrophoneAccess() override { }
    QString sessionProblem() const override;

    // The message for a session without a usable X server; empty when there is one.
    static QString sessionProblemFor(bool haveX11, bool waylandSession);

private:
    // Xlib stays out of this header: its macros (None, Bool, Status...) break Qt headers.
    struct Connection;
    std::unique_ptr<Connection> x_;
    bool xtest_ = false;
    InputProbe hasAudioInput_;
};

} // namespace quillo
