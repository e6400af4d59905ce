#include "app/AppCore.h"

#include "platform/qt/QtWebSocket.h"
#include "recognition/QwenRealtimeASR.h"
#include "refinement/ChatClient.h"

#include <QCoreApplication>

namespace quillo {

namespace {
const QString settingsDomain = QStringLiteral("com.nolt.quillo");
}

AppCore::AppCore()
    : defaults(QSettingsDefaultsStore::standardDirectory(), settingsDomain)
    , loginItem(XdgAutostartLoginItem::standardDirectory(),
          XdgAutostartLoginItem::launchCommand(QCoreApplication::applicationFilePath()))
    , settings(defaults, credentials, loginItem, scheduler)
    , history(defaults)
    , chat(makeChatFunction(http))
    , sessions(makeQwenRealtimeSessionFactory(scheduler, QtWebSocket::factory()))
{
}

} // namespace quillo
