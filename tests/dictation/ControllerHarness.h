#pragma once

#include "InlineFileTasks.h"
#include "dictation/DictationController.h"
#include "platform/fake/FakeFrontmostApp.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSounds.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quillo::test {

using namespace std::chrono_literals;

// Audio chunks hop to the main thread through the application's event queue.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_dictation";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// What one recognition session saw; outlives the session itself.
struct SessionLog {
    RecognitionSession::Config config;
    int connects = 0;
    int cancels = 0;
    QList<QByteArray> sent;
    std::function<void(RecognitionSession::FinishResult)> finishDone;
    double finishTimeout = 0;
    bool alive = true;
    bool cutShort = false;
    std::function<void(const QString &)> partial;
};

class FakeSession final : public RecognitionSession {
public:
    explicit FakeSession(std::shared_ptr<SessionLog> log)
        : log_(std::move(log))
    {
    }
    ~FakeSession() override { log_->alive = false; }

    void connect() override
    {
        ++log_->connects;
        log_->partial = onPartial;
    }
    void sendAudio(const QByteArray &chunk) override { log_->sent.append(chunk); }
    void finish(double timeout, std::function<void(FinishResult)> done) override
    {
        log_->finishTimeout = timeout;
        log_->finishDone = std::move(done);
    }
    // Like the real client: waiters are released with a cancellation.
    void cancel() override
    {
        ++log_->cancels;
        if (auto done = std::exchange(log_->finishDone, {}))
            done(unexpected(ASRError::cancelled()));
    }
    bool wasCutShort() const override { return log_->cutShort; }

private:
    std::shared_ptr<SessionLog> log_;
};

class FakeRecorder final : public DictationRecorder {
public:
    Expected<Done, QString> start(ChunkCallback callback, LostCallback lost) override
    {
        ++starts;
        if (failure)
            return unexpected(*failure);
        onChunk = std::move(callback);
        onLost = std::move(lost);
        running = true;
        return Done{};
    }
    void stop() override
    {
        ++stops;
        running = false;
    }

    // Delivers from "the audio thread" and lets the main thread pick it up.
    void deliver(const QByteArray &chunk, float level)
    {
        if (onChunk)
            onChunk(chunk, level);
        QCoreApplication::sendPostedEvents();
    }

    // The microphone goes away "on the audio thread"; the main thread picks it up.
    void lose(const QString &description)
    {
        running = false;
        if (auto lost = std::exchange(onLost, {}))
            lost(description);
        QCoreApplication::sendPostedEvents();
    }

    std::optional<QString> failure;
    ChunkCallback onChunk;
    LostCallback onLost;
    bool running = false;
    int starts = 0;
    int stops = 0;
};

class FakePanel final : public DictationPanel {
public:
    void show() override
    {
        ++shows;
        visible = true;
    }
    void hide() override
    {
        ++hides;
        visible = false;
    }
    bool visible = false;
    int shows = 0;
    int hides = 0;
};

class FakeHotkeys final : public DictationHotkeys {
public:
    struct Configuration {
        std::optional<Hotkey> hold, toggle, holdSend;
        TranslateTrigger trigger;
    };
    void setCallbacks(Callbacks c) override { callbacks = std::move(c); }
    void configure(std::optional<Hotkey> hold, std::optional<Hotkey> toggle, std::optional<Hotkey> holdSend,
        TranslateTrigger trigger) override
    {
        configurations.push_back({hold, toggle, holdSend, trigger});
    }
    bool isHeld(HotkeySlot slot) const override { return held.contains(slot); }
    bool isSuspended() const override { return suspended; }
    bool hasEventTap() const override { return tap; }
    void install() override
    {
        ++installs;
        tap = true;
    }
    std::uint64_t currentModifierFlags() const override { return modifiers; }

    Callbacks callbacks;
    std::vector<Configuration> configurations;
    std::set<HotkeySlot> held;
    bool suspended = false;
    bool tap = true;
    int installs = 0;
    std::uint64_t modifiers = 0;
};

struct ChatCall {
    ChatRequest request;
    ChatCompletion done;
};

struct Insertion {
    QString text;
    bool restore;
};

// Everything the controller talks to, faked, on a manual clock.
class ControllerHarness : public ::testing::Test {
public:
    ControllerHarness()
        : settings(defaults, credentials, loginItem, scheduler)
        , controller(std::make_unique<DictationController>(deps()))
    {
        ensureApplication();
        frontmost.app = AppIdentity{QStringLiteral("com.tencent.xinWeChat"), QStringLiteral("微信"), {}, {}, 0};
        settings.setPolishEnabled(false);
    }

