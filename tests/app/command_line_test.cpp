// The desktop program's command line (--launch: the launcher test).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

using Action = CommandLine::Action;
using Strings = std::vector<std::string>;

// The first of --help, --version or an unknown option decides, even where a
// file of that name exists, unless the option names an existing file; after
// "--" a file named like an option is the Event file.
TEST(CommandLine, ActionsRunArgumentsAndErrors) {
    const struct {
        Strings args;
        Action action;
        Strings run;          // after the program path; for a usage error, the error
        bool exists = false;  // every argument names an existing entry
    } cases[] = {
        {{"--help"}, Action::help, {}, true}, {{"-V", "--help"}, Action::version, {}}, {{"a", "b", "-h"}, Action::help, {}},
        {{"-hV"}, Action::usage_error, {"unknown option '-hV'"}}, {{"-x", "--help"}, Action::usage_error, {"unknown option '-x'"}},
        {{"-woche.telvor"}, Action::run, {"-woche.telvor"}, true}, {{"--", "--help"}, Action::run, {"--help"}},
        {{"a", "--", "-b"}, Action::usage_error, {"one Event file at most, 2 given"}}};
    const auto with_program = [](Strings s) { s.insert(s.begin(), "/usr/bin/telvor"); return s; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const std::set<std::string> entries(c.exists ? c.args.begin() : c.args.end(), c.args.end());
        const CommandLine line =
            command_line_parse(with_program(c.args), [&](const std::string& name) { return entries.count(name) > 0; });
        EXPECT_EQ(line.action, c.action);
        EXPECT_FALSE(line.launch);
        if (c.action == Action::run) {
            EXPECT_EQ(line.run_arguments, with_program(c.run));
        } else if (c.action == Action::usage_error) {
            EXPECT_EQ(line.error, c.run.at(0));
        }
    }
}

}  // namespace
