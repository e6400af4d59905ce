#pragma once

#include "dictation/FailedRecording.h"
#include "dictation/FileTasks.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// The failed recordings kept for a retry, newest first: at most maxKept, none older
// than maxAgeDays. Each stays until its own retry delivers its text or the user removes
// it. On disk each is a WAV file and a JSON note in one folder, readable by the user
// alone (no secret in either). At start-up a recording whose process died while making
// it (a crash, a power loss, a kill) is kept like any other failed one. The list lives on
// the main thread; file changes go through the file tasks.
class FailedRecordingStore : public QObject {
    Q_OBJECT

public:
    static constexpr int maxKept = 10;
    static constexpr int maxAgeDays = 7;
    using Clock = std::function<QDateTime()>;

    // Loads what earlier runs kept in folder; now is the wall clock (UTC) for the age bound.
    FailedRecordingStore(QString folder, FileTasks &tasks, Clock now = {}, QObject *parent = nullptr);

    // The user's cache folder for these recordings.
    static QString defaultFolder();
    // Where earlier versions kept the one last failed recording.
    static QString olderFolder();

    // Takes over the recording an earlier version kept in folder (one WAV file and its note).
    void adoptOlderRecording(const QString &folder);

    const QList<FailedRecording> &recordings() const { return kept_; }
    // The recording id; the newest for an empty id.
    std::optional<FailedRecording> find(const QString &id = {}) const;
    // Lists a recording whose files a RecordingJournal finished.
    void keep(const FailedRecording &recording);
    void remove(const QString &id);

    const QString &folder() const { return folder_; }
    QString audioPath(const QString &id) const;
    FileTasks &tasks() const { return tasks_; }
    QDateTime now() const;

signals:
    void changed();

private:
    void load();
    std::optional<FailedRecording> loadOne(const QString &id);
    // Drops what is over the bounds; true when something went.
    bool prune();
    void removeFiles(const QString &id) const;

    QString folder_;
    FileTasks &tasks_;
    Clock now_;
    QList<FailedRecording> kept_;
};

} // namespace quillo
