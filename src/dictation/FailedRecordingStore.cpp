#include "dictation/FailedRecordingStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtEndian>

namespace quillo {

namespace {

constexpr int noteVersion = 1;
constexpr qsizetype wavHeaderBytes = 44;
constexpr quint32 sampleRate = 16000;

const QString wavName = QStringLiteral("last-failed-recording.wav");
const QString noteName = QStringLiteral("last-failed-recording.json");

namespace noteKey {
const QString version = QStringLiteral("version");
const QString bytes = QStringLiteral("bytes");
const QString sha256 = QStringLiteral("sha256");
const QString style = QStringLiteral("style");
const QString translation = QStringLiteral("translation");
const QString polish = QStringLiteral("polish");
} // namespace noteKey

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

// The canonical 44-byte header of a 16 kHz mono 16-bit PCM WAV file.
QByteArray wavHeader(qsizetype dataBytes)
{
    const auto data = static_cast<quint32>(dataBytes);
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

// The samples of a file this store wrote; none for anything else.
std::optional<QByteArray> pcmOfWav(const QByteArray &file)
{
    if (file.size() < wavHeaderBytes)
        return std::nullopt;
    const qsizetype dataBytes = file.size() - wavHeaderBytes;
    if (file.left(wavHeaderBytes) != wavHeader(dataBytes) || dataBytes % 2 != 0)
        return std::nullopt;
    return file.mid(wavHeaderBytes);
}

QString digestOf(const QByteArray &pcm)
{
    return QString::fromLatin1(QCryptographicHash::hash(pcm, QCryptographicHash::Sha256).toHex());
}

QByteArray noteOf(const FailedRecording &recording)
{
    QJsonObject note{
        {noteKey::version, noteVersion},
        {noteKey::bytes, static_cast<qint64>(recording.pcm.size())},
        {noteKey::sha256, digestOf(recording.pcm)},
        {noteKey::style, appStyleName(recording.style)},
        {noteKey::polish, recording.polish},
    };
    if (recording.translation)
        note.insert(noteKey::translation, rawValue(*recording.translation));
    return QJsonDocument(note).toJson(QJsonDocument::Compact);
}

// The recording a note describes, when it matches these samples exactly.
std::optional<FailedRecording> recordingOf(const QByteArray &noteBytes, const QByteArray &pcm)
{
    const QJsonDocument document = QJsonDocument::fromJson(noteBytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject note = document.object();
    if (note.value(noteKey::version).toInt() != noteVersion
        || note.value(noteKey::bytes).toInteger(-1) != static_cast<qint64>(pcm.size())
        || note.value(noteKey::sha256).toString() != digestOf(pcm) || !note.value(noteKey::polish).isBool())
        return std::nullopt;
    const std::optional<AppStyle> style = appStyleFromName(note.value(noteKey::style).toString());
    if (!style)
        return std::nullopt;
    FailedRecording recording{pcm, *style, std::nullopt, note.value(noteKey::polish).toBool()};
    if (note.contains(noteKey::translation)) {
        recording.translation = targetLanguageFromRaw(note.value(noteKey::translation).toString());
        if (!recording.translation)
            return std::nullopt;
    }
    return recording;
}

std::optional<QByteArray> readBounded(const QString &path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return std::nullopt;
    return file.readAll();
}

// Owner-only from the start: the temporary file is restricted before any byte of
// the user's voice is written, and the rename keeps its mode.
bool writePrivately(const QString &path, const QByteArray &first, const QByteArray &second = {})
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(first) != first.size() || file.write(second) != second.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

FailedRecordingStore::FailedRecordingStore(QString folder, QObject *parent)
    : QObject(parent)
    , folder_(std::move(folder))
{
    load();
}

QString FailedRecordingStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

QString FailedRecordingStore::wavPath() const
{
    return QDir(folder_).filePath(wavName);
}

QString FailedRecordingStore::notePath() const
{
    return QDir(folder_).filePath(noteName);
}

void FailedRecordingStore::load()
{
    const bool wavThere = QFileInfo::exists(wavPath());
    const bool noteThere = QFileInfo::exists(notePath());
    if (!wavThere && !noteThere)
        return;
    const auto wav = readBounded(wavPath(), wavHeaderBytes + maxBytes);
    const auto note = readBounded(notePath(), 4096);
    const auto pcm = wav ? pcmOfWav(*wav) : std::nullopt;
    if (pcm && note && !pcm->isEmpty())
        current_ = recordingOf(*note, *pcm);
    // A half-written, damaged or foreign pair can never be retried: the voice in it goes too.
    if (!current_)
        removeFiles();
}

bool FailedRecordingStore::keep(FailedRecording recording)
{
    if (recording.pcm.isEmpty() || recording.pcm.size() > maxBytes)
        return false;
    if (current_ == recording)
        return true;
    current_ = std::move(recording);
    const bool written = write(*current_);
    // An older pair left on disk would come back after a restart as if it were the last.
    if (!written)
        removeFiles();
    emit changed();
    return written;
}

void FailedRecordingStore::discard()
{
    const bool had = current_.has_value();
    current_.reset();
    removeFiles();
    if (had)
        emit changed();
}

bool FailedRecordingStore::write(const FailedRecording &recording) const
{
    QDir dir(folder_);
    if (!dir.exists()) {
        if (!dir.mkpath(QStringLiteral(".")))
            return false;
        QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // The note goes last: a pair whose note is missing or stale is never offered.
    return writePrivately(wavPath(), wavHeader(recording.pcm.size()), recording.pcm)
        && writePrivately(notePath(), noteOf(recording));
}

void FailedRecordingStore::removeFiles() const
{
    QFile::remove(notePath());
    QFile::remove(wavPath());
}

} // namespace quillo
