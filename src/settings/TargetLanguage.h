#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

namespace quillo {

// Language a dictation can be translated into; case order is the order of
// every picker and of the translation cycle.
enum class TargetLanguage { english, japanese, vietnamese };

inline constexpr std::array<TargetLanguage, 3> allTargetLanguages{
    TargetLanguage::english, TargetLanguage::japanese, TargetLanguage::vietnamese};

// Stored form and history language code: "en", "ja", "vi".
QString rawValue(TargetLanguage language);
std::optional<TargetLanguage> targetLanguageFromRaw(const QString &raw);
// The name in the source language: "英文", "日文", "越南语" (also what the self-test prints).
QString displayName(TargetLanguage language);
// The name as the interface shows it, in the interface language.
QString shownName(TargetLanguage language);

std::size_t qHash(TargetLanguage language, std::size_t seed = 0) noexcept;

} // namespace quillo
