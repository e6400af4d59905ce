#include "Keysym.h"

#include <QList>

#include <utility>

namespace quillo::fakeportal {

struct KeysymTable {
    QList<Keysym> keys;

    KeysymTable();
    void add(const char *name, std::uint32_t value, int qtKey)
    {
        keys.append(Keysym(QLatin1String(name), value, qtKey));
    }
};

namespace {

struct Named {
    const char *name;
    std::uint32_t value;
    int qtKey;
};

// Values from xkbcommon-keysyms.h, Qt keys from Qt's xkb key table.
constexpr Named special[] = {
    {"BackSpace", 0xff08, Qt::Key_Backspace},
    {"Tab", 0xff09, Qt::Key_Tab},
    {"Return", 0xff0d, Qt::Key_Return},
    {"Pause", 0xff13, Qt::Key_Pause},
    {"Scroll_Lock", 0xff14, Qt::Key_ScrollLock},
    {"Escape", 0xff1b, Qt::Key_Escape},
    {"Home", 0xff50, Qt::Key_Home},
    {"Left", 0xff51, Qt::Key_Left},
    {"Up", 0xff52, Qt::Key_Up},
    {"Right", 0xff53, Qt::Key_Right},
    {"Down", 0xff54, Qt::Key_Down},
    {"Prior", 0xff55, Qt::Key_PageUp},
    {"Page_Up", 0xff55, Qt::Key_PageUp},
    {"Next", 0xff56, Qt::Key_PageDown},
    {"Page_Down", 0xff56, Qt::Key_PageDown},
    {"End", 0xff57, Qt::Key_End},
    {"Print", 0xff61, Qt::Key_Print},
    {"Insert", 0xff63, Qt::Key_Insert},
    {"Menu", 0xff67, Qt::Key_Menu},
    {"Num_Lock", 0xff7f, Qt::Key_NumLock},
    {"KP_Enter", 0xff8d, Qt::Key_Enter},
    {"KP_Multiply", 0xffaa, Qt::Key_Asterisk},
    {"KP_Add", 0xffab, Qt::Key_Plus},
    {"KP_Subtract", 0xffad, Qt::Key_Minus},
    {"KP_Decimal", 0xffae, Qt::Key_Period},
    {"KP_Divide", 0xffaf, Qt::Key_Slash},
    {"KP_Equal", 0xffbd, Qt::Key_Equal},
    {"Shift_L", 0xffe1, Qt::Key_Shift},
    {"Shift_R", 0xffe2, Qt::Key_Shift},
    {"Control_L", 0xffe3, Qt::Key_Control},
    {"Control_R", 0xffe4, Qt::Key_Control},
    {"Caps_Lock", 0xffe5, Qt::Key_CapsLock},
    {"Meta_L", 0xffe7, Qt::Key_Meta},
    {"Meta_R", 0xffe8, Qt::Key_Meta},
    {"Alt_L", 0xffe9, Qt::Key_Alt},
    {"Alt_R", 0xffea, Qt::Key_Alt},
    {"Super_L", 0xffeb, Qt::Key_Super_L},
    {"Super_R", 0xffec, Qt::Key_Super_R},
    {"ISO_Level3_Shift", 0xfe03, Qt::Key_AltGr},
    {"Delete", 0xffff, Qt::Key_Delete},
};

constexpr std::pair<const char *, char> punctuation[] = {
    {"space", ' '},
    {"exclam", '!'},
    {"quotedbl", '"'},
    {"numbersign", '#'},
    {"dollar", '$'},
    {"percent", '%'},
    {"ampersand", '&'},
    {"apostrophe", '\''},
    {"parenleft", '('},
    {"parenright", ')'},
    {"asterisk", '*'},
    {"plus", '+'},
    {"comma", ','},
    {"minus", '-'},
    {"period", '.'},
    {"slash", '/'},
    {"colon", ':'},
    {"semicolon", ';'},
    {"less", '<'},
    {"equal", '='},
    {"greater", '>'},
    {"question", '?'},
    {"at", '@'},
    {"bracketleft", '['},
    {"backslash", '\\'},
    {"bracketright", ']'},
    {"asciicircum", '^'},
    {"underscore", '_'},
    {"grave", '`'},
    {"braceleft", '{'},
    {"bar", '|'},
    {"braceright", '}'},
    {"asciitilde", '~'},
};

const KeysymTable &table()
{
    static const KeysymTable instance;
    return instance;
}

} // namespace

KeysymTable::KeysymTable()
{
    for (char c = 'a'; c <= 'z'; ++c)
        add(QByteArray(1, c).constData(), std::uint32_t(c), c - 'a' + 'A');
    for (char c = 'A'; c <= 'Z'; ++c)
        add(QByteArray(1, c).constData(), std::uint32_t(c), c);
    for (char c = '0'; c <= '9'; ++c)
        add(QByteArray(1, c).constData(), std::uint32_t(c), c);
    for (const auto &[name, c] : punctuation)
        add(name, std::uint32_t(c), c);
    for (const Named &key : special)
        add(key.name, key.value, key.qtKey);
    for (int n = 0; n <= 9; ++n)
        add(QByteArray("KP_" + QByteArray::number(n)).constData(), 0xffb0 + n, Qt::Key_0 + n);
    for (int n = 1; n <= 35; ++n)
        add(QByteArray("F" + QByteArray::number(n)).constData(), 0xffbe + n - 1, Qt::Key_F1 + n - 1);
}

Keysym::Keysym(QString name, std::uint32_t value, int qtKey)
    : name_(std::move(name))
    , value_(value)
    , qtKey_(qtKey)
{
}

std::optional<Keysym> Keysym::find(QStringView name, Qt::CaseSensitivity sensitivity)
{
    for (const Keysym &key : table().keys) {
        if (name.compare(key.name_, sensitivity) == 0)
            return key;
    }
    return std::nullopt;
}

std::uint32_t Keysym::modifierMask() const
{
    switch (value_) {
    case 0xffe1:
    case 0xffe2:
        return Mod::shift;
    case 0xffe3:
    case 0xffe4:
        return Mod::control;
    case 0xffe7:
    case 0xffe8:
    case 0xffe9:
    case 0xffea:
        return Mod::alt;
    case 0xffeb:
    case 0xffec:
        return Mod::super;
    case 0xfe03:
        return Mod::level3;
    default:
        return 0;
    }
}

bool Keysym::isLetter() const
{
    return (value_ >= 'a' && value_ <= 'z') || (value_ >= 'A' && value_ <= 'Z');
}

bool Keysym::shiftMakesOtherSymbol() const
{
    return value_ > ' ' && value_ < 0x7f && !isLetter();
}

bool Keysym::repeats() const
{
    return !isModifier() && value_ != 0xffe5 && value_ != 0xff7f && value_ != 0xff14;
}

Keysym Keysym::lower() const
{
    if (value_ < 'A' || value_ > 'Z')
        return *this;
    return *find(name_.toLower(), Qt::CaseSensitive);
}

} // namespace quillo::fakeportal
