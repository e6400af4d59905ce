#include "hotkeys/KeyNames.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

using keyNames::Style;

struct NameCase {
    Hotkey hotkey;
    const char *symbols; // as a Mac shows it (displayName)
    const char *words; // as a Linux keyboard says it
};

const NameCase nameCases[] = {
    {{61, modifierFlag::option, true}, "右 ⌥", "右 Alt"},
    {{58, modifierFlag::option, true}, "左 ⌥", "左 Alt"},
    {{54, modifierFlag::command, true}, "右 ⌘", "右 Super"},
    {{59, modifierFlag::control, true}, "左 ⌃", "左 Ctrl"},
    {{60, modifierFlag::shift, true}, "右 ⇧", "右 Shift"},
    {{63, modifierFlag::function, true}, "Fn", "Fn"},
    {{93, 0, true}, "键 93", "键 93"},
    {{49, modifierFlag::option, false}, "⌥Space", "Alt+Space"},
    {{2, modifierFlag::control | modifierFlag::option | modifierFlag::command, false}, "⌃⌥⌘D", "Ctrl+Alt+Super+D"},
    {{21, modifierFlag::shift | modifierFlag::command, false}, "⇧⌘4", "Shift+Super+4"},
    {{49, modifierFlag::option | modifierFlag::shift, false}, "⌥⇧Space", "Alt+Shift+Space"},
    {{36, modifierFlag::control, false}, "⌃↩", "Ctrl+Enter"},
    {{51, modifierFlag::option, false}, "⌥⌫", "Alt+Backspace"},
    {{96, 0, false}, "F5", "F5"},
    {{96, modifierFlag::function, false}, "fn F5", "Fn+F5"},
    {{93, modifierFlag::command, false}, "⌘键93", "Super+键93"},
};

TEST(KeyNames, BothStylesNameEveryKind)
{
    for (const NameCase &c : nameCases) {
        EXPECT_EQ(keyNames::name(c.hotkey, Style::symbols), QString::fromUtf8(c.symbols)) << c.words;
        // The symbol style is exactly the stored model's display name.
        EXPECT_EQ(keyNames::name(c.hotkey, Style::symbols), displayName(c.hotkey)) << c.words;
        EXPECT_EQ(keyNames::name(c.hotkey, Style::words), QString::fromUtf8(c.words)) << c.words;
    }
}

TEST(KeyNames, ModifiersPasteAndHints)
{
    EXPECT_EQ(keyNames::modifierName(modifierFlag::shift, Style::words), "Shift");
    EXPECT_EQ(keyNames::modifierName(modifierFlag::command, Style::words), "Super");
    EXPECT_EQ(keyNames::modifierName(modifierFlag::shift, Style::symbols), "⇧");
    EXPECT_EQ(keyNames::manualPaste(Style::words), "Ctrl+V");
    EXPECT_EQ(keyNames::manualPaste(Style::symbols), "⌘V");
    // On Linux no symbol of a Mac keyboard is left in what the recorder says.
    for (const QString &hint : {keyNames::recorderStartHint(Style::words), keyNames::recorderInvalidHint(Style::words)})
        for (const QChar symbol : QStringLiteral("⌘⌥⌃⇧"))
            EXPECT_FALSE(hint.contains(symbol)) << hint.toStdString();
    EXPECT_EQ(keyNames::platformStyle(), Style::words);
}

} // namespace
} // namespace quillo