    DictationController::Deps deps()
    {
        return DictationController::Deps{
            settings,
            scheduler,
            [this](std::function<void(const APIKeyRead &)> done) {
                const APIKeyRead read{apiKey, keyStoreFails || keyStoreSilent, keyStoreSilent};
                if (holdKeyReads)
                    pendingKeyReads.push_back([done, read] { done(read); });
                else
                    done(read);
            },
            [this](const HistoryEntry &e) { history.push_back(e); },
            recorder,
            [this](const RecognitionSession::Config &config) -> std::unique_ptr<RecognitionSession> {
                auto log = std::make_shared<SessionLog>();
                log->config = config;
                sessions.push_back(log);
                return std::make_unique<FakeSession>(log);
            },
            [this](const ChatRequest &request, ChatCompletion done) {
                chats.push_back({request, std::move(done)});
            },
            [this](const QString &text, bool restore, InsertDone done) {
                insertions.push_back({text, restore});
                if (insertOutcome == InsertOutcome::pasted && pasteWaitsForModifiers)
                    pendingPastes.push_back([done = std::move(done)] { done(InsertOutcome::pasted); });
                else
                    done(insertOutcome);
            },
            [this] { ++returns; },
            frontmost,
            permissions,
            [this] { ++microphoneSettingsOpened; },
            sounds,
            panel,
            hotkeys,
            [this](const QString &path) -> Expected<QByteArray, QString> {
                if (!files.contains(path))
                    return unexpected(QStringLiteral("missing"));
                return files.at(path);
            },
            // The tests' chunks carry their level in the first byte, in hundredths.
            [](const QByteArray &chunk) { return chunk.isEmpty() ? 0.0f : static_cast<quint8>(chunk[0]) / 100.0f; },
            &failedRecordings,
        };
    }

    static QByteArray chunk(float level, qsizetype bytes = 3200)
    {
        return QByteArray(bytes, static_cast<char>(static_cast<quint8>(level * 100)));
    }

    SessionLog &session() { return *sessions.back(); }
    DictationPhase::Kind phase() const { return controller->phase().kind(); }

    // Records loud speech for the given time and releases the hold key.
    void speak(double seconds = 1.0)
    {
        for (int i = 0; i < 3; ++i)
            recorder.deliver(chunk(0.6f), 0.6f);
        scheduler.advance(std::chrono::duration_cast<Scheduler::Duration>(std::chrono::duration<double>(seconds)));
    }

    void holdDictation(double seconds = 1.0)
    {
        controller->handlePress(HotkeySlot::hold);
        speak(seconds);
        controller->handleRelease(HotkeySlot::hold);
    }

    void finishTranscript(const QString &text)
    {
        auto done = std::exchange(session().finishDone, {});
        ASSERT_TRUE(done);
        done(text);
    }

    void answerChat(std::size_t index, ChatResult result)
    {
        ASSERT_LT(index, chats.size());
        auto done = std::exchange(chats[index].done, {});
        ASSERT_TRUE(done);
        done(std::move(result));
    }

    ManualScheduler scheduler;
    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    AppSettings settings;
    FakeRecorder recorder;
    FakeFrontmostApp frontmost;
    FakePermissions permissions;
    FakeSounds sounds;
    FakePanel panel;
    FakeHotkeys hotkeys;
    QString apiKey = QStringLiteral("sk-test");
    bool keyStoreFails = false;
    bool keyStoreSilent = false;
    // When set, key reads wait in pendingKeyReads until the test answers them.
    bool holdKeyReads = false;
    std::vector<std::function<void()>> pendingKeyReads;
    // When set, pastes "go out" only when the test runs pendingPastes.
    bool pasteWaitsForModifiers = false;
    std::vector<std::function<void()>> pendingPastes;
    std::vector<HistoryEntry> history;
    std::vector<std::shared_ptr<SessionLog>> sessions;
    std::vector<ChatCall> chats;
    std::vector<Insertion> insertions;
    InsertOutcome insertOutcome = InsertOutcome::pasted;
    int returns = 0;
    int microphoneSettingsOpened = 0;
    std::map<QString, QByteArray> files;
    QTemporaryDir cacheDir;
    InlineFileTasks fileTasks;
    QDateTime wallClock = QDateTime(QDate(2026, 3, 2), QTime(9, 30), Qt::UTC);
    FailedRecordingStore failedRecordings{cacheDir.path(), fileTasks, [this] { return wallClock; }};
    std::unique_ptr<DictationController> controller;
};

} // namespace quillo::test
