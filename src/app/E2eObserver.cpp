#include "app/E2eObserver.h"

#include "dictation/AppClassifier.h"
#include "dictation/DictationController.h"
#include "dictation/FailedRecordingStore.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/FrontmostApp.h"
#include "settings/HistoryStore.h"

#include <algorithm>
#include <cmath>

namespace quillo {

E2eObserver::E2eObserver(DictationController &controller, HistoryStore &history, Print print, QObject *parent)
    : QObject(parent)
    , controller_(controller)
    , history_(history)
    , print_(std::move(print))
{
}

QString E2eObserver::phaseText(const DictationPhase &phase)
{
    using Kind = DictationPhase::Kind;
    switch (phase.kind()) {
    case Kind::idle:
        return QStringLiteral("idle");
    case Kind::recording:
        return QStringLiteral("recording");
    case Kind::transcribing:
        return QStringLiteral("transcribing");
    case Kind::polishing:
        return QStringLiteral("polishing");
    case Kind::done:
        return QStringLiteral("done(\"%1\")").arg(phase.payload());
    case Kind::failed:
        return QStringLiteral("failed(\"%1\")").arg(phase.payload());
    }
    return {};
}

QString E2eObserver::levelLine(QList<float> levels)
{
    if (levels.isEmpty())
        return QStringLiteral("[e2e] level: min 0.00 median 0.00 p90 0.00 max 0.00 (n=0)");
    std::sort(levels.begin(), levels.end());
    const auto at = [&](double q) {
        const auto i = static_cast<qsizetype>(std::floor(q * double(levels.size() - 1)));
        return double(levels[std::clamp<qsizetype>(i, 0, levels.size() - 1)]);
    };
    return QString::asprintf("[e2e] level: min %.2f median %.2f p90 %.2f max %.2f (n=%d)", double(levels.front()),
        at(0.5), at(0.9), double(levels.back()), int(levels.size()));
}

QString E2eObserver::retryLine(const QList<FailedRecording> &kept)
{
    if (kept.isEmpty())
        return QStringLiteral("[e2e] retry: removed");
    return QString::asprintf("[e2e] retry: kept %lld bytes (%.2f s), %lld in all",
        static_cast<long long>(kept.front().bytes), kept.front().seconds(), static_cast<long long>(kept.size()));
}

void E2eObserver::observeFailedRecordings(FailedRecordingStore &store)
{
    connect(&store, &FailedRecordingStore::changed, this, [this, &store] { print_(retryLine(store.recordings())); });
}

void E2eObserver::observeAll(HotkeyManager &hotkeys)
{
    hotkeys.debugLog = [this](const QString &message) { print_(QStringLiteral("[e2e] hotkey: ") + message); };
    observeNotes();
    observeTimings();
    auto &hud = controller_.hud();
    connect(&controller_, &DictationController::phaseChanged, this, [this](const DictationPhase &phase) {
        // A recording's levels are summed up when it ends.
        if (phase.kind() != DictationPhase::Kind::recording && !levels_.isEmpty()) {
            print_(levelLine(levels_));
            levels_.clear();
        }
        print_(QStringLiteral("[e2e] phase: ") + phaseText(phase));
    });
    connect(&hud, &HUDModel::levelsChanged, this, [this, &hud] {
        if (controller_.phase().kind() == DictationPhase::Kind::recording && !hud.levels().isEmpty())
            levels_.append(hud.levels().back());
    });
    connect(&hud, &HUDModel::partialChanged, this, [this, &hud] {
        const QString partial = hud.partial();
        if (partial.isEmpty() || partial == lastPartial_)
            return;
        lastPartial_ = partial;
        print_(QStringLiteral("[e2e] partial: ") + partial);
    });
    connect(&history_, &HistoryStore::entriesChanged, this, [this] {
        const auto &entries = history_.entries();
        if (entries.empty())
            return;
        const auto &entry = entries.front();
        print_(QStringLiteral("[e2e] raw: ") + entry.raw + QStringLiteral(" · lang=")
            + entry.language.value_or(QStringLiteral("-")));
    });
}

void E2eObserver::observeNotes()
{
    connect(&controller_, &DictationController::lastMessageChanged, this, [this] {
        if (const auto &message = controller_.lastMessage())
            print_(noteLine(*message));
    });
}

void E2eObserver::observeTimings()
{
    controller_.timings().onFinished = [this](const DictationTimings::Record &record) {
        print_(QStringLiteral("[e2e] timings: ") + record.summary());
    };
}

void E2eObserver::observePhasesWithApp(FrontmostApp &frontmost)
{
    observeNotes();
    observeTimings();
    connect(&controller_, &DictationController::phaseChanged, this, [this, &frontmost](const DictationPhase &phase) {
        const auto app = frontmost.current();
        const QString id = app && !app->identifier.isEmpty() ? app->identifier : QStringLiteral("-");
        const AppStyle style = app ? forApp(*app) : AppStyle::general;
        print_(QStringLiteral("[e2e] phase: ") + phaseText(phase) + QStringLiteral(" · 前台应用 ") + id);
        // On a line of its own: the phase line's form is what scripts already read.
        if (phase.kind() == DictationPhase::Kind::done)
            print_(QStringLiteral("[e2e] style: ") + appStyleName(style));
    });
}

} // namespace quillo
