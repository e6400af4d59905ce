#include "dictation/AppClassifier.h"

#include <QHash>
#include <QSet>

#include <array>
#include <utility>

namespace quillo {

namespace {

const QSet<QString> &codingApps()
{
    static const QSet<QString> apps{
        QStringLiteral("com.apple.Terminal"),
        QStringLiteral("com.googlecode.iterm2"),
        QStringLiteral("dev.warp.Warp-Stable"),
        QStringLiteral("dev.warp.Warp"),
        QStringLiteral("com.mitchellh.ghostty"),
        QStringLiteral("net.kovidgoyal.kitty"),
        QStringLiteral("io.alacritty"),
        QStringLiteral("co.zeit.hyper"),
        QStringLiteral("com.github.wez.wezterm"),
        QStringLiteral("com.microsoft.VSCode"),
        QStringLiteral("com.microsoft.VSCodeInsiders"),
        QStringLiteral("com.todesktop.230313mzl4w4u92"),
        QStringLiteral("com.exafunction.windsurf"),
        QStringLiteral("com.apple.dt.Xcode"),
        QStringLiteral("dev.zed.Zed"),
        QStringLiteral("com.jetbrains.intellij"),
        QStringLiteral("com.jetbrains.pycharm"),
        QStringLiteral("com.jetbrains.WebStorm"),
        QStringLiteral("com.jetbrains.goland"),
        QStringLiteral("com.sublimetext.4"),
        QStringLiteral("com.anthropic.claudefordesktop"),
    };
    return apps;
}

const QSet<QString> &chatApps()
{
    static const QSet<QString> apps{
        QStringLiteral("com.tencent.xinWeChat"),
        QStringLiteral("com.tencent.qq"),
        QStringLiteral("com.alibaba.DingTalkMac"),
        QStringLiteral("com.electron.lark"),
        QStringLiteral("com.bytedance.lark.Feishu"),
        QStringLiteral("com.tinyspeck.slackmacgap"),
        QStringLiteral("ru.keepcoder.Telegram"),
        QStringLiteral("com.hnc.Discord"),
        QStringLiteral("net.whatsapp.WhatsApp"),
        QStringLiteral("com.apple.MobileSMS"),
        QStringLiteral("com.vng.zalo"),
        QStringLiteral("com.tencent.WeWorkMac"),
    };
    return apps;
}

const QSet<QString> &documentApps()
{
    static const QSet<QString> apps{
        QStringLiteral("com.apple.mail"),
        QStringLiteral("com.apple.Notes"),
        QStringLiteral("com.apple.TextEdit"),
        QStringLiteral("com.apple.iWork.Pages"),
        QStringLiteral("com.microsoft.Word"),
        QStringLiteral("com.microsoft.Outlook"),
        QStringLiteral("md.obsidian"),
        QStringLiteral("notion.id"),
        QStringLiteral("com.typora.typora"),
        QStringLiteral("com.craft.Craft"),
    };
    return apps;
}

// Linux identifiers, lower-case. Desktop-entry ids (including Flatpak ids) and
// WM_CLASS instance or class names of the same programs.
constexpr std::array linuxCodingApps{// terminals
    "org.gnome.terminal", "gnome-terminal", "gnome-terminal-server", "org.gnome.console", "kgx", "org.gnome.ptyxis",
    "ptyxis", "org.kde.konsole", "konsole", "org.kde.yakuake", "yakuake", "guake", "xterm", "uxterm", "debian-xterm",
    "debian-uxterm", "urxvt", "rxvt", "rxvt-unicode", "st", "st-256color", "kitty", "alacritty",
    "org.alacritty.alacritty", "org.wezfurlong.wezterm", "wezterm", "com.mitchellh.ghostty", "ghostty", "foot",
    "footclient", "org.codeberg.dnkl.foot", "org.codeberg.dnkl.footclient", "com.raggesilver.blackbox", "blackbox",
    "rio", "contour", "org.contourterminal.contour", "wezterm-gui", "tilix", "com.gexperts.tilix", "terminator",
    "xfce4-terminal", "org.xfce.terminal", "mate-terminal", "lxterminal", "qterminal", "terminology",
    "io.elementary.terminal", "dev.warp.warp", "warp", "hyper", "tabby",
    // code editors and IDEs (JetBrains is matched by prefix)
    "code", "code-oss", "code-insiders", "code-url-handler", "com.visualstudio.code", "codium", "vscodium",
    "com.vscodium.codium", "cursor", "windsurf", "dev.zed.zed", "zed", "sublime_text", "com.sublimetext.three", "emacs",
    "gvim", "neovide", "org.kde.kate", "kate", "geany", "org.geany.geany", "gnome-builder", "org.gnome.builder",
    "qtcreator", "org.qt-project.qtcreator", "jetbrains-toolbox"};

constexpr std::array linuxChatApps{"slack", "com.slack.slack", "discord", "com.discordapp.discord", "telegramdesktop",
    "telegram-desktop", "org.telegram.desktop", "signal", "signal-desktop", "org.signal.signal", "element",
    "im.riot.riot", "wechat", "com.tencent.wechat", "qq", "com.qq.qq", "dingtalk", "com.alibabainc.dingtalk", "feishu",
    "bytedance-feishu", "lark", "whatsapp", "whatsapp-for-linux", "zalo", "wecom", "teams-for-linux"};

constexpr std::array linuxDocumentApps{"libreoffice-writer", "org.libreoffice.libreoffice.writer", "obsidian",
    "md.obsidian.obsidian", "notion-app", "notion-app-enhanced", "typora", "io.typora.typora", "thunderbird",
    "org.mozilla.thunderbird", "mail", "evolution", "org.gnome.evolution", "geary", "org.gnome.geary", "kmail",
    "org.kde.kmail2", "gedit", "org.gnome.gedit", "gnome-text-editor", "org.gnome.texteditor", "kwrite",
    "org.kde.kwrite", "mousepad", "org.xfce.mousepad", "xed", "pluma", "abiword", "wps", "wpsoffice", "joplin",
    "net.cozic.joplin_desktop", "logseq", "com.logseq.logseq", "simplenote"};

const QHash<QString, AppStyle> &linuxApps()
{
    static const QHash<QString, AppStyle> apps = [] {
        QHash<QString, AppStyle> table;
        const auto add = [&table](const auto &names, AppStyle style) {
            for (const char *name : names)
                table.insert(QString::fromLatin1(name), style);
        };
        add(linuxCodingApps, AppStyle::coding);
        add(linuxChatApps, AppStyle::chat);
        add(linuxDocumentApps, AppStyle::document);
        return table;
    }();
    return apps;
}

} // namespace

AppStyle forBundleIdentifier(const std::optional<QString> &bundleIdentifier)
{
    if (!bundleIdentifier)
        return AppStyle::general;
    const QString &id = *bundleIdentifier;
    if (codingApps().contains(id) || id.startsWith(QStringLiteral("com.jetbrains.")))
        return AppStyle::coding;
    if (chatApps().contains(id))
        return AppStyle::chat;
    if (documentApps().contains(id))
        return AppStyle::document;
    return AppStyle::general;
}

AppStyle forLinuxAppIdentifier(const std::optional<QString> &identifier)
{
    if (!identifier)
        return AppStyle::general;
    QString id = identifier->trimmed().toLower();
    if (id.endsWith(QStringLiteral(".desktop")))
        id.chop(8);
    // Every JetBrains IDE: WM_CLASS "jetbrains-idea", "jetbrains-pycharm-ce", Flatpak "com.jetbrains.…".
    if (id.startsWith(QStringLiteral("jetbrains-")) || id.startsWith(QStringLiteral("com.jetbrains.")))
        return AppStyle::coding;
    return linuxApps().value(id, AppStyle::general);
}

AppStyle forAppIdentifier(const std::optional<QString> &identifier)
{
    const AppStyle style = forBundleIdentifier(identifier);
    if (style != AppStyle::general)
        return style;
    return forLinuxAppIdentifier(identifier);
}

AppStyle forApp(const AppIdentity &app)
{
    for (const QString &name : {app.identifier, app.windowInstance, app.windowClass}) {
        if (name.isEmpty())
            continue;
        if (const AppStyle style = forAppIdentifier(name); style != AppStyle::general)
            return style;
    }
    return AppStyle::general;
}

} // namespace quillo
