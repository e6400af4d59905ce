#include "dictation/TextInserter.h"

#include "dictation/PasteChordTable.h"

#include <memory>
#include <optional>
#include <utility>

namespace quillo {

TextInserter::TextInserter(Ports ports, QString sourceIdentifier)
    : ports_(ports)
    , source_(sourceIdentifier.isEmpty() ? QString::fromLatin1(defaultSource) : std::move(sourceIdentifier))
{
}

TextInserter::~TextInserter() = default;

PasteboardItem TextInserter::pastedItem(const QString &text, const QString &sourceIdentifier)
{
    using namespace pasteboardtypes;
    return {
        {QString::fromLatin1(plainText), text.toUtf8()},
        {QString::fromLatin1(transient), QByteArray()},
        {QString::fromLatin1(source), sourceIdentifier.toUtf8()},
        {QString::fromLatin1(passwordManagerHint), QByteArrayLiteral("secret")},
    };
}

PasteboardItems TextInserter::snapshotPasteboard(const Pasteboard &pasteboard)
{
    return pasteboard.restorableItems();
}

void TextInserter::restorePasteboard(Pasteboard &pasteboard, std::uint64_t changeCount, const PasteboardItems &snapshot)
{
    if (pasteboard.changeCount() != changeCount)
        return; // someone copied since: their content wins
    pasteboard.clear();
    if (!snapshot.empty())
        pasteboard.write(snapshot);
}

bool TextInserter::insertText(const QString &text, bool restoreClipboard)
{
    auto outcome = std::make_shared<std::optional<InsertOutcome>>();
    insert(text, restoreClipboard, [outcome](InsertOutcome o) { *outcome = o; });
    // Not answered yet: the keystroke is still on its way.
    return outcome->value_or(InsertOutcome::pasted) == InsertOutcome::pasted;
}

void TextInserter::insert(const QString &text, bool restoreClipboard, InsertDone done)
{
    Pasteboard &clipboard = ports_.clipboard;
    PasteboardItems snapshot = restoreClipboard ? snapshotPasteboard(clipboard) : PasteboardItems{};
    const PasteboardItem item = pastedItem(text, source_);
    clipboard.clear();
    if (!clipboard.write({item})) {
        // Pasting now would insert stale content; at least give the user's copy back.
        if (!snapshot.empty())
            clipboard.write(snapshot);
        done(InsertOutcome::clipboardFailed);
        return;
    }
    std::vector<PendingRestore> restores;
    restores.push_back({&clipboard, clipboard.changeCount(), std::move(snapshot)});

    if (!ports_.permissions.isAccessibilityTrusted()) {
        done(InsertOutcome::notTrusted);
        return;
    }

    const PasteChord chord = pastechords::forApp(ports_.frontmost.current());
    if (chord == PasteChord::shiftInsert && ports_.selection) {
        Pasteboard &selection = *ports_.selection;
        PasteboardItems previous = restoreClipboard ? snapshotPasteboard(selection) : PasteboardItems{};
        selection.clear();
        if (selection.write({item}))
            restores.push_back({&selection, selection.changeCount(), std::move(previous)});
    }

    std::weak_ptr<int> alive = alive_;
    ports_.keys.postPaste(chord,
        [this, alive, restoreClipboard, restores = std::move(restores), done = std::move(done)](bool posted) mutable {
            if (alive.expired())
                return;
            // A paste that never happened leaves the text on the clipboard for a manual paste.
            if (posted && restoreClipboard)
                scheduleRestore(std::move(restores));
            done(posted ? InsertOutcome::pasted : InsertOutcome::copiedOnly);
        });
}

void TextInserter::scheduleRestore(std::vector<PendingRestore> restores)
{
    const std::uint64_t id = nextRestoreId_++;
    restores_[id] = ports_.scheduler.after(restoreDelay, [this, id, restores = std::move(restores)] {
        for (const PendingRestore &r : restores)
            restorePasteboard(*r.pasteboard, r.changeCount, r.snapshot);
        restores_.erase(id); // destroys this work's handle, not the running function
    });
}

void TextInserter::pressReturn()
{
    if (!ports_.permissions.isAccessibilityTrusted())
        return;
    ports_.keys.postReturn([](bool) {});
}

} // namespace quillo
