#include "FakePortalProcess.h"

#include "platform/fake/MemoryDefaultsStore.h"
#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;
using State = PortalRemoteDesktop::State;

namespace {

class PortalRemoteDesktopTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.ready()); }

    std::unique_ptr<PortalRemoteDesktop> makePoster(PortalRemoteDesktop::Options options = restoring())
    {
        return std::make_unique<PortalRemoteDesktop>(QDBusConnection::sessionBus(), settings, options);
    }

    static PortalRemoteDesktop::Options restoring()
    {
        PortalRemoteDesktop::Options options;
        options.restores = true;
        return options;
    }

    KeystrokePoster::Done record()
    {
        return [this](bool posted) { answers.push_back(posted); };
    }

    QString storedToken() const
    {
        return settings.text(QLatin1String(PortalRemoteDesktop::restoreTokenKey)).value_or(QString());
    }

    FakePortalProcess portal;
    MemoryDefaultsStore settings;
    std::vector<bool> answers;
};

TEST_F(PortalRemoteDesktopTest, AsksOnceThenPostsEveryKeystrokeInOrder)
{
    auto poster = makePoster();
    poster->postPaste(PasteChord::ctrlV, record());
    poster->postReturn(record());
    poster->postPaste(PasteChord::ctrlShiftV, record());
    poster->postPaste(PasteChord::shiftInsert, record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 4; }));
    EXPECT_THAT(answers, ElementsAre(true, true, true, true));
    EXPECT_EQ(poster->state(), State::started);
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.")),
        ElementsAre("RemoteDesktop.CreateSession app=-",
            "RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=-", "RemoteDesktop.Start asked"));
    // Key codes of linux/input-event-codes.h: 29 left Ctrl (0x1d), 42 left Shift (0x2a), 47 V (0x2f),
    // 28 Enter (0x1c), 110 Insert (0x6e).
    EXPECT_THAT(portal.log(QStringLiteral("keycode")),
        ElementsAre("keycode 0x1d down", "keycode 0x2f down", "keycode 0x2f up", "keycode 0x1d up", "keycode 0x1c down",
            "keycode 0x1c up", //
            "keycode 0x1d down", "keycode 0x2a down", "keycode 0x2f down", "keycode 0x2f up", "keycode 0x2a up",
            "keycode 0x1d up", //
            "keycode 0x2a down", "keycode 0x6e down", "keycode 0x6e up", "keycode 0x2a up"));
    EXPECT_TRUE(portal.log(QStringLiteral("keysym")).isEmpty());
    EXPECT_FALSE(storedToken().isEmpty());
}

TEST_F(PortalRemoteDesktopTest, StoredGrantIsRestoredWithoutAsking)
{
    {
        auto first = makePoster();
        first->postReturn(record());
        ASSERT_TRUE(waitUntil([&] { return answers.size() == 1; }));
    }
    const QString firstToken = storedToken();
    ASSERT_FALSE(firstToken.isEmpty());
    // Were the user asked now, the answer would be no.
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 1);

    auto second = makePoster();
    second->postReturn(record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 2; }));
    EXPECT_THAT(answers, ElementsAre(true, true));
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.S")),
        ElementsAre("RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=-", "RemoteDesktop.Start asked",
            "RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=" + firstToken,
            "RemoteDesktop.Start restored"));
    EXPECT_FALSE(storedToken().isEmpty());
    EXPECT_NE(storedToken(), firstToken) << "a token is spent when used; the new one is kept";
}

struct StartCase {
    const char *label;
    const char *method;
    unsigned response;
    State state;
    int sessionsAfterSecondPaste; // a refusal is not asked again unbidden; a failure is retried
};

class RemoteRefusalTest : public PortalRemoteDesktopTest, public ::testing::WithParamInterface<StartCase> { };

