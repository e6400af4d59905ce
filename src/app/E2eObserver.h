#pragma once

#include "dictation/FailedRecording.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quillo {

class DictationController;
class DictationPhase;
class FailedRecordingStore;
class FrontmostApp;
class HistoryStore;
class HotkeyManager;

// The "[e2e] " lines of the observation modes, one per event, flushed at once.
class E2eObserver : public QObject {
    Q_OBJECT

public:
    using Print = std::function<void(const QString &)>;

    E2eObserver(DictationController &controller, HistoryStore &history, Print print, QObject *parent = nullptr);

    // Everything the hand-dictation mode prints: hotkeys, phases, levels, partials, raw text.
    void observeAll(HotkeyManager &hotkeys);
    // The file mode: phases with the focused application.
    void observePhasesWithApp(FrontmostApp &frontmost);
    // Audio kept for a retry after a failed dictation, and its removal.
    void observeFailedRecordings(FailedRecordingStore &store);

    static QString phaseText(const DictationPhase &phase);
    static QString noteLine(const QString &message) { return QStringLiteral("[e2e] note: ") + message; }
    static QString levelLine(QList<float> levels);
    // The newest kept recording, and how many there are.
    static QString retryLine(const QList<FailedRecording> &kept);

private:
    // Why a delivered result fell back (polish rejected, translation failed): a done phase alone hides it.
    void observeNotes();
    // Where each dictation's time went, once it has ended.
    void observeTimings();

    DictationController &controller_;
    HistoryStore &history_;
    Print print_;
    QList<float> levels_;
    QString lastPartial_;
};

} // namespace quillo
