#pragma once

#include "platform/qt/QSettingsDefaultsStore.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtKeychainCredentialStore.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/XdgAutostartLoginItem.h"
#include "recognition/RecognitionSession.h"
#include "refinement/ChatFunction.h"
#include "settings/AppSettings.h"
#include "settings/HistoryStore.h"

namespace quillo {

// What every run of the program needs, with or without a desktop: the clock,
// the stores, settings and history, and the two cloud clients. Members are
// declared in the order they depend on each other.
class AppCore {
public:
    AppCore();

    QtScheduler scheduler;
    QSettingsDefaultsStore defaults;
    QtKeychainCredentialStore credentials;
    XdgAutostartLoginItem loginItem;
    AppSettings settings;
    HistoryStore history;
    QtHttpClient http;
    ChatFunction chat;
    RecognitionSessionFactory sessions;
};

} // namespace quillo
