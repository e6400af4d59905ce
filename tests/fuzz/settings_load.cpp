// Fuzz target: settings read from a damaged or foreign defaults store (values of the wrong
// type, text where data belongs, anything in the earlier product's domain). Records are
// separated by 0x00 bytes: a key byte, a type byte (bit 7: the legacy domain), the payload.
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/AppSettings.h"
#include "settings/HistoryStore.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <set>

using namespace quillo;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

constexpr std::array<const char *, 16> keys{settingsKey::apiHost, settingsKey::asrModel, settingsKey::polishModel,
    settingsKey::language, settingsKey::polishEnabled, settingsKey::vocabulary, settingsKey::restoreClipboard,
    settingsKey::playSounds, settingsKey::holdHotkey, settingsKey::toggleHotkey, settingsKey::translateTarget,
    settingsKey::translateTrigger, settingsKey::translateModel, settingsKey::legacyMigrationDone, HistoryStore::key,
    HistoryStore::backupKey};

QVariant valueOf(std::uint8_t type, const QByteArray &payload)
{
    switch (type % 7) {
    case 0:
        return QString::fromUtf8(payload);
    case 1:
        return payload;
    case 2:
        return !payload.isEmpty() && (payload[0] & 1);
    case 3:
        return payload.toLongLong();
    case 4: {
        double d = 0;
        std::memcpy(&d, payload.constData(), std::min<std::size_t>(sizeof d, static_cast<std::size_t>(payload.size())));
        return d;
    }
    case 5:
        return QString::fromUtf8(payload).split(u',');
    default:
        return QVariantMap{{QString::fromUtf8(payload), payload}};
    }
}

// A hotkey read back is the default, none (only for zero-length data) or what the data says.
void checkHotkey(const std::optional<Hotkey> &loaded, const DefaultsStore &store, const char *key, Hotkey fallback)
{
    const auto data = store.bytes(QString::fromLatin1(key));
    if (!loaded) {
        check(data && data->isEmpty());
        return;
    }
    check(*loaded == fallback || (data && hotkeyFromJson(*data) == loaded));
}

void checkDerived(const AppSettings &settings)
{
    const QString host = settings.normalizedHost();
    check(!host.isEmpty() && !host.contains(u'/'));
    for (const QString &term : settings.vocabularyTerms()) {
        check(!term.isEmpty() && !term.contains(u'\n') && !term.contains(u',') && !term.contains(u'，'));
        check(term.front() != u' ' && term.back() != u' ' && term.front() != u'\t' && term.back() != u'\t');
    }
    if (const auto translate = settings.translateHotkey())
        check(isValid(*translate) && !translate->isModifierOnly);
    const auto cycle = settings.languageCycle();
    check(cycle.size() == 3 && cycle.front() == settings.translateTarget());
    check(std::set(cycle.begin(), cycle.end()).size() == 3);
    (void)settings.languageCycleText();
}

// Storing what was read and reading it again gives the same settings.
void checkRewrite(AppSettings &settings)
{
    const auto hold = settings.holdHotkey();
    const auto toggle = settings.toggleHotkey();
    const auto target = settings.translateTarget();
    const auto trigger = settings.translateTrigger();
    const QString host = settings.apiHost();
    const QString vocabulary = settings.vocabulary();
    const bool polish = settings.polishEnabled();
    settings.setHoldHotkey(hold);
    settings.setToggleHotkey(toggle);
    settings.setTranslateTarget(target);
    settings.setTranslateTrigger(trigger);
    settings.setApiHost(host);
    settings.setVocabulary(vocabulary);
    settings.setPolishEnabled(polish);
    check(settings.holdHotkey() == hold && settings.toggleHotkey() == toggle);
    check(settings.translateTarget() == target && settings.translateTrigger() == trigger);
    check(settings.apiHost() == host && settings.vocabulary() == vocabulary && settings.polishEnabled() == polish);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MemoryDefaultsStore defaults;
    QVariantMap legacy;
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray &record : input.split('\0')) {
        if (record.size() < 2)
            continue;
        const QString key = QString::fromLatin1(keys[static_cast<std::uint8_t>(record[0]) % keys.size()]);
        const auto type = static_cast<std::uint8_t>(record[1]);
        const QVariant value = valueOf(type, record.mid(2));
        if (type & 0x80)
            legacy.insert(key, value);
        else
            defaults.setValue(key, value);
    }
    if (!legacy.isEmpty())
        defaults.setDomain(QString::fromLatin1(AppSettings::legacyDomain), legacy);

    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    ManualScheduler scheduler;
    AppSettings settings(defaults, credentials, loginItem, scheduler);
    scheduler.runDue();
    HistoryStore history(defaults);
    (void)history.entries().size();

    checkHotkey(settings.holdHotkey(), defaults, settingsKey::holdHotkey, defaultHoldHotkey);
    checkHotkey(settings.toggleHotkey(), defaults, settingsKey::toggleHotkey, defaultToggleHotkey);
    (void)settings.asrModel();
    (void)settings.polishModel();
    (void)settings.language();
    (void)settings.translateModel();
    (void)settings.restoreClipboard();
    (void)settings.playSounds();
    checkDerived(settings);
    checkRewrite(settings);
    return 0;
}
