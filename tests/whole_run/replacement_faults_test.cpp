// Every system call of a whole run that reads, writes, flushes, closes,
// creates, renames, cuts or gives a file its owner, bits or attributes
// fails once, at each of its uses in turn: by a rename and in place, on one
// file system and on two. Each time the Event file holds one of the whole
// states a run passes through, the run ends with the status of a failed
// step and one line that names the file, nothing of the run is left behind,
// and the clipboard is emptied only where its Guide text was converted.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "whole_run/replacement.h"

namespace {

using namespace replacement;

const int FAILING_CALLS[] = {os::READ,     os::WRITE,           os::SYNC,          os::CLOSE,
                             os::CREATE,   os::RENAME,          os::TRUNCATE,      os::SYNC_FOLDER,
                             os::SET_OWNER, os::SET_MODE,       os::LIST_ATTRIBUTES, os::GET_ATTRIBUTE,
                             os::SET_ATTRIBUTE, os::REMOVE_ATTRIBUTE};

class ReplacementFaults : public ::testing::TestWithParam<Layout> {};

TEST_P(ReplacementFaults, EveryCallFailsOnceAndTheEventFileStaysWhole) {
    const Layout& layout = GetParam();
    const Place place(layout);
    if (layout.other_file_system && !place.apart()) GTEST_SKIP() << "no second file system here";

    // The states: old, old with the Guide text, converted, converted and
    // marked. (Old with the Guide text and marked, after a failed
    // conversion, is old again: marking keeps only Event records.) A list
    // that cannot be read is an empty list.
    place.reset();
    const Outcome marked = place.run(ANSWER_YES);
    ASSERT_EQ(marked.status, EXIT_DONE) << marked.errors;
    ASSERT_TRUE(marked.leftovers.empty()) << marked.leftovers[0];
    long long counts[os::CALL_COUNT];
    for (const int call : FAILING_CALLS) counts[call] = os::uses(call);
    place.reset();
    const std::string converted = place.run(ANSWER_NO).event_file;
    std::set<std::string> whole = {OLD_FILE, converted, marked.event_file};
    // Three working files, and what each of the three replacements creates.
    const long long per_replacement = (counts[os::CREATE] - 3) / 3;
    place.reset();
    os::fault_at(os::CREATE, 1 + per_replacement + 1);  // the conversion's working file
    const std::string captured = place.run(ANSWER_NO).event_file;
    whole.insert(captured);
    ASSERT_EQ(whole.size(), 4u);
    for (const char* list : {"TELVOR.filter", "TELVOR.service"}) {
        place.reset(list);
        whole.insert(place.run(ANSWER_YES).event_file);
    }
    // The Event file keeps its second name, its attribute, its permission
    // bits and its owner.
    os::Handle handle;
    ASSERT_TRUE(os::open(place.event_path(), os::Open::read, handle));
    std::string value;
    os::Info info;
    if (os::get_attribute(handle, ATTRIBUTE, value)) {
        EXPECT_EQ(value, "kept");
    }
    ASSERT_TRUE(os::handle_info(handle, info));
    os::close(handle);
    if (info.mode != 0) {
        EXPECT_EQ(info.mode, MODE);
        EXPECT_NE(info.owner, 0u);
    }

    int faults = 0;
    for (const int call : FAILING_CALLS) {
        for (long long nth = 1; nth <= counts[call]; ++nth, ++faults) {
            SCOPED_TRACE(std::string(os::call_name(call)) + " #" + std::to_string(nth));
            place.reset();
            os::fault_at(call, nth);
            const Outcome run = place.run(ANSWER_YES);
            EXPECT_EQ(run.status, EXIT_STEP_FAILED);
            EXPECT_EQ(whole.count(run.event_file), 1u);
            const auto errors = lines_of(run.errors);
            ASSERT_EQ(errors.size(), 1u) << run.errors;
            EXPECT_TRUE(errors[0].starts_with("telvor: cannot ")) << errors[0];
            const auto names = [&](std::string folder) {
                folder.pop_back();  // its separator
                return errors[0].find(folder) != std::string::npos;
            };
            EXPECT_TRUE(names(place.program()) || names(place.events())) << errors[0];
            EXPECT_TRUE(run.leftovers.empty()) << run.leftovers[0];
            if (run.cleared) {
                EXPECT_TRUE(run.event_file != OLD_FILE && run.event_file != captured);
            }
        }
    }
    EXPECT_GT(faults, 30);
}

INSTANTIATE_TEST_SUITE_P(Setups, ReplacementFaults,
                         ::testing::Values(Layout{"Rename", false, false}, Layout{"InPlace", true, false},
                                           Layout{"RenameAcross", false, true},
                                           Layout{"InPlaceAcross", true, true}),
                         [](const auto& param_info) { return param_info.param.name; });

}  // namespace
