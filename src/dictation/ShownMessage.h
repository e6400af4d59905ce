#pragma once

#include <QString>

namespace quillo {

// A dictation's failure messages stay in the source language wherever they are a record
// (the phase, history notes, the [e2e] lines); this is how one reads on screen in the
// interface language. Known messages and error descriptions are translated, the parts
// they quote (a host, a service's answer) are kept; anything else comes back unchanged.
QString shownMessage(const QString &message);

} // namespace quillo
