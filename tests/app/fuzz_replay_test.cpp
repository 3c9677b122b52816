// The fuzzer's seed corpus and tests/fuzz/regressions/ (where an input the
// fuzzer fails on goes once the fault is mended) through the fuzz target's checks.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/whole_run_input.h"

TEST(FuzzReplay, SeedCorpusAndRegressionsRunCleanly) {
    const std::filesystem::path fuzz = std::filesystem::path(TELVOR_TEST_DATA_DIR) / ".." / "fuzz";
    ScratchDir folder;
    int replayed = 0;
    for (const char* kind : {"corpus", "regressions"})
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / kind)) {
            const std::string bytes = read_bytes(entry.path().string());
            const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
            EXPECT_EQ(whole_run(data, bytes.size(), folder.path()), "") << entry.path();
            ++replayed;
        }
    EXPECT_GE(replayed, 3);
}
