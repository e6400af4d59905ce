#include "dictation/FailedRecordingStore.h"
#include "ControllerHarness.h"
#include "InlineFileTasks.h"
#include "audio/AudioFile.h"
#include "dictation/FileWorker.h"
#include "dictation/RecordingFiles.h"
#include "dictation/RecordingJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <thread>

namespace quillo::test {
namespace {

const QDateTime start(QDate(2026, 3, 2), QTime(9, 30), Qt::UTC);

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

QByteArray voice(char fill, qsizetype bytes = 8000)
{
    QByteArray pcm;
    for (qsizetype i = 0; i < bytes; ++i)
        pcm.append(static_cast<char>(fill + i % 7));
    return pcm;
}

class FailedRecordingStoreTest : public ::testing::Test {
public:
    FailedRecording info(int n, QDateTime at = {}) const
    {
        FailedRecording r;
        r.id = QStringLiteral("%1").arg(n, 32, 10, QLatin1Char('0'));
        r.recordedAt = at.isValid() ? at : start.addSecs(n * 3600);
        r.style = AppStyle::coding;
        r.translation = TargetLanguage::vietnamese;
        r.polish = true;
        return r;
    }

    // A journal's files as a process that died left them.
    void leaveUnfinished(const FailedRecording &r, const QByteArray &pcm)
    {
        RecordingJournal journal(tasks, folder, r);
        journal.append(pcm);
    }

    FailedRecording keepIn(FailedRecordingStore &store, int n, const QByteArray &pcm, QDateTime at = {})
    {
        RecordingJournal journal(tasks, folder, info(n, at));
        journal.append(pcm);
        const FailedRecording kept = journal.finish(info(n, at));
        store.keep(kept);
        return kept;
    }

    std::unique_ptr<FailedRecordingStore> open()
    {
        return std::make_unique<FailedRecordingStore>(folder, tasks, [this] { return now; });
    }

    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("cache/quillo/recordings"));
    InlineFileTasks tasks;
    QDateTime now = start.addDays(1);
};

TEST_F(FailedRecordingStoreTest, TheAudioIsOnDiskAsItIsRecordedReadableByTheUserAlone)
{
    const FailedRecording r = info(1);
    RecordingJournal journal(tasks, folder, r);
    journal.append(voice('a'));
    const QString audio = recordingFiles::audioPath(folder, r.id);
    const QString note = recordingFiles::notePath(folder, r.id);
    // Before the recording ends: all of it there, in a file only the user reads.
    EXPECT_EQ(readAll(audio).mid(44), voice('a'));
    EXPECT_EQ(modeOf(audio), 0600u);
    EXPECT_EQ(modeOf(note), 0600u);
    EXPECT_EQ(modeOf(folder), 0700u);
    journal.append(voice('b'));
    journal.finish(r);
    // A standard WAV file once it ends: any audio program (and our own reader) plays it.
    const auto decoded = loadPCM16(audio);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded.value(), voice('a') + voice('b'));
    EXPECT_FALSE(readAll(note).contains("sk-"));
}

TEST_F(FailedRecordingStoreTest, KeepsTheNewestTenOfTheLastSevenDaysAcrossARestart)
{
    {
        const auto store = open();
        for (int n = 1; n <= 12; ++n)
            keepIn(*store, n, voice('a', 64 * n));
        keepIn(*store, 13, voice('z'), now.addDays(-8));
        EXPECT_EQ(store->recordings().size(), 10);
    }
    now = start.addDays(7).addSecs(6 * 3600 + 1800); // recordings 1 to 6 are older than a week by now
    const auto reopened = open();
    QStringList ids;
    for (const FailedRecording &r : reopened->recordings())
        ids.append(r.id.right(2));
    EXPECT_EQ(ids, (QStringList{"12", "11", "10", "09", "08", "07"}));
    FailedRecording newest = info(12);
    newest.bytes = 64 * 12;
    EXPECT_EQ(reopened->recordings().front(), newest);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 12);
}

TEST_F(FailedRecordingStoreTest, RemoveTakesTheFilesAndTellsOnlyWhenSomethingWent)
{
    const auto store = open();
    const FailedRecording kept = keepIn(*store, 1, voice('a'));
    QSignalSpy changes(store.get(), &FailedRecordingStore::changed);
    store->remove(QStringLiteral("elsewhere"));
    EXPECT_EQ(changes.size(), 0);
    store->remove(kept.id);
    store->remove(kept.id);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
}

struct LeftOnDisk {
    const char *name;
    // Changes what a finished recording left; true when it is still worth a retry.
    std::function<void(QByteArray &wav, QJsonObject &note)> apply;
    bool kept;
};

