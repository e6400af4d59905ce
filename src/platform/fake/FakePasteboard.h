#pragma once

#include "platform/Pasteboard.h"

namespace quillo {

// An in-memory clipboard that counts changes like a real one.
class FakePasteboard final : public Pasteboard {
public:
    PasteboardItems items() const override { return items_; }
    void clear() override
    {
        items_.clear();
        ++changes_;
        ++clears;
    }
    bool write(const PasteboardItems &items) override
    {
        written.push_back(items);
        if (refuseWrites)
            return false;
        if (forgetWrites)
            return true;
        items_ = items;
        ++changes_;
        ++writes;
        return true;
    }
    std::uint64_t changeCount() const override { return changes_; }

    // Another program copies something.
    void copyFromElsewhere(PasteboardItems items)
    {
        items_ = std::move(items);
        ++changes_;
    }

    bool refuseWrites = false;
    // Writes report success but the clipboard keeps what it held.
    bool forgetWrites = false;
    // Every write asked for, refused or not.
    std::vector<PasteboardItems> written;
    int writes = 0;
    int clears = 0;

private:
    PasteboardItems items_;
    std::uint64_t changes_ = 0;
};

} // namespace quillo
