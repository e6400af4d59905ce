#pragma once

#include "platform/CredentialStore.h"

namespace quillo {

// What the last read of the credential store told about the API key.
enum class APIKeyState {
    unread, // no read has finished yet
    stored,
    missing,
    // The store could not say; a key may well be stored there.
    storeLocked, // locked, or it refused access
    storeSilent, // it did not answer in time
    storeFailed, // absent or broken
};

// The state after a read the store could not answer.
constexpr APIKeyState apiKeyStateOf(CredentialError::Kind failure)
{
    using K = CredentialError::Kind;
    if (failure == K::timeout)
        return APIKeyState::storeSilent;
    return failure == K::locked || failure == K::denied ? APIKeyState::storeLocked : APIKeyState::storeFailed;
}

} // namespace quillo
