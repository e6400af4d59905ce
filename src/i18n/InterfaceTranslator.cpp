#include "i18n/InterfaceTranslator.h"

#include <QCoreApplication>

namespace quillo {

InterfaceTranslator::InterfaceTranslator(InterfaceLanguage language)
{
    if (language == InterfaceLanguage::chinese)
        return;
    // Embedded at build time; a failure leaves the source text, which still works.
    if (translator_.load(QStringLiteral(":/i18n/quillo_en.qm")))
        installed_ = QCoreApplication::installTranslator(&translator_);
}

InterfaceTranslator::~InterfaceTranslator()
{
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
}

} // namespace quillo
