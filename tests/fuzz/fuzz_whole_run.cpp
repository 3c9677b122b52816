// libFuzzer target: one whole headless run per input; a broken property of
// the finished run aborts, so the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#include "fuzz/whole_run_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchDir folder;  // removed when the fuzzer exits normally
    const std::string problem = whole_run(data, size, folder.path());
    if (problem.empty()) return 0;
    std::fprintf(stderr, "telvor fuzz: %s\n", problem.c_str());
    std::abort();
}
