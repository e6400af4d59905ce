#include "platform/wayland/KWinScriptFocus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QUuid>

namespace quillo {
namespace {

const QString kwin = QStringLiteral("org.kde.KWin");
const QString scripting = QStringLiteral("org.kde.kwin.Scripting");
// Loading a script is KWin's own work on its main thread: a short wait.
constexpr int callTimeoutMs = 2000;

} // namespace

KWinScriptFocus::KWinScriptFocus(QDBusConnection bus, QString scriptFolder, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , pluginName_(QStringLiteral("quillo-focus-") + QUuid::createUuid().toString(QUuid::Id128))
{
    load(scriptFolder);
}

KWinScriptFocus::~KWinScriptFocus()
{
    if (loaded_) {
        QDBusMessage unload
            = QDBusMessage::createMethodCall(kwin, QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"));
        unload.setArguments({pluginName_});
        bus_.call(unload, QDBus::Block, callTimeoutMs);
    }
    bus_.unregisterObject(QLatin1String(objectPath));
    if (!scriptFile_.isEmpty())
        QFile::remove(scriptFile_);
}

bool KWinScriptFocus::available(const QDBusConnection &bus)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(kwin);
}

QString KWinScriptFocus::script(const QString &service, const QString &path)
{
    // KWin 6 names the active window activeWindow and its signal windowActivated; KWin 5
    // activeClient and clientActivated. An X11 (XWayland) window has an X window id. Numbers
    // go as text: KWin hands a script's numbers to D-Bus as doubles or ints, as it likes.
    return QStringLiteral(R"(function tell(w) {
    if (!w) {
        callDBus("%1", "%2", "org.quillo.KWinFocus", "Focused", "", "", "", "", "", false);
        return;
    }
    var x11 = ("windowId" in w) && w.windowId > 0;
    callDBus("%1", "%2", "org.quillo.KWinFocus", "Focused", String(w.resourceClass), String(w.resourceName),
        String(w.caption), String(w.pid), String(w.internalId), x11);
}
if (workspace.windowActivated) {
    workspace.windowActivated.connect(tell);
    tell(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(tell);
    tell(workspace.activeClient);
}
)")
        .arg(service, path);
}

void KWinScriptFocus::load(const QString &scriptFolder)
{
    if (!bus_.registerObject(QLatin1String(objectPath), this, QDBusConnection::ExportScriptableSlots))
        return;
    // KWin reads the script from a file: one of ours, in a folder only we can write.
    scriptFile_ = QDir(scriptFolder).filePath(pluginName_ + QStringLiteral(".js"));
    QFile file(scriptFile_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(script(bus_.baseService(), QLatin1String(objectPath)).toUtf8());
    file.close();
    QDBusMessage loadCall
        = QDBusMessage::createMethodCall(kwin, QStringLiteral("/Scripting"), scripting, QStringLiteral("loadScript"));
    loadCall.setArguments({scriptFile_, pluginName_});
    const QDBusMessage reply = bus_.call(loadCall, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return;
    QDBusMessage start
        = QDBusMessage::createMethodCall(kwin, QStringLiteral("/Scripting"), scripting, QStringLiteral("start"));
    loaded_ = bus_.call(start, QDBus::Block, callTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

void KWinScriptFocus::Focused(const QString &resourceClass, const QString &resourceName, const QString &caption,
    const QString &pid, const QString &windowId, bool xwayland)
{
    // Only KWin says where the focus is.
    if (calledFromDBus() && message().service() != bus_.interface()->serviceOwner(kwin).value())
        return;
    if (windowId.isEmpty()) {
        focused_.reset();
        return;
    }
    CompositorWindow window;
    window.appId = resourceClass;
    window.x11Instance = xwayland ? resourceName : QString();
    window.title = caption;
    window.pid = pid.toLongLong();
    window.xwayland = xwayland;
    window.id = windowId;
    focused_ = window;
}

} // namespace quillo
