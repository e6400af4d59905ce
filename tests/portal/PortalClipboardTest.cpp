#include "FakePortalProcess.h"

#include "platform/fake/MemoryDefaultsStore.h"
#include "platform/portal/PortalClipboard.h"
#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

PasteboardItems textItem(const QString &text)
{
    return {{{QStringLiteral("text/plain"), text.toUtf8()},
        {QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret")}}};
}

class PortalClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.ready()); }

    bool start()
    {
        remote.start();
        return waitUntil([this] { return remote.state() == PortalRemoteDesktop::State::started; });
    }

    FakePortalProcess portal;
    MemoryDefaultsStore settings;
    PortalRemoteDesktop remote{QDBusConnection::sessionBus(), settings, {.restores = true, .clipboardWanted = true}};
    PortalClipboard clipboard{QDBusConnection::sessionBus(), remote};
};

TEST_F(PortalClipboardTest, WritesAnswerPastesAndOthersCopiesAreRead)
{
    EXPECT_FALSE(clipboard.write(textItem(QStringLiteral("early")))) << "no session yet";
    ASSERT_TRUE(start());
    ASSERT_TRUE(remote.clipboardEnabled());
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.Start")), ElementsAre("RemoteDesktop.Start asked"));
    EXPECT_EQ(portal.log().indexOf(QStringLiteral("Clipboard.RequestClipboard")) + 1,
        portal.log().indexOf(QStringLiteral("RemoteDesktop.Start asked")))
        << "the clipboard is asked for before the session starts";

    const std::uint64_t before = clipboard.changeCount();
    ASSERT_TRUE(clipboard.write(textItem(QStringLiteral("你好"))));
    EXPECT_GT(clipboard.changeCount(), before);
    EXPECT_EQ(clipboard.items(), textItem(QStringLiteral("你好")));

    portal.paste(QStringLiteral("text/plain"));
    portal.paste(QStringLiteral("x-kde-passwordManagerHint"));
    ASSERT_TRUE(waitUntil([&] { return portal.log(QStringLiteral("pasted")).size() == 2; }));
    EXPECT_THAT(portal.log(QStringLiteral("pasted")),
        ElementsAre(QStringLiteral("pasted text/plain 你好"), "pasted x-kde-passwordManagerHint secret"));

    const std::uint64_t beforeCopy = clipboard.changeCount();
    portal.copy(QStringLiteral("text/plain"), QStringLiteral("from elsewhere"));
    ASSERT_TRUE(waitUntil([&] { return clipboard.changeCount() > beforeCopy; }));
    const PasteboardItems expected{{{QStringLiteral("text/plain"), QByteArrayLiteral("from elsewhere")}}};
    EXPECT_EQ(clipboard.items(), expected);
}

TEST_F(PortalClipboardTest, WithoutTheGrantTheClipboardIsEmptyAndRefusesWrites)
{
    portal.setOutcome(QStringLiteral("Clipboard"), 1);
    ASSERT_TRUE(start());
    EXPECT_FALSE(remote.clipboardEnabled());
    EXPECT_FALSE(clipboard.write(textItem(QStringLiteral("x"))));
    EXPECT_THAT(clipboard.items(), IsEmpty());
    bool posted = false;
    remote.postReturn([&](bool ok) { posted = ok; });
    ASSERT_TRUE(waitUntil([&] { return posted; })) << "the keyboard works without the clipboard";
}

} // namespace
