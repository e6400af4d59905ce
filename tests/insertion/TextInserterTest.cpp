#include "dictation/TextInserter.h"

#include "platform/fake/FakeFrontmostApp.h"
#include "platform/fake/FakeKeystrokePoster.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;

namespace quillo {
namespace {

std::optional<InsertOutcome> insertNow(TextInserter &inserter, const QString &text, bool restore)
{
    std::optional<InsertOutcome> outcome;
    inserter.insert(text, restore, [&outcome](InsertOutcome o) { outcome = o; });
    return outcome;
}

const PasteboardItems textAndImage{{
    {QStringLiteral("text/plain"), QByteArrayLiteral("before")},
    {QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)},
}};

PasteboardItems pasted(const QString &text)
{
    return {TextInserter::pastedItem(text, QStringLiteral("me.nolt.quillo"))};
}

AppIdentity xterm()
{
    AppIdentity a;
    a.identifier = QStringLiteral("debian-xterm");
    a.windowClass = QStringLiteral("XTerm");
    a.windowInstance = QStringLiteral("xterm");
    return a;
}

struct Rig {
    FakePasteboard clipboard;
    FakePasteboard selection;
    FakeKeystrokePoster keys;
    FakePermissions permissions;
    FakeFrontmostApp frontmost;
    ManualScheduler scheduler;
    std::unique_ptr<TextInserter> inserter = std::make_unique<TextInserter>(
        TextInserter::Ports{clipboard, &selection, keys, permissions, frontmost, scheduler});
};

TEST(TextInserter, PastedItemCarriesTheTextThenTheMarkers)
{
    const PasteboardItem item = TextInserter::pastedItem(QStringLiteral("你好"), QStringLiteral("me.nolt.quillo"));
    const PasteboardItem expected{
        {QStringLiteral("text/plain"), QStringLiteral("你好").toUtf8()},
        {QStringLiteral("org.nspasteboard.TransientType"), QByteArray()},
        {QStringLiteral("org.nspasteboard.source"), QByteArrayLiteral("me.nolt.quillo")},
        {QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret")},
    };
    EXPECT_EQ(item, expected);
}

// What the clipboard holds 0.6 s after an insertion, for each way it can go.
struct ClipboardCase {
    const char *name;
    PasteboardItems before;
    bool restore;
    bool trusted;
    bool keystrokeSucceeds;
    bool otherCopyWithinWindow;
    InsertOutcome outcome;
    int keystrokes;
    PasteboardItems after;
};

const PasteboardItems otherCopy{{{QStringLiteral("text/plain"), QByteArrayLiteral("copied meanwhile")}}};

class ClipboardAfterInsert : public testing::TestWithParam<ClipboardCase> { };

TEST_P(ClipboardAfterInsert, HoldsWhatTheUserExpects)
{
    const ClipboardCase &c = GetParam();
    Rig rig;
    rig.permissions.accessibility = c.trusted;
    rig.keys.succeed = c.keystrokeSucceeds;
    if (!c.before.empty())
        rig.clipboard.copyFromElsewhere(c.before);

    EXPECT_EQ(insertNow(*rig.inserter, QStringLiteral("dictated"), c.restore), c.outcome);
    EXPECT_EQ(rig.keys.posted.size(), static_cast<std::size_t>(c.keystrokes));
    if (c.outcome != InsertOutcome::clipboardFailed) {
        EXPECT_EQ(rig.clipboard.items(), pasted(QStringLiteral("dictated")));
    }

    rig.scheduler.advance(300ms);
    if (c.otherCopyWithinWindow)
        rig.clipboard.copyFromElsewhere(otherCopy);
    rig.scheduler.advance(299ms);
    if (!c.otherCopyWithinWindow && c.outcome != InsertOutcome::clipboardFailed) {
        EXPECT_EQ(rig.clipboard.items(), pasted(QStringLiteral("dictated"))) << "restored too early";
    }
    rig.scheduler.advance(1ms);
    EXPECT_EQ(rig.clipboard.items(), c.after);
    EXPECT_EQ(rig.scheduler.pendingCount(), 0u);
}

const PasteboardItems dictated = pasted(QStringLiteral("dictated"));

INSTANTIATE_TEST_SUITE_P(Cases, ClipboardAfterInsert,
    testing::Values(ClipboardCase{"restoresTextAndImage", textAndImage, true, true, true, false, InsertOutcome::pasted,
                        1, textAndImage},
        ClipboardCase{"emptyStaysEmpty", {}, true, true, true, false, InsertOutcome::pasted, 1, {}},
        ClipboardCase{"otherCopySurvives", textAndImage, true, true, true, true, InsertOutcome::pasted, 1, otherCopy},
        ClipboardCase{
            "restoreOffKeepsText", textAndImage, false, true, true, false, InsertOutcome::pasted, 1, dictated},
        ClipboardCase{"untrustedKeepsTextForManualPaste", textAndImage, true, false, true, false,
            InsertOutcome::notTrusted, 0, dictated},
        ClipboardCase{"failedKeystrokeKeepsText", textAndImage, true, true, false, false, InsertOutcome::copiedOnly, 1,
            dictated}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextInserter, RefusedClipboardPastesNothingAndOffersTheOldContentBack)
{
    Rig rig;
    rig.clipboard.copyFromElsewhere(textAndImage);
    rig.clipboard.refuseWrites = true;
    EXPECT_EQ(insertNow(*rig.inserter, QStringLiteral("dictated"), true), InsertOutcome::clipboardFailed);
    EXPECT_TRUE(rig.keys.posted.empty()) << "Ctrl+V would paste stale content";
    const std::vector<PasteboardItems> attempts{dictated, textAndImage};
    EXPECT_EQ(rig.clipboard.written, attempts);
    EXPECT_EQ(rig.scheduler.pendingCount(), 0u);
}

TEST(TextInserter, RestoreWaitsUntilThePasteWasReallyPosted)
{
    Rig rig;
    rig.clipboard.copyFromElsewhere(textAndImage);
    rig.keys.holdAnswers = true; // the poster waits for the user's modifier keys

    ASSERT_TRUE(rig.inserter->insertText(QStringLiteral("dictated"), true));
    rig.scheduler.advance(1s);
    EXPECT_EQ(rig.clipboard.items(), dictated) << "restored before the paste keystroke";

    rig.keys.answerPending(true);
    rig.scheduler.advance(599ms);
    EXPECT_EQ(rig.clipboard.items(), dictated);
    rig.scheduler.advance(1ms);
    EXPECT_EQ(rig.clipboard.items(), textAndImage);
}

TEST(TextInserter, AnswerAfterTheInserterIsGoneIsIgnored)
{
    Rig rig;
    rig.keys.holdAnswers = true;
    rig.inserter->insertText(QStringLiteral("dictated"), true);
    rig.inserter.reset();
    rig.keys.answerPending(true);
    rig.scheduler.advance(1s);
    EXPECT_EQ(rig.clipboard.items(), dictated);
}

TEST(TextInserter, PendingRestoreDiesWithTheInserter)
{
    Rig rig;
    rig.clipboard.copyFromElsewhere(textAndImage);
    rig.inserter->insertText(QStringLiteral("dictated"), true);
    rig.inserter.reset();
    rig.scheduler.advance(1s);
    EXPECT_EQ(rig.clipboard.items(), dictated);
}

TEST(TextInserter, ChoosesTheChordOfTheFocusedApplication)
{
    Rig rig;
    rig.inserter->insertText(QStringLiteral("a"), false);
    rig.frontmost.app = xterm();
    rig.inserter->insertText(QStringLiteral("b"), false);
    ASSERT_EQ(rig.keys.posted.size(), 2u);
    EXPECT_EQ(rig.keys.posted[0], PasteChord::ctrlV);
    EXPECT_EQ(rig.keys.posted[1], PasteChord::shiftInsert);
}

TEST(TextInserter, ShiftInsertAlsoFillsAndRestoresTheSelection)
{
    Rig rig;
    rig.frontmost.app = xterm();
    const PasteboardItems selected{{{QStringLiteral("text/plain"), QByteArrayLiteral("selected")}}};
    rig.selection.copyFromElsewhere(selected);

    rig.inserter->insertText(QStringLiteral("dictated"), true);
    EXPECT_EQ(rig.selection.items(), dictated);
    rig.scheduler.advance(600ms);
    EXPECT_EQ(rig.selection.items(), selected);

    // A new selection made by the user within the window is kept.
    rig.inserter->insertText(QStringLiteral("dictated"), true);
    rig.selection.copyFromElsewhere(otherCopy);
    rig.scheduler.advance(600ms);
    EXPECT_EQ(rig.selection.items(), otherCopy);
    EXPECT_EQ(rig.clipboard.items(), PasteboardItems{}) << "the clipboard was empty before";
}

TEST(TextInserter, OtherChordsLeaveTheSelectionAlone)
{
    Rig rig;
    const PasteboardItems selected{{{QStringLiteral("text/plain"), QByteArrayLiteral("selected")}}};
    rig.selection.copyFromElsewhere(selected);
    rig.inserter->insertText(QStringLiteral("dictated"), true);
    EXPECT_EQ(rig.selection.items(), selected);
    EXPECT_EQ(rig.selection.writes, 0);
}

TEST(TextInserter, ReturnIsPostedOnlyWhenKeysMayBeSent)
{
    Rig rig;
    rig.inserter->pressReturn();
    rig.permissions.accessibility = false;
    rig.inserter->pressReturn();
    ASSERT_EQ(rig.keys.posted.size(), 1u);
    EXPECT_EQ(rig.keys.posted[0], std::nullopt);
}

} // namespace
} // namespace quillo
