#include "settings/SettingsRules.h"

#include "common/UnicodeText.h"

#include <QFile>
#include <QStringDecoder>

namespace quillo::settingsRules {

namespace {

// Larger files are not environment files; reading them whole would only cost memory.
constexpr qint64 maxEnvironmentFileSize = 1 << 20;

bool isSpaceOrTab(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

QString trimSpacesAndTabs(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString removePrefix(const QString &text, QLatin1String prefix)
{
    return text.startsWith(prefix, Qt::CaseSensitive) ? text.mid(prefix.size()) : text;
}

// The name and value of one line: the first non-empty piece before a "=" and
// everything after that "=".
std::optional<std::pair<QString, QString>> splitAssignment(const QString &line)
{
    qsizetype start = 0;
    while (start < line.size() && line.at(start) == QLatin1Char('='))
        ++start;
    const qsizetype equals = line.indexOf(QLatin1Char('='), start);
    if (start == line.size() || equals < 0 || equals + 1 == line.size())
        return std::nullopt;
    return std::pair{line.mid(start, equals - start), line.mid(equals + 1)};
}

} // namespace

QString normalizedHost(const QString &apiHost, const QString &defaultHost)
{
    QString host = apiHost.trimmed();
    host = removePrefix(host, QLatin1String("https://"));
    host = removePrefix(host, QLatin1String("http://"));
    host = removePrefix(host, QLatin1String("wss://"));
    if (const qsizetype slash = host.indexOf(QLatin1Char('/')); slash >= 0)
        host.truncate(slash);
    return host.isEmpty() ? defaultHost : host;
}

QStringList vocabularyTerms(const QString &vocabulary)
{
    QStringList terms;
    QString piece;
    const auto flush = [&] {
        const QString term = trimSpacesAndTabs(piece);
        if (!term.isEmpty())
            terms.append(term);
        piece.clear();
    };
    for (const QChar c : vocabulary) {
        if (c == QLatin1Char('\n') || c == QLatin1Char(',') || c == QChar(0xFF0C)) {
            flush();
            continue;
        }
        piece += c;
    }
    flush();
    return terms;
}

std::optional<Hotkey> translateHotkey(const std::optional<Hotkey> &toggle, TranslateTrigger trigger)
{
    if (!toggle || toggle->isModifierOnly || !isValid(*toggle))
        return std::nullopt;
    const std::uint64_t flag = modifierFlagOf(trigger);
    if (toggle->modifiers & flag)
        return std::nullopt;
    return Hotkey{toggle->keyCode, flag | (toggle->modifiers & relevantModifiers), false};
}

std::vector<TargetLanguage> languageCycle(TargetLanguage target)
{
    std::vector<TargetLanguage> cycle{target};
    for (const TargetLanguage language : allTargetLanguages) {
        if (language != target)
            cycle.push_back(language);
    }
    return cycle;
}

QString languageCycleText(TargetLanguage target)
{
    QStringList names;
    for (const TargetLanguage language : languageCycle(target))
        names.append(displayName(language));
    return names.join(QStringLiteral(" → "));
}

QHash<QString, QString> parseEnvironment(const QString &text)
{
    QHash<QString, QString> table;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const auto assignment = splitAssignment(line);
        if (!assignment)
            continue;
        table.insert(trimSpacesAndTabs(assignment->first), trimSpacesAndTabs(assignment->second));
    }
    return table;
}

std::optional<QString> readEnvironmentFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(maxEnvironmentFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodeEnvironmentFile(bytes);
}

std::optional<QString> decodeEnvironmentFile(const QByteArray &bytes)
{
    if (bytes.size() > maxEnvironmentFileSize)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

qsizetype perceivedLength(const QString &text)
{
    return unicode::graphemeCount(text);
}

} // namespace quillo::settingsRules
