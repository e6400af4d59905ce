#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace quillo::fakeportal {

// Masks of the modifiers as xkb and mutter count them (US layout).
namespace Mod {
constexpr std::uint32_t shift = 1, control = 4, alt = 8, super = 64, level3 = 128;
}

// One xkb keysym the fake knows by name: the keys of a US keyboard that
// shortcuts use. Its Qt key is the one Qt's xkb support maps it to.
class Keysym {
public:
    // Case-insensitive like xkb_keysym_from_name(XKB_KEYSYM_CASE_INSENSITIVE),
    // preferring the lower-case one.
    static std::optional<Keysym> find(QStringView name, Qt::CaseSensitivity sensitivity);

    const QString &name() const { return name_; }
    std::uint32_t value() const { return value_; }
    int qtKey() const { return qtKey_; }
    // The modifier the key holds while down; 0 for other keys.
    std::uint32_t modifierMask() const;
    bool isModifier() const { return modifierMask() != 0; }
    bool isLetter() const;
    // A key whose symbol Shift changes (digits, punctuation): KWin drops Shift for it.
    bool shiftMakesOtherSymbol() const;
    // Held down it repeats (modifiers and locks do not).
    bool repeats() const;
    Keysym lower() const;

    bool operator==(const Keysym &other) const { return value_ == other.value_; }

private:
    Keysym(QString name, std::uint32_t value, int qtKey);
    friend struct KeysymTable;

    QString name_;
    std::uint32_t value_ = 0;
    int qtKey_ = 0;
};

} // namespace quillo::fakeportal
