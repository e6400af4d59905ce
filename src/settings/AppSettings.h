#pragma once

#include "hotkeys/Hotkey.h"
#include "platform/CredentialStore.h"
#include "platform/DefaultsStore.h"
#include "platform/LoginItem.h"
#include "platform/Scheduler.h"
#include "settings/APIKeyState.h"
#include "settings/SecretStore.h"
#include "settings/TargetLanguage.h"
#include "settings/TranslateTrigger.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace quillo {

// Keys of the defaults store; each equals its property's name.
namespace settingsKey {
inline constexpr auto apiHost = "apiHost";
inline constexpr auto asrModel = "asrModel";
inline constexpr auto polishModel = "polishModel";
inline constexpr auto language = "language";
inline constexpr auto polishEnabled = "polishEnabled";
inline constexpr auto vocabulary = "vocabulary";
inline constexpr auto restoreClipboard = "restoreClipboard";
inline constexpr auto playSounds = "playSounds";
inline constexpr auto liveTextInField = "liveTextInField";
inline constexpr auto holdHotkey = "holdHotkey";
inline constexpr auto toggleHotkey = "toggleHotkey";
inline constexpr auto translateTarget = "translateTarget";
inline constexpr auto translateTrigger = "translateTrigger";
inline constexpr auto translateModel = "translateModel";
inline constexpr auto legacyMigrationDone = "legacyMigrationDone";
} // namespace settingsKey

// The result of reading the API key from the credential store.
struct APIKeyRead {
    QString key; // empty when none is stored
    bool storeFailed = false; // the store could not answer: locked, absent, or too slow
    bool storeTimedOut = false; // of those failures: it did not answer in time
    std::optional<CredentialError> storeError{}; // the store's own reason when it failed
};

// Whether the store now holds the key; the store's reason when not.
using APIKeySaved = Expected<Done, CredentialError>;

// How the import of an environment file ended.
struct EnvImport {
    bool fileRead = true;
    std::optional<CredentialError> keyError; // the file's key was not stored, and why
};

