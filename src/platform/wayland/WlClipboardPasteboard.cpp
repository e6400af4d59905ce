#include "platform/wayland/WlClipboardPasteboard.h"

#include <QSet>
#include <QTimer>

namespace quillo {

namespace {

const QString wlPaste = QStringLiteral("wl-paste");
const QString wlCopy = QStringLiteral("wl-copy");
const QString utf8Text = QStringLiteral("text/plain;charset=utf-8");

bool isPlainText(const QString &type)
{
    static const QSet<QString> aliases{QStringLiteral("text/plain"), QStringLiteral("text/plain;charset=utf-8"),
        QStringLiteral("UTF8_STRING"), QStringLiteral("STRING"), QStringLiteral("TEXT")};
    return aliases.contains(type);
}

ProcessRunner::Request readType(const QString &type)
{
    return {wlPaste, {QStringLiteral("--no-newline"), QStringLiteral("--type"), type}, {}, true};
}

} // namespace

WlClipboardPasteboard::WlClipboardPasteboard(const ProcessRunner &runner)
    : runner_(runner)
{
}

WlClipboardPasteboard::~WlClipboardPasteboard() = default;

QStringList WlClipboardPasteboard::parseTypes(const QByteArray &listing)
{
    QStringList types;
    for (const QByteArray &line : listing.split('\n')) {
        const QString type = QString::fromUtf8(line).trimmed();
        if (!type.isEmpty() && !types.contains(type))
            types << type;
    }
    return types;
}

std::optional<QString> WlClipboardPasteboard::keptType(const QStringList &types)
{
    const auto find = [&types](auto &&accepts) -> std::optional<QString> {
        for (const QString &type : types) {
            if (accepts(type))
                return type;
        }
        return std::nullopt;
    };
    if (auto image = find([](const QString &t) { return t.startsWith(QLatin1String("image/")); }))
        return image;
    if (auto files = find([](const QString &t) { return t == QLatin1String("text/uri-list"); }))
        return files;
    // The UTF-8 form first: the bare aliases may be Latin-1.
    if (auto text = find([](const QString &t) { return t == utf8Text || t == QLatin1String("UTF8_STRING"); }))
        return text;
    if (auto text = find(isPlainText))
        return text;
    return find([](const QString &t) { return !t.isEmpty(); });
}

std::optional<PasteboardEntry> WlClipboardPasteboard::keptEntry(const PasteboardItem &item)
{
    QStringList types;
    for (const PasteboardEntry &entry : item)
        types << entry.type;
    const std::optional<QString> type = keptType(types);
    if (!type)
        return std::nullopt;
    const PasteboardEntry &kept = item[static_cast<std::size_t>(types.indexOf(*type))];
    // Text goes back as UTF-8, which wl-copy offers under every text alias.
    return PasteboardEntry{isPlainText(*type) ? utf8Text : *type, kept.data};
}

PasteboardItems WlClipboardPasteboard::restorableItems() const
{
    flushClear();
    const auto first = runner_.runAll(
        {{wlPaste, {QStringLiteral("--list-types")}, {}, true}, readType(utf8Text)}, ProcessRunner::defaultBound);
    if (!first[0].succeeded())
        return {}; // empty, or no clipboard to read
    const QStringList types = parseTypes(first[0].output);
    const std::optional<QString> type = keptType(types);
    if (!type)
        return {};
    if (*type == utf8Text && first[1].succeeded())
        return {{{utf8Text, first[1].output}}};
    const auto read = runner_.run(readType(*type));
    if (!read.succeeded())
        return items(); // the owner did not answer for that type: whatever else it gives
    return {{{isPlainText(*type) ? utf8Text : *type, read.output}}};
}

PasteboardItems WlClipboardPasteboard::items() const
{
    flushClear();
    const auto listing = runner_.run({wlPaste, {QStringLiteral("--list-types")}, {}, true});
    if (!listing.succeeded())
        return {}; // empty, or no clipboard to read
    QStringList types = parseTypes(listing.output);
    // The bare text aliases say again what the UTF-8 text says (wl-copy and toolkits offer them
    // together); each read is one more helper in the paste's path, and the restore re-offers them.
    if (types.contains(utf8Text))
        types.removeIf([](const QString &t) { return t != utf8Text && isPlainText(t); });
    if (types.size() > maxTypes)
        types = types.mid(0, maxTypes);
    std::vector<ProcessRunner::Request> reads;
    for (const QString &type : types)
        reads.push_back(readType(type));
    const auto results = runner_.runAll(reads, ProcessRunner::defaultBound);
    PasteboardItem item;
    for (qsizetype i = 0; i < types.size(); ++i) {
        // A type whose owner does not answer is left out, as an unreadable type is.
        if (results[static_cast<std::size_t>(i)].succeeded())
            item.push_back({types[i], results[static_cast<std::size_t>(i)].output});
    }
    if (item.empty())
        return {};
    return {item};
}

void WlClipboardPasteboard::clear()
{
    // Deferred: a clear followed at once by a write (every paste) costs no extra helper.
    written_.reset();
    ++count_;
    if (clearPending_)
        return;
    clearPending_ = true;
    QTimer::singleShot(0, &context_, [this] { flushClear(); });
}

void WlClipboardPasteboard::flushClear() const
{
    if (!clearPending_)
        return;
    clearPending_ = false;
    runner_.run({wlCopy, {QStringLiteral("--clear")}, {}, false});
}

bool WlClipboardPasteboard::write(const PasteboardItems &items)
{
    clearPending_ = false; // the write replaces the content anyway
    if (items.empty())
        return true;
    const auto entry = keptEntry(items.front());
    if (!entry)
        return false;
    // wl-copy returns once the compositor has made it the clipboard's owner, and then
    // serves the content from the background, beyond this program's life.
    const auto result = runner_.run({wlCopy, {QStringLiteral("--type"), entry->type}, entry->data, false});
    if (!result.succeeded())
        return false;
    written_ = *entry;
    ++count_;
    justWritten_ = true;
    return true;
}

std::uint64_t WlClipboardPasteboard::changeCount() const
{
    flushClear();
    if (justWritten_) {
        justWritten_ = false;
        return count_;
    }
    if (!written_)
        return count_;
    const auto now = runner_.run(readType(written_->type));
    if (!now.succeeded() || now.output != written_->data) {
        written_.reset();
        ++count_;
    }
    return count_;
}

} // namespace quillo
