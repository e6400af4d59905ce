#pragma once

#include "platform/FrontmostApp.h"
#include "platform/KeystrokePoster.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace quillo {

enum class InsertOutcome {
    pasted, // the paste keystroke went out
    notTrusted, // synthetic keys are not allowed; the text is on the clipboard
    clipboardFailed, // the clipboard refused the text; nothing was pasted
    copiedOnly // no way to paste into the focused window (or the keystroke did not go out); the text waits on the
               // clipboard
};

// Told once how an insertion ended (on the main thread, possibly before insert returns).
using InsertDone = std::function<void(InsertOutcome)>;

// Puts a finished text at the cursor of the focused application: the text goes
// on the clipboard, the application's paste keystroke is posted, and the previous
// clipboard content comes back shortly afterwards unless someone has copied
// something else in the meantime.
class TextInserter {
public:
    static constexpr std::chrono::milliseconds restoreDelay{600};
    static constexpr char defaultSource[] = "me.nolt.quillo";

    struct Ports {
        Pasteboard &clipboard;
        // The PRIMARY selection where the platform has one (Shift+Insert pastes it).
        Pasteboard *selection = nullptr;
        KeystrokePoster &keys;
        Permissions &permissions;
        FrontmostApp &frontmost;
        Scheduler &scheduler;
    };

    explicit TextInserter(Ports ports, QString sourceIdentifier = QString::fromLatin1(defaultSource));
    ~TextInserter();
    TextInserter(const TextInserter &) = delete;
    TextInserter &operator=(const TextInserter &) = delete;

    // True when the paste keystroke was posted (synthetic keys are allowed).
    bool insertText(const QString &text, bool restoreClipboard);
    // `done` hears `pasted` once the paste keystroke has really been posted (it may wait
    // for the user to let go of modifier keys), `copiedOnly` when it could not be.
    void insert(const QString &text, bool restoreClipboard, InsertDone done);
    // Posts Return; it follows any paste still waiting to be posted.
    void pressReturn();

    // The clipboard item written for a dictation: the text plus the markers that
    // keep clipboard histories from storing it.
    static PasteboardItem pastedItem(const QString &text, const QString &sourceIdentifier);
    static PasteboardItems snapshotPasteboard(const Pasteboard &pasteboard);
    // Puts the snapshot back only if nothing was written since changeCount.
    static void restorePasteboard(Pasteboard &pasteboard, std::uint64_t changeCount, const PasteboardItems &snapshot);

private:
    struct PendingRestore {
        Pasteboard *pasteboard;
        std::uint64_t changeCount;
        PasteboardItems snapshot;
    };

    void scheduleRestore(std::vector<PendingRestore> restores);

    Ports ports_;
    QString source_;
    std::uint64_t nextRestoreId_ = 0;
    std::map<std::uint64_t, ScheduledWork> restores_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace quillo
