#include "dictation/FailedRecordingStore.h"
#include "audio/AudioFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace quillo::test {
namespace {

FailedRecording sample(char fill = 'a', std::optional<TargetLanguage> translation = TargetLanguage::vietnamese)
{
    QByteArray pcm;
    for (int i = 0; i < 8000; ++i)
        pcm.append(static_cast<char>(fill + i % 7));
    return FailedRecording{pcm, AppStyle::coding, translation, true};
}

mode_t modeOf(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class FailedRecordingStoreTest : public ::testing::Test {
public:
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("cache/quillo"));
};

TEST_F(FailedRecordingStoreTest, KeepsTheLastOneAcrossARestartReadableByTheUserAlone)
{
    {
        FailedRecordingStore store(folder);
        EXPECT_EQ(store.current(), std::nullopt);
        ASSERT_TRUE(store.keep(sample('a')));
        ASSERT_TRUE(store.keep(sample('k', std::nullopt)));
        EXPECT_EQ(modeOf(store.wavPath()), 0600u);
        EXPECT_EQ(modeOf(store.notePath()), 0600u);
        EXPECT_EQ(modeOf(folder), 0700u);
        // A standard WAV file: any audio program (and our own reader) plays it back.
        const auto decoded = loadPCM16(store.wavPath());
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded.value(), sample('k').pcm);
        const QByteArray wav = readAll(store.wavPath());
        EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 4), static_cast<quint32>(wav.size() - 8));
        EXPECT_FALSE(readAll(store.notePath()).contains("sk-"));
    }
    FailedRecordingStore reopened(folder);
    EXPECT_EQ(reopened.current(), sample('k', std::nullopt));
    EXPECT_DOUBLE_EQ(reopened.current()->seconds(), 0.25);
    // Nothing but the pair is left behind (no temporary files).
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(FailedRecordingStoreTest, KeepsUpToTheLongestAllowedAndNothingEmpty)
{
    FailedRecordingStore store(folder);
    const auto ofBytes = [](qsizetype bytes) {
        return FailedRecording{QByteArray(bytes, 'x'), AppStyle::general, std::nullopt, false};
    };
    for (const qsizetype bytes : {qsizetype{0}, FailedRecordingStore::maxBytes + 2}) {
        EXPECT_FALSE(store.keep(ofBytes(bytes))) << bytes;
        EXPECT_EQ(store.current(), std::nullopt);
        EXPECT_FALSE(QFile::exists(store.wavPath()));
    }
    EXPECT_TRUE(store.keep(ofBytes(FailedRecordingStore::maxBytes)));
    EXPECT_EQ(FailedRecordingStore(folder).current(), ofBytes(FailedRecordingStore::maxBytes));
}

TEST_F(FailedRecordingStoreTest, DiscardRemovesBothFilesAndTellsOnlyWhenSomethingWent)
{
    FailedRecordingStore store(folder);
    QSignalSpy changes(&store, &FailedRecordingStore::changed);
    store.keep(sample());
    store.keep(sample()); // the same again changes nothing
    EXPECT_EQ(changes.size(), 1);
    store.discard();
    store.discard();
    EXPECT_EQ(changes.size(), 2);
    EXPECT_FALSE(QFile::exists(store.wavPath()));
    EXPECT_FALSE(QFile::exists(store.notePath()));
    EXPECT_EQ(FailedRecordingStore(folder).current(), std::nullopt);
}

TEST_F(FailedRecordingStoreTest, AnUnwritableFolderStillKeepsItForThisRun)
{
    writeAll(dir.filePath(QStringLiteral("cache")), "a file where the folder should be");
    FailedRecordingStore store(folder);
    QSignalSpy changes(&store, &FailedRecordingStore::changed);
    EXPECT_FALSE(store.keep(sample()));
    EXPECT_EQ(store.current(), sample());
    EXPECT_EQ(changes.size(), 1);
}

TEST_F(FailedRecordingStoreTest, AFailedWriteLeavesNoOlderPairToComeBack)
{
    FailedRecordingStore store(folder);
    ASSERT_TRUE(store.keep(sample('a')));
    // The WAV cannot be replaced: the older note must not survive to describe anything.
    QFile::remove(store.wavPath());
    ASSERT_TRUE(QDir(folder).mkdir(QFileInfo(store.wavPath()).fileName()));
    EXPECT_FALSE(store.keep(sample('k')));
    EXPECT_FALSE(QFile::exists(store.notePath()));
    EXPECT_EQ(FailedRecordingStore(folder).current(), std::nullopt);
}

struct Damage {
    const char *name;
    std::function<void(QByteArray &wav, QJsonObject &note)> apply;
    bool removeWav = false;
    bool removeNote = false;
};

TEST_F(FailedRecordingStoreTest, DamagedOrHalfWrittenFilesOfferNothingAndAreRemoved)
{
    const std::vector<Damage> cases = {
        {"no note", {}, false, true},
        {"no WAV", {}, true, false},
        {"note not JSON",
            [](QByteArray &, QJsonObject &note) {
                note = {{QStringLiteral("x"), 1}};
            }},
        {"other samples, same length", [](QByteArray &wav, QJsonObject &) { wav[100] = static_cast<char>(~wav[100]); }},
        {"truncated WAV", [](QByteArray &wav, QJsonObject &) { wav.chop(2); }},
        {"header only", [](QByteArray &wav, QJsonObject &) { wav.truncate(44); }},
        {"stereo header", [](QByteArray &wav, QJsonObject &) { wav[22] = 2; }},
        {"not a WAV", [](QByteArray &wav, QJsonObject &) { wav = "garbage"; }},
        {"unknown style", [](QByteArray &, QJsonObject &note) { note[QStringLiteral("style")] = QStringLiteral("x"); }},
        {"unknown language",
            [](QByteArray &, QJsonObject &note) { note[QStringLiteral("translation")] = QStringLiteral("fr"); }},
        {"no polish", [](QByteArray &, QJsonObject &note) { note.remove(QStringLiteral("polish")); }},
        {"newer version", [](QByteArray &, QJsonObject &note) { note[QStringLiteral("version")] = 2; }},
    };
    for (const Damage &c : cases) {
        SCOPED_TRACE(c.name);
        QString wavPath, notePath;
        {
            FailedRecordingStore store(folder);
            ASSERT_TRUE(store.keep(sample()));
            wavPath = store.wavPath();
            notePath = store.notePath();
        }
        QByteArray wav = readAll(wavPath);
        QJsonObject note = QJsonDocument::fromJson(readAll(notePath)).object();
        if (c.apply) {
            c.apply(wav, note);
            writeAll(wavPath, wav);
            writeAll(notePath, QJsonDocument(note).toJson());
        }
        if (c.removeWav)
            QFile::remove(wavPath);
        if (c.removeNote)
            QFile::remove(notePath);

        FailedRecordingStore reopened(folder);
        EXPECT_EQ(reopened.current(), std::nullopt);
        EXPECT_FALSE(QFile::exists(wavPath));
        EXPECT_FALSE(QFile::exists(notePath));
    }
}

} // namespace
} // namespace quillo::test
