#include "dictation/InputMethodRoute.h"

namespace quillo {

// One dictation's field and what of ours it shows.
struct InputMethodRoute::Target {
    QString context; // empty until the input method named the focused field
    bool live = true; // preedit may still be sent (none was refused)
    bool delivering = false;
    bool preeditShown = false; // a preedit of ours may be in the field
    QString wanted; // the latest partial text
    QString sent; // the partial text last sent
    std::optional<Scheduler::TimePoint> sentAt;
    ScheduledWork later;
};

InputMethodRoute::InputMethodRoute(Deps deps)
    : deps_(std::move(deps))
{
}

InputMethodRoute::~InputMethodRoute()
{
    end();
}

void InputMethodRoute::begin()
{
    end();
    target_ = std::make_shared<Target>();
    deps_.bridge.focused([this, weak = std::weak_ptr<Target>(target_)](std::optional<InputMethodBridge::Focus> focus) {
        const auto target = weak.lock();
        if (!target || !focus || focus->context.isEmpty())
            return;
        target->context = focus->context;
        pushPreedit();
    });
}

void InputMethodRoute::showPartial(const QString &text)
{
    if (!target_)
        return;
    target_->wanted = text;
    pushPreedit();
}

// Only on change, and at most once per interval: the last text of a burst goes out at its end.
void InputMethodRoute::pushPreedit()
{
    const auto target = target_;
    if (!target || target->context.isEmpty() || !target->live || target->delivering || target->later.isSet())
        return;
    if (!deps_.liveText || !deps_.liveText() || target->wanted == target->sent)
        return;
    if (target->sentAt) {
        const auto since = deps_.scheduler.now() - *target->sentAt;
        if (since < preeditInterval) {
            const auto wait = std::chrono::duration_cast<Scheduler::Duration>(preeditInterval - since);
            target->later = deps_.scheduler.after(wait, [this, target = target.get()] {
                target->later.release(); // it is running now
                pushPreedit();
            });
            return;
        }
    }
    sendPreedit(target);
}

void InputMethodRoute::sendPreedit(const std::shared_ptr<Target> &target)
{
    target->sent = target->wanted;
    target->sentAt = deps_.scheduler.now();
    target->preeditShown = true;
    deps_.bridge.setPreedit(target->context, target->sent, [this, weak = std::weak_ptr<Target>(target)](bool shown) {
        const auto current = weak.lock();
        if (shown || !current)
            return;
        // The user is composing, or the field lost the focus: leave it alone from now on.
        current->live = false;
        clearPreedit(*current);
    });
}

void InputMethodRoute::clearPreedit(Target &target)
{
    target.later = ScheduledWork();
    if (!std::exchange(target.preeditShown, false))
        return;
    deps_.bridge.clearPreedit(target.context, [](bool) {});
}

void InputMethodRoute::insert(const QString &text, InsertDone done, Fallback fallback)
{
    lastCommitted_ = false;
    const auto target = target_;
    if (!target || target->context.isEmpty()) {
        report("input method: no field named at the start, pasting");
        return fallback(std::move(done));
    }
    target->delivering = true;
    target->later = ScheduledWork();
    // The input method refuses a field that lost the focus or holds the user's composition.
    deps_.bridge.commit(target->context, text,
        [this, weak = std::weak_ptr<Target>(target), done = std::move(done), fallback = std::move(fallback)](
            bool committed) {
            const auto current = weak.lock();
            if (!current)
                return; // cancelled meanwhile: nothing goes anywhere
            if (committed) {
                current->preeditShown = false;
                lastCommitted_ = true;
                report("route input-method, committed");
                return done(InsertOutcome::pasted);
            }
            report("input method: commit refused or unanswered, pasting");
            clearPreedit(*current);
            fallback(done);
        });
}

void InputMethodRoute::report(const char *line) const
{
    if (deps_.report)
        deps_.report(QString::fromLatin1(line));
}

void InputMethodRoute::follow(const DictationPhase &phase)
{
    const DictationPhase::Kind kind = phase.kind();
    if (kind == DictationPhase::Kind::recording && lastPhase_ != kind)
        begin();
    else if (phase.isFree())
        end();
    lastPhase_ = kind;
}

void InputMethodRoute::end()
{
    if (const auto target = std::exchange(target_, nullptr))
        clearPreedit(*target);
}

} // namespace quillo
