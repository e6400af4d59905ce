#pragma once

#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/AppSettings.h"
#include "settings/HistoryStore.h"

#include <QUuid>

namespace quillo::testing {

// Settings, history and permissions in memory, with no API key stored.
struct UiFixture {
    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    FakePermissions permissions;
    ManualScheduler scheduler;
    AppSettings settings{defaults, credentials, loginItem, scheduler};
    HistoryStore history{defaults};

    UiFixture() { scheduler.runDue(); }

    void storeKey(const QString &key)
    {
        settings.setAPIKey(key);
        scheduler.runDue();
    }

    HistoryEntry addEntry(int n)
    {
        HistoryEntry e;
        e.id = QUuid::createUuid();
        e.raw = QStringLiteral("原话%1").arg(n);
        e.text = QStringLiteral("成稿%1").arg(n);
        e.appName = QStringLiteral("应用%1").arg(n);
        history.add(e);
        return e;
    }
};

} // namespace quillo::testing
