#include "ControlInterface.h"

#include "FakePortal.h"

#include <QMap>
#include <QRegularExpression>
#include <QTimer>

#include <memory>

namespace quillo::fakeportal {
namespace {

struct Step {
    enum class What { press, release, wait } what;
    std::optional<Keysym> key;
    int ms = 0;
};

// "+Control_L +space -space -Control_L", "~600" waits, a bare name goes
// down in turn and up at the end, last first ("Control_L space").
std::optional<QList<Step>> parseKeys(const QString &text, QString &error)
{
    QList<Step> steps;
    QList<Step> releases;
    for (const QString &token : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1Char('~'))) {
            steps.append({Step::What::wait, std::nullopt, token.mid(1).toInt()});
            continue;
        }
        const bool explicitWay = token.startsWith(QLatin1Char('+')) || token.startsWith(QLatin1Char('-'));
        const std::optional<Keysym> key = Keysym::find(explicitWay ? token.mid(1) : token, Qt::CaseSensitive);
        if (!key) {
            error = QStringLiteral("no keysym %1").arg(token);
            return std::nullopt;
        }
        const bool down = !token.startsWith(QLatin1Char('-'));
        steps.append({down ? Step::What::press : Step::What::release, key});
        if (!explicitWay)
            releases.prepend({Step::What::release, key});
    }
    return steps + releases;
}

struct KeyRun {
    QDBusMessage message;
    QList<Step> steps;
    qsizetype next = 0;
};

} // namespace

ControlInterface::ControlInterface(FakePortal &portal)
    : portal_(portal)
{
}

void ControlInterface::handle(const QDBusMessage &message)
{
    static const QMap<QString, QString> signatures{{QStringLiteral("SetProfile"), QStringLiteral("s")},
        {QStringLiteral("SetOutcome"), QStringLiteral("su")}, {QStringLiteral("SetVersion"), QStringLiteral("su")},
        {QStringLiteral("SetBackend"), QStringLiteral("sb")}, {QStringLiteral("SetAppId"), QStringLiteral("s")},
        {QStringLiteral("SetTrigger"), QStringLiteral("ss")}, {QStringLiteral("SetKeyMatching"), QStringLiteral("s")},
        {QStringLiteral("SetKeyRepeat"), QStringLiteral("uu")}, {QStringLiteral("SetShuffle"), QStringLiteral("uu")},
        {QStringLiteral("Activate"), QStringLiteral("s")}, {QStringLiteral("Deactivate"), QStringLiteral("s")},
        {QStringLiteral("ChangeTrigger"), QStringLiteral("ss")}, {QStringLiteral("Press"), QStringLiteral("s")},
        {QStringLiteral("Release"), QStringLiteral("s")}, {QStringLiteral("Keys"), QStringLiteral("s")},
        {QStringLiteral("Copy"), QStringLiteral("ss")}, {QStringLiteral("Paste"), QStringLiteral("s")},
        {QStringLiteral("CloseSessions"), QStringLiteral("s")}, {QStringLiteral("Restart"), QStringLiteral("b")},
        {QStringLiteral("Log"), QString()}};
    PortalCore &core = portal_.core();
    const QString member = message.member();
    if (!signatures.contains(member))
        return core.replyError(
            message, DBusError::unknownMethod, QStringLiteral("unknown control call %1").arg(member));
    if (!core.checkSignature(message, signatures.value(member)))
        return;
    if (settings(message) || desktop(message) || keys(message))
        return;
    core.reply(message, {core.logLines()});
}

