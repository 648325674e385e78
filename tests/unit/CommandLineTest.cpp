// The command line as main will act on it: what runs, what is printed where, and the
// exit status, without starting a process.
#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>
#include <vector>

using namespace drifthold;

namespace {

// What main does, in one string: "run" and the options that differ from the defaults, or
// "exit" and the status; then what goes to stdout, then what goes to stderr.
std::string outcome(std::vector<const char*> args) {
    args.insert(args.begin(), "drifthold");
    const CommandLine line = parseCommandLine(static_cast<int>(args.size()), args.data());
    const char* const screens[] = {"", " fullscreen", " windowed"}; // in Options::Screen's order
    const Options& options = line.options;
    std::string what = line.run ? "run" : "exit " + std::to_string(line.exitStatus);
    if (line.run)
        what += screens[static_cast<int>(options.screen)] +
                std::string(options.mute ? " mute" : "") + (options.vsync ? "" : " no-vsync");
    if (line.run && options.renderBasis)
        what += *options.renderBasis == RenderSizeChoice::Basis::Fixed ? " fixed" : " window";
    if (line.run && options.renderScale)
        what += " " + std::to_string(*options.renderScale) + "%";
    return what + "|" + line.out + "|" + line.err;
}

} // namespace

// Without arguments the game runs as before; each option sets its own choice only, and the
// last of --fullscreen and --windowed wins.
TEST(CommandLine, EachOptionSetsItsOwnChoiceOnly) {
    EXPECT_EQ(outcome({}), "run||");
    EXPECT_EQ(outcome({"--mute"}), "run mute||");
    EXPECT_EQ(outcome({"--no-vsync"}), "run no-vsync||");
    EXPECT_EQ(outcome({"--fullscreen"}), "run fullscreen||");
    EXPECT_EQ(outcome({"--windowed"}), "run windowed||");
    EXPECT_EQ(outcome({"--no-vsync", "--mute", "--fullscreen", "--mute"}),
              "run fullscreen mute no-vsync||");
    EXPECT_EQ(outcome({"--fullscreen", "--windowed"}), "run windowed||");
    EXPECT_EQ(outcome({"--windowed", "--mute", "--fullscreen"}), "run fullscreen mute||");
    // The render size's options take their value as the next argument or after '='.
    EXPECT_EQ(outcome({"--render-size", "window", "--render-scale", "25"}), "run window 25%||");
    EXPECT_EQ(outcome({"--render-scale=200", "--render-size=fixed", "--render-size=window"}),
              "run window 200%||");
}

TEST(CommandLine, HelpAndVersionPrintOnStdoutAndExitZero) {
    EXPECT_EQ(outcome({"--mute", "--help", "--bogus"}), "exit 0|" + usageText() + "|");
    EXPECT_EQ(outcome({"-h"}), "exit 0|" + usageText() + "|");
    EXPECT_EQ(outcome({"--version", "--help"}),
              std::string("exit 0|drifthold ") + gameVersion() + "\n|");
    // Every option the parser takes is in the usage.
    for (const char* option : {"--fullscreen", "--windowed", "--mute", "--no-vsync",
                               "--render-size", "--render-scale", "--help", "--version"})
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    // project()'s MAJOR.MINOR.PATCH, not an empty or unexpanded definition.
    EXPECT_TRUE(std::regex_match(gameVersion(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")))
        << gameVersion();
}

// One line naming the argument, on stderr, with the usage after it unless only a value was
// wrong; status 2; nothing on stdout.
TEST(CommandLine, ABadArgumentIsOneLineWithStatusTwo) {
    const std::string needsPercentage = "option '--render-scale' takes a percentage from 25 to 200";
    const std::tuple<std::vector<const char*>, std::string, bool> cases[] = {
        {{"-x"}, "unknown option '-x'", true},
        {{"--fullscreen=yes"}, "option '--fullscreen' takes no value", true},
        {{"--mute="}, "option '--mute' takes no value", true},
        {{"--full"}, "unknown option '--full'", true},
        {{"--FULLSCREEN"}, "unknown option '--FULLSCREEN'", true},
        {{"--"}, "unknown option '--'", true},
        {{"fullscreen"}, "unexpected argument 'fullscreen'", true},
        {{"--windowed", "two\nlines"}, "unexpected argument 'two?lines'", true},
        {{"--bogus", "--help"}, "unknown option '--bogus'", true},
        {{"--render-size"}, "option '--render-size' needs a value: fixed or window", false},
        {{"--render-size", "native"},
         "option '--render-size' takes fixed or window, not 'native'",
         false},
        {{"--render-size="}, "option '--render-size' takes fixed or window, not ''", false},
        {{"--render-scale", "201"}, needsPercentage + ", not '201'", false},
        {{"--render-scale=24"}, needsPercentage + ", not '24'", false},
        {{"--render-scale", "50%", "--help"}, needsPercentage + ", not '50%'", false},
        {{"--mute", "--render-scale"},
         "option '--render-scale' needs a value: a percentage from 25 to 200",
         false}};
    for (const auto& [args, error, usage] : cases)
        EXPECT_EQ(outcome(args), "exit 2||drifthold: " + error + "\n" + (usage ? usageText() : ""));
}
