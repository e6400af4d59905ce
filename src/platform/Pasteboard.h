#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace quillo {

// One representation of a clipboard item: a type (a MIME type on Linux) and its bytes.
struct PasteboardEntry {
    QString type;
    QByteArray data;

    friend bool operator==(const PasteboardEntry &, const PasteboardEntry &) = default;
};

// One clipboard item: its representations in the order the item declares them.
using PasteboardItem = std::vector<PasteboardEntry>;
using PasteboardItems = std::vector<PasteboardItem>;

// Types the program writes or reads by name.
namespace pasteboardtypes {
inline constexpr char plainText[] = "text/plain";
// Published marker for short-lived content; clipboard histories skip it.
inline constexpr char transient[] = "org.nspasteboard.TransientType";
// Which program put the content there.
inline constexpr char source[] = "org.nspasteboard.source";
// KDE's and KeePassXC's hint that Linux clipboard managers must not keep the content.
inline constexpr char passwordManagerHint[] = "x-kde-passwordManagerHint";
} // namespace pasteboardtypes

// A system clipboard (on X11 either CLIPBOARD or the PRIMARY selection).
// Failures are not exceptional: a clipboard that cannot be read reads as empty.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    // Deep copies of every item and of every type whose data can be read.
    virtual PasteboardItems items() const = 0;
    // What a later write() can put back of the current content, for a snapshot taken to be
    // restored: everything, unless a write keeps less (then reading the rest is wasted time).
    virtual PasteboardItems restorableItems() const { return items(); }
    virtual void clear() = 0;
    // Replaces the whole content by these items; false when the system refused.
    virtual bool write(const PasteboardItems &items) = 0;
    // Grows at every change of the content, by this program or any other.
    virtual std::uint64_t changeCount() const = 0;
};

} // namespace quillo
