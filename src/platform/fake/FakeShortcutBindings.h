#pragma once

#include "platform/ShortcutBindings.h"

#include <map>

namespace quillo {

// Triggers set by the test; counts the dialogs asked for.
class FakeShortcutBindings final : public ShortcutBindings {
public:
    QString boundTrigger(std::uint32_t id) const override
    {
        const auto it = triggers.find(id);
        return it == triggers.end() ? QString() : it->second;
    }
    bool canConfigure() const override { return configurable; }
    void configure() override { ++configureCount; }
    bool namedOtherwise() const override { return otherNames; }

    std::map<std::uint32_t, QString> triggers;
    bool configurable = true;
    bool otherNames = false;
    int configureCount = 0;
};

} // namespace quillo
