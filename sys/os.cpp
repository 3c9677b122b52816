// The calls through the system-call table, with their counts and the fault
// seam.
#include "sys/os.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>

namespace os {
namespace {

const char* const CALL_NAMES[CALL_COUNT + 1] = {
#define TELVOR_ENTRY_NAME(name, NUMBER, result, parameters, arguments) #name,
    TELVOR_SYSTEM_CALLS(TELVOR_ENTRY_NAME)
#undef TELVOR_ENTRY_NAME
    "any call"};

// The File slots write from a thread of their own: the counts and the
// pending fault are shared, the last error is each thread's own.
std::atomic<long long> g_uses[CALL_COUNT + 1] = {};
thread_local long g_last_error = 0;
std::mutex g_fault_lock;

struct PendingFault {
    int call = -1;  // none
    long long remaining = 0;
    Fault what = Fault::fail;
    Error error = Error::io;
};
PendingFault g_fault;

// Counts a use of call; true when the pending fault strikes it (a crash
// does not return).
bool strikes(int call) {
    ++g_uses[call];
    ++g_uses[CALL_COUNT];
    const std::lock_guard<std::mutex> held(g_fault_lock);
    if (g_fault.call != call && g_fault.call != CALL_COUNT) return false;
    if (--g_fault.remaining > 0) return false;
    g_fault.call = -1;
    if (g_fault.what == Fault::crash) std::_Exit(137);
    g_last_error = error_code(g_fault.error);
    return true;
}

// What each kind of result says of success, and the result of a failure.
bool succeeded(bool ok) { return ok; }
bool succeeded(long long count) { return count >= 0; }
bool succeeded(Lock lock) { return lock == Lock::taken; }
template <class Result> Result failure();
template <> bool failure<bool>() { return false; }
template <> long long failure<long long>() { return -1; }
template <> Lock failure<Lock>() { return Lock::failed; }

// One call of an entry: counted, struck by a pending fault, and its error
// code kept where it fails. A call that lets go of a handle lets go of it
// also where the fault strikes.
template <int CALL, class Entry>
auto through(Entry entry) -> decltype(entry()) {
    using Result = decltype(entry());
    if (strikes(CALL)) {
        if constexpr (CALL == CLOSE || CALL == UNLOCK_FOLDER || CALL == CLOSE_IN_BACKGROUND) {
            const long injected = g_last_error;
            entry();
            g_last_error = injected;
        }
        return failure<Result>();
    }
    const Result result = entry();
    if (!succeeded(result)) g_last_error = system_error();
    return result;
}

}  // namespace

const char* call_name(int call) { return call >= 0 && call <= CALL_COUNT ? CALL_NAMES[call] : "?"; }

Calls& calls() {
    static Calls table = SYSTEM_CALLS;
    return table;
}

long last_error() { return g_last_error; }

void fault_at(int call, long long nth, Fault what, Error error) {
    const std::lock_guard<std::mutex> held(g_fault_lock);
    g_fault = {call, nth < 1 ? 1 : nth, what, error};
}
void fault_clear() {
    const std::lock_guard<std::mutex> held(g_fault_lock);
    g_fault = PendingFault{};
}
long long uses(int call) { return call >= 0 && call <= CALL_COUNT ? g_uses[call].load() : 0; }
void reset_uses() {
    for (std::atomic<long long>& count : g_uses) count = 0;
}

#define TELVOR_ENTRY_DEFINITION(name, NUMBER, result, parameters, arguments) \
    result name parameters {                                                 \
        return through<NUMBER>([&] { return calls().name arguments; });      \
    }
TELVOR_SYSTEM_CALLS(TELVOR_ENTRY_DEFINITION)
#undef TELVOR_ENTRY_DEFINITION

bool final_info(const std::string& path, std::string& target, Info& info) {
    return final_path(path, target) && path_info(target, info);
}

std::vector<std::string> command_line_tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    const std::size_t end = line.size();
    for (;;) {
        while (pos < end && line[pos] == ' ') ++pos;
        if (pos >= end) break;
        if (line[pos] == '"') {
            const std::size_t close = line.find('"', pos + 1);
            const std::size_t stop = close == std::string::npos ? end : close;
            tokens.push_back(line.substr(pos + 1, stop - pos - 1));
            pos = close == std::string::npos ? end : close + 1;
        } else {
            const std::size_t stop = std::min(line.find(' ', pos), end);
            tokens.push_back(line.substr(pos, stop - pos));
            pos = stop;
        }
    }
    return tokens;
}

}  // namespace os
