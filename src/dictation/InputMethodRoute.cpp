#include "dictation/InputMethodRoute.h"

namespace quillo {

// One dictation's field and what of ours it shows.
struct InputMethodRoute::Target {
    QString context; // empty until the input method named the focused field
    bool asking = false; // which field has the focus is being asked
    bool absent = false; // the input method did not answer: this dictation pastes
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
    askFocus(target_, [this] { pushPreedit(); });
}

// A key grab takes the focus from the field while the hotkey is held (X11's passive grabs, as
// of a combination hotkey): a field not named yet is asked for again until one is.
void InputMethodRoute::askFocus(const std::shared_ptr<Target> &target, std::function<void()> then)
{
    target->asking = true;
    deps_.bridge.focused(
        [weak = std::weak_ptr<Target>(target), then = std::move(then)](std::optional<InputMethodBridge::Focus> focus) {
            const auto current = weak.lock();
            if (!current)
                return;
            current->asking = false;
            current->absent = !focus.has_value();
            if (focus)
                current->context = focus->context;
            then();
        });
}

bool InputMethodRoute::mayAskAgain(const Target &target)
{
    return target.context.isEmpty() && !target.absent && !target.asking;
}

void InputMethodRoute::showPartial(const QString &text)
{
    if (!target_)
        return;
    target_->wanted = text;
    if (mayAskAgain(*target_) && deps_.liveText && deps_.liveText()) {
        askFocus(target_, [this] { pushPreedit(); });
        return;
    }
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
    if (!target)
        return fallback(std::move(done));
    target->delivering = true;
    target->later = ScheduledWork();
    if (!mayAskAgain(*target)) {
        commitTo(target, text, std::move(done), std::move(fallback));
        return;
    }
    askFocus(target, [this, text, done = std::move(done), fallback = std::move(fallback)] {
        commitTo(target_, text, done, fallback);
    });
}

void InputMethodRoute::commitTo(
    const std::shared_ptr<Target> &target, const QString &text, InsertDone done, Fallback fallback)
{
    if (target->context.isEmpty()) {
        report(target->absent ? "input method: no answer, pasting" : "input method: no field focused, pasting");
        return fallback(std::move(done));
    }
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
