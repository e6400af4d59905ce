#include "dictation/FailedRecordingStore.h"

#include "dictation/RecordingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace quillo {

namespace {

using namespace recordingFiles;

constexpr qint64 noteLimit = 4096;

// Only names this store gives out are ever read or removed.
bool isOurName(const QString &baseName)
{
    static const QRegularExpression idPattern(QStringLiteral("^[0-9a-f]{32}$"));
    return idPattern.match(baseName).hasMatch();
}

std::optional<QByteArray> readBounded(const QString &path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(limit);
}

// The bytes of audio in a WAV file of ours, whatever its header says (a process that
// died never wrote the sizes); none for anything else.
qint64 audioBytesOf(const QString &path)
{
    const auto head = readBounded(path, wavHeaderBytes);
    if (!head || !isOurWav(*head))
        return 0;
    return ((QFileInfo(path).size() - wavHeaderBytes) / 2) * 2;
}

// Makes a recording that never ended a finished one: sizes in its header, its note failed.
void closeOrphan(const QString &audio, const QString &notePath, const FailedRecording &recording)
{
    QFile file(audio);
    if (file.open(QIODevice::ReadWrite)) {
        file.resize(wavHeaderBytes + recording.bytes);
        file.write(wavHeader(recording.bytes));
    }
    writePrivately(notePath, noteBytes({recording, false, 0}));
}

} // namespace

FailedRecordingStore::FailedRecordingStore(QString folder, FileTasks &tasks, Clock now, QObject *parent)
    : QObject(parent)
    , folder_(std::move(folder))
    , tasks_(tasks)
    , now_(std::move(now))
{
    load();
}

QString FailedRecordingStore::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("recordings"));
}

QString FailedRecordingStore::audioPath(const QString &id) const
{
    return recordingFiles::audioPath(folder_, id);
}

QDateTime FailedRecordingStore::now() const
{
    return now_ ? now_() : QDateTime::currentDateTimeUtc();
}

std::optional<FailedRecording> FailedRecordingStore::find(const QString &id) const
{
    if (id.isEmpty())
        return kept_.isEmpty() ? std::nullopt : std::optional(kept_.front());
    const auto it = std::find_if(kept_.begin(), kept_.end(), [&id](const auto &r) { return r.id == id; });
    return it == kept_.end() ? std::nullopt : std::optional(*it);
}

void FailedRecordingStore::load()
{
    const QDir dir(folder_);
    QSet<QString> ids;
    for (const QFileInfo &entry : dir.entryInfoList({QStringLiteral("*.json"), QStringLiteral("*.wav")}, QDir::Files))
        if (isOurName(entry.completeBaseName()))
            ids.insert(entry.completeBaseName());
    for (const QString &id : ids) {
        if (auto recording = loadOne(id))
            kept_.append(std::move(*recording));
    }
    std::sort(kept_.begin(), kept_.end(), [](const auto &a, const auto &b) { return a.recordedAt > b.recordedAt; });
    prune();
}

std::optional<FailedRecording> FailedRecordingStore::loadOne(const QString &id)
{
    const auto bytes = readBounded(recordingFiles::notePath(folder_, id), noteLimit);
    auto note = bytes ? parseNote(*bytes, id) : std::nullopt;
    // Another Quillo is making this one right now.
    if (note && note->inProgress && isOtherLiveProcess(note->pid))
        return std::nullopt;
    const qint64 audioBytes = audioBytesOf(audioPath(id));
    // Half-written, damaged, or never a word long: nothing to retry, and the voice goes too.
    if (!note || audioBytes == 0) {
        removeFiles(id);
        return std::nullopt;
    }
    note->recording.bytes = audioBytes;
    if (note->inProgress)
        tasks_.post([audio = audioPath(id), path = recordingFiles::notePath(folder_, id), recording = note->recording] {
            closeOrphan(audio, path, recording);
        });
    return note->recording;
}

void FailedRecordingStore::keep(const FailedRecording &recording)
{
    if (recording.bytes <= 0) {
        removeFiles(recording.id);
        return;
    }
    const auto newer = [&recording](const FailedRecording &r) { return r.recordedAt > recording.recordedAt; };
    const auto at = std::find_if_not(kept_.begin(), kept_.end(), newer);
    kept_.insert(at, recording);
    prune();
    emit changed();
}

void FailedRecordingStore::remove(const QString &id)
{
    const auto removed = kept_.removeIf([&id](const auto &r) { return r.id == id; });
    removeFiles(id);
    if (removed > 0)
        emit changed();
}

bool FailedRecordingStore::prune()
{
    const QDateTime oldest = now().addDays(-maxAgeDays);
    bool pruned = false;
    for (qsizetype i = kept_.size() - 1; i >= 0; --i) {
        if (i < maxKept && kept_[i].recordedAt >= oldest)
            continue;
        removeFiles(kept_[i].id);
        kept_.removeAt(i);
        pruned = true;
    }
    return pruned;
}

void FailedRecordingStore::removeFiles(const QString &id) const
{
    tasks_.post([audio = audioPath(id), note = recordingFiles::notePath(folder_, id)] {
        QFile::remove(audio);
        QFile::remove(note);
    });
}

} // namespace quillo
