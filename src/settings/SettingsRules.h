#pragma once

#include "hotkeys/Hotkey.h"
#include "settings/TargetLanguage.h"
#include "settings/TranslateTrigger.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillo::settingsRules {

// The bare host of what the user typed: trimmed, without an https://, http://
// or wss:// prefix (case-sensitive, stripped in that order) and without any
// path; defaultHost when nothing is left.
QString normalizedHost(const QString &apiHost, const QString &defaultHost);

// Vocabulary terms split at line feeds, "," and "，", trimmed of spaces and tabs,
// empty ones dropped; order and duplicates kept.
QStringList vocabularyTerms(const QString &vocabulary);

// The hands-free hotkey that starts a translating recording: the toggle
// hotkey's key with the trigger modifier added. None when the toggle hotkey is
// missing, modifier-only, invalid, or already holds the trigger modifier.
std::optional<Hotkey> translateHotkey(const std::optional<Hotkey> &toggle, TranslateTrigger trigger);

// target first, then the other languages in case order.
std::vector<TargetLanguage> languageCycle(TargetLanguage target);
// The cycle's display names joined by " → ", e.g. "日文 → 英文 → 越南语".
QString languageCycleText(TargetLanguage target);

// NAME=VALUE lines of an environment file; a later name replaces an earlier one.
// Values are literal (no quotes removed, no comments); lines without both a name
// and a value are ignored; a CR before the line feed is not part of the value.
QHash<QString, QString> parseEnvironment(const QString &text);
// The file's text, or none when it cannot be read, is too large for a settings
// file, or is not UTF-8.
std::optional<QString> readEnvironmentFile(const QString &path);
// The text of an environment file's bytes; none when too large or not UTF-8.
std::optional<QString> decodeEnvironmentFile(const QByteArray &bytes);

// Number of user-perceived characters (grapheme clusters).
qsizetype perceivedLength(const QString &text);

} // namespace quillo::settingsRules
