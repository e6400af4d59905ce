#pragma once

#include "i18n/InterfaceLanguage.h"

#include <QStringList>

#include <optional>

namespace quillo {

// The process's own argument list, program path included. Options and their
// values are separate arguments; matching is exact and case-sensitive.
class CommandLine {
public:
    // The send* modes hand one action to the Quillo already running and exit.
    enum class Mode {
        normal,
        help,
        version,
        importEnv,
        selfTest,
        render,
        openSettings,
        e2eObserve,
        e2eFile,
        doctor,
        sendToggle,
        sendStart,
        sendStop,
        sendCancel,
        sendTranslate,
        sendRetry,
    };

    explicit CommandLine(QStringList arguments)
        : args_(std::move(arguments))
    {
    }

    // The argument after the first one equal to option; none when the option is
    // absent or is the last argument.
    std::optional<QString> argumentValue(const QString &option) const;
    bool hasFlag(const QString &option) const;

    // The first mode that applies, in the documented order. "--help" and
    // "--version" come last so they never change what the other options do.
    Mode mode() const;
    // The value of the option that chose the mode (file or directory), if any.
    QString modeArgument() const;

    // The interface language: "--lang CODE" when given, else the user's preferred languages.
    // None when the option names no language we have (or lacks its value).
    std::optional<InterfaceLanguage> interfaceLanguage(const QStringList &preferredLanguages) const;

    // Seconds before an "--e2e-file" run: "--e2e-delay", 3 when absent or not a number.
    double e2eDelaySeconds() const;

    static QString helpText();

private:
    QStringList args_;
};

} // namespace quillo