TEST_P(RemoteRefusalTest, KeystrokesFailAndTheOutcomeIsKept)
{
    const StartCase &c = GetParam();
    portal.setOutcome(QString::fromLatin1(c.method), c.response);
    auto poster = makePoster();
    poster->postPaste(PasteChord::ctrlV, record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 1; })) << c.label;
    EXPECT_FALSE(answers.front()) << c.label;
    EXPECT_EQ(poster->state(), c.state) << c.label;
    EXPECT_FALSE(poster->problem().isEmpty()) << c.label;

    poster->postPaste(PasteChord::ctrlV, record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 2; })) << c.label;
    EXPECT_FALSE(answers.back()) << c.label;
    EXPECT_EQ(portal.log(QStringLiteral("RemoteDesktop.CreateSession")).size(), c.sessionsAfterSecondPaste) << c.label;
    EXPECT_TRUE(portal.log(QStringLiteral("keycode")).isEmpty()) << c.label;
    EXPECT_TRUE(storedToken().isEmpty()) << c.label;

    // The settings' "ask again".
    portal.setOutcome(QString::fromLatin1(c.method), 0);
    poster->start();
    ASSERT_TRUE(waitUntil([&] { return poster->state() == State::started; })) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoteRefusalTest,
    ::testing::Values(StartCase{"dialog refused", "RemoteDesktop.Start", 1, State::refused, 1},
        StartCase{"dialog ended", "RemoteDesktop.Start", 2, State::failed, 2},
        StartCase{"device selection refused", "RemoteDesktop.SelectDevices", 1, State::refused, 1}));

TEST_F(PortalRemoteDesktopTest, SessionIsKeptAndStartedAgainAfterTheDesktopClosedIt)
{
    auto poster = makePoster();
    poster->postReturn(record());
    poster->postReturn(record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(portal.log(QStringLiteral("RemoteDesktop.CreateSession")).size(), 1) << "one session for many keystrokes";
    const QString token = storedToken();

    portal.closeSessions(QStringLiteral("RemoteDesktop"));
    ASSERT_TRUE(waitUntil([&] { return poster->state() == State::idle; }));
    EXPECT_TRUE(poster->session().isEmpty());

    poster->postPaste(PasteChord::ctrlV, record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 3; }));
    EXPECT_THAT(answers, ElementsAre(true, true, true));
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.S")),
        ElementsAre("RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=-", "RemoteDesktop.Start asked",
            "RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=" + token,
            "RemoteDesktop.Start restored"));
    EXPECT_THAT(portal.log(QStringLiteral("keycode")).mid(4),
        ElementsAre("keycode 0x1d down", "keycode 0x2f down", "keycode 0x2f up", "keycode 0x1d up"));
}

TEST_F(PortalRemoteDesktopTest, RevokedGrantIsForgotten)
{
    settings.setValue(QLatin1String(PortalRemoteDesktop::restoreTokenKey), QStringLiteral("revoked"));
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 1);
    auto poster = makePoster();
    poster->postReturn(record());
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 1; }));
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.S")),
        ElementsAre(
            "RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=revoked", "RemoteDesktop.Start asked"));
    EXPECT_TRUE(storedToken().isEmpty());
}

// GNOME's indicator shows while a session runs: one opened for a paste closes after it,
// and a portal that cannot restore grants is not sent what it would ignore.
TEST_F(PortalRemoteDesktopTest, APerUseSessionEndsAfterItsKeystrokes)
{
    PortalRemoteDesktop::Options options;
    options.lifetime = PortalRemoteDesktop::Lifetime::perUse;
    auto poster = makePoster(options);
    for (int paste = 1; paste <= 2; ++paste) {
        poster->postPaste(PasteChord::ctrlV, record());
        ASSERT_TRUE(waitUntil([&] { return answers.size() == static_cast<std::size_t>(paste); }));
        ASSERT_TRUE(waitUntil([&] { return poster->state() == State::idle; })) << "closed after the paste";
        EXPECT_TRUE(
            waitUntil([&] { return portal.log(QStringLiteral("Session.Close RemoteDesktop")).size() == paste; }));
    }
    EXPECT_THAT(answers, ElementsAre(true, true));
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.SelectDevices")),
        ElementsAre("RemoteDesktop.SelectDevices types=1 persist_mode=0 restore_token=-",
            "RemoteDesktop.SelectDevices types=1 persist_mode=0 restore_token=-"));
    EXPECT_TRUE(storedToken().isEmpty());
}

} // namespace
