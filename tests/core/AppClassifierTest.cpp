#include "dictation/AppClassifier.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

struct StyleCase {
    std::optional<QString> identifier;
    AppStyle expected;
};

TEST(AppClassifier, BundleIdentifiers)
{
    const std::vector<StyleCase> cases{
        {QStringLiteral("com.apple.Terminal"), AppStyle::coding},
        {QStringLiteral("com.tencent.xinWeChat"), AppStyle::chat},
        {QStringLiteral("com.jetbrains.rider"), AppStyle::coding},
        {QStringLiteral("com.example.unknown"), AppStyle::general},
        {QStringLiteral("com.apple.terminal"), AppStyle::general},
        {QStringLiteral("com.jetbrains"), AppStyle::general},
        {QStringLiteral(""), AppStyle::general},
        {std::nullopt, AppStyle::general},
        {QStringLiteral("com.tencent.WeWorkMac"), AppStyle::chat},
        {QStringLiteral("com.apple.mail"), AppStyle::document},
        {QStringLiteral("com.mitchellh.ghostty"), AppStyle::coding},
        {QStringLiteral("net.kovidgoyal.kitty"), AppStyle::coding},
        {QStringLiteral("com.github.wez.wezterm"), AppStyle::coding},
        {QStringLiteral("com.anthropic.claudefordesktop"), AppStyle::coding},
        {QStringLiteral("com.craft.Craft"), AppStyle::document},
        {QStringLiteral(" com.apple.Terminal"), AppStyle::general},
        // Linux names are not bundle identifiers.
        {QStringLiteral("xterm"), AppStyle::general},
    };
    for (const auto &c : cases)
        EXPECT_EQ(forBundleIdentifier(c.identifier), c.expected) << c.identifier.value_or("<none>").toStdString();
}

TEST(AppClassifier, LinuxIdentifiersMatchCaseInsensitively)
{
    const std::vector<StyleCase> cases{
        {QStringLiteral("org.gnome.Terminal"), AppStyle::coding},
        {QStringLiteral("org.gnome.Terminal.desktop"), AppStyle::coding},
        {QStringLiteral("Gnome-terminal"), AppStyle::coding},
        {QStringLiteral("code"), AppStyle::coding},
        {QStringLiteral("Code"), AppStyle::coding},
        {QStringLiteral("org.kde.konsole"), AppStyle::coding},
        {QStringLiteral("XTerm"), AppStyle::coding},
        {QStringLiteral("kitty"), AppStyle::coding},
        // Wayland app_ids of native terminals, and foot's desktop entry id.
        {QStringLiteral("foot"), AppStyle::coding},
        {QStringLiteral("org.codeberg.dnkl.foot"), AppStyle::coding},
        {QStringLiteral("com.raggesilver.BlackBox"), AppStyle::coding},
        {QStringLiteral("jetbrains-idea"), AppStyle::coding},
        {QStringLiteral("jetbrains-pycharm-ce"), AppStyle::coding},
        {QStringLiteral("com.jetbrains.PyCharm-Community"), AppStyle::coding},
        {QStringLiteral("Slack"), AppStyle::chat},
        {QStringLiteral("discord"), AppStyle::chat},
        {QStringLiteral("TelegramDesktop"), AppStyle::chat},
        {QStringLiteral("libreoffice-writer"), AppStyle::document},
        {QStringLiteral("obsidian"), AppStyle::document},
        {QStringLiteral("firefox"), AppStyle::general},
        {QStringLiteral("Tk"), AppStyle::general},
        {QStringLiteral(""), AppStyle::general},
        {QStringLiteral("jetbrains"), AppStyle::general},
        {std::nullopt, AppStyle::general},
    };
    for (const auto &c : cases) {
        const std::string label = c.identifier.value_or("<none>").toStdString();
        EXPECT_EQ(forLinuxAppIdentifier(c.identifier), c.expected) << label;
        EXPECT_EQ(forAppIdentifier(c.identifier), c.expected) << label;
    }
    // The combined lookup still honours the macOS table exactly.
    EXPECT_EQ(forAppIdentifier(QStringLiteral("com.apple.mail")), AppStyle::document);
    EXPECT_EQ(forAppIdentifier(QStringLiteral("com.apple.terminal")), AppStyle::general);
}

TEST(AppClassifier, FocusedAppFallsBackToItsWindowClass)
{
    struct AppCase {
        AppIdentity app;
        AppStyle expected;
    };
    const auto app = [](const char *id, const char *instance, const char *windowClass) {
        return AppIdentity{
            QString::fromLatin1(id), QString(), QString::fromLatin1(windowClass), QString::fromLatin1(instance), 0};
    };
    const std::vector<AppCase> cases{
        {app("debian-xterm", "xterm", "XTerm"), AppStyle::coding},
        {app("my-renamed-terminal", "kitty", "kitty"), AppStyle::coding},
        {app("", "", "Slack"), AppStyle::chat},
        {app("com.apple.mail", "", ""), AppStyle::document},
        {app("firefox", "Navigator", "firefox"), AppStyle::general},
        {app("", "", ""), AppStyle::general},
    };
    for (const auto &c : cases)
        EXPECT_EQ(forApp(c.app), c.expected)
            << c.app.identifier.toStdString() << "/" << c.app.windowClass.toStdString();
}

} // namespace
} // namespace quillo
