#include "dictation/RecordingFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QtEndian>

#include <csignal>
#include <unistd.h>

namespace quillo::recordingFiles {

namespace {

constexpr int noteVersion = 2;
constexpr quint32 sampleRate = 16000;
constexpr qint64 firstWordsLimit = 40;

namespace noteKey {
const QString version = QStringLiteral("version");
const QString state = QStringLiteral("state");
const QString pid = QStringLiteral("pid");
const QString recordedAt = QStringLiteral("recordedAt");
const QString style = QStringLiteral("style");
const QString translation = QStringLiteral("translation");
const QString polish = QStringLiteral("polish");
const QString firstWords = QStringLiteral("firstWords");
} // namespace noteKey

const QString recordingState = QStringLiteral("recording");
const QString failedState = QStringLiteral("failed");

void putTag(QByteArray &out, const char (&tag)[5])
{
    out.append(tag, 4);
}

template <typename T> void putLE(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

QByteArray commOf(const QString &pid)
{
    QFile file(QStringLiteral("/proc/%1/comm").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString audioPath(const QString &folder, const QString &id)
{
    return QDir(folder).filePath(id + QStringLiteral(".wav"));
}

QString notePath(const QString &folder, const QString &id)
{
    return QDir(folder).filePath(id + QStringLiteral(".json"));
}

QByteArray wavHeader(std::optional<qint64> dataBytes)
{
    // A growing file says "as long as it goes", as streaming recorders do.
    const quint32 data
        = dataBytes ? static_cast<quint32>(std::min<qint64>(*dataBytes, 0xFFFFFFFFLL - 36)) : 0xFFFFFFFFu - 36;
    QByteArray h;
    h.reserve(wavHeaderBytes);
    putTag(h, "RIFF");
    putLE<quint32>(h, 36 + data);
    putTag(h, "WAVE");
    putTag(h, "fmt ");
    putLE<quint32>(h, 16);
    putLE<quint16>(h, 1); // PCM
    putLE<quint16>(h, 1); // mono
    putLE<quint32>(h, sampleRate);
    putLE<quint32>(h, sampleRate * 2);
    putLE<quint16>(h, 2); // block align
    putLE<quint16>(h, 16); // bits per sample
    putTag(h, "data");
    putLE<quint32>(h, data);
    return h;
}

bool isOurWav(const QByteArray &bytes)
{
    if (bytes.size() < wavHeaderBytes)
        return false;
    const QByteArray expected = wavHeader(0);
    // Everything but the two sizes (at 4 and 40).
    return bytes.mid(0, 4) == expected.mid(0, 4) && bytes.mid(8, 32) == expected.mid(8, 32);
}

QByteArray noteBytes(const Note &note)
{
    const FailedRecording &r = note.recording;
    QJsonObject json{
        {noteKey::version, noteVersion},
        {noteKey::state, note.inProgress ? recordingState : failedState},
        {noteKey::recordedAt, r.recordedAt.toMSecsSinceEpoch()},
        {noteKey::style, appStyleName(r.style)},
        {noteKey::polish, r.polish},
    };
    if (note.inProgress)
        json.insert(noteKey::pid, note.pid);
    if (r.translation)
        json.insert(noteKey::translation, rawValue(*r.translation));
    if (!r.firstWords.isEmpty())
        json.insert(noteKey::firstWords, r.firstWords.left(firstWordsLimit));
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

std::optional<Note> parseNote(const QByteArray &bytes, const QString &id)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject json = document.object();
    const QString state = json.value(noteKey::state).toString();
    if (json.value(noteKey::version).toInt() != noteVersion || (state != recordingState && state != failedState)
        || !json.value(noteKey::polish).isBool() || !json.value(noteKey::recordedAt).isDouble())
        return std::nullopt;
    const std::optional<AppStyle> style = appStyleFromName(json.value(noteKey::style).toString());
    if (!style)
        return std::nullopt;
    Note note;
    note.inProgress = state == recordingState;
    note.pid = json.value(noteKey::pid).toInteger();
    FailedRecording &r = note.recording;
    r.id = id;
    r.recordedAt = QDateTime::fromMSecsSinceEpoch(json.value(noteKey::recordedAt).toInteger(), Qt::UTC);
    r.style = *style;
    r.polish = json.value(noteKey::polish).toBool();
    r.firstWords = json.value(noteKey::firstWords).toString().left(firstWordsLimit);
    if (json.contains(noteKey::translation)) {
        r.translation = targetLanguageFromRaw(json.value(noteKey::translation).toString());
        if (!r.translation)
            return std::nullopt;
    }
    return note;
}

// Owner-only from the start: the temporary file is restricted before any byte of
// the user's voice is written, and the rename keeps its mode.
bool writePrivately(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) || file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool makePrivateFolder(const QString &folder)
{
    if (!QDir(folder).mkpath(QStringLiteral(".")))
        return false;
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool isOtherLiveProcess(qint64 pid)
{
    if (pid <= 0 || pid == ::getpid())
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    // A number taken over by an unrelated program does not hide the recording.
    return commOf(QString::number(pid)) == commOf(QStringLiteral("self"));
}

} // namespace quillo::recordingFiles