TEST_F(FailedRecordingStoreTest, WhatARestartFindsOnDisk)
{
    const std::vector<LeftOnDisk> cases = {
        {"a finished recording", {}, true},
        {"sizes never written", [](QByteArray &wav, QJsonObject &) { wav.replace(4, 4, "\xff\xff\xff\xff"); }, true},
        {"an odd last byte", [](QByteArray &wav, QJsonObject &) { wav.append('x'); }, true},
        {"no audio", [](QByteArray &wav, QJsonObject &) { wav.clear(); }, false},
        {"header only", [](QByteArray &wav, QJsonObject &) { wav.truncate(44); }, false},
        {"stereo header", [](QByteArray &wav, QJsonObject &) { wav[22] = 2; }, false},
        {"note not ours",
            [](QByteArray &, QJsonObject &note) {
                note = {{QStringLiteral("x"), 1}};
            },
            false},
        {"unknown style", [](QByteArray &, QJsonObject &note) { note[QStringLiteral("style")] = QStringLiteral("x"); },
            false},
        {"unknown language",
            [](QByteArray &, QJsonObject &note) { note[QStringLiteral("translation")] = QStringLiteral("fr"); }, false},
        {"newer version", [](QByteArray &, QJsonObject &note) { note[QStringLiteral("version")] = 3; }, false},
    };
    for (const LeftOnDisk &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        const FailedRecording kept = keepIn(*open(), 1, voice('a'));
        const QString audio = recordingFiles::audioPath(folder, kept.id);
        const QString note = recordingFiles::notePath(folder, kept.id);
        QByteArray wav = readAll(audio);
        QJsonObject json = QJsonDocument::fromJson(readAll(note)).object();
        if (c.apply) {
            c.apply(wav, json);
            writeAll(audio, wav);
            writeAll(note, QJsonDocument(json).toJson());
        }
        writeAll(dir.filePath(QStringLiteral("cache/quillo/recordings/notes.json")), "the user's own");

        const auto reopened = open();
        EXPECT_EQ(reopened->recordings(), c.kept ? QList<FailedRecording>{kept} : QList<FailedRecording>{});
        EXPECT_EQ(QFile::exists(audio) && QFile::exists(note), c.kept);
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("cache/quillo/recordings/notes.json"))));
    }
}

TEST_F(FailedRecordingStoreTest, ARecordingThatNeverEndedIsClosedAsAFailedOne)
{
    leaveUnfinished(info(1), voice('a', 8001)); // the last sample half written
    const auto store = open();
    ASSERT_EQ(store->recordings().size(), 1);
    EXPECT_EQ(store->recordings().front().bytes, 8000);
    const auto decoded = loadPCM16(recordingFiles::audioPath(folder, info(1).id));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded.value(), voice('a'));
    const auto note = recordingFiles::parseNote(readAll(recordingFiles::notePath(folder, info(1).id)), info(1).id);
    ASSERT_TRUE(note);
    EXPECT_FALSE(note->inProgress);
}

TEST_F(FailedRecordingStoreTest, TheRecordingAnEarlierVersionKeptIsTakenOver)
{
    const QString older = dir.filePath(QStringLiteral("cache/quillo"));
    const QString olderAudio = older + QStringLiteral("/last-failed-recording.wav");
    const QString olderNote = older + QStringLiteral("/last-failed-recording.json");
    const struct {
        const char *name;
        QByteArray note;
        bool kept;
    } cases[] = {
        {"its note", R"({"version":1,"bytes":8000,"style":"chat","translation":"ja","polish":true})", true},
        {"a damaged note", "{", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        QDir().mkpath(older);
        writeAll(olderAudio, recordingFiles::wavHeader(8000) + voice('o'));
        writeAll(olderNote, c.note);
        const auto store = open();
        store->adoptOlderRecording(older);
        EXPECT_FALSE(QFile::exists(olderAudio) || QFile::exists(olderNote));
        ASSERT_EQ(store->recordings().size(), c.kept ? 1 : 0);
        if (!c.kept)
            continue;
        const FailedRecording kept = open()->recordings().value(0);
        EXPECT_EQ(kept.style, AppStyle::chat);
        EXPECT_EQ(kept.translation, TargetLanguage::japanese);
        EXPECT_EQ(readAll(store->audioPath(kept.id)).mid(44), voice('o'));
    }
}

TEST_F(FailedRecordingStoreTest, TheWorkerWritesOffTheCallingThreadInOrderAndAnswersOnIt)
{
    std::vector<int> order;
    std::thread::id writer;
    ensureApplication();
    bool answered = false;
    QObject context;
    {
        FileWorker worker;
        for (int i = 0; i < 50; ++i)
            worker.post([&order, &writer, i] {
                order.push_back(i);
                writer = std::this_thread::get_id();
            });
        worker.whenDone(&context, [&] { answered = order.size() == 50; });
    } // runs what is queued, then ends
    EXPECT_NE(writer, std::this_thread::get_id());
    EXPECT_EQ(order.front(), 0);
    EXPECT_EQ(order.back(), 49);
    EXPECT_FALSE(answered);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(answered);
}

} // namespace
} // namespace quillo::test
