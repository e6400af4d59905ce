#pragma once

#include "platform/FrontmostApp.h"
#include "platform/KeystrokePoster.h"

#include <optional>

namespace quillo::pastechords {

// Which keystroke pastes into an application, by its window class, window
// instance or desktop entry id (compared without regard to case):
//
//   Shift+Insert  xterm and rxvt families, Emacs, gVim: Ctrl+V is not paste there;
//                 Shift+Insert pastes the PRIMARY selection (xterm, rxvt, gVim) or
//                 the clipboard (Emacs), so the inserter sets both.
//   Ctrl+Shift+V  terminal emulators (GNOME Terminal/Console, Konsole, Yakuake, kitty,
//                 Alacritty, WezTerm, Ghostty, Tilix, Terminator, XFCE, MATE, LXDE,
//                 Qt terminals, st, foot, Warp, Hyper, Tabby...): Ctrl+V sends ^V to
//                 the shell.
//   Ctrl+V        everything else, and when no application is known.
PasteChord forApp(const std::optional<AppIdentity> &app);

} // namespace quillo::pastechords
