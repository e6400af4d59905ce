#include "dictation/FailedRecordingStore.h"

#include "dictation/RecordingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QUuid>

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

// The choices in a note of the version that kept only the last failed recording.
std::optional<FailedRecording> olderRecording(const QByteArray &bytes)
{
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    const std::optional<AppStyle> style = appStyleFromName(json.value(QStringLiteral("style")).toString());
    if (json.value(QStringLiteral("version")).toInt() != 1 || !style)
        return std::nullopt;
    FailedRecording r;
    r.style = *style;
    r.polish = json.value(QStringLiteral("polish")).toBool();
    if (json.contains(QStringLiteral("translation"))) {
        r.translation = targetLanguageFromRaw(json.value(QStringLiteral("translation")).toString());
        if (!r.translation)
            return std::nullopt;
    }
    return r;
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

QString FailedRecordingStore::olderFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

void FailedRecordingStore::adoptOlderRecording(const QString &folder)
{
    const QString olderAudio = QDir(folder).filePath(QStringLiteral("last-failed-recording.wav"));
    const QString olderNote = QDir(folder).filePath(QStringLiteral("last-failed-recording.json"));
    if (!QFileInfo::exists(olderAudio) && !QFileInfo::exists(olderNote))
        return;
    const auto note = readBounded(olderNote, noteLimit);
    std::optional<FailedRecording> recording = note ? olderRecording(*note) : std::nullopt;
    const qint64 bytes = audioBytesOf(olderAudio);
    if (recording && bytes > 0) {
        recording->id = QUuid::createUuid().toString(QUuid::Id128);
        recording->recordedAt = QFileInfo(olderAudio).lastModified().toUTC();
        recording->bytes = bytes;
        tasks_.post([olderAudio, audio = audioPath(recording->id), folder = folder_,
                        path = recordingFiles::notePath(folder_, recording->id), r = *recording] {
            // Only a recording that reached its new place is described there.
            if (makePrivateFolder(folder) && QFile::rename(olderAudio, audio))
                writePrivately(path, noteBytes({r, false, 0}));
        });
        keep(*recording);
    }
    tasks_.post([olderAudio, olderNote] {
        QFile::remove(olderNote);
        QFile::remove(olderAudio);
    });
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
