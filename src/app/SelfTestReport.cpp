#include "app/SelfTestReport.h"

namespace quillo {

void SelfTestReport::check(const QString &label, bool passed, const QString &detail)
{
    passed ? ++passed_ : ++failed_;
    QString text = (passed ? QStringLiteral("  ✅ ") : QStringLiteral("  ❌ ")) + label;
    if (!detail.isEmpty())
        text += QStringLiteral(" — ") + detail;
    print_(text);
}

int SelfTestReport::summary()
{
    print_(QStringLiteral("== 结果：通过 %1，失败 %2 ==").arg(passed_).arg(failed_));
    return failed_;
}

} // namespace quillo
