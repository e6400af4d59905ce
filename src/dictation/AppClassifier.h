#pragma once

#include "common/AppStyle.h"
#include "platform/FrontmostApp.h"

#include <QString>

#include <optional>

namespace quillo {

// Which AppStyle the focused application gets: a table of macOS bundle identifiers and
// one of Linux application identifiers, mapped to the same four styles.

// Classifies a macOS bundle identifier (exact, case-sensitive); none gives general.
AppStyle forBundleIdentifier(const std::optional<QString> &bundleIdentifier);

// Classifies a Linux application identifier: a desktop-entry id ("org.gnome.Terminal",
// "code", an optional ".desktop" suffix) or a WM_CLASS name ("xterm", "jetbrains-idea"),
// compared case-insensitively; none or an unknown one gives general.
AppStyle forLinuxAppIdentifier(const std::optional<QString> &identifier);

// What the controller calls with whatever identifier the platform reports: the macOS
// table first, then the Linux table.
AppStyle forAppIdentifier(const std::optional<QString> &identifier);

// The focused application's style: its identifier first, then its window instance
// and class, since distributions rename desktop entries ("debian-xterm").
AppStyle forApp(const AppIdentity &app);

} // namespace quillo
