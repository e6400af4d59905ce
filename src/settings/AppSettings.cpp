#include "settings/AppSettings.h"

#include "settings/SettingsRules.h"

#include <QCoreApplication>

#include <memory>

namespace quillo {

namespace {

QString keyName(const char *key)
{
    return QString::fromLatin1(key);
}

QString apiKeyAccount()
{
    return QString::fromLatin1(SecretStore::apiKeyAccount);
}

} // namespace

AppSettings::AppSettings(
    DefaultsStore &defaults, CredentialStore &credentials, LoginItem &loginItem, Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , defaults_(defaults)
    , loginItem_(loginItem)
    , secrets_(credentials, scheduler)
{
    registerDefaults();
    // The key is read once the migration has copied it, so the first read already sees it.
    runLegacyMigration([this] { readAPIKey({}); });
    seen_ = storedValues();
    defaults_.setExternalChangeHandler([this] { announceExternalChanges(); });
}

AppSettings::~AppSettings()
{
    defaults_.setExternalChangeHandler({});
}

void AppSettings::registerDefaults()
{
    namespace k = settingsKey;
    defaults_.registerDefaults({
        {keyName(k::apiHost), QString::fromLatin1(defaultAPIHost)},
        {keyName(k::asrModel), QStringLiteral("qwen3-asr-flash-realtime")},
        {keyName(k::polishModel), QStringLiteral("qwen-flash")},
        {keyName(k::language), QStringLiteral("zh")},
        {keyName(k::polishEnabled), true},
        {keyName(k::vocabulary), QString::fromLatin1(defaultVocabulary)},
        {keyName(k::restoreClipboard), true},
        {keyName(k::playSounds), true},
        {keyName(k::liveTextInField), true},
        {keyName(k::translateTarget), rawValue(TargetLanguage::english)},
        {keyName(k::translateTrigger), rawValue(TranslateTrigger::shift)},
        {keyName(k::translateModel), QStringLiteral("qwen-plus")},
    });
}

// --- reading and writing ---------------------------------------------------

QString AppSettings::text(const char *key, const QString &fallback) const
{
    return defaults_.text(keyName(key)).value_or(fallback);
}

bool AppSettings::flag(const char *key) const
{
    return defaults_.boolean(keyName(key)).value_or(false);
}

std::optional<Hotkey> AppSettings::hotkey(const char *key, const Hotkey &fallback) const
{
    const auto data = defaults_.bytes(keyName(key));
    if (!data)
        return fallback;
    if (data->isEmpty())
        return std::nullopt;
    return hotkeyFromJson(*data).value_or(fallback);
}

namespace {

struct Observed {
    const char *key;
    void (AppSettings::*signal)();
};

// Every stored property with its signal, for announcing changes made elsewhere.
const Observed observedProperties[] = {
    {settingsKey::apiHost, &AppSettings::apiHostChanged},
    {settingsKey::asrModel, &AppSettings::asrModelChanged},
    {settingsKey::polishModel, &AppSettings::polishModelChanged},
    {settingsKey::language, &AppSettings::languageChanged},
    {settingsKey::polishEnabled, &AppSettings::polishEnabledChanged},
    {settingsKey::vocabulary, &AppSettings::vocabularyChanged},
    {settingsKey::restoreClipboard, &AppSettings::restoreClipboardChanged},
    {settingsKey::playSounds, &AppSettings::playSoundsChanged},
    {settingsKey::liveTextInField, &AppSettings::liveTextInFieldChanged},
    {settingsKey::holdHotkey, &AppSettings::holdHotkeyChanged},
    {settingsKey::toggleHotkey, &AppSettings::toggleHotkeyChanged},
    {settingsKey::translateTarget, &AppSettings::translateTargetChanged},
    {settingsKey::translateTrigger, &AppSettings::translateTriggerChanged},
    {settingsKey::translateModel, &AppSettings::translateModelChanged},
};

} // namespace

QVariantMap AppSettings::storedValues() const
{
    QVariantMap values;
    for (const Observed &p : observedProperties) {
        if (const auto v = defaults_.value(keyName(p.key)))
            values.insert(keyName(p.key), *v);
    }
    return values;
}

void AppSettings::announceExternalChanges()
{
    const QVariantMap now = storedValues();
    const QVariantMap before = std::exchange(seen_, now);
    for (const Observed &p : observedProperties) {
        const QString key = keyName(p.key);
        if (before.value(key) != now.value(key))
            notify(p.key, p.signal);
    }
}

void AppSettings::notify(const char *key, void (AppSettings::*signal)())
{
    emit(this->*signal)();
    emit changed(keyName(key));
}

template <typename T>
void AppSettings::assign(
    const char *key, const T &oldValue, const T &newValue, const QVariant &stored, void (AppSettings::*signal)())
{
    defaults_.setValue(keyName(key), stored);
    seen_ = storedValues();
    if (oldValue != newValue)
        notify(key, signal);
}

void AppSettings::storeHotkey(const char *key, const std::optional<Hotkey> &oldValue,
    const std::optional<Hotkey> &value, void (AppSettings::*signal)())
{
    // Zero-length data means "no hotkey"; an absent key would bring the default back.
    assign(key, oldValue, value, value ? toJson(*value) : QByteArray(), signal);
}

QString AppSettings::apiHost() const
{
    return text(settingsKey::apiHost, QString::fromLatin1(defaultAPIHost));
}

void AppSettings::setApiHost(const QString &value)
{
    assign(settingsKey::apiHost, apiHost(), value, value, &AppSettings::apiHostChanged);
}

QString AppSettings::asrModel() const
{
    return text(settingsKey::asrModel, QStringLiteral("qwen3-asr-flash-realtime"));
}

void AppSettings::setAsrModel(const QString &value)
{
    assign(settingsKey::asrModel, asrModel(), value, value, &AppSettings::asrModelChanged);
}

QString AppSettings::polishModel() const
{
    return text(settingsKey::polishModel, QStringLiteral("qwen-flash"));
}

void AppSettings::setPolishModel(const QString &value)
{
    assign(settingsKey::polishModel, polishModel(), value, value, &AppSettings::polishModelChanged);
}

QString AppSettings::language() const
{
    return text(settingsKey::language, QStringLiteral("zh"));
}

void AppSettings::setLanguage(const QString &value)
{
    assign(settingsKey::language, language(), value, value, &AppSettings::languageChanged);
}

bool AppSettings::polishEnabled() const
{
    return flag(settingsKey::polishEnabled);
}

void AppSettings::setPolishEnabled(bool value)
{
    assign(settingsKey::polishEnabled, polishEnabled(), value, value, &AppSettings::polishEnabledChanged);
}

QString AppSettings::vocabulary() const
{
    return text(settingsKey::vocabulary, QString());
}

void AppSettings::setVocabulary(const QString &value)
{
    assign(settingsKey::vocabulary, vocabulary(), value, value, &AppSettings::vocabularyChanged);
}

bool AppSettings::restoreClipboard() const
{
    return flag(settingsKey::restoreClipboard);
}

void AppSettings::setRestoreClipboard(bool value)
{
    assign(settingsKey::restoreClipboard, restoreClipboard(), value, value, &AppSettings::restoreClipboardChanged);
}

void AppSettings::setLiveTextInField(bool value)
{
    assign(settingsKey::liveTextInField, liveTextInField(), value, value, &AppSettings::liveTextInFieldChanged);
}

bool AppSettings::playSounds() const
{
    return flag(settingsKey::playSounds);
}

void AppSettings::setPlaySounds(bool value)
{
    assign(settingsKey::playSounds, playSounds(), value, value, &AppSettings::playSoundsChanged);
}

std::optional<Hotkey> AppSettings::holdHotkey() const
{
    return hotkey(settingsKey::holdHotkey, defaultHoldHotkey);
}

void AppSettings::setHoldHotkey(const std::optional<Hotkey> &value)
{
    storeHotkey(settingsKey::holdHotkey, holdHotkey(), value, &AppSettings::holdHotkeyChanged);
}

std::optional<Hotkey> AppSettings::toggleHotkey() const
{
    return hotkey(settingsKey::toggleHotkey, defaultToggleHotkey);
}

void AppSettings::setToggleHotkey(const std::optional<Hotkey> &value)
{
    storeHotkey(settingsKey::toggleHotkey, toggleHotkey(), value, &AppSettings::toggleHotkeyChanged);
}

TargetLanguage AppSettings::translateTarget() const
{
    return targetLanguageFromRaw(text(settingsKey::translateTarget, QString())).value_or(TargetLanguage::english);
}

void AppSettings::setTranslateTarget(TargetLanguage value)
{
    assign(
        settingsKey::translateTarget, translateTarget(), value, rawValue(value), &AppSettings::translateTargetChanged);
}

TranslateTrigger AppSettings::translateTrigger() const
{
    return translateTriggerFromRaw(text(settingsKey::translateTrigger, QString())).value_or(TranslateTrigger::shift);
}

void AppSettings::setTranslateTrigger(TranslateTrigger value)
{
    assign(settingsKey::translateTrigger, translateTrigger(), value, rawValue(value),
        &AppSettings::translateTriggerChanged);
}

QString AppSettings::translateModel() const
{
    return text(settingsKey::translateModel, QStringLiteral("qwen-plus"));
}

void AppSettings::setTranslateModel(const QString &value)
{
    assign(settingsKey::translateModel, translateModel(), value, value, &AppSettings::translateModelChanged);
}

// --- derived values ----------------------------------------------------------

QString AppSettings::normalizedHost() const
{
    return settingsRules::normalizedHost(apiHost(), QString::fromLatin1(defaultAPIHost));
}

std::optional<Hotkey> AppSettings::translateHotkey() const
{
    return settingsRules::translateHotkey(toggleHotkey(), translateTrigger());
}

std::vector<TargetLanguage> AppSettings::languageCycle() const
{
    return settingsRules::languageCycle(translateTarget());
}

QString AppSettings::languageCycleText() const
{
    return settingsRules::languageCycleText(translateTarget());
}

QStringList AppSettings::vocabularyTerms() const
{
    return settingsRules::vocabularyTerms(vocabulary());
}

// --- API key -------------------------------------------------------------------

void AppSettings::readAPIKey(std::function<void(const APIKeyRead &)> done)
{
    secrets_.readChecked(apiKeyAccount(), QString::fromLatin1(SecretStore::credentialService),
        [this, done = std::move(done)](const SecretStore::CheckedRead &result) {
            APIKeyRead read;
            read.storeFailed = !result;
            read.storeTimedOut = !result && result.error().kind == CredentialError::Kind::timeout;
            if (!result)
                read.storeError = result.error();
            if (result && result.value())
                read.key = *result.value();
            const bool first = !apiKeyLoaded_;
            noteKeyRead(read);
            if (first) {
                for (auto &waiter : std::exchange(keyLoadWaiters_, {}))
                    waiter();
            }
            if (done)
                done(read);
        });
}

void AppSettings::noteKeyRead(const APIKeyRead &read)
{
    apiKeyLoaded_ = true;
    // A store that could not answer says nothing about the key: keep what we knew.
    if (!read.storeFailed)
        apiKeyConfigured_ = !read.key.isEmpty();
    const APIKeyState state = read.storeFailed ? apiKeyStateOf(read.storeError.value_or(CredentialError{}).kind)
        : apiKeyConfigured_                    ? APIKeyState::stored
                                               : APIKeyState::missing;
    if (std::exchange(apiKeyState_, state) != state)
        notify("apiKeyConfigured", &AppSettings::apiKeyConfiguredChanged);
}

void AppSettings::whenAPIKeyLoaded(std::function<void()> fn)
{
    if (!fn)
        return;
    if (apiKeyLoaded_)
        return fn();
    keyLoadWaiters_.push_back(std::move(fn));
}

void AppSettings::setAPIKey(const QString &key, std::function<void(const APIKeySaved &)> done)
{
    using Kind = CredentialError::Kind;
    const QString trimmed = key.trimmed();
    // The store's own reason when it refused the change; otherwise the read-back decides.
    auto refused = std::make_shared<std::optional<CredentialError>>();
    secrets_.save(trimmed, apiKeyAccount(), [refused](const SecretStore::SaveResult &saved) {
        if (!saved)
            *refused = saved.error();
    });
    readAPIKey([trimmed, refused, done = std::move(done)](const APIKeyRead &read) {
        if (!done)
            return;
        if (*refused)
            return done(unexpected(**refused));
        if (read.storeFailed)
            return done(unexpected(CredentialError{read.storeTimedOut ? Kind::timeout : Kind::failed, {}}));
        if (read.key != trimmed)
            return done(unexpected(CredentialError{Kind::failed, QStringLiteral("another key read back")}));
        done(Done{});
    });
}

// --- legacy migration ----------------------------------------------------------

bool AppSettings::runLegacyMigration(std::function<void()> done)
{
    if (flag(settingsKey::legacyMigrationDone)) {
        if (done)
            done();
        return false;
    }
    // Marked first: a migration that fails part way is not retried.
    defaults_.setValue(keyName(settingsKey::legacyMigrationDone), true);
    copyLegacyDefaults();
    migrateLegacyKey(std::move(done));
    return true;
}

void AppSettings::copyLegacyDefaults()
{
    const auto legacy = defaults_.persistentDomain(QString::fromLatin1(legacyDomain));
    if (!legacy)
        return;
    for (auto it = legacy->constBegin(); it != legacy->constEnd(); ++it) {
        if (!defaults_.contains(it.key()))
            defaults_.setValue(it.key(), it.value());
    }
}

void AppSettings::migrateLegacyKey(std::function<void()> done)
{
    const auto finish = [done](auto &&...) {
        if (done)
            done();
    };
    secrets_.read(apiKeyAccount(), QString::fromLatin1(SecretStore::credentialService),
        [this, finish](std::optional<QString> current) {
            if (current && !current->isEmpty())
                return finish();
            secrets_.read(apiKeyAccount(), QString::fromLatin1(SecretStore::legacyCredentialService),
                [this, finish](std::optional<QString> legacy) {
                    if (!legacy || legacy->isEmpty())
                        return finish();
                    secrets_.save(*legacy, apiKeyAccount(), finish);
                });
        });
}

// --- environment file ------------------------------------------------------------

void AppSettings::importEnvironmentFile(
    const QString &path, const Print &print, std::function<void(const EnvImport &)> done)
{
    const auto say = [print](const QString &line) {
        if (print)
            print(line);
    };
    const auto text = settingsRules::readEnvironmentFile(path);
    if (!text) {
        say(QCoreApplication::translate("App", "无法读取 %1").arg(path));
        if (done)
            done(EnvImport{false, std::nullopt});
        return;
    }
    importEnvironment(*text, print, std::move(done));
}

void AppSettings::importEnvironment(
    const QString &text, const Print &print, std::function<void(const EnvImport &)> done)
{
    const auto say = [print](const QString &line) {
        if (print)
            print(line);
    };
    const auto table = settingsRules::parseEnvironment(text);
    // Only white space (a stray "\r", a vertical tab) is no key: storing it would delete the user's key.
    const QString key = table.value(QStringLiteral("QWEN_API_KEY")).trimmed();
    const QString host = table.value(QStringLiteral("QWEN_API_HOST"));
    const auto importHost = [this, host, say, done](std::optional<CredentialError> keyError) {
        if (!host.isEmpty()) {
            setApiHost(host);
            say(QCoreApplication::translate("App", "已设置接入域名 %1").arg(host));
        }
        if (done)
            done(EnvImport{true, std::move(keyError)});
    };
    if (key.isEmpty())
        return importHost(std::nullopt);
    setAPIKey(key, [key, say, importHost](const APIKeySaved &saved) {
        // Reporting an import that never reached the credential store would hide a lost key.
        if (!saved)
            return importHost(saved.error());
        say(QCoreApplication::translate("App", "已导入 API Key（长度 %1）").arg(settingsRules::perceivedLength(key)));
        importHost(std::nullopt);
    });
}

// --- login item --------------------------------------------------------------------

bool AppSettings::launchAtLogin() const
{
    return loginItem_.isEnabled();
}

void AppSettings::setLaunchAtLogin(bool enabled)
{
    // The platform's refusal is not reported; readers see the real state.
    (void)loginItem_.setEnabled(enabled);
    notify("launchAtLogin", &AppSettings::launchAtLoginChanged);
}

} // namespace quillo
#include <QCoreApplication>
