#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// The input method's own way into the focused field: a preedit shown in place, and text
// committed as if typed, without the clipboard or a keystroke. Every answer arrives
// asynchronously on the main thread, within a bounded time; a bridge that does not answer
// in time reports as if it were absent or refused.
class InputMethodBridge {
public:
    // The input context that has the keyboard focus now.
    struct Focus {
        QString program; // as the input method knows it; may be empty
        QString context; // an opaque identifier, the same for as long as the context lives

        friend bool operator==(const Focus &, const Focus &) = default;
    };
    // nullopt: the bridge did not answer (absent, not allowed, too slow).
    // A Focus with an empty context: the bridge answered, and no field has the focus.
    using FocusDone = std::function<void(std::optional<Focus>)>;
    // true: done; false: refused (the context lost the focus or holds the user's own
    // composition), absent or too slow.
    using Done = std::function<void(bool)>;

    virtual ~InputMethodBridge() = default;

    // Whether the bridge answers at all.
    virtual void probe(Done done) = 0;
    virtual void focused(FocusDone done) = 0;
    virtual void setPreedit(const QString &context, const QString &text, Done done) = 0;
    virtual void clearPreedit(const QString &context, Done done) = 0;
    // Replaces our preedit with text in one step.
    virtual void commit(const QString &context, const QString &text, Done done) = 0;
};

} // namespace quillo
