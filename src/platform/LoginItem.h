#pragma once

#include <QString>

#include "common/Expected.h"

namespace quillo {

// Whether the application starts when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    virtual bool isEnabled() const = 0;
    // Error: a short description of what the platform refused.
    virtual Expected<Done, QString> setEnabled(bool enabled) = 0;
};

} // namespace quillo
