#include "app/CommandLine.h"

namespace quillo {

namespace {

struct ValueMode {
    const char *option;
    CommandLine::Mode mode;
};

// Options that take a value, in the order they are tried.
constexpr ValueMode kValueModes[] = {
    {"--import-env", CommandLine::Mode::importEnv},
    {"--selftest", CommandLine::Mode::selfTest},
    {"--render", CommandLine::Mode::render},
};

struct FlagMode {
    const char *option;
    CommandLine::Mode mode;
};

// Actions for the running instance, tried after every other mode so that they never
// change what an existing option does.
constexpr FlagMode kSendModes[] = {
    {"--toggle", CommandLine::Mode::sendToggle},
    {"--start", CommandLine::Mode::sendStart},
    {"--stop", CommandLine::Mode::sendStop},
    {"--cancel", CommandLine::Mode::sendCancel},
    {"--translate", CommandLine::Mode::sendTranslate},
    {"--retry", CommandLine::Mode::sendRetry},
};

} // namespace

std::optional<QString> CommandLine::argumentValue(const QString &option) const
{
    const qsizetype i = args_.indexOf(option);
    if (i < 0 || i + 1 >= args_.size())
        return std::nullopt;
    return args_.at(i + 1);
}

bool CommandLine::hasFlag(const QString &option) const
{
    return args_.contains(option);
}

CommandLine::Mode CommandLine::mode() const
{
    for (const auto &m : kValueModes) {
        if (argumentValue(QString::fromLatin1(m.option)))
            return m.mode;
    }
    if (hasFlag(QStringLiteral("--open-settings")))
        return Mode::openSettings;
    if (hasFlag(QStringLiteral("--e2e-observe")))
        return Mode::e2eObserve;
    if (argumentValue(QStringLiteral("--e2e-file")))
        return Mode::e2eFile;
    if (hasFlag(QStringLiteral("--doctor")))
        return Mode::doctor;
    for (const auto &m : kSendModes) {
        if (hasFlag(QString::fromLatin1(m.option)))
            return m.mode;
    }
    if (hasFlag(QStringLiteral("--help")) || hasFlag(QStringLiteral("-h")))
        return Mode::help;
    if (hasFlag(QStringLiteral("--version")))
        return Mode::version;
    return Mode::normal;
}

QString CommandLine::modeArgument() const
{
    switch (mode()) {
    case Mode::importEnv:
        return *argumentValue(QStringLiteral("--import-env"));
    case Mode::selfTest:
        return *argumentValue(QStringLiteral("--selftest"));
    case Mode::render:
        return *argumentValue(QStringLiteral("--render"));
    case Mode::e2eFile:
        return *argumentValue(QStringLiteral("--e2e-file"));
    default:
        return {};
    }
}

double CommandLine::e2eDelaySeconds() const
{
    const auto value = argumentValue(QStringLiteral("--e2e-delay"));
    if (!value)
        return 3.0;
    bool ok = false;
    const double seconds = value->toDouble(&ok);
    // A negative or non-finite delay makes no sense for a timer; treat it like text.
    if (!ok || !(seconds >= 0.0) || seconds > 86400.0)
        return 3.0;
    return seconds;
}

std::optional<InterfaceLanguage> CommandLine::interfaceLanguage(const QStringList &preferredLanguages) const
{
    const QString option = QStringLiteral("--lang");
    if (!hasFlag(option))
        return interfaceLanguageFor(preferredLanguages);
    const auto code = argumentValue(option);
    return code ? interfaceLanguageFromCode(*code) : std::nullopt;
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: quillo [option]\n"
        "\n"
        "Without options Quillo starts in the system tray: hold the hotkey, speak, release.\n"
        "\n"
        "  --import-env FILE       store QWEN_API_KEY (and QWEN_API_HOST) from a NAME=VALUE file, then exit\n"
        "  --selftest DIR          run the built-in checks with the test recordings in DIR; exit 0 when all pass\n"
        "    --polish-model NAME     polish model for the self-test\n"
        "    --translate-model NAME  translation model for the self-test\n"
        "    --only-translate        only the translation checks\n"
        "  --render DIR            write screenshots of the panel, menu and settings window into DIR\n"
        "  --open-settings         open the settings window\n"
        "  --doctor                check this desktop (hotkeys, paste, microphone, key store, tray) and say what\n"
        "                          to do about anything missing; exit 0 when a dictation can work end to end\n"
        "  --lang zh|en            the interface language (default: from LANGUAGE / LANG; Chinese, else English)\n"
        "  --e2e-observe           print what happens while you dictate by hand\n"
        "  --e2e-file FILE         dictate FILE into the focused window after a delay\n"
        "    --e2e-delay SECONDS     the delay (default 3)\n"
        "    --e2e-send              press Return after the paste\n"
        "\n"
        "Control the Quillo that is already running (for desktop key bindings), then exit:\n"
        "  --toggle                start or stop a hands-free dictation, like the menu item\n"
        "  --start                 start a dictation that runs until --stop (bind to a key press)\n"
        "  --stop                  end the dictation and paste the text (bind to the key release)\n"
        "  --cancel                cancel the dictation, like Escape\n"
        "  --translate             switch the translation during a dictation, or start a translating one\n"
        "  --retry                 dictate the newest kept failed recording again into the focused window\n"
        "  (exit status 0 when Quillo took the action, 1 when none runs or it did not answer)\n"
        "\n"
        "  --help                  this text\n"
        "  --version               the version\n"
        "\n"
        "Environment: QUILLO_EXTRA_CA_CERTS=FILE adds trusted certificate authorities (PEM).\n");
}

} // namespace quillo
