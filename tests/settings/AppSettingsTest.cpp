#include "settings/AppSettings.h"

#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quillo {
namespace {

const QString service = QString::fromLatin1(SecretStore::credentialService);
const QString legacyService = QString::fromLatin1(SecretStore::legacyCredentialService);
const QString account = QString::fromLatin1(SecretStore::apiKeyAccount);

class AppSettingsTest : public ::testing::Test {
protected:
    std::unique_ptr<AppSettings> make()
    {
        return std::make_unique<AppSettings>(defaults, credentials, loginItem, scheduler);
    }

    // What a consumer reading the key now gets.
    QString readKey(AppSettings &s)
    {
        std::optional<QString> key;
        s.readAPIKey([&](const APIKeyRead &read) { key = read.key; });
        for (int i = 0; i < 5 && !key && credentials.pendingCount() > 0; ++i)
            credentials.completePending();
        return key.value_or(QStringLiteral("<no answer>"));
    }

    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    ManualScheduler scheduler;
};

TEST_F(AppSettingsTest, FreshUserGetsDefaults)
{
    const auto s = make();
    EXPECT_EQ(s->apiHost(), QStringLiteral("dashscope.aliyuncs.com"));
    EXPECT_EQ(s->normalizedHost(), QStringLiteral("dashscope.aliyuncs.com"));
    EXPECT_EQ(s->asrModel(), QStringLiteral("qwen3-asr-flash-realtime"));
    EXPECT_EQ(s->polishModel(), QStringLiteral("qwen-flash"));
    EXPECT_EQ(s->translateModel(), QStringLiteral("qwen-plus"));
    EXPECT_EQ(s->language(), QStringLiteral("zh"));
    EXPECT_TRUE(s->polishEnabled());
    EXPECT_TRUE(s->restoreClipboard());
    EXPECT_TRUE(s->playSounds());
    EXPECT_EQ(s->vocabulary(), QStringLiteral("Claude Code\nQuillo\nSwiftUI"));
    EXPECT_EQ(s->holdHotkey(), defaultHoldHotkey);
    EXPECT_EQ(s->toggleHotkey(), defaultToggleHotkey);
    EXPECT_EQ(s->translateTarget(), TargetLanguage::english);
    EXPECT_EQ(s->translateTrigger(), TranslateTrigger::shift);
    EXPECT_FALSE(s->apiKeyConfigured());
    // Registered defaults answer reads but are not written.
    EXPECT_EQ(defaults.stored().keys(), QStringList{"legacyMigrationDone"});
}

TEST_F(AppSettingsTest, ValuesSurviveRestart)
{
    const Hotkey ctrlF5{96, modifierFlag::control, false};
    {
        const auto s = make();
        s->setApiHost(QStringLiteral(" https://h.example/x"));
        s->setAsrModel(QStringLiteral("asr"));
        s->setPolishModel(QStringLiteral("polish"));
        s->setTranslateModel(QStringLiteral("tr"));
        s->setLanguage(QStringLiteral("yue"));
        s->setPolishEnabled(false);
        s->setRestoreClipboard(false);
        s->setPlaySounds(false);
        s->setVocabulary(QStringLiteral("a，b"));
        s->setHoldHotkey(std::nullopt);
        s->setToggleHotkey(ctrlF5);
        s->setTranslateTarget(TargetLanguage::vietnamese);
        s->setTranslateTrigger(TranslateTrigger::option);
    }
    const auto s = make();
    EXPECT_EQ(s->apiHost(), QStringLiteral(" https://h.example/x"));
    EXPECT_EQ(s->normalizedHost(), QStringLiteral("h.example"));
    EXPECT_EQ(s->asrModel(), QStringLiteral("asr"));
    EXPECT_EQ(s->polishModel(), QStringLiteral("polish"));
    EXPECT_EQ(s->translateModel(), QStringLiteral("tr"));
    EXPECT_EQ(s->language(), QStringLiteral("yue"));
    EXPECT_FALSE(s->polishEnabled());
    EXPECT_FALSE(s->restoreClipboard());
    EXPECT_FALSE(s->playSounds());
    EXPECT_EQ(s->vocabularyTerms(), (QStringList{"a", "b"}));
    EXPECT_EQ(s->holdHotkey(), std::nullopt);
    EXPECT_EQ(s->toggleHotkey(), ctrlF5);
    EXPECT_EQ(s->translateTarget(), TargetLanguage::vietnamese);
    EXPECT_EQ(s->translateTrigger(), TranslateTrigger::option);
    EXPECT_EQ(s->translateHotkey(), (Hotkey{96, modifierFlag::option | modifierFlag::control, false}));
    EXPECT_EQ(defaults.stored().value("translateTarget"), QVariant(QStringLiteral("vi")));
    EXPECT_EQ(defaults.stored().value("toggleHotkey").typeId(), QMetaType::QByteArray);
}

TEST_F(AppSettingsTest, StoredHotkeyData)
{
    struct Case {
        const char *name;
        std::optional<QVariant> stored;
        std::optional<Hotkey> hold;
        std::optional<Hotkey> toggle;
    };
    const Hotkey f6{97, 0, false};
    const std::vector<Case> cases{
        {"absent", std::nullopt, defaultHoldHotkey, defaultToggleHotkey},
        {"zero length", QVariant(QByteArray()), std::nullopt, std::nullopt},
        {"corrupt JSON", QVariant(QByteArray("{\"keyCode\":")), defaultHoldHotkey, defaultToggleHotkey},
        {"missing member", QVariant(QByteArray(R"({"keyCode":97,"modifiers":0})")), defaultHoldHotkey,
            defaultToggleHotkey},
        {"text, not data", QVariant(QString::fromLatin1(toJson(f6))), defaultHoldHotkey, defaultToggleHotkey},
        {"valid", QVariant(toJson(f6)), f6, f6},
    };
    for (const Case &c : cases) {
        MemoryDefaultsStore store;
        if (c.stored) {
            store.setValue("holdHotkey", *c.stored);
            store.setValue("toggleHotkey", *c.stored);
        }
        const AppSettings s(store, credentials, loginItem, scheduler);
        EXPECT_EQ(s.holdHotkey(), c.hold) << c.name;
        EXPECT_EQ(s.toggleHotkey(), c.toggle) << c.name;
    }
}

TEST_F(AppSettingsTest, ClearedHotkeyStaysClearedRemovedKeyRestoresDefault)
{
    make()->setHoldHotkey(std::nullopt);
    EXPECT_EQ(defaults.stored().value("holdHotkey"), QVariant(QByteArray()));
    EXPECT_EQ(make()->holdHotkey(), std::nullopt);
    defaults.remove("holdHotkey");
    EXPECT_EQ(make()->holdHotkey(), defaultHoldHotkey);
}

TEST_F(AppSettingsTest, UnknownEnumTextsFallBack)
{
    defaults.setValue("translateTarget", QStringLiteral("fr"));
    defaults.setValue("translateTrigger", QStringLiteral("hyper"));
    const auto s = make();
    EXPECT_EQ(s->translateTarget(), TargetLanguage::english);
    EXPECT_EQ(s->translateTrigger(), TranslateTrigger::shift);
}

TEST_F(AppSettingsTest, AssignmentNotifiesOnlyOnChangeButAlwaysStores)
{
    const auto s = make();
    QSignalSpy hostSpy(s.get(), &AppSettings::apiHostChanged);
    QSignalSpy holdSpy(s.get(), &AppSettings::holdHotkeyChanged);
    QSignalSpy anySpy(s.get(), &AppSettings::changed);
    s->setApiHost(QStringLiteral("a.example"));
    s->setApiHost(QStringLiteral("a.example"));
    s->setHoldHotkey(defaultHoldHotkey);
    EXPECT_EQ(hostSpy.count(), 1);
    EXPECT_EQ(holdSpy.count(), 0);
    ASSERT_EQ(anySpy.count(), 1);
    EXPECT_EQ(anySpy.at(0).at(0).toString(), QStringLiteral("apiHost"));
    // The default, once assigned, is stored: it no longer follows a changed default.
    EXPECT_TRUE(defaults.contains("holdHotkey"));
}

TEST_F(AppSettingsTest, SetAPIKeyTrimsStoresAndReadsBack)
{
    const auto s = make();
    QSignalSpy spy(s.get(), &AppSettings::apiKeyConfiguredChanged);
    std::optional<bool> saved;
    s->setAPIKey(QStringLiteral("  sk-new \n"), [&](const APIKeySaved &r) { saved = r.hasValue(); });
    EXPECT_EQ(saved, true);
    EXPECT_EQ(credentials.item(service, account), QByteArray("sk-new"));
    EXPECT_EQ(credentials.label(service, account), QStringLiteral("Quillo API Key"));
    EXPECT_TRUE(s->apiKeyConfigured());
    EXPECT_EQ(readKey(*s), QStringLiteral("sk-new"));
    EXPECT_EQ(spy.count(), 1);

    s->setAPIKey(QStringLiteral("   "), [&](const APIKeySaved &r) { saved = r.hasValue(); });
    EXPECT_EQ(saved, true);
    EXPECT_EQ(credentials.item(service, account), std::nullopt);
    EXPECT_FALSE(s->apiKeyConfigured());
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(AppSettingsTest, AKeyTheStoreDidNotTakeSaysWhyAndShowsAsNotConfigured)
{
    using Kind = CredentialError::Kind;
    const auto s = make();
    std::optional<APIKeySaved> saved;
    credentials.setWritesFail(true);
    s->setAPIKey(QStringLiteral("sk-1"), [&](const APIKeySaved &r) { saved = r; });
    ASSERT_TRUE(saved && !*saved);
    EXPECT_EQ(saved->error().kind, Kind::denied);
    EXPECT_FALSE(s->apiKeyConfigured());

    // A store that never answers: the removal runs out of time, the write and the read-back
    // behind it fail at once, so the whole save ends after one time-out.
    credentials.setWritesFail(false);
    credentials.setMode(MemoryCredentialStore::Mode::hanging);
    saved.reset();
    s->setAPIKey(QStringLiteral("sk-2"), [&](const APIKeySaved &r) { saved = r; });
    scheduler.advance(SecretStore::defaultTimeout - std::chrono::milliseconds(1));
    EXPECT_FALSE(saved);
    scheduler.advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(saved && !*saved);
    EXPECT_EQ(saved->error().kind, Kind::timeout);
    EXPECT_FALSE(s->apiKeyConfigured());
}

TEST_F(AppSettingsTest, KeyLoadedAtStartAndWaitersRunAfterIt)
{
    credentials.plant(service, account, "sk-stored");
    credentials.setMode(MemoryCredentialStore::Mode::deferred);
    const auto s = make();
    bool ready = false;
    s->whenAPIKeyLoaded([&] { ready = true; });
    EXPECT_FALSE(ready);
    for (int i = 0; i < 5 && credentials.pendingCount() > 0; ++i)
        credentials.completePending();
    EXPECT_TRUE(ready);
    EXPECT_EQ(readKey(*s), QStringLiteral("sk-stored"));
    bool again = false;
    s->whenAPIKeyLoaded([&] { again = true; });
    EXPECT_TRUE(again);
}

TEST_F(AppSettingsTest, MigrationCopiesOnlyAbsentKeysAndRunsOnce)
{
    defaults.setDomain("me.nolt.tavlo-mac", {{"apiHost", "old.example"}, {"vocabulary", "old"}, {"history", "x"}});
    defaults.setValue("vocabulary", QStringLiteral("mine"));
    credentials.plant(legacyService, account, "sk-legacy");
    {
        const auto s = make();
        EXPECT_EQ(s->apiHost(), QStringLiteral("old.example"));
        EXPECT_EQ(s->vocabulary(), QStringLiteral("mine"));
        EXPECT_EQ(readKey(*s), QStringLiteral("sk-legacy"));
    }
    EXPECT_EQ(defaults.stored().value("history"), QVariant(QStringLiteral("x")));
    EXPECT_EQ(credentials.item(service, account), QByteArray("sk-legacy"));
    EXPECT_EQ(credentials.item(legacyService, account), QByteArray("sk-legacy"));

    defaults.remove("apiHost");
    defaults.setDomain("me.nolt.tavlo-mac", {{"apiHost", "older.example"}, {"language", "en"}});
    const auto again = make();
    EXPECT_EQ(again->apiHost(), QStringLiteral("dashscope.aliyuncs.com"));
    EXPECT_EQ(again->language(), QStringLiteral("zh"));
}

TEST_F(AppSettingsTest, MigratedKeyIsTheFirstKeyLoadedWhenTheStoreAnswersLater)
{
    credentials.plant(legacyService, account, "sk-legacy");
    credentials.setMode(MemoryCredentialStore::Mode::deferred);
    const auto s = make();
    bool ready = false;
    s->whenAPIKeyLoaded([&] { ready = s->apiKeyConfigured(); });
    for (int i = 0; i < 10 && credentials.pendingCount() > 0; ++i)
        credentials.completePending();
    EXPECT_TRUE(ready);
    EXPECT_EQ(readKey(*s), QStringLiteral("sk-legacy"));
}

TEST_F(AppSettingsTest, KeyChangesMadeElsewhereShowAtTheNextRead)
{
    const auto s = make();
    QSignalSpy spy(s.get(), &AppSettings::apiKeyConfiguredChanged);
    EXPECT_FALSE(s->apiKeyConfigured());
    // Another process stores the key (quillo --import-env, secret-tool).
    credentials.plant(service, account, "sk-elsewhere");
    s->refreshAPIKey();
    EXPECT_TRUE(s->apiKeyConfigured());
    EXPECT_EQ(readKey(*s), QStringLiteral("sk-elsewhere"));
    credentials.plant(service, account, "");
    s->refreshAPIKey();
    EXPECT_FALSE(s->apiKeyConfigured());
    EXPECT_EQ(spy.count(), 2);

    // A store that cannot answer says nothing about the key: the state stays, the read says why.
    credentials.plant(service, account, "sk-back");
    s->refreshAPIKey();
    credentials.setMode(MemoryCredentialStore::Mode::hanging);
    std::optional<APIKeyRead> read;
    s->readAPIKey([&](const APIKeyRead &r) { read = r; });
    scheduler.advance(std::chrono::minutes(1));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->storeFailed);
    EXPECT_TRUE(read->storeTimedOut);
    EXPECT_TRUE(read->key.isEmpty());
    EXPECT_TRUE(s->apiKeyConfigured());
}

TEST_F(AppSettingsTest, ChangesAnotherProgramWritesAreAnnounced)
{
    const auto s = make();
    QSignalSpy host(s.get(), &AppSettings::apiHostChanged);
    QSignalSpy hold(s.get(), &AppSettings::holdHotkeyChanged);
    QSignalSpy any(s.get(), &AppSettings::changed);
    defaults.writeExternally(QStringLiteral("apiHost"), QStringLiteral("dashscope-intl.aliyuncs.com"));
    EXPECT_EQ(host.count(), 1);
    EXPECT_EQ(s->normalizedHost(), QStringLiteral("dashscope-intl.aliyuncs.com"));
    defaults.writeExternally(QStringLiteral("holdHotkey"), QByteArray());
    EXPECT_EQ(hold.count(), 1);
    EXPECT_EQ(s->holdHotkey(), std::nullopt);
    // Our own writes, and an external write of an unchanged value, announce nothing more.
    const int before = any.count();
    s->setApiHost(QStringLiteral("dashscope-intl.aliyuncs.com"));
    defaults.writeExternally(QStringLiteral("apiHost"), QStringLiteral("dashscope-intl.aliyuncs.com"));
    EXPECT_EQ(any.count(), before);
}

TEST_F(AppSettingsTest, MigrationKeepsACurrentKey)
{
    credentials.plant(service, account, "sk-current");
    credentials.plant(legacyService, account, "sk-legacy");
    const auto s = make();
    EXPECT_EQ(readKey(*s), QStringLiteral("sk-current"));
}

class EnvironmentImportTest : public AppSettingsTest {
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("env-%1").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // The lines printed, and whether the import ended with everything taken.
    std::pair<QStringList, std::optional<bool>> import(AppSettings &s, const QString &path)
    {
        QStringList lines;
        std::optional<bool> ok;
        s.importEnvironmentFile(
            path, [&](const QString &line) { lines << line; },
            [&](const EnvImport &r) { ok = r.fileRead && !r.keyError; });
        return {lines, ok};
    }

