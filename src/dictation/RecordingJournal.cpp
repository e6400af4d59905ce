#include "dictation/RecordingJournal.h"

#include "dictation/RecordingFiles.h"

#include <QFile>
#include <QStorageInfo>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace quillo {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto syncInterval = std::chrono::seconds(1);

// A new directory entry survives a power loss only once its folder is synced too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

struct RecordingJournal::File {
    QString folder;
    QString audioPath;
    QString notePath;
    QFile audio;
    bool writing = false;
    qint64 written = 0;
    Clock::time_point lastSync;

    void open(const QByteArray &note)
    {
        using namespace recordingFiles;
        // The note first: audio without one could not be told from a stranger's file.
        if (!makePrivateFolder(folder) || !writePrivately(notePath, note))
            return;
        audio.setFileName(audioPath);
        // Unbuffered: what was written survives the process being killed; the sync is for power loss.
        const auto mode = QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
        if (!audio.open(mode, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return;
        writing = audio.write(wavHeader(std::nullopt)) == wavHeaderBytes;
        sync();
        syncFolder(folder);
    }

    void append(const QByteArray &pcm16)
    {
        if (!writing)
            return;
        if (audio.write(pcm16) != pcm16.size()) {
            writing = false;
            return;
        }
        written += pcm16.size();
        if (Clock::now() - lastSync >= syncInterval)
            sync();
    }

    void sync()
    {
        if (!audio.isOpen())
            return;
        audio.flush();
        ::fdatasync(audio.handle());
        lastSync = Clock::now();
        if (writing && QStorageInfo(folder).bytesAvailable() < minimumFreeBytes)
            writing = false;
    }

    void finish(const QByteArray &note)
    {
        if (audio.isOpen()) {
            audio.flush();
            // What a failed write left half done is not audio.
            audio.resize(recordingFiles::wavHeaderBytes + written);
            if (audio.seek(0))
                audio.write(recordingFiles::wavHeader(written));
            sync();
            audio.close();
        }
        writing = false;
        recordingFiles::writePrivately(notePath, note);
    }

    void discard()
    {
        audio.close();
        writing = false;
        QFile::remove(audioPath);
        QFile::remove(notePath);
    }
};

RecordingJournal::RecordingJournal(FileTasks &tasks, QString folder, FailedRecording info)
    : tasks_(tasks)
    , info_(std::move(info))
    , file_(std::make_shared<File>())
{
    file_->audioPath = recordingFiles::audioPath(folder, info_.id);
    file_->notePath = recordingFiles::notePath(folder, info_.id);
    file_->folder = std::move(folder);
    const QByteArray note = recordingFiles::noteBytes({info_, true, ::getpid()});
    tasks_.post([file = file_, note] { file->open(note); });
}

RecordingJournal::~RecordingJournal()
{
    // The file closes once the tasks queued for it have run.
    tasks_.post([file = std::move(file_)] { file->sync(); });
}

void RecordingJournal::append(const QByteArray &pcm16)
{
    info_.bytes += pcm16.size();
    tasks_.post([file = file_, pcm16] { file->append(pcm16); });
}

FailedRecording RecordingJournal::finish(const FailedRecording &final)
{
    FailedRecording kept = final;
    kept.id = info_.id;
    kept.recordedAt = info_.recordedAt;
    kept.bytes = info_.bytes;
    info_ = std::move(kept);
    const QByteArray note = recordingFiles::noteBytes({info_, false, 0});
    tasks_.post([file = file_, note] { file->finish(note); });
    return info_;
}

void RecordingJournal::discard()
{
    tasks_.post([file = file_] { file->discard(); });
}

} // namespace quillo