// The program's settings. Every property reads the defaults store and every
// assignment writes it at once, then, when the value changed, emits the
// property's signal and changed(key); changes another program makes to the
// store are announced the same way. The API key lives in the credential store
// and is read fresh by whoever needs it; only whether one is stored is kept
// here (apiKeyConfigured), refreshed by every read. Main thread only.
class AppSettings final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString apiHost READ apiHost WRITE setApiHost NOTIFY apiHostChanged)
    Q_PROPERTY(QString asrModel READ asrModel WRITE setAsrModel NOTIFY asrModelChanged)
    Q_PROPERTY(QString polishModel READ polishModel WRITE setPolishModel NOTIFY polishModelChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(bool polishEnabled READ polishEnabled WRITE setPolishEnabled NOTIFY polishEnabledChanged)
    Q_PROPERTY(QString vocabulary READ vocabulary WRITE setVocabulary NOTIFY vocabularyChanged)
    Q_PROPERTY(bool restoreClipboard READ restoreClipboard WRITE setRestoreClipboard NOTIFY restoreClipboardChanged)
    Q_PROPERTY(bool playSounds READ playSounds WRITE setPlaySounds NOTIFY playSoundsChanged)
    Q_PROPERTY(bool liveTextInField READ liveTextInField WRITE setLiveTextInField NOTIFY liveTextInFieldChanged)
    Q_PROPERTY(QString translateModel READ translateModel WRITE setTranslateModel NOTIFY translateModelChanged)
    Q_PROPERTY(bool apiKeyConfigured READ apiKeyConfigured NOTIFY apiKeyConfiguredChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)

public:
    static constexpr auto defaultAPIHost = "dashscope.aliyuncs.com";
    static constexpr auto defaultVocabulary = "Claude Code\nQuillo\nSwiftUI";
    static constexpr auto legacyDomain = "me.nolt.tavlo-mac";

    using Print = std::function<void(const QString &line)>;

    // Registers the defaults, runs the one-time legacy migration (the settings
    // are copied before this returns, so a HistoryStore built afterwards sees a
    // migrated history) and starts loading the API key.
    AppSettings(DefaultsStore &defaults, CredentialStore &credentials, LoginItem &loginItem, Scheduler &scheduler,
        QObject *parent = nullptr);
    ~AppSettings() override;

    QString apiHost() const;
    void setApiHost(const QString &value);
    QString asrModel() const;
    void setAsrModel(const QString &value);
    QString polishModel() const;
    void setPolishModel(const QString &value);
    QString language() const;
    void setLanguage(const QString &value);
    bool polishEnabled() const;
    void setPolishEnabled(bool value);
    QString vocabulary() const;
    void setVocabulary(const QString &value);
    bool restoreClipboard() const;
    void setRestoreClipboard(bool value);
    bool playSounds() const;
    void setPlaySounds(bool value);
    // Where the input method can write into the focused field, the partial text shows there while speaking.
    bool liveTextInField() const { return flag(settingsKey::liveTextInField); }
    void setLiveTextInField(bool value);
    // None: the user cleared the hotkey.
    std::optional<Hotkey> holdHotkey() const;
    void setHoldHotkey(const std::optional<Hotkey> &value);
    std::optional<Hotkey> toggleHotkey() const;
    void setToggleHotkey(const std::optional<Hotkey> &value);
    TargetLanguage translateTarget() const;
    void setTranslateTarget(TargetLanguage value);
    TranslateTrigger translateTrigger() const;
    void setTranslateTrigger(TranslateTrigger value);
    QString translateModel() const;
    void setTranslateModel(const QString &value);

    // Derived on every read.
    QString normalizedHost() const;
    std::optional<Hotkey> translateHotkey() const;
    std::vector<TargetLanguage> languageCycle() const;
    QString languageCycleText() const;
    QStringList vocabularyTerms() const;

    // Whether the last read of the credential store that answered found a key.
    bool apiKeyConfigured() const { return apiKeyConfigured_; }
    // Tells "no key" apart from a store that could not say; apiKeyConfiguredChanged announces it too.
    APIKeyState apiKeyState() const { return apiKeyState_; }
    // Whether the credential store has answered a read since start (apiKeyConfigured means something).
    bool apiKeyLoaded() const { return apiKeyLoaded_; }
    // Reads the key from the credential store now (asynchronously); updates apiKeyConfigured.
    void readAPIKey(std::function<void(const APIKeyRead &)> done);
    // Reads it only to bring apiKeyConfigured up to date (the menu opening, the settings window showing).
    void refreshAPIKey() { readAPIKey({}); }
    // Runs fn once the first read of the key has finished (at once if it has).
    void whenAPIKeyLoaded(std::function<void()> fn);
    // Stores the trimmed key (only spaces: deletes it), then reads it back;
    // done with Done when the store now holds exactly that key.
    void setAPIKey(const QString &key, std::function<void(const APIKeySaved &)> done = {});

    // Copies what the earlier product left behind, once per user account:
    // settings keys not yet present here (synchronously) and the API key when
    // none is stored (asynchronously; done runs after). Returns whether it ran.
    bool runLegacyMigration(std::function<void()> done = {});

    // Imports QWEN_API_KEY and QWEN_API_HOST from a NAME=VALUE file, printing
    // one line per value taken (and one for a file that cannot be read). A key
    // the store did not take is only reported to done, for the caller to say why.
    void importEnvironmentFile(
        const QString &path, const Print &print, std::function<void(const EnvImport &)> done = {});
    // The same for the text of such a file.
    void importEnvironment(const QString &text, const Print &print, std::function<void(const EnvImport &)> done = {});

    bool launchAtLogin() const;
    // Failures are dropped; launchAtLogin() shows the real state.
    void setLaunchAtLogin(bool enabled);

    SecretStore &secrets() { return secrets_; }

signals:
    void apiHostChanged();
    void asrModelChanged();
    void polishModelChanged();
    void languageChanged();
    void polishEnabledChanged();
    void vocabularyChanged();
    void restoreClipboardChanged();
    void playSoundsChanged();
    void liveTextInFieldChanged();
    void holdHotkeyChanged();
    void toggleHotkeyChanged();
    void translateTargetChanged();
    void translateTriggerChanged();
    void translateModelChanged();
    void apiKeyConfiguredChanged();
    void launchAtLoginChanged();
    // Any of the above, by its key ("apiKeyConfigured", "launchAtLogin" included).
    void changed(const QString &key);

private:
    QString text(const char *key, const QString &fallback) const;
    bool flag(const char *key) const;
    std::optional<Hotkey> hotkey(const char *key, const Hotkey &fallback) const;
    template <typename T>
    void assign(
        const char *key, const T &oldValue, const T &newValue, const QVariant &stored, void (AppSettings::*signal)());
    void storeHotkey(const char *key, const std::optional<Hotkey> &oldValue, const std::optional<Hotkey> &value,
        void (AppSettings::*signal)());
    void registerDefaults();
    void copyLegacyDefaults();
    void migrateLegacyKey(std::function<void()> done);
    void noteKeyRead(const APIKeyRead &read);
    void notify(const char *key, void (AppSettings::*signal)());
    // Another program changed the store: announce every property whose value moved.
    void announceExternalChanges();
    QVariantMap storedValues() const;

    DefaultsStore &defaults_;
    LoginItem &loginItem_;
    SecretStore secrets_;
    bool apiKeyConfigured_ = false;
    bool apiKeyLoaded_ = false;
    APIKeyState apiKeyState_ = APIKeyState::unread;
    // The store's values as this object last saw or wrote them.
    QVariantMap seen_;
    std::vector<std::function<void()>> keyLoadWaiters_;
};

} // namespace quillo
