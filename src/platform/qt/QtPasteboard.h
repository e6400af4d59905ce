#pragma once

#include "platform/Pasteboard.h"

#include <QClipboard>
#include <QObject>

#include <chrono>
#include <memory>

namespace quillo {

// The system clipboard (or, on X11, the PRIMARY selection) through QClipboard.
// Needs a QGuiApplication. Counts changes from QClipboard's notifications, which
// cover our own writes and other programs' copies alike.
class QtPasteboard final : public Pasteboard {
public:
    explicit QtPasteboard(QClipboard::Mode mode = QClipboard::Clipboard);
    ~QtPasteboard() override;

    // False when the platform has no such clipboard (PRIMARY outside X11).
    bool isAvailable() const;

    PasteboardItems items() const override;
    void clear() override;
    bool write(const PasteboardItems &items) override;
    std::uint64_t changeCount() const override { return changes_; }

    // A stalled owner can hold every read for seconds; past this budget the
    // remaining types are given up.
    static constexpr std::chrono::milliseconds readBudget{1500};

private:
    QClipboard *clipboard() const;

    QClipboard::Mode mode_;
    std::uint64_t changes_ = 0;
    std::unique_ptr<QObject> context_;
};

} // namespace quillo
