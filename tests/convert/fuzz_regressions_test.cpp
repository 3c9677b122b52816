// Replays the fuzzer's seed corpus and every input it once broke on (kept
// in tests/fuzz/regressions) through a whole run, with the same checks the
// fuzz target makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fuzz/whole_run_input.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path FUZZ_DIR = fs::path(TELVOR_TEST_DATA_DIR) / ".." / "fuzz";

void replay_folder(const fs::path& inputs, bool may_be_empty) {
    ASSERT_TRUE(fs::is_directory(inputs)) << inputs;
    ScratchDir dir;
    const auto previous = fs::current_path();
    int replayed = 0;
    for (const auto& entry : fs::directory_iterator(inputs)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
        const std::string bytes = read_bytes(entry.path().string());
        const std::string problem = whole_run_input::run(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), dir.path());
        EXPECT_EQ(problem, "") << entry.path().filename();
        ++replayed;
    }
    fs::current_path(previous);
    if (!may_be_empty) {
        EXPECT_GT(replayed, 0) << "no inputs in " << inputs;
    }
}

TEST(FuzzReplay, SeedCorpusRunsCleanly) { replay_folder(FUZZ_DIR / "corpus", false); }

TEST(FuzzReplay, InputsThatOnceFailedRunCleanly) { replay_folder(FUZZ_DIR / "regressions", true); }

TEST(FuzzReplay, TheChecksCatchABrokenEventFile) {
    using whole_run_input::check_marked_event_file;
    EXPECT_EQ(check_marked_event_file(""), "");
    EXPECT_EQ(check_marked_event_file("05.12.2009 08:15 + News\r\nGenre: x\r\nText\r\n\r\n"), "");
    EXPECT_NE(check_marked_event_file("05.12.2009 08:15   News\r\nGenre: x\r\nText\r\n\r\n"), "");
    EXPECT_NE(check_marked_event_file("05.12.2009 08:15 + News\r\nGenre: x\r\n\r\n"), "");
    EXPECT_NE(check_marked_event_file("Genre: x\r\n05.12.2009 08:15 + News\r\nText\r\n\r\n"), "");
    EXPECT_NE(check_marked_event_file("05.12.2009 08:15 + News \r\nGenre: x\r\nText\r\n\r\n"), "");
    EXPECT_NE(check_marked_event_file("05.12.2009 08:15 + News\r\nGenre: x\r\nText\r\n"), "");
    EXPECT_EQ(whole_run_input::split_parts("a\x01\x02" "b\x01\x02\x01\x02" "d\x01\x02" "e").size(), 4u);
    EXPECT_EQ(whole_run_input::split_parts("a\x01\x02" "b\x01\x02\x01\x02" "d\x01\x02" "e")[3], "d\x01\x02" "e");
}

}  // namespace
