#pragma once

#include "i18n/InterfaceLanguage.h"

#include <QTranslator>

namespace quillo {

// Installs the translation for a language into the running application for as long as
// it lives (Chinese needs none: it is the source text). Create it after the application
// object and before any window, so every text is looked up in the chosen language.
class InterfaceTranslator {
public:
    explicit InterfaceTranslator(InterfaceLanguage language);
    ~InterfaceTranslator();
    InterfaceTranslator(const InterfaceTranslator &) = delete;
    InterfaceTranslator &operator=(const InterfaceTranslator &) = delete;

    // False for Chinese, and when the embedded translation could not be loaded.
    bool installed() const { return installed_; }

private:
    QTranslator translator_;
    bool installed_ = false;
};

} // namespace quillo
