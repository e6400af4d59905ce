#include "hotkeys/HotkeyRecorderModel.h"
#include "platform/KeyEventTranslator.h"
#include "platform/x11/X11KeyEventTranslator.h"
#include "ui/HotkeyRecorderView.h"
#include "ui/SettingsText.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <map>

#include <X11/keysym.h>

#include <gtest/gtest.h>

namespace quillo {
namespace {

// Alt is the right Option key, Space 49, A 0, Escape 53, F5 96.
class FakeTranslator final : public KeyEventTranslator {
public:
    std::optional<KeyEvent> translate(const QKeyEvent &event) override
    {
        const bool down = event.type() == QEvent::KeyPress;
        const std::uint64_t flags = event.modifiers().testFlag(Qt::AltModifier) ? modifierFlag::option : 0;
        if (event.key() == Qt::Key_Alt)
            return KeyEvent{KeyEvent::Type::flagsChanged, 61, down ? modifierFlag::option : 0};
        const std::map<int, std::uint16_t> codes
            = {{Qt::Key_Space, 49}, {Qt::Key_A, 0}, {Qt::Key_Escape, 53}, {Qt::Key_F5, 96}};
        const auto code = codes.find(event.key());
        if (code == codes.end())
            return std::nullopt;
        return KeyEvent{down ? KeyEvent::Type::keyDown : KeyEvent::Type::keyUp, code->second, flags};
    }
};

struct Press {
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
};

struct CaptureCase {
    const char *name;
    std::vector<Press> presses;
    std::optional<Hotkey> committed;
    bool stillRecording;
};

class RecorderCaptureTest : public ::testing::TestWithParam<CaptureCase> { };

TEST_P(RecorderCaptureTest, KeysOfOurWindowsReachTheRecorderAndNothingElse)
{
    FakeTranslator translator;
    std::optional<std::optional<Hotkey>> written;
    HotkeyRecorderView view(
        defaultHoldHotkey, [&](const std::optional<Hotkey> &h) { written = h; }, nullptr, &translator);
    view.setHotkey(defaultHoldHotkey);
    view.mainButton()->click();
    ASSERT_TRUE(view.model().isRecording());
    for (const Press &p : GetParam().presses) {
        QKeyEvent event(p.type, p.key, p.modifiers);
        QCoreApplication::sendEvent(view.mainButton(), &event);
        if (view.model().isRecording() || p.type == QEvent::KeyPress) {
            EXPECT_TRUE(event.isAccepted());
        }
    }
    EXPECT_EQ(view.model().isRecording(), GetParam().stillRecording);
    if (GetParam().committed) {
        EXPECT_EQ(written, std::optional<std::optional<Hotkey>>(GetParam().committed));
    } else {
        EXPECT_FALSE(written.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Presses, RecorderCaptureTest,
    ::testing::Values(CaptureCase{"rightOptionAlone",
                          {{QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier}, {QEvent::KeyRelease, Qt::Key_Alt, {}}},
                          defaultHoldHotkey, false},
        CaptureCase{"optionSpace",
            {{QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier}, {QEvent::KeyPress, Qt::Key_Space, Qt::AltModifier}},
            defaultToggleHotkey, false},
        CaptureCase{"plainLetterKeepsCapturing", {{QEvent::KeyPress, Qt::Key_A, {}}}, std::nullopt, true},
        CaptureCase{"escapeCancels", {{QEvent::KeyPress, Qt::Key_Escape, {}}}, std::nullopt, false},
        CaptureCase{"functionKeyAlone", {{QEvent::KeyPress, Qt::Key_F5, {}}}, Hotkey{96, 0, false}, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HotkeyRecorderView, InvalidKeyShowsTheHintAndKeysFlowAgainAfterCapture)
{
    FakeTranslator translator;
    HotkeyRecorderView view(defaultHoldHotkey, {}, nullptr, &translator);
    view.mainButton()->click();
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, {});
    QCoreApplication::sendEvent(view.mainButton(), &letter);
    EXPECT_EQ(view.hintText(), HotkeyRecorderModel::invalidCombinationHint());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
    QCoreApplication::sendEvent(view.mainButton(), &escape);
    EXPECT_FALSE(view.model().isRecording());
    EXPECT_TRUE(view.hintText().isEmpty());
    // No longer capturing: the model sees nothing more.
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, {});
    QCoreApplication::sendEvent(view.mainButton(), &f5);
    EXPECT_FALSE(view.model().isRecording());
}

// Key events as X11 delivers them to our windows: the keysym rides along, Qt's
// modifiers are those held before the event.
void sendKey(QWidget *target, QEvent::Type type, int qtKey, quint32 keysym, Qt::KeyboardModifiers before)
{
    QKeyEvent event(type, qtKey, before, 0, keysym, 0);
    QCoreApplication::sendEvent(target, &event);
}

TEST(HotkeyRecorderView, RealTranslatorKeepsWorkingAcrossCaptures)
{
    X11KeyEventTranslator translator;
    std::optional<Hotkey> written;
    HotkeyRecorderView view(
        defaultHoldHotkey, [&](const std::optional<Hotkey> &h) { written = h; }, nullptr, &translator);
    QWidget *target = view.mainButton();

    // Left Alt + Space: committed on the Space key-down, before left Alt goes up.
    view.mainButton()->click();
    sendKey(target, QEvent::KeyPress, Qt::Key_Alt, XK_Alt_L, Qt::NoModifier);
    sendKey(target, QEvent::KeyPress, Qt::Key_Space, XK_space, Qt::AltModifier);
    ASSERT_EQ(written, defaultToggleHotkey);
    // Left Alt is released while nobody captures.
    sendKey(target, QEvent::KeyRelease, Qt::Key_Alt, XK_Alt_L, Qt::AltModifier);

    // Right Alt alone must still be recordable.
    written.reset();
    view.mainButton()->click();
    sendKey(target, QEvent::KeyPress, Qt::Key_Alt, XK_Alt_R, Qt::NoModifier);
    sendKey(target, QEvent::KeyRelease, Qt::Key_Alt, XK_Alt_R, Qt::AltModifier);
    EXPECT_EQ(written, defaultHoldHotkey);
    EXPECT_FALSE(view.model().isRecording());
}

TEST(X11KeyEventTranslator, StaleModifierIsForgottenWhenQtSaysItIsUp)
{
    X11KeyEventTranslator translator;
    // Left Alt down, its release never translated (capture had ended).
    translator.translate(true, XK_Alt_L, Qt::Key_Alt, Qt::NoModifier, false);
    const auto down = translator.translate(true, XK_Alt_R, Qt::Key_Alt, Qt::NoModifier, false);
    const auto up = translator.translate(false, XK_Alt_R, Qt::Key_Alt, Qt::AltModifier, false);
    ASSERT_TRUE(down && up);
    EXPECT_EQ(down->modifiers, modifierFlag::option);
    EXPECT_EQ(up->modifiers, 0u);
}

TEST(SettingsText, SaveRulesAndHotkeyNotes)
{
    const std::vector<std::pair<QString, bool>> inputs
        = {{"", false}, {"   ", false}, {"\t \t", false}, {" k ", true}, {"\n", true}};
    for (const auto &[input, saveable] : inputs)
        EXPECT_EQ(settingsText::canSaveKey(input), saveable) << input.toStdString();

    const Hotkey fn{63, modifierFlag::function, true};
    EXPECT_TRUE(settingsText::sameHotkeysWarning(std::nullopt, std::nullopt).isEmpty());
    EXPECT_TRUE(settingsText::sameHotkeysWarning(defaultHoldHotkey, std::nullopt).isEmpty());
    EXPECT_FALSE(settingsText::sameHotkeysWarning(fn, fn).isEmpty());
    EXPECT_TRUE(settingsText::fnKeyTip(std::nullopt, fn, keyNames::Style::symbols).contains(QStringLiteral("🌐")));
    EXPECT_FALSE(settingsText::fnKeyTip(std::nullopt, fn, keyNames::Style::words).contains(QStringLiteral("🌐")));
    EXPECT_TRUE(settingsText::fnKeyTip(defaultHoldHotkey, defaultToggleHotkey).isEmpty());
    // Fn as a modifier of another key is not the Fn key itself.
    EXPECT_TRUE(settingsText::fnKeyTip(Hotkey{96, modifierFlag::function, false}, std::nullopt).isEmpty());
}

} // namespace
} // namespace quillo
