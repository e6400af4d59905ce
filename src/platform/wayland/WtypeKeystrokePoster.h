#pragma once

#include "platform/KeystrokePoster.h"

#include <QProcess>
#include <QStringList>

#include <deque>
#include <memory>

namespace quillo {

// Synthetic keystrokes on Wayland through wtype, which types with the compositor's
// virtual-keyboard protocol into the focused window. wtype takes one command line per
// run, so each keystroke is one short run; they go out one after another in the order
// asked. The user's own modifier keys cannot be seen from here (no global key access on
// Wayland); a virtual keyboard carries its own modifier state, so a held key does not
// mix into the chord on wlroots compositors.
class WtypeKeystrokePoster final : public KeystrokePoster {
public:
    explicit WtypeKeystrokePoster(QString program = QStringLiteral("wtype"));
    ~WtypeKeystrokePoster() override;

    void postPaste(PasteChord chord, Done done) override;
    void postReturn(Done done) override;

    // The wtype arguments of a chord, and of Return.
    static QStringList pasteArguments(PasteChord chord);
    static QStringList returnArguments();

private:
    struct Job {
        QStringList arguments;
        Done done;
    };

    void enqueue(Job job);
    void startNext();
    void finish(bool posted);

    QString program_;
    std::deque<Job> queue_;
    std::unique_ptr<QProcess> running_;
};

} // namespace quillo
