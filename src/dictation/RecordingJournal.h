#pragma once

#include "dictation/FailedRecording.h"
#include "dictation/FileTasks.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace quillo {

// The audio of the recording under way, appended to its file as it goes to the
// service. The file is synced about every second, so a crash or a power loss keeps
// all but the last second; its note says it is still being made until the recording
// either fails (then it is kept) or is discarded. All writes happen on the file tasks'
// thread; the calls here only queue them. Writing stops, keeping what is there, while
// the disk has less than minimumFreeBytes free.
class RecordingJournal {
public:
    static constexpr qint64 minimumFreeBytes = 500LL * 1024 * 1024;

    // Starts the files of info.id in folder.
    RecordingJournal(FileTasks &tasks, QString folder, FailedRecording info);
    // Leaves the files as they are: a later start finds a recording that never ended.
    ~RecordingJournal();
    RecordingJournal(const RecordingJournal &) = delete;
    RecordingJournal &operator=(const RecordingJournal &) = delete;

    const FailedRecording &info() const { return info_; }
    void append(const QByteArray &pcm16);
    // Closes the files as a recording to keep, with the choices it ended with.
    FailedRecording finish(const FailedRecording &final);
    // Removes the files.
    void discard();

    struct File; // lives on the file tasks' thread

private:
    FileTasks &tasks_;
    FailedRecording info_;
    std::shared_ptr<File> file_;
};

} // namespace quillo
