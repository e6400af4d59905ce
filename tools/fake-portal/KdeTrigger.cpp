#include "KdeTrigger.h"

#include "Keysym.h"

#include <QKeySequence>
#include <QRegularExpression>

namespace quillo::fakeportal {
namespace {

int modifierOf(QStringView name)
{
    static const std::pair<const char *, Qt::KeyboardModifier> modifiers[] = {
        {"SHIFT", Qt::ShiftModifier},
        {"CAPS", Qt::GroupSwitchModifier},
        {"CTRL", Qt::ControlModifier},
        {"ALT", Qt::AltModifier},
        {"NUM", Qt::KeypadModifier},
        {"LOGO", Qt::MetaModifier},
    };
    for (const auto &[text, modifier] : modifiers) {
        if (name == QLatin1String(text))
            return modifier;
    }
    return -1;
}

// What follows the last '+': its leading word characters name the key, the
// rest is ignored ("CTRL+a;Banana" is Ctrl+A).
int keyOf(QStringView remaining)
{
    static const QRegularExpression word(
        QStringLiteral("^([\\w\\d_]+)"), QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = word.match(remaining.toString());
    const std::optional<Keysym> key = Keysym::find(match.captured(1), Qt::CaseInsensitive);
    return key ? key->qtKey() : -1;
}

} // namespace

int KdeTrigger::parse(const QString &trigger)
{
    int modifiers = 0;
    QStringView remaining(trigger);
    while (!remaining.isEmpty()) {
        const qsizetype plus = remaining.indexOf(QLatin1Char('+'));
        if (plus == 0)
            return 0;
        if (plus < 0) {
            const int key = keyOf(remaining);
            return key < 0 ? 0 : modifiers | key;
        }
        const int modifier = modifierOf(remaining.left(plus));
        if (modifier < 0)
            return 0;
        modifiers |= modifier;
        remaining = remaining.mid(plus + 1);
    }
    // Modifiers and no key ("CTRL+") still make a key sequence.
    return modifiers;
}

QString KdeTrigger::describe(int key)
{
    if (key == 0)
        return {};
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace quillo::fakeportal
