#include "platform/fake/FakeLoginItem.h"

namespace quillo {

Expected<Done, QString> FakeLoginItem::setEnabled(bool enabled)
{
    ++changes_;
    if (refusing_)
        return unexpected(QStringLiteral("refused"));
    enabled_ = enabled;
    return Done{};
}

} // namespace quillo
