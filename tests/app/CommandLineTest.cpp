#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

using Mode = CommandLine::Mode;

CommandLine cl(QStringList rest)
{
    rest.prepend(QStringLiteral("/usr/bin/quillo"));
    return CommandLine(rest);
}

struct ModeCase {
    QStringList args;
    Mode mode;
    QString argument;
};

TEST(CommandLine, FirstApplicableOptionDecides)
{
    const std::vector<ModeCase> cases = {
        {{}, Mode::normal, {}},
        {{"--bogus", "x"}, Mode::normal, {}},
        {{"--import-env", "a.env", "--selftest", "dir"}, Mode::importEnv, "a.env"},
        {{"--selftest", "dir", "--import-env", "a.env"}, Mode::importEnv, "a.env"},
        {{"--selftest"}, Mode::normal, {}}, // value missing: falls through
        {{"--selftest", "--render", "out"}, Mode::selfTest, "--render"},
        {{"--render", "out", "--open-settings"}, Mode::render, "out"},
        {{"--e2e-file", "f.wav", "--open-settings"}, Mode::openSettings, {}},
        {{"--e2e-file", "f.wav", "--e2e-observe"}, Mode::e2eObserve, {}},
        {{"--e2e-file", "f.wav"}, Mode::e2eFile, "f.wav"},
        {{"--e2e-file"}, Mode::normal, {}},
        {{"--SELFTEST", "dir"}, Mode::normal, {}},
        {{"--selftest=dir"}, Mode::normal, {}},
        {{"--help", "--render", "out"}, Mode::render, "out"},
        {{"--help"}, Mode::help, {}},
        {{"--version"}, Mode::version, {}},
        // Actions for the running instance: plain flags, after every older mode, before help.
        {{"--toggle"}, Mode::sendToggle, {}},
        {{"--start"}, Mode::sendStart, {}},
        {{"--stop"}, Mode::sendStop, {}},
        {{"--cancel"}, Mode::sendCancel, {}},
        {{"--translate"}, Mode::sendTranslate, {}},
        {{"--retry"}, Mode::sendRetry, {}},
        {{"--doctor"}, Mode::doctor, {}},
        {{"--doctor", "--toggle"}, Mode::doctor, {}},
        {{"--open-settings", "--doctor"}, Mode::openSettings, {}},
        {{"--stop", "--start"}, Mode::sendStart, {}},
        {{"--translate", "--toggle"}, Mode::sendToggle, {}},
        {{"--help", "--stop"}, Mode::sendStop, {}},
        {{"--version", "--cancel"}, Mode::sendCancel, {}},
        {{"--start", "--open-settings"}, Mode::openSettings, {}},
        {{"--toggle", "--render", "out"}, Mode::render, "out"},
        {{"--toggle", "--e2e-file", "f.wav"}, Mode::e2eFile, "f.wav"},
        {{"--e2e-file", "--stop"}, Mode::e2eFile, "--stop"},
        {{"--Toggle"}, Mode::normal, {}},
        {{"--toggle=1"}, Mode::normal, {}},
        {{"-t"}, Mode::normal, {}},
    };
    for (const auto &c : cases) {
        const auto line = cl(c.args);
        EXPECT_EQ(line.mode(), c.mode) << c.args.join(' ').toStdString();
        EXPECT_EQ(line.modeArgument(), c.argument) << c.args.join(' ').toStdString();
    }
}

TEST(CommandLine, ArgumentValueTakesTheFirstOccurrence)
{
    const auto line = cl({"--polish-model", "a", "--polish-model", "b", "--only-translate"});
    EXPECT_EQ(line.argumentValue("--polish-model"), QString("a"));
    EXPECT_FALSE(line.argumentValue("--only-translate"));
    EXPECT_TRUE(line.hasFlag("--only-translate"));
    EXPECT_FALSE(line.hasFlag("--only"));
}

TEST(CommandLine, E2eDelay)
{
    const std::vector<std::pair<QStringList, double>> cases = {
        {{}, 3.0},
        {{"--e2e-delay", "0.5"}, 0.5},
        {{"--e2e-delay", "0"}, 0.0},
        {{"--e2e-delay", "soon"}, 3.0},
        {{"--e2e-delay", "-1"}, 3.0},
        {{"--e2e-delay", "nan"}, 3.0},
        {{"--e2e-delay"}, 3.0},
    };
    for (const auto &[args, seconds] : cases)
        EXPECT_DOUBLE_EQ(cl(args).e2eDelaySeconds(), seconds) << args.join(' ').toStdString();
}

// Every option is in the help, each action on a line of its own; the importer's variable
// names are the ones it really reads (a help naming others imports nothing, silently).
TEST(CommandLine, HelpNamesEveryOptionAndTheImportedNames)
{
    const QString help = CommandLine::helpText();
    for (const char *option : {"--import-env", "--selftest", "--render", "--open-settings", "--e2e-observe",
             "--e2e-file", "--e2e-delay", "--e2e-send", "--doctor", "QWEN_API_KEY", "QWEN_API_HOST"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    for (const char *action : {"--toggle", "--start", "--stop", "--cancel", "--translate", "--retry"})
        EXPECT_TRUE(help.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(action)))) << action;
    EXPECT_FALSE(help.contains(QLatin1String("DASHSCOPE_API_KEY")));
}

} // namespace
} // namespace quillo
