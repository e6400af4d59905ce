#include "platform/wayland/CompositorBindings.h"

#include "platform/wayland/SwayIpcFocus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>

namespace quillo {

namespace {

// Enough for any hand-written configuration; more is not read.
constexpr qint64 maxFileBytes = 1 << 20;
constexpr int maxFiles = 32;

int remaining(const QDeadlineTimer &deadline)
{
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
}

// The quillo action a command runs, e.g. "exec quillo --start" or "exec ~/bin/quillo --toggle".
QString quilloAction(const QString &command)
{
    static const QRegularExpression action(
        QStringLiteral(R"((?:^|[\s/])quillo\s+--(start|stop|toggle|translate|cancel|retry)\b)"));
    const QRegularExpressionMatch match = action.match(command);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Lines ending in a backslash go on on the next one, as sway reads them.
QStringList logicalLines(const QString &text)
{
    QStringList lines;
    QString pending;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        QString line = raw.trimmed();
        if (line.endsWith(QLatin1Char('\\'))) {
            pending += line.chopped(1) + QLatin1Char(' ');
            continue;
        }
        lines.append(pending + line);
        pending.clear();
    }
    if (!pending.isEmpty())
        lines.append(pending);
    return lines;
}

QStringList words(const QString &line)
{
    return line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

std::map<QString, QString> swayVariables(const QStringList &lines)
{
    std::map<QString, QString> variables;
    for (const QString &line : lines) {
        const QStringList w = words(line);
        if (w.size() >= 3 && w[0] == QLatin1String("set") && w[1].startsWith(QLatin1Char('$')))
            variables[w[1]] = QStringList(w.mid(2)).join(QLatin1Char(' '));
    }
    return variables;
}

QString environmentValue(const CompositorBindings::Environment &environment, const QString &name)
{
    const auto it = environment.find(name);
    return it != environment.end() ? it->second : qEnvironmentVariable(name.toLocal8Bit().constData());
}

// sway's own variables first (longest name first), then the environment's, then ~.
QString expandPath(
    QString path, const std::map<QString, QString> &variables, const CompositorBindings::Environment &environment)
{
    for (auto it = variables.rbegin(); it != variables.rend(); ++it)
        path.replace(it->first, it->second);
    static const QRegularExpression env(QStringLiteral(R"(\$\{?([A-Za-z_][A-Za-z0-9_]*)\}?)"));
    QString expanded;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &m : env.globalMatch(path)) {
        expanded += path.mid(last, m.capturedStart() - last) + environmentValue(environment, m.captured(1));
        last = m.capturedEnd();
    }
    expanded += path.mid(last);
    if (expanded.startsWith(QLatin1String("~/")))
        expanded = environmentValue(environment, QStringLiteral("HOME")) + expanded.mid(1);
    return expanded;
}

// sway expanded its include paths with its own environment, which may differ from ours
// (another XDG_RUNTIME_DIR, a terminal started elsewhere): its socket's name carries its
// pid, and a process of the same user may read its environment.
CompositorBindings::Environment swayEnvironment(const QString &socketPath)
{
    static const QRegularExpression pidInName(QStringLiteral(R"(sway-ipc\.\d+\.(\d+)\.sock$)"));
    const QRegularExpressionMatch match = pidInName.match(socketPath);
    if (!match.hasMatch())
        return {};
    QFile file(QStringLiteral("/proc/%1/environ").arg(match.captured(1)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    CompositorBindings::Environment environment;
    for (const QByteArray &entry : file.read(maxFileBytes).split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        if (equals > 0)
            environment[QString::fromLocal8Bit(entry.left(equals))] = QString::fromLocal8Bit(entry.mid(equals + 1));
    }
    return environment;
}

QStringList matchingFiles(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')) && !name.contains(QLatin1Char('[')))
        return info.isFile() ? QStringList{info.absoluteFilePath()} : QStringList{};
    const QDir dir = info.absoluteDir();
    QStringList files;
    for (const QString &entry : dir.entryList({name}, QDir::Files, QDir::Name))
        files.append(dir.absoluteFilePath(entry));
    return files;
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(maxFileBytes));
}

std::optional<QByteArray> swayAsk(QLocalSocket &socket, std::uint32_t type, const QDeadlineTimer &deadline)
{
    socket.write(SwayIpcFocus::frame(type, {}));
    QByteArray buffer;
    while (!deadline.hasExpired() && socket.waitForReadyRead(remaining(deadline))) {
        buffer += socket.readAll();
        std::uint32_t replyType = 0;
        if (auto payload = SwayIpcFocus::takeMessage(buffer, replyType); payload && replyType == type)
            return payload;
    }
    return std::nullopt;
}

QString hyprlandKeys(int modmask, const QString &key)
{
    static const std::pair<int, const char *> names[] = {
        {64, "SUPER"}, {4, "CTRL"}, {8, "ALT"}, {1, "SHIFT"}, {2, "CAPS"}, {16, "MOD2"}, {32, "MOD3"}, {128, "MOD5"}};
    QStringList parts;
    for (const auto &[bit, name] : names) {
        if (modmask & bit)
            parts.append(QLatin1String(name));
    }
    parts.append(key);
    return parts.join(QLatin1Char('+'));
}

// One `gsettings get` within the deadline; none when it failed or ran out of time.
std::optional<QString> gsettingsGet(
    const QString &program, const QString &schema, const QString &key, const QDeadlineTimer &deadline)
{
    QProcess process;
    process.start(program, {QStringLiteral("get"), schema, key});
    if (!process.waitForFinished(remaining(deadline))) {
        process.kill();
        process.waitForFinished(100);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

QStringList CompositorBindings::gvariantStrings(const QString &text)
{
    static const QRegularExpression quoted(QStringLiteral(R"('((?:[^'\\]|\\.)*)')"));
    QStringList strings;
    for (const QRegularExpressionMatch &m : quoted.globalMatch(text))
        strings.append(m.captured(1).replace(QLatin1String("\\'"), QLatin1String("'")));
    return strings;
}

CompositorBindings::Found CompositorBindings::gnome()
{
    Found found;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (program.isEmpty())
        return found;
    const QDeadlineTimer deadline(answerBound);
    const QString mediaKeys = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
    const auto paths = gsettingsGet(program, mediaKeys, QStringLiteral("custom-keybindings"), deadline);
    if (!paths)
        return found;
    found.read = true;
    for (const QString &path : gvariantStrings(*paths)) {
        const QString schema = mediaKeys + QStringLiteral(".custom-keybinding:") + path;
        const auto command = gsettingsGet(program, schema, QStringLiteral("command"), deadline);
        const auto keys = gsettingsGet(program, schema, QStringLiteral("binding"), deadline);
        const QString action = command ? quilloAction(gvariantStrings(*command).value(0)) : QString();
        const QString binding = keys ? gvariantStrings(*keys).value(0) : QString();
        if (!action.isEmpty() && !binding.isEmpty())
            found.bindings.push_back({binding, action, false, false});
    }
    return found;
}

std::vector<CompositorBindings::Binding> CompositorBindings::parseSwayConfig(const QString &text)
{
    std::vector<Binding> found;
    for (const QString &line : logicalLines(text)) {
        const QStringList w = words(line);
        if (w.isEmpty() || (w[0] != QLatin1String("bindsym") && w[0] != QLatin1String("bindcode")))
            continue;
        Binding binding;
        qsizetype i = 1;
        for (; i < w.size() && w[i].startsWith(QLatin1String("--")); ++i)
            binding.release = binding.release || w[i] == QLatin1String("--release");
        if (i + 1 >= w.size())
            continue; // a block of bindings, or no command
        binding.keys = w[i];
        binding.action = quilloAction(QStringList(w.mid(i + 1)).join(QLatin1Char(' ')));
        if (!binding.action.isEmpty())
            found.push_back(binding);
    }
    return found;
}

QStringList CompositorBindings::swayIncludes(const QString &text, const QString &dir, const Environment &environment)
{
    const QStringList lines = logicalLines(text);
    const std::map<QString, QString> variables = swayVariables(lines);
    QStringList files;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("include ")))
            continue;
        QString path = expandPath(line.mid(8).trimmed(), variables, environment);
        if (path.size() >= 2 && (path.front() == u'"' || path.front() == u'\'') && path.back() == path.front())
            path = path.mid(1, path.size() - 2);
        if (QFileInfo(path).isRelative())
            path = QDir(dir).absoluteFilePath(path);
        files += matchingFiles(path);
    }
    return files;
}

CompositorBindings::Found CompositorBindings::sway(const QString &socketPath)
{
    Found found;
    if (socketPath.isEmpty())
        return found;
    const QDeadlineTimer deadline(answerBound);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(remaining(deadline)))
        return found;
    const auto config = swayAsk(socket, swayGetConfig, deadline);
    const auto version = swayAsk(socket, swayGetVersion, deadline);
    if (!config)
        return found;
    found.read = true;
    // sway 1.7 answers GET_CONFIG with the main file only up to its first include: the
    // file itself is read where this user can, then every file it includes.
    const QString mainFile = version
        ? QJsonDocument::fromJson(*version).object().value(QLatin1String("loaded_config_file_name")).toString()
        : QString();
    QString mainText = mainFile.isEmpty() ? QString() : readText(mainFile);
    if (mainText.isEmpty())
        mainText = QJsonDocument::fromJson(*config).object().value(QLatin1String("config")).toString();
    const Environment environment = swayEnvironment(socketPath);
    QStringList queue{mainText};
    QStringList dirs{QFileInfo(mainFile).absolutePath()};
    QStringList seen;
    for (qsizetype i = 0; i < queue.size() && i < maxFiles; ++i) {
        const std::vector<Binding> bindings = parseSwayConfig(queue[i]);
        found.bindings.insert(found.bindings.end(), bindings.begin(), bindings.end());
        for (const QString &file : swayIncludes(queue[i], dirs[i], environment)) {
            if (seen.contains(file))
                continue;
            seen.append(file);
            queue.append(readText(file));
            dirs.append(QFileInfo(file).absolutePath());
        }
    }
    return found;
}

std::vector<CompositorBindings::Binding> CompositorBindings::parseHyprlandBinds(const QByteArray &json)
{
    std::vector<Binding> found;
    static const QString globalPrefix = QStringLiteral("com.nolt.quillo:");
    for (const QJsonValue &value : QJsonDocument::fromJson(json).array()) {
        const QJsonObject bind = value.toObject();
        const QString dispatcher = bind.value(QLatin1String("dispatcher")).toString();
        const QString arg = bind.value(QLatin1String("arg")).toString();
        Binding binding;
        binding.keys
            = hyprlandKeys(bind.value(QLatin1String("modmask")).toInt(), bind.value(QLatin1String("key")).toString());
        binding.release = bind.value(QLatin1String("release")).toBool();
        if (dispatcher == QLatin1String("exec"))
            binding.action = quilloAction(arg);
        else if (dispatcher == QLatin1String("global") && arg.startsWith(globalPrefix)) {
            binding.action = arg.mid(globalPrefix.size());
            binding.global = true;
        }
        if (!binding.action.isEmpty())
            found.push_back(binding);
    }
    return found;
}

CompositorBindings::Found CompositorBindings::hyprland(const QString &socketPath)
{
    Found found;
    if (socketPath.isEmpty())
        return found;
    const QDeadlineTimer deadline(answerBound);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(remaining(deadline)))
        return found;
    socket.write("j/binds");
    socket.flush();
    QByteArray answer;
    // The answer ends when Hyprland closes the connection.
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
        if (socket.waitForReadyRead(remaining(deadline)))
            answer += socket.readAll();
    }
    answer += socket.readAll();
    found.read = QJsonDocument::fromJson(answer).isArray();
    if (found.read)
        found.bindings = parseHyprlandBinds(answer);
    return found;
}

} // namespace quillo
