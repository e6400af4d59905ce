#pragma once

#include "platform/InputMethodBridge.h"

#include <QStringList>

#include <deque>
#include <utility>

namespace quillo {

// An input method with one focused field, answering as the fcitx5 addon does: a call for a
// context that is not focused, or that holds the user's own composition, is refused and
// changes nothing. Answers come at once unless `deferAnswers` holds them for `answerAll`.
class FakeInputMethodBridge final : public InputMethodBridge {
public:
    bool present = true;
    bool deferAnswers = false;
    // The focused context ("" when no field has the focus) and its program.
    QString focusedContext = QStringLiteral("ctx-1");
    QString program = QStringLiteral("org.gnome.TextEditor");
    bool userComposing = false;

    // What the field shows: our preedit, and the text committed into it.
    QString preedit;
    QString preeditContext;
    QStringList committed;
    int setPreeditCalls = 0;

    void probe(Done done) override
    {
        answer([this, done = std::move(done)] { done(present); });
    }
    void focused(FocusDone done) override
    {
        answer([this, done = std::move(done)] {
            done(present ? std::optional<Focus>(Focus{focusedContext.isEmpty() ? QString() : program, focusedContext})
                         : std::nullopt);
        });
    }
    void setPreedit(const QString &context, const QString &text, Done done) override
    {
        ++setPreeditCalls;
        answer([this, context, text, done = std::move(done)] {
            if (!writable(context))
                return done(false);
            preedit = text;
            preeditContext = context;
            done(true);
        });
    }
    void clearPreedit(const QString &context, Done done) override
    {
        answer([this, context, done = std::move(done)] {
            if (!present)
                return done(false);
            if (context == preeditContext)
                preedit.clear();
            done(true);
        });
    }
    void commit(const QString &context, const QString &text, Done done) override
    {
        answer([this, context, text, done = std::move(done)] {
            if (!writable(context))
                return done(false);
            if (context == preeditContext)
                preedit.clear();
            committed.append(text);
            done(true);
        });
    }

    void answerAll()
    {
        while (!pending_.empty()) {
            auto next = std::move(pending_.front());
            pending_.pop_front();
            next();
        }
    }

private:
    bool writable(const QString &context) const
    {
        return present && !context.isEmpty() && context == focusedContext && !userComposing;
    }
    void answer(std::function<void()> reply)
    {
        if (deferAnswers)
            pending_.push_back(std::move(reply));
        else
            reply();
    }

    std::deque<std::function<void()>> pending_;
};

} // namespace quillo
