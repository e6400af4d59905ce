#include "ShortcutBackend.h"

namespace quillo::fakeportal {

Shortcut ShortcutBackend::described(const QString &id, const QString &description, const QString &trigger)
{
    return {id, {{QStringLiteral("description"), description}, {QStringLiteral("trigger_description"), trigger}}};
}

} // namespace quillo::fakeportal
