#pragma once

#include "app/SelfTestReport.h"

namespace quillo::selfTestOffline {

// Section [1]: the text rules, hotkeys, speech gate and app styles.
void runUnitChecks(SelfTestReport &report);
// The language script checks that open the translation section.
void runScriptChecks(SelfTestReport &report);
// The fallback paragraphing of long translations.
void runParagraphChecks(SelfTestReport &report);

} // namespace quillo::selfTestOffline
