#pragma once

#include "platform/FrontmostApp.h"

namespace quillo {

// Reports whatever the test put in `app`.
class FakeFrontmostApp final : public FrontmostApp {
public:
    std::optional<AppIdentity> current() override
    {
        ++queries;
        return app;
    }

    std::optional<AppIdentity> app;
    int queries = 0;
};

} // namespace quillo
