// A run killed at any of its system calls, while the Event file is renamed
// over or rewritten in place: the next run puts back the old content of an
// interrupted rewrite from its journal first (a journal it cannot read
// fails the recovery and nothing is touched), clears away what the killed
// run left, and ends as a lone run would, with nothing left behind.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "whole_run/replacement.h"

namespace {

using namespace replacement;

class ReplacementCrash : public ::testing::TestWithParam<Layout> {};

TEST_P(ReplacementCrash, EveryCallEndsTheProcessOnce) {
    const Place place(GetParam());
    place.reset();
    const Outcome lone = place.run(ANSWER_YES);
    ASSERT_EQ(lone.status, EXIT_DONE) << lone.errors;
    const long long calls = os::uses(os::CALL_COUNT);
    int restored = 0;
    for (long long nth = 1; nth <= calls; ++nth) {
        SCOPED_TRACE("killed at call #" + std::to_string(nth));
        place.reset();
        const pid_t pid = ::fork();
        if (pid == 0) {
            os::fault_at(os::CALL_COUNT, nth, os::Fault::crash);
            place.run(ANSWER_YES);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        // A journal that cannot be read is not passed over: the recovery
        // fails and leaves the Event file and the journal as they are.
        const std::string journal = place.event_path() + ".telvor-journal";
        if (fs::exists(journal)) {
            const std::string killed = read_bytes(place.event_path());
            Path used;
            os::fault_at(os::READ, 1);
            EXPECT_EQ(file_recover(Path{place.event_path()}, Path{place.program()}, used), RECOVERY_FAILED);
            os::fault_clear();
            EXPECT_EQ(read_bytes(place.event_path()), killed);
            EXPECT_TRUE(fs::exists(journal));
        }
        const Outcome next = place.run(ANSWER_YES);
        EXPECT_EQ(next.status, EXIT_DONE) << next.errors;
        EXPECT_EQ(next.event_file, lone.event_file);
        EXPECT_TRUE(next.leftovers.empty()) << next.leftovers[0];
        if (next.errors.find("its old content was put back") != std::string::npos) ++restored;
    }
    // Kills in the middle of the three rewrites in place left a journal.
    if (GetParam().second_name) {
        EXPECT_GT(restored, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReplacementCrash,
                         ::testing::Values(Layout{"Rename", false, false}, Layout{"InPlace", true, false}),
                         [](const auto& param_info) { return param_info.param.name; });

}  // namespace