bool ControlInterface::settings(const QDBusMessage &message)
{
    static const QMap<QString, KeyMatching> matchings{{QStringLiteral("documented"), KeyMatching::documented},
        {QStringLiteral("kwin5"), KeyMatching::kwin5}, {QStringLiteral("kwin6"), KeyMatching::kwin6},
        {QStringLiteral("mutter"), KeyMatching::mutter}};
    PortalCore &core = portal_.core();
    const QString member = message.member();
    const QVariantList args = message.arguments();
    const QString first = args.value(0).toString();
    if (member == QLatin1String("SetProfile")) {
        const std::optional<Profile> profile = Profile::named(first);
        if (!profile) {
            core.replyError(message, DBusError::invalidArgs,
                QStringLiteral("no profile %1 (%2)").arg(first, Profile::names().join(QLatin1Char(' '))));
            return true;
        }
        portal_.setProfile(*profile);
    } else if (member == QLatin1String("SetOutcome")) {
        core.setOutcome(first, args.at(1).toUInt());
    } else if (member == QLatin1String("SetVersion")) {
        core.setVersion(first, args.at(1).toUInt());
    } else if (member == QLatin1String("SetBackend")) {
        core.setBackend(first, args.at(1).toBool());
    } else if (member == QLatin1String("SetAppId")) {
        core.setUnregisteredAppId(first);
    } else if (member == QLatin1String("SetTrigger")) {
        portal_.shortcuts().setTrigger(first, args.at(1).toString());
    } else if (member == QLatin1String("SetKeyMatching") && matchings.contains(first)) {
        portal_.shortcuts().keys().setMatching(matchings.value(first));
    } else if (member == QLatin1String("SetKeyRepeat")) {
        portal_.shortcuts().keys().setRepeat(int(args.at(0).toUInt()), int(args.at(1).toUInt()));
    } else if (member == QLatin1String("SetShuffle")) {
        portal_.remote().keyboard().setShuffle(args.at(0).toUInt(), int(args.at(1).toUInt()));
    } else if (member == QLatin1String("SetKeyMatching")) {
        core.replyError(message, DBusError::invalidArgs, QStringLiteral("no key matching %1").arg(first));
        return true;
    } else {
        return false;
    }
    core.reply(message);
    return true;
}

bool ControlInterface::desktop(const QDBusMessage &message)
{
    PortalCore &core = portal_.core();
    const QString member = message.member();
    const QVariantList args = message.arguments();
    const QString first = args.value(0).toString();
    if (member == QLatin1String("Paste")) {
        portal_.clipboard().paste(message, first);
        return true;
    }
    if (member == QLatin1String("Restart")) {
        core.reply(message);
        portal_.restart(args.at(0).toBool());
        return true;
    }
    if (member == QLatin1String("Activate") || member == QLatin1String("Deactivate"))
        portal_.shortcuts().activate(first, member == QLatin1String("Activate"));
    else if (member == QLatin1String("ChangeTrigger"))
        portal_.shortcuts().changeTrigger(first, args.at(1).toString());
    else if (member == QLatin1String("Copy"))
        portal_.clipboard().copy(first, args.at(1).toString().toUtf8());
    else if (member == QLatin1String("CloseSessions"))
        portal_.closeSessions(first);
    else
        return false;
    core.reply(message);
    return true;
}

bool ControlInterface::keys(const QDBusMessage &message)
{
    const QString member = message.member();
    if (member == QLatin1String("Press") || member == QLatin1String("Release"))
        key(message, member == QLatin1String("Press"));
    else if (member == QLatin1String("Keys"))
        keySequence(message);
    else
        return false;
    return true;
}

void ControlInterface::key(const QDBusMessage &message, bool down)
{
    PortalCore &core = portal_.core();
    const QString name = message.arguments().at(0).toString();
    const std::optional<Keysym> keysym = Keysym::find(name, Qt::CaseSensitive);
    if (!keysym)
        return core.replyError(message, DBusError::invalidArgs, QStringLiteral("no keysym %1").arg(name));
    const QString problem = portal_.pressKey(*keysym, down);
    if (!problem.isEmpty())
        return core.replyError(message, DBusError::failed, problem);
    core.reply(message);
}

// Replies once the whole sequence, waits included, has been played.
void ControlInterface::keySequence(const QDBusMessage &message)
{
    QString error;
    const std::optional<QList<Step>> steps = parseKeys(message.arguments().at(0).toString(), error);
    if (!steps)
        return portal_.core().replyError(message, DBusError::invalidArgs, error);
    auto run = std::make_shared<KeyRun>(KeyRun{message, *steps});
    auto play = std::make_shared<std::function<void()>>();
    *play = [this, run, weak = std::weak_ptr(play)] {
        while (run->next < run->steps.size()) {
            const Step &step = run->steps.at(run->next++);
            if (step.what == Step::What::wait) {
                QTimer::singleShot(step.ms, [next = weak.lock()] { (*next)(); });
                return;
            }
            const QString problem = portal_.pressKey(*step.key, step.what == Step::What::press);
            if (!problem.isEmpty())
                return portal_.core().replyError(run->message, DBusError::failed, problem);
        }
        portal_.core().reply(run->message);
    };
    (*play)();
}

} // namespace quillo::fakeportal
