#include "app/InstanceStatus.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace quillo {

QByteArray InstanceStatus::toLine() const
{
    QJsonObject bound;
    for (const auto &[id, trigger] : triggers)
        bound.insert(id, trigger);
    const QJsonObject o{
        {QStringLiteral("version"), version},
        {QStringLiteral("hotkeys"), hotkeys},
        {QStringLiteral("shortcuts"), shortcuts},
        {QStringLiteral("shortcutsProblem"), shortcutsProblem},
        {QStringLiteral("triggers"), bound},
        {QStringLiteral("paste"), paste},
        {QStringLiteral("remoteDesktop"), remoteDesktop},
        {QStringLiteral("focusedApp"), focusedApp},
        {QStringLiteral("keyChecked"), keyChecked},
        {QStringLiteral("keyStored"), keyStored},
        {QStringLiteral("portalRegistered"), portalRegistered},
        {QStringLiteral("scope"), scope},
        {QStringLiteral("inScope"), inScope},
        {QStringLiteral("lastDictation"), lastDictation},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<InstanceStatus> InstanceStatus::fromLine(const QString &line)
{
    const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8());
    if (!doc.isObject() || !doc.object().contains(QLatin1String("hotkeys")))
        return std::nullopt;
    const QJsonObject o = doc.object();
    const auto text = [&o](const char *key) { return o.value(QLatin1String(key)).toString(); };
    const auto flag = [&o](const char *key) { return o.value(QLatin1String(key)).toBool(); };
    InstanceStatus status;
    status.version = text("version");
    status.hotkeys = text("hotkeys");
    status.shortcuts = text("shortcuts");
    status.shortcutsProblem = text("shortcutsProblem");
    const QJsonObject bound = o.value(QLatin1String("triggers")).toObject();
    for (auto it = bound.begin(); it != bound.end(); ++it)
        status.triggers[it.key()] = it.value().toString();
    status.paste = text("paste");
    status.remoteDesktop = text("remoteDesktop");
    status.focusedApp = text("focusedApp");
    status.keyChecked = flag("keyChecked");
    status.keyStored = flag("keyStored");
    status.portalRegistered = flag("portalRegistered");
    status.scope = text("scope");
    status.inScope = flag("inScope");
    status.lastDictation = text("lastDictation");
    return status;
}

} // namespace quillo
