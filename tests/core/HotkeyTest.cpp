#include "hotkeys/Hotkey.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

#include <set>
#include <unordered_set>

namespace quillo {
namespace {

using namespace modifierFlag;

struct NameCase {
    Hotkey hotkey;
    const char *expected;
};

TEST(HotkeyDisplayName, ModifierOnlyAndCombinations)
{
    const std::vector<NameCase> cases{
        {{61, option, true}, "右 ⌥"},
        {{54, command, true}, "右 ⌘"},
        {{63, function, true}, "Fn"},
        {{93, option, true}, "键 93"},
        {{49, option, false}, "⌥Space"},
        {{2, control | option | command, false}, "⌃⌥⌘D"},
        {{21, shift | command, false}, "⇧⌘4"},
        {{93, command, false}, "⌘键93"},
        {{96, 0, false}, "F5"},
        {{0, function, false}, "fn A"},
        {{42, command | shift | option | control | function, false}, "⌃⌥⇧⌘fn \\"},
        {{50, 0, false}, "`"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(displayName(c.hotkey), QString::fromUtf8(c.expected)) << c.expected;
}

TEST(HotkeyDisplayName, EveryTableEntryIsUsedAndCodesAreDistinct)
{
    EXPECT_EQ(keyNameTable().size(), 80u);
    EXPECT_EQ(modifierKeyTable().size(), 9u);
    ASSERT_EQ(functionKeyCodes().size(), 19u);
    std::set<std::uint16_t> codes;
    for (const auto &entry : keyNameTable())
        codes.insert(entry.keyCode);
    EXPECT_EQ(codes.size(), 80u);
    for (size_t i = 0; i < functionKeyCodes().size(); ++i) {
        const QString expected = QStringLiteral("F%1").arg(i + 1);
        EXPECT_EQ(keyName(functionKeyCodes()[i]), expected);
    }
}

struct ValidityCase {
    const char *label;
    Hotkey hotkey;
    bool valid;
};

TEST(HotkeyIsValid, Rules)
{
    const std::vector<ValidityCase> cases{
        {"right option alone", {61, option, true}, true},
        {"modifier-only ignores its flags", {55, 0, true}, true},
        {"space marked modifier-only", {49, option, true}, false},
        {"A without modifiers", {0, 0, false}, false},
        {"F5 without modifiers", {96, 0, false}, true},
        {"F19 with function", {80, function, false}, true},
        {"A with function only", {0, function, false}, false},
        {"A with shift", {0, shift, false}, true},
        {"unlisted code with command", {500, command, false}, true},
        {"unrelated bits only", {0, 0x1, false}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isValid(c.hotkey), c.valid) << c.label;
}

TEST(HotkeyJson, RoundTrip)
{
    const std::vector<Hotkey> hotkeys{defaultHoldHotkey, defaultToggleHotkey, {65535, 0x9e0000, false}, {0, 0, false}};
    for (const auto &hotkey : hotkeys) {
        const auto decoded = hotkeyFromJson(toJson(hotkey));
        ASSERT_TRUE(decoded.has_value()) << toJson(hotkey).constData();
        EXPECT_EQ(*decoded, hotkey);
    }
    const QJsonObject object = toJsonObject(defaultToggleHotkey);
    EXPECT_EQ(object.value("keyCode").toInt(), 49);
    EXPECT_EQ(object.value("modifiers").toInteger(), 524288);
    EXPECT_EQ(object.value("isModifierOnly").toBool(true), false);
}

struct DecodeCase {
    const char *json;
    std::optional<Hotkey> expected;
};

TEST(HotkeyJson, DecodingIsStrict)
{
    const std::vector<DecodeCase> cases{
        {R"({"keyCode":49,"modifiers":524288,"isModifierOnly":false})", Hotkey{49, option, false}},
        {R"({"isModifierOnly":true,"modifiers":524288,"keyCode":61})", Hotkey{61, option, true}},
        {R"({"keyCode":49,"modifiers":524288,"isModifierOnly":false,"extra":[1]})", Hotkey{49, option, false}},
        {R"({"keyCode":65535,"modifiers":0,"isModifierOnly":false})", Hotkey{65535, 0, false}},
        {R"({"keyCode":49,"modifiers":524288})", std::nullopt},
        {R"({"modifiers":524288,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":49,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":70000,"modifiers":0,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":65536,"modifiers":0,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":-1,"modifiers":0,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":49.5,"modifiers":0,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":49,"modifiers":-524288,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":49,"modifiers":1e30,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":"49","modifiers":0,"isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":49,"modifiers":"524288","isModifierOnly":false})", std::nullopt},
        {R"({"keyCode":49,"modifiers":0,"isModifierOnly":0})", std::nullopt},
        {R"({"keyCode":null,"modifiers":0,"isModifierOnly":false})", std::nullopt},
        {R"([49,524288,false])", std::nullopt},
        {R"({"keyCode":49,)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hotkeyFromJson(QByteArray(c.json)), c.expected) << c.json;
}

TEST(HotkeySlots, RawValuesNamesAndHashing)
{
    EXPECT_EQ(hotkeySlotFromRaw(0), std::nullopt);
    EXPECT_EQ(hotkeySlotFromRaw(5), std::nullopt);
    EXPECT_EQ(hotkeySlotFromRaw(3), HotkeySlot::toggleTranslate);
    const std::vector<std::pair<HotkeySlot, const char *>> names{{HotkeySlot::hold, "hold"},
        {HotkeySlot::toggle, "toggle"}, {HotkeySlot::toggleTranslate, "toggleTranslate"},
        {HotkeySlot::holdSend, "holdSend"}};
    QSet<HotkeySlot> seen;
    for (const auto &[slot, name] : names) {
        EXPECT_EQ(slotName(slot), QString::fromLatin1(name));
        EXPECT_EQ(hotkeySlotFromRaw(rawValue(slot)), slot);
        seen.insert(slot);
    }
    EXPECT_EQ(seen.size(), 4);

    QHash<Hotkey, int> byHotkey{{defaultHoldHotkey, 1}, {defaultToggleHotkey, 2}};
    EXPECT_EQ(byHotkey.value(Hotkey{61, option, true}), 1);
    EXPECT_FALSE(byHotkey.contains(Hotkey{61, option, false}));
    std::unordered_set<Hotkey> set{defaultHoldHotkey, defaultHoldHotkey};
    EXPECT_EQ(set.size(), 1u);
}

} // namespace
} // namespace quillo
