// The command line as main will act on it: what runs, what is printed where, and the
// exit status, without starting a process.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using namespace drifthold;

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "drifthold");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

} // namespace

TEST(CommandLine, WithoutArgumentsTheGameRunsAsBefore) {
    const CommandLine line = parse({});
    EXPECT_TRUE(line.run);
    EXPECT_EQ(line.out + line.err, "");
    EXPECT_EQ(line.options.screen, Options::Screen::AsSettings);
    EXPECT_FALSE(line.options.mute);
    EXPECT_TRUE(line.options.vsync);
}

TEST(CommandLine, EachOptionSetsItsOwnChoiceOnly) {
    const CommandLine mute = parse({"--mute"});
    EXPECT_TRUE(mute.run && mute.options.mute && mute.options.vsync);
    EXPECT_EQ(mute.options.screen, Options::Screen::AsSettings);
    const CommandLine vsync = parse({"--no-vsync"});
    EXPECT_TRUE(vsync.run && !vsync.options.vsync && !vsync.options.mute);
    EXPECT_EQ(parse({"--fullscreen"}).options.screen, Options::Screen::Fullscreen);
    EXPECT_EQ(parse({"--windowed"}).options.screen, Options::Screen::Windowed);
    const CommandLine all = parse({"--no-vsync", "--mute", "--fullscreen", "--mute"});
    EXPECT_TRUE(all.run && all.options.mute && !all.options.vsync);
    EXPECT_EQ(all.out + all.err, "");
}

TEST(CommandLine, TheLastOfFullscreenAndWindowedWins) {
    EXPECT_EQ(parse({"--fullscreen", "--windowed"}).options.screen, Options::Screen::Windowed);
    EXPECT_EQ(parse({"--windowed", "--mute", "--fullscreen"}).options.screen,
              Options::Screen::Fullscreen);
}

TEST(CommandLine, HelpAndVersionPrintOnStdoutAndExitZero) {
    for (const char* help : {"--help", "-h"}) {
        const CommandLine line = parse({"--mute", help, "--bogus"});
        EXPECT_FALSE(line.run) << help;
        EXPECT_EQ(line.exitStatus, 0);
        EXPECT_EQ(line.out, usageText());
        EXPECT_EQ(line.err, "");
    }
    // Every option the parser takes is in the usage.
    for (const char* option :
         {"--fullscreen", "--windowed", "--mute", "--no-vsync", "--help", "--version"})
        EXPECT_NE(usageText().find(option), std::string::npos) << option;

    const CommandLine version = parse({"--version", "--help"});
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, std::string("drifthold ") + gameVersion() + "\n");
    // project()'s MAJOR.MINOR.PATCH, not an empty or unexpanded definition.
    const std::string number = gameVersion();
    EXPECT_TRUE(std::count(number.begin(), number.end(), '.') == 2 &&
                std::isdigit(static_cast<unsigned char>(number[0])) &&
                number.find_first_not_of("0123456789.") == std::string::npos)
        << number;
    EXPECT_EQ(version.err, "");
}

// One line naming the argument, then the usage, on stderr; status 2; nothing on stdout.
TEST(CommandLine, ABadArgumentIsOneLineAndTheUsageWithStatusTwo) {
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"-x"}, "drifthold: unknown option '-x'"},
        {{"--fullscreen=yes"}, "drifthold: option '--fullscreen' takes no value"},
        {{"--mute="}, "drifthold: option '--mute' takes no value"},
        {{"--volume=3"}, "drifthold: unknown option '--volume=3'"},
        {{"--full"}, "drifthold: unknown option '--full'"},
        {{"--FULLSCREEN"}, "drifthold: unknown option '--FULLSCREEN'"},
        {{"-"}, "drifthold: unknown option '-'"},
        {{"--"}, "drifthold: unknown option '--'"},
        {{"fullscreen"}, "drifthold: unexpected argument 'fullscreen'"},
        {{"--mute", ""}, "drifthold: unexpected argument ''"},
        {{"--windowed", "two\nlines"}, "drifthold: unexpected argument 'two?lines'"},
        {{"--bogus", "--help"}, "drifthold: unknown option '--bogus'"},
        {{"--version=2"}, "drifthold: option '--version' takes no value"},
    };
    for (const auto& [args, error] : cases) {
        const CommandLine line = parse(args);
        EXPECT_FALSE(line.run) << error;
        EXPECT_EQ(line.exitStatus, 2) << error;
        EXPECT_EQ(line.out, "") << error;
        EXPECT_EQ(line.err, error + "\n" + usageText());
    }
}
