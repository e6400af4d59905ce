#pragma once

#include "common/AppStyle.h"
#include "settings/TargetLanguage.h"

#include <QList>
#include <QString>

#include <functional>

namespace quillo {

// A dictation the self-test polishes, and what a good result must hold.
struct PolishCheck {
    QString label;
    QString input;
    AppStyle style;
    std::function<bool(const QString &)> passes;
};

// A dictation the self-test translates, with a rule per target language.
struct TranslationCheck {
    QString label;
    QString input;
    AppStyle style;
    std::function<bool(TargetLanguage, const QString &)> passes;
};

const QList<PolishCheck> &polishChecks();
const QList<TranslationCheck> &translationChecks();

} // namespace quillo