    QTemporaryDir dir;
    int files = 0;
};

TEST_F(EnvironmentImportTest, ImportsKeyAndHost)
{
    const auto s = make();
    const auto [lines, ok] = import(*s, write("QWEN_API_KEY= sk-a=b \r\nQWEN_API_HOST=h.example\r\n"));
    EXPECT_EQ(
        lines, (QStringList{QStringLiteral("已导入 API Key（长度 6）"), QStringLiteral("已设置接入域名 h.example")}));
    EXPECT_EQ(ok, true);
    EXPECT_EQ(credentials.item(service, account), QByteArray("sk-a=b"));
    EXPECT_EQ(s->apiHost(), QStringLiteral("h.example"));
}

TEST_F(EnvironmentImportTest, IgnoresEmptyValuesAndOtherNames)
{
    const auto s = make();
    const int callsBefore = credentials.callCount();
    const auto [lines, ok] = import(*s, write("=QWEN_API_KEY\nQWEN_API_HOST=\nOTHER=1\n"));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(ok, true);
    EXPECT_EQ(credentials.callCount(), callsBefore);
    EXPECT_FALSE(defaults.contains("apiHost"));
}

TEST_F(EnvironmentImportTest, BlankKeyKeepsTheStoredOne)
{
    // Spaces and tabs are trimmed by the parser; a second CR or a vertical tab is left over.
    credentials.plant(service, account, "sk-kept");
    const auto s = make();
    for (const QByteArray &file : {QByteArray("QWEN_API_KEY=\r\r\n"), QByteArray("QWEN_API_KEY= \v \n")}) {
        const auto [lines, ok] = import(*s, write(file));
        EXPECT_TRUE(lines.isEmpty()) << lines.join(u'|').toStdString();
        EXPECT_EQ(ok, true);
        EXPECT_EQ(credentials.item(service, account), QByteArray("sk-kept"));
    }
}

TEST_F(EnvironmentImportTest, UnreadableFilesChangeNothing)
{
    const auto s = make();
    const std::vector<QString> paths{dir.filePath("missing"), write("QWEN_API_KEY=\xff\xfe\x80sk\n"), dir.path(),
        write("QWEN_API_KEY=sk\n" + QByteArray(1 << 20, '#'))};
    for (const QString &path : paths) {
        const auto [lines, ok] = import(*s, path);
        EXPECT_EQ(lines, QStringList{QStringLiteral("无法读取 ") + path});
        EXPECT_EQ(ok, false);
    }
    EXPECT_FALSE(s->apiKeyConfigured());
}

TEST_F(EnvironmentImportTest, AKeyTheStoreDidNotTakeIsReportedWithItsReasonNotAsImported)
{
    using Kind = CredentialError::Kind;
    struct Case {
        const char *name;
        std::function<void(MemoryCredentialStore &)> arrange;
        Kind kind;
    };
    const std::vector<Case> cases = {
        {"refused", [](MemoryCredentialStore &c) { c.setWritesFail(true); }, Kind::denied},
        {"never answers", [](MemoryCredentialStore &c) { c.setMode(MemoryCredentialStore::Mode::hanging); },
            Kind::timeout},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MemoryCredentialStore store;
        AppSettings s(defaults, store, loginItem, scheduler);
        c.arrange(store);
        const QString path = write("QWEN_API_KEY=sk-1\nQWEN_API_HOST=h.example\n");
        QStringList lines;
        std::optional<EnvImport> result;
        s.importEnvironmentFile(
            path, [&](const QString &line) { lines << line; }, [&](const EnvImport &r) { result = r; });
        scheduler.advance(SecretStore::defaultTimeout);
        ASSERT_TRUE(result);
        ASSERT_TRUE(result->keyError);
        EXPECT_EQ(result->keyError->kind, c.kind);
        // The host is still taken; nothing claims the key was.
        EXPECT_EQ(lines, QStringList{QStringLiteral("已设置接入域名 h.example")});
    }
}

TEST_F(AppSettingsTest, LaunchAtLoginFollowsTheLoginItem)
{
    const auto s = make();
    QSignalSpy spy(s.get(), &AppSettings::launchAtLoginChanged);
    // Observers re-reading on the signal see the new state.
    std::vector<bool> seen;
    QObject::connect(s.get(), &AppSettings::launchAtLoginChanged, [&] { seen.push_back(s->launchAtLogin()); });
    s->setLaunchAtLogin(true);
    EXPECT_TRUE(s->launchAtLogin());
    loginItem.setRefusing(true);
    s->setLaunchAtLogin(false);
    EXPECT_TRUE(s->launchAtLogin());
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(seen, (std::vector<bool>{true, true}));
}

} // namespace
} // namespace quillo
