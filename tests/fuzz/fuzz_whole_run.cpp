// libFuzzer target: random bytes as Event file, Guide text, Filter file and
// Service file, through one whole headless run answered Yes. A broken
// property of the finished run aborts, so the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/whole_run_input.h"

namespace {

const std::string& folder() {
    static const std::string path = [] {
        // A memory file system keeps the runs' flushes to disk cheap.
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        pattern += "/telvor-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern + "/";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = whole_run_input::run(data, size, folder());
    if (!problem.empty()) {
        std::fprintf(stderr, "telvor fuzz: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
