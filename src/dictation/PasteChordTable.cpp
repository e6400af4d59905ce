#include "dictation/PasteChordTable.h"

#include <QString>

#include <array>
#include <string_view>

namespace quillo::pastechords {
namespace {

struct Row {
    std::string_view name; // lower case
    PasteChord chord;
};

constexpr auto S = PasteChord::shiftInsert;
constexpr auto T = PasteChord::ctrlShiftV;

constexpr std::array table{
    Row{"xterm", S},
    Row{"uxterm", S},
    Row{"debian-xterm", S},
    Row{"debian-uxterm", S},
    Row{"rxvt", S},
    Row{"urxvt", S},
    Row{"rxvt-unicode", S},
    Row{"emacs", S},
    Row{"gvim", S},
    Row{"gnome-terminal", T},
    Row{"gnome-terminal-server", T},
    Row{"org.gnome.terminal", T},
    Row{"org.gnome.console", T},
    Row{"kgx", T},
    Row{"org.gnome.ptyxis", T},
    Row{"ptyxis", T},
    Row{"konsole", T},
    Row{"org.kde.konsole", T},
    Row{"yakuake", T},
    Row{"org.kde.yakuake", T},
    Row{"xfce4-terminal", T},
    Row{"mate-terminal", T},
    Row{"lxterminal", T},
    Row{"qterminal", T},
    Row{"terminator", T},
    Row{"tilix", T},
    Row{"com.gexperts.tilix", T},
    Row{"kitty", T},
    Row{"alacritty", T},
    Row{"io.alacritty", T},
    Row{"wezterm", T},
    Row{"org.wezfurlong.wezterm", T},
    Row{"ghostty", T},
    Row{"com.mitchellh.ghostty", T},
    Row{"terminology", T},
    Row{"guake", T},
    Row{"tilda", T},
    Row{"sakura", T},
    Row{"st", T},
    Row{"st-256color", T},
    Row{"foot", T},
    Row{"cool-retro-term", T},
    Row{"deepin-terminal", T},
    Row{"io.elementary.terminal", T},
    Row{"com.raggesilver.blackbox", T},
    Row{"warp", T},
    Row{"dev.warp.warp", T},
    Row{"hyper", T},
    Row{"tabby", T},
};

std::optional<PasteChord> lookup(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    const QByteArray key = name.toLower().toUtf8();
    const std::string_view wanted(key.constData(), static_cast<std::size_t>(key.size()));
    for (const Row &row : table) {
        if (row.name == wanted)
            return row.chord;
    }
    return std::nullopt;
}

} // namespace

PasteChord forApp(const std::optional<AppIdentity> &app)
{
    if (!app)
        return PasteChord::ctrlV;
    for (const QString *name : {&app->windowClass, &app->windowInstance, &app->identifier}) {
        if (const auto chord = lookup(*name))
            return *chord;
    }
    return PasteChord::ctrlV;
}

} // namespace quillo::pastechords
