#pragma once

#include "app/DoctorFindings.h"
#include "app/DoctorVerdict.h"

#include <QStringList>

namespace quillo {

// The text of one piece of advice: a sentence, then the lines to type or add where it
// has them (packages by their Debian names, the key binding lines of this desktop).
class DoctorAdviceText {
public:
    static QStringList lines(DoctorVerdict::Advice advice, const DoctorFindings &findings);

private:
    static QStringList bindingLines(const DoctorFindings &findings);
    static QStringList portalPackages(const DoctorFindings &findings);
};

} // namespace quillo
