#pragma once

#include "platform/Pasteboard.h"
#include "platform/wayland/ProcessRunner.h"

#include <QObject>

#include <optional>

namespace quillo {

// The Wayland clipboard through wl-paste and wl-copy (wl-clipboard), which use the
// compositor's data-control protocol: no window and no keyboard focus needed.
//
// One wl-copy serves one type (plus, for text, the usual text aliases), so a write keeps
// one representation of the item: see keptEntry(). The dictation's own item is written
// as plain text; its marker types cannot travel with it.
//
// The change count grows with each write of ours and whenever the clipboard no longer
// holds what we wrote (read back with wl-paste): someone else copied since.
class WlClipboardPasteboard final : public Pasteboard {
public:
    // How many types of one clipboard offer are read at most.
    static constexpr int maxTypes = 24;

    explicit WlClipboardPasteboard(const ProcessRunner &runner);
    ~WlClipboardPasteboard() override;

    // Every offered type but the bare text aliases (text/plain, TEXT, STRING, UTF8_STRING)
    // when the UTF-8 text is offered.
    PasteboardItems items() const override;
    // Only the representation keptEntry() would keep. The offered types and the UTF-8 text
    // (what a clipboard most often holds) are read side by side: one helper's time in the
    // paste's path instead of two; anything else is read once the types are known.
    PasteboardItems restorableItems() const override;
    void clear() override;
    bool write(const PasteboardItems &items) override;
    std::uint64_t changeCount() const override;

    // The one representation of an item a single wl-copy keeps: a picture first, then a
    // file list, then plain text (wl-copy offers it under every text alias), else the first.
    static std::optional<PasteboardEntry> keptEntry(const PasteboardItem &item);
    // The offered type keptEntry() would take its data from; none for no types.
    static std::optional<QString> keptType(const QStringList &types);
    // The offered types of a `wl-paste --list-types` answer, in order, without repeats.
    static QStringList parseTypes(const QByteArray &listing);

private:
    void flushClear() const;

    const ProcessRunner &runner_;
    QObject context_;
    mutable bool clearPending_ = false;
    mutable std::uint64_t count_ = 0;
    // What our last write put there, until the clipboard is seen to hold something else.
    mutable std::optional<PasteboardEntry> written_;
    // The count asked for right after a write is that write's: no read-back in the paste's path.
    mutable bool justWritten_ = false;
};

} // namespace quillo
