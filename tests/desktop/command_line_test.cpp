// The desktop program's command line: which arguments answer at once, which
// are usage errors, and what the run is started with.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

using Action = CommandLine::Action;
using Strings = std::vector<std::string>;

// Parses "telvor ARGS..." in a folder that holds the given entries.
CommandLine parse(const Strings& args, const std::set<std::string>& entries = {}) {
    std::vector<const char*> argv{"/usr/bin/telvor"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    return command_line_parse(static_cast<int>(args.size() + 1), argv.data(),
                              [&](const std::string& name) { return entries.count(name) > 0; });
}

TEST(CommandLine, HelpAndVersionAnswerWhateverElseIsGiven) {
    const struct {
        Strings args;
        Action action;
    } cases[] = {
        {{"--help"}, Action::help},
        {{"-h"}, Action::help},
        {{"--version"}, Action::version},
        {{"-V"}, Action::version},
        {{"week.telvor", "--help"}, Action::help},
        {{"-V", "--help"}, Action::version},  // the first one decides
        {{"a", "b", "-h"}, Action::help},      // before the count of files is looked at
    };
    for (const auto& c : cases) {
        // Even a file of that name does not make --help a file name.
        EXPECT_EQ(parse(c.args, {"--help", "-h", "-V", "--version"}).action, c.action) << c.args.back();
    }
}

TEST(CommandLine, UnknownOptionsAreUsageErrorsUnlessSuchAFileExists) {
    for (const std::string arg : {"-x", "--mark", "-", "--helpme", "-hV"}) {
        const CommandLine line = parse({arg});
        EXPECT_EQ(line.action, Action::usage_error) << arg;
        EXPECT_EQ(line.error, "unknown option '" + arg + "'");
    }
    // An option error stops the reading: a later --help is not seen.
    EXPECT_EQ(parse({"-x", "--help"}).action, Action::usage_error);

    const CommandLine file = parse({"-woche.telvor"}, {"-woche.telvor"});
    EXPECT_EQ(file.action, Action::run);
    EXPECT_EQ(file.run_arguments, (Strings{"/usr/bin/telvor", "-woche.telvor"}));
}

TEST(CommandLine, FilesNamedLikeOptionsAreReachedByPathOrAfterTheEnd) {
    const struct {
        Strings args;
        Strings run;
    } cases[] = {
        {{}, {"/usr/bin/telvor"}},
        {{"week 49.telvor"}, {"/usr/bin/telvor", "week 49.telvor"}},
        {{"./--help"}, {"/usr/bin/telvor", "./--help"}},
        {{"--", "--help"}, {"/usr/bin/telvor", "--help"}},
        {{"--", "-x"}, {"/usr/bin/telvor", "-x"}},
        {{"--", "--"}, {"/usr/bin/telvor", "--"}},
        {{"week.telvor", "--"}, {"/usr/bin/telvor", "week.telvor"}},
        {{"--"}, {"/usr/bin/telvor"}},
        {{""}, {"/usr/bin/telvor", ""}},  // the run itself reports an empty name
    };
    for (const auto& c : cases) {
        const CommandLine line = parse(c.args);
        EXPECT_EQ(line.action, Action::run);
        EXPECT_EQ(line.run_arguments, c.run);
        EXPECT_FALSE(line.launch);
    }
    // The desktop's start: the option is no file.
    const CommandLine launch = parse({"--launch", "/home/u/--launch"});
    EXPECT_TRUE(launch.launch);
    EXPECT_EQ(launch.run_arguments, (Strings{"/usr/bin/telvor", "/home/u/--launch"}));
}

TEST(CommandLine, OneEventFileAtMost) {
    for (const Strings& args : {Strings{"a.telvor", "b.telvor"}, Strings{"a", "--", "-b"},
                                Strings{"--", "a", "b", "c"}}) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, Action::usage_error);
        EXPECT_EQ(line.error.rfind("one Event file at most, ", 0), 0u) << line.error;
    }
}

TEST(CommandLine, UsageNamesEveryExitStatusAndTheProgramDirectoryFiles) {
    const std::string usage = command_line_usage();
    for (const std::string word : {"--help", "--version", "TELVOR.filter", "TELVOR.service",
                                   "TELVOR.CLP", "TELVOR.DAT", "\n  0  ", "\n  1  ", "\n  2  ",
                                   "\n  3  ", "\n  4  ", "\n  5  "}) {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
    // It fits a terminal of 80 columns.
    std::size_t start = 0;
    for (std::size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 79u) << usage.substr(start, end - start);
}

}  // namespace
