#include "dictation/PasteChordTable.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

AppIdentity app(const char *identifier, const char *windowClass, const char *instance)
{
    AppIdentity a;
    a.identifier = QString::fromUtf8(identifier);
    a.windowClass = QString::fromUtf8(windowClass);
    a.windowInstance = QString::fromUtf8(instance);
    return a;
}

TEST(PasteChordTable, PicksTheKeystrokeThatPastesInEachKindOfWindow)
{
    struct Case {
        std::optional<AppIdentity> app;
        PasteChord expected;
    };
    const std::vector<Case> cases{
        {std::nullopt, PasteChord::ctrlV},
        {app("", "", ""), PasteChord::ctrlV},
        {app("Tk", "Tk", "tk"), PasteChord::ctrlV},
        {app("firefox", "firefox", "Navigator"), PasteChord::ctrlV},
        // xterm only pastes a selection, by class or by desktop entry
        {app("debian-xterm", "XTerm", "xterm"), PasteChord::shiftInsert},
        {app("XTerm", "XTerm", "xterm"), PasteChord::shiftInsert},
        {app("URxvt", "URxvt", "urxvt"), PasteChord::shiftInsert},
        {app("emacs", "Emacs", "emacs"), PasteChord::shiftInsert},
        // terminal emulators, matched through any of the three names
        {app("org.gnome.Terminal", "Gnome-terminal", "gnome-terminal-server"), PasteChord::ctrlShiftV},
        {app("org.kde.konsole", "", ""), PasteChord::ctrlShiftV},
        {app("whatever", "kitty", "kitty"), PasteChord::ctrlShiftV},
        {app("Alacritty", "Alacritty", "Alacritty"), PasteChord::ctrlShiftV},
        {app("com.mitchellh.ghostty", "com.mitchellh.ghostty", "ghostty"), PasteChord::ctrlShiftV},
        // whole names only: a terminal-like word inside another name is not a terminal
        {app("stellarium", "Stellarium", "stellarium"), PasteChord::ctrlV},
        {app("xterminal-notes", "Notes", "notes"), PasteChord::ctrlV},
    };
    for (const Case &c : cases) {
        const QString label = c.app ? c.app->identifier + "/" + c.app->windowClass : QStringLiteral("none");
        EXPECT_EQ(pastechords::forApp(c.app), c.expected) << label.toStdString();
    }
}

} // namespace
} // namespace quillo
