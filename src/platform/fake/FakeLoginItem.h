#pragma once

#include "platform/LoginItem.h"

namespace quillo {

// A login item that remembers its state; it can be told to refuse changes.
class FakeLoginItem final : public LoginItem {
public:
    bool isEnabled() const override { return enabled_; }
    Expected<Done, QString> setEnabled(bool enabled) override;

    void setRefusing(bool refusing) { refusing_ = refusing; }
    int changeCount() const { return changes_; }

private:
    bool enabled_ = false;
    bool refusing_ = false;
    int changes_ = 0;
};

} // namespace quillo
