// Fuzz target: importing an environment file's text into settings held in memory.
// The oracle reads the file its own, simple way and says what must end up stored.
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/AppSettings.h"
#include "settings/SettingsRules.h"

#include <cstdint>
#include <optional>

using namespace quillo;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

QString trimSpacesAndTabs(QString s)
{
    const auto blank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    while (!s.isEmpty() && blank(s.front()))
        s.remove(0, 1);
    while (!s.isEmpty() && blank(s.back()))
        s.chop(1);
    return s;
}

// The value the last NAME=VALUE line for name gives, trimmed of spaces and tabs; none
// when no line names it. Leading "=" are skipped; a line needs a name, "=" and a value.
std::optional<QString> lastValue(const QString &text, const QString &name)
{
    std::optional<QString> found;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        while (line.startsWith(u'='))
            line.remove(0, 1);
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || equals == line.size() - 1)
            continue;
        if (trimSpacesAndTabs(line.left(equals)) == name)
            found = trimSpacesAndTabs(line.mid(equals + 1));
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto text = settingsRules::decodeEnvironmentFile(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    if (!text)
        return 0;

    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    ManualScheduler scheduler;
    const QString service = QString::fromLatin1(SecretStore::credentialService);
    const QString account = QString::fromLatin1(SecretStore::apiKeyAccount);
    const QByteArray earlierKey = "sk-earlier";
    credentials.plant(service, account, earlierKey);
    AppSettings settings(defaults, credentials, loginItem, scheduler);
    scheduler.runDue();

    QStringList printed;
    int completions = 0;
    bool succeeded = false;
    settings.importEnvironment(
        *text, [&printed](const QString &line) { printed.append(line); },
        [&](const EnvImport &result) {
            ++completions;
            succeeded = result.fileRead && !result.keyError;
        });
    scheduler.advance(std::chrono::minutes(1));
    check(completions == 1 && succeeded);

    // A blank key is no key: the one stored before stays.
    const QString key = lastValue(*text, QStringLiteral("QWEN_API_KEY")).value_or(QString()).trimmed();
    const QByteArray expected = key.isEmpty() ? earlierKey : key.toUtf8();
    check(credentials.item(service, account) == expected);
    std::optional<QString> read;
    settings.readAPIKey([&read](const APIKeyRead &r) { read = r.key; });
    scheduler.advance(std::chrono::minutes(1));
    check(read == QString::fromUtf8(expected));
    const QString imported = QStringLiteral("已导入 API Key（长度 %1）").arg(settingsRules::perceivedLength(key));
    check(printed.contains(imported) == !key.isEmpty());

    const QString host = lastValue(*text, QStringLiteral("QWEN_API_HOST")).value_or(QString());
    check(settings.apiHost() == (host.isEmpty() ? QString::fromLatin1(AppSettings::defaultAPIHost) : host));
    return 0;
}
