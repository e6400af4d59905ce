#pragma once

#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/AppSettings.h"
#include "settings/HistoryStore.h"

namespace quillo {

// In-memory settings, key, history and permissions for drawing the windows off
// screen: a stored key, accessibility granted, two dictations in the history.
class ScreenshotScene {
public:
    ScreenshotScene();

    AppSettings &settings() { return settings_; }
    HistoryStore &history() { return history_; }
    FakePermissions &permissions() { return permissions_; }
    // A Wayland desktop without global shortcuts whose keyboard grant was refused.
    FakePermissions &waylandPermissions() { return wayland_; }
    FakeLoginItem &loginItem() { return loginItem_; }
    ManualScheduler &scheduler() { return scheduler_; }

private:
    MemoryDefaultsStore defaults_;
    MemoryCredentialStore credentials_;
    FakeLoginItem loginItem_;
    FakePermissions permissions_;
    FakePermissions wayland_;
    ManualScheduler scheduler_;
    AppSettings settings_;
    HistoryStore history_;
};

} // namespace quillo
