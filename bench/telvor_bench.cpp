// telvor-bench: times a user's run (capture, conversion, marking; the
// question answered Yes) on a generated workload as a whole process, from
// its start to its end, and sets it against a durable copy of the same
// Event file (`cp` and an fsync of the copy) and a plain `cp`. Runs and
// copies take turns, five of each; the fastest of each counts, and "spread"
// is the slowest over the fastest.
//
//   telvor-bench [--events N] [--scaling] [--event-file-mb M] [--long-line-mb M]
//                [--normalisation] [--keep] [--compare OTHER]
//
// The workload, written to a fresh temporary folder: an Event file of N
// Event records (half of them marked) behind the New-file header, a Guide
// text of N/10 Guide blocks on the clipboard (a fifth of them repeat earlier
// events), a Filter file of 1,000 terms and a Service file of 300 channel
// names. Each run is a process of its own: this program started again with
// --run-child, which reads the clipboard's text from a file and makes the
// run on the scripted window services; its peak memory is the process's.
// "run-s" is the time of the run inside that process.
//
//   --events N         workload size (default 50,000)
//   --scaling          the figures for N = 10,000, 50,000 and 200,000
//   --event-file-mb M  as many records as make an Event file of about M MB
//   --long-line-mb M   one Event line and one Weekday line of M MB each
//   --normalisation    time Capture normalisation of a 2 MB Guide text and
//                      Line normalisation of a 60-character Weekday line,
//                      each with 1,000 service names
//   --keep             leave the temporary folder in place
//   --compare OTHER    run OTHER (another build of this program) on the same
//                      workload too, the two taking turns, and print its
//                      figures below
#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_sequence.h"
#include "base/hash.h"
#include "base/sort.h"
#include "core/event_line.h"
#include "core/normalise.h"
#include "steps/event_file.h"
#include "support/scripted_window.h"
#include "sys/os.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const int FILTER_TERMS = 1000;
const int SERVICE_NAMES = 300;
const int CHANNELS_ON_AIR = 40;  // names of the Service list that the guide uses

// A small deterministic generator (the workload is the same on every run).
struct Random {
    std::uint64_t state = 0x243F6A8885A308D3ull;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state >> 16);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

const char* const WORDS[] = {"Tatort", "Nachrichten", "Wetter", "Sportschau", "Krimi", "Reise",
                             "Dokumentation", "Magazin", "Kultur", "Talk", "Spielfilm", "Serie",
                             "Quiz", "Natur", "Geschichte", "Musik", "Kinder", "Show"};
const char* const WEEKDAYS[] = {"Mo.", "Di.", "Mi.", "Do.", "Fr.", "Sa.", "So."};

std::string word(Random& r) { return WORDS[r.below(static_cast<int>(std::size(WORDS)))]; }

// The Event text of event number n: unique, 20 to 70 characters, the same
// whenever n is.
std::string title(int n) {
    Random r;
    r.state ^= static_cast<std::uint64_t>(n) * HASH_MULTIPLIER;
    std::string t = word(r) + ": " + word(r) + " " + std::to_string(n);
    const int extra = r.below(4);
    for (int i = 0; i < extra; ++i) t += " " + word(r);
    return t;
}

std::string two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string service_name(int i) {
    static const char* const KNOWN[] = {"Das Erste HD", "ZDF HD", "arte", "3sat", "WDR Koeln",
                                        "BR Sued", "NDR FS HH", "SWR BW", "hr-fernsehen", "ZDFneo"};
    if (i < static_cast<int>(std::size(KNOWN))) return KNOWN[i];
    return "Kanal " + std::to_string(i) + (i % 3 == 0 ? " HD" : "");
}

struct Workload {
    int events = 0;
    int guide_blocks = 0;
    std::uint64_t event_file_mb = 0;  // 0: `events` decides
    std::uint64_t long_line_mb = 0;
};

struct Files {
    fs::path folder;
    fs::path event_file;
    fs::path clipboard;
    int records_written = 0;
};

void write_event_record(std::ofstream& out, Random& r, int n, bool marked) {
    const int day = 1 + n % 28, month = 1 + (n / 28) % 12;
    out << two(day) << '.' << two(month) << ".2009 " << two(r.below(24)) << ':' << two(r.below(60))
        << (marked ? " + " : "   ") << title(n) << "\r\n"
        << "Genre: " << word(r) << "\r\n"
        << "Ein Beitrag ueber " << word(r) << " und " << word(r) << ", mit Gaesten aus "
        << word(r) << " und " << word(r) << ".\r\n"
        << "\r\n";
}

// One Guide block as the receiver's web page gives it: tabs between the
// fields, one-digit days and hours, the channel name before the title.
void write_guide_block(std::ofstream& out, Random& r, int n) {
    const int day = 1 + n % 28, month = 1 + (n / 28) % 12, hour = r.below(24);
    out << WEEKDAYS[r.below(7)] << ' ' << day << '.' << month << ".2010\t"
        << service_name(r.below(CHANNELS_ON_AIR)) << '\t' << title(n) << "\r\n"
        << hour << ':' << two(r.below(60)) << '\t' << 5 + r.below(120) << " min.\t" << word(r)
        << "\r\n"
        << hour << ':' << two(r.below(60)) << '\t' << "Heute: " << word(r) << " aus "
        << word(r) << ".\r\n"
        << "\t\r\n";
}

// Text of about `bytes` bytes made of words, dots and numbers, in which the
// channel names occur now and then.
void write_long_text(std::ofstream& out, Random& r, std::uint64_t bytes) {
    std::string chunk;
    std::uint64_t written = 0;
    while (written < bytes) {
        chunk.clear();
        for (int i = 0; i < 2000; ++i) {
            chunk += word(r);
            chunk += r.below(50) == 0 ? ". " + std::to_string(1 + r.below(31)) + "." : " ";
            if (r.below(200) == 0) chunk += service_name(r.below(SERVICE_NAMES)) + " ";
        }
        out << chunk;
        written += chunk.size();
    }
}

Files generate(const Workload& w, const fs::path& folder) {
    Files f;
    f.folder = folder;
    f.event_file = folder / "bench.telvor";
    f.clipboard = folder / "clipboard.txt";
    Random r;

    {
        std::ofstream filter(folder / "TELVOR.filter", std::ios::binary);
        // Most terms never begin a title; a few ("Quiz: Quiz", "Talk: Show") do.
        for (int i = 0; i < FILTER_TERMS - 2; ++i) filter << "Teleshopping " << i << "\r\n";
        filter << "Quiz: Quiz\r\nTalk: Show\r\n";
        std::ofstream service(folder / "TELVOR.service", std::ios::binary);
        for (int i = 0; i < SERVICE_NAMES; ++i) service << service_name(i) << "\r\n";
    }

    {
        std::ofstream out(f.event_file, std::ios::binary);
        out << creation_line(f.event_file.string(), 1260000000) << "\r\n"
            << "Genre: created...\r\nDescription created...\r\n\r\n";
        const std::uint64_t size_target = w.event_file_mb * 1000000;
        for (int n = 0;; ++n) {
            if (size_target == 0 ? n >= w.events
                                 : static_cast<std::uint64_t>(out.tellp()) >= size_target)
                break;
            write_event_record(out, r, n, n % 2 == 0);
            f.records_written++;
        }
        if (w.long_line_mb > 0) {
            out << "24.12.2009 20:15   ";
            write_long_text(out, r, w.long_line_mb * 1000000);
            out << "\r\nGenre: lang\r\nSehr lang.\r\n\r\n";
        }
    }

    {
        std::ofstream out(f.clipboard, std::ios::binary);
        for (int b = 0; b < w.guide_blocks; ++b) {
            // Every fifth block repeats an event of the Event file.
            const bool repeat = b % 5 == 4 && f.records_written > 0;
            write_guide_block(out, r, repeat ? r.below(f.records_written) : f.records_written + b);
        }
        if (w.long_line_mb > 0) {
            out << "Sa. 5.12.2009\tDas Erste HD\t";
            write_long_text(out, r, w.long_line_mb * 1000000);
            out << "\r\n20:15\t90 min.\tLang\r\n21:45\tSehr lang.\r\n";
        }
    }
    return f;
}

std::uint64_t size_of(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The whole run in this process, in the current folder, as a user's run:
// the Guide text on the clipboard, the question answered Yes. Its wall
// time and its exit status.
int timed_run(const fs::path& event_file, const fs::path& clipboard, double& seconds) {
    ScriptedWindow window;
    std::ifstream in(clipboard, std::ios::binary);
    window.clipboard.resize(size_of(clipboard));
    in.read(window.clipboard.data(), static_cast<std::streamsize>(window.clipboard.size()));
    window.clipboard_has_text = true;
    window.answer = ANSWER_YES;
    // The run's own window layer keeps the views' lines, as with the
    // desktop window; the scripted copy for inspection is not the run's.
    window.keep_lines = false;
    os::process_setup();
    const Clock::time_point start = Clock::now();
    const int status = telvor_run(window, {event_file.string()});
    seconds = seconds_since(start);
    return status;
}

// What one process of a run gave: its wall time from its start to its end,
// the time of the run inside it, its peak memory.
struct Process {
    double seconds = 0, run_seconds = 0;
    long peak_kib = 0;
    bool ok = false;
};

#ifdef _WIN32
std::wstring quoted(const std::wstring& argument) { return L"\"" + argument + L"\" "; }

// The run in a process of its own (this program again, --run-child), from
// its creation to its end; the time of the run inside it comes back through
// an inherited pipe, the peak working set from the process.
Process run_process(const fs::path& program, const Files& f) {
    Process p;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return p;
    ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    std::wstring command = quoted(program.wstring()) + L"--run-child " + quoted(f.folder.wstring()) +
                           quoted(f.event_file.wstring()) + quoted(f.clipboard.wstring()) +
                           std::to_wstring(reinterpret_cast<std::uintptr_t>(write_end));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const Clock::time_point start = Clock::now();
    const BOOL created = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          f.folder.c_str(), &startup, &process);
    ::CloseHandle(write_end);
    if (created) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        p.seconds = seconds_since(start);
        DWORD status = 1, got = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
            p.peak_kib = static_cast<long>(counters.PeakWorkingSetSize / 1024);
        p.ok = ::ReadFile(read_end, &p.run_seconds, sizeof p.run_seconds, &got, nullptr) &&
               got == sizeof p.run_seconds && status == 0;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(read_end);
    return p;
}

// The child's side: the run, its time written to the inherited pipe.
int run_child(const char* folder, const char* event_file, const char* clipboard, const char* report) {
    std::error_code error;
    fs::current_path(fs::u8path(folder), error);
    if (error) return 3;
    double seconds = 0;
    const int status = timed_run(fs::u8path(event_file), fs::u8path(clipboard), seconds);
    DWORD written = 0;
    const HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(report, nullptr, 10)));
    return ::WriteFile(pipe, &seconds, sizeof seconds, &written, nullptr) && status == 0 ? 0 : 4;
}

fs::path this_program(const char*) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

// Writes a file's data to the disk.
void flush_to_disk(const fs::path& file) {
    const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    ::FlushFileBuffers(handle);
    ::CloseHandle(handle);
}

// One copy of the file with CopyFileW; with durable, flushed to disk.
void copy_file(const fs::path& from, const fs::path& to, bool durable) {
    if (::CopyFileW(from.c_str(), to.c_str(), FALSE) && durable) flush_to_disk(to);
}
#else
// The run in a process of its own (this program again, --run-child), from
// the fork to the end of the process; the time of the run inside it comes
// back through a pipe, the peak resident memory from wait4.
Process run_process(const fs::path& program, const Files& f) {
    Process p;
    int channel[2];
    if (::pipe(channel) != 0) return p;
    const std::string report = std::to_string(channel[1]);
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        ::execl(program.c_str(), program.c_str(), "--run-child", f.folder.c_str(), f.event_file.c_str(),
                f.clipboard.c_str(), report.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(channel[1]);
    int status = 0;
    struct rusage usage {};
    const bool waited = pid > 0 && ::wait4(pid, &status, 0, &usage) == pid;
    p.seconds = seconds_since(start);
    p.peak_kib = usage.ru_maxrss;
    const bool got = ::read(channel[0], &p.run_seconds, sizeof p.run_seconds) == sizeof p.run_seconds;
    ::close(channel[0]);
    p.ok = waited && got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return p;
}

// The child's side: the run, its time written to the pipe.
int run_child(const char* folder, const char* event_file, const char* clipboard, const char* report) {
    if (::chdir(folder) != 0) return 3;
    double seconds = 0;
    const int status = timed_run(event_file, clipboard, seconds);
    const int pipe = std::atoi(report);
    return ::write(pipe, &seconds, sizeof seconds) == sizeof seconds && status == 0 ? 0 : 4;
}

fs::path this_program(const char* argv0) {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::absolute(argv0) : self;
}

// Writes a file's data to the disk.
void flush_to_disk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// One plain `cp` of the file, to its exit; with durable, the copy is then
// flushed to disk (fsync), as every replacement of the Event file is.
void copy_file(const fs::path& from, const fs::path& to, bool durable) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp("cp", "cp", from.c_str(), to.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (durable) flush_to_disk(to);
}
#endif

// One copy of the file, timed; the copy is removed again.
double time_cp(const fs::path& from, const fs::path& to, bool durable) {
    const Clock::time_point start = Clock::now();
    copy_file(from, to, durable);
    const double elapsed = seconds_since(start);
    std::error_code ignored;
    fs::remove(to, ignored);
    return elapsed;
}

struct Counts {
    long event_lines = 0;
    long marked = 0;
};

// Event lines of the Event file and how many of them are marked.
Counts count_events(const fs::path& p) {
    Counts c;
    std::ifstream in(p, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (event_line::is_event_line(line)) {
            c.event_lines++;
            if (event_line::mark(line) == event_line::MARK_SET) c.marked++;
        }
    }
    return c;
}

// Runs and copies per figure; the fastest of each counts.
const int ROUNDS = 5;

// The ratio to a durable copy a whole run should stay within at 50,000 and
// 200,000 records (0: none set).
int target_ratio(int events) { return events == 50000 || events == 200000 ? 4 : 0; }

double mib(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// The best of the rounds of one program's runs, and its slowest.
struct Figures {
    Process best;
    double slowest = 0;
    bool ok = true;
    void add(const Process& p) {
        ok = ok && p.ok;
        if (best.seconds == 0 || p.seconds < best.seconds) {
            const long peak = std::max(best.peak_kib, p.peak_kib);
            best = p;
            best.peak_kib = peak;
        }
        best.run_seconds = std::min(best.run_seconds, p.run_seconds);
        best.peak_kib = std::max(best.peak_kib, p.peak_kib);
        slowest = std::max(slowest, p.seconds);
    }
};

// One line of figures: a program's whole runs against the durable copy.
void print_row(const char* who, const Files& f, int blocks, std::uint64_t size, std::uint64_t guide, const Figures& r,
               double durable, double durable_slowest, double cp, const char* note) {
    const double peak_mib = static_cast<double>(r.best.peak_kib) / 1024.0;
    std::printf("%-7s %9d %7d %9.1f %9.1f %9.4f %7.2f %9.4f %9.4f %7.2f %7.1f %8.4f %9.1f %9.2f%s\n", who,
                f.records_written, blocks, mib(size), mib(guide), r.best.seconds, r.slowest / r.best.seconds,
                r.best.run_seconds, durable, durable_slowest / durable, r.best.seconds / durable, cp, peak_mib,
                f.records_written > 0 ? r.best.seconds * 1e6 / f.records_written : 0.0, note);
}

bool measure(const Workload& w, bool keep, int target_ratio, const fs::path& self, const fs::path& other) {
#ifdef _WIN32
    const fs::path folder = fs::temp_directory_path() /
                            ("telvor-bench-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(w.events));
    std::error_code error;
    fs::remove_all(folder, error);
    if (!fs::create_directory(folder, error)) {
        std::fprintf(stderr, "telvor-bench: cannot make %s\n", folder.string().c_str());
        return false;
    }
#else
    char pattern[] = "/tmp/telvor-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("telvor-bench: mkdtemp");
        return false;
    }
    const fs::path folder = pattern;
#endif
    const Files f = generate(w, folder);
    const std::uint64_t size_before = size_of(f.event_file);
    const std::uint64_t guide_size = size_of(f.clipboard);
    const fs::path pristine = folder / "pristine.telvor";
    fs::copy_file(f.event_file, pristine);
    flush_to_disk(pristine);

    // The copies and the runs take turns, each on the Event file as it was
    // generated (on the disk and warm in the page cache); the fastest of
    // five counts. This program's run and the other's change places from
    // round to round.
    double cp_seconds = 1e9, durable_seconds = 1e9, durable_slowest = 0;
    Figures mine, theirs;
    // What each made of the Event file, as a hash: the benchmark keeps no
    // large text, which the processes it forks would count as theirs.
    std::uint64_t result = 0, other_result = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        cp_seconds = std::min(cp_seconds, time_cp(pristine, folder / "cp-copy.telvor", false));
        const double durable = time_cp(pristine, folder / "cp-copy.telvor", true);
        durable_seconds = std::min(durable_seconds, durable);
        durable_slowest = std::max(durable_slowest, durable);
        for (int turn = 0; turn < (other.empty() ? 1 : 2); ++turn) {
            const bool own = other.empty() || (round + turn) % 2 == 0;
            // Removed first: the MinGW library refuses to copy over a file.
            std::error_code ignored;
            fs::remove(f.event_file, ignored);
            fs::copy_file(pristine, f.event_file);
            // On the disk, as the last run left it.
            flush_to_disk(f.event_file);
            (own ? mine : theirs).add(run_process(own ? self : other, f));
            std::ifstream in(f.event_file, std::ios::binary);
            (own ? result : other_result) = text_hash(std::string(std::istreambuf_iterator<char>(in), {}));
        }
    }
    const Counts counts = count_events(f.event_file);
    const bool leftovers = fs::exists(folder / "TELVOR.CLP") || fs::exists(folder / "TELVOR.DAT");
    const bool same = other.empty() || result == other_result;
    const double ratio = mine.best.seconds / durable_seconds;
    print_row("this", f, w.guide_blocks, size_before, guide_size, mine, durable_seconds, durable_slowest, cp_seconds,
              !mine.ok ? "  RUN FAILED" : leftovers ? "  working file left!" : !same ? "  RESULTS DIFFER" : "");
    if (!other.empty())
        print_row("other", f, w.guide_blocks, size_before, guide_size, theirs, durable_seconds, durable_slowest,
                  cp_seconds, theirs.ok ? "" : "  RUN FAILED");
    if (target_ratio > 0)
        std::printf("target: the whole run at most %d x a durable copy: %s (%.2f)\n", target_ratio,
                    ratio <= target_ratio ? "met" : "MISSED", ratio);
    if (!other.empty())
        std::printf("against the other: %.2f x its time, %+.1f MiB peak memory\n",
                    mine.best.seconds / theirs.best.seconds,
                    static_cast<double>(mine.best.peak_kib - theirs.best.peak_kib) / 1024.0);
    std::fflush(stdout);

    if (keep) {
        std::printf("workload kept in %s\n", folder.string().c_str());
    } else {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    return mine.ok && theirs.ok && same && !leftovers && counts.event_lines > 0 &&
           counts.marked == counts.event_lines - 1;
}

// Capture normalisation of a 2 MB Guide text and Line normalisation of a
// Weekday line, with 1,000 service names of which the guide uses 40.
void measure_normalisation() {
    std::vector<Text> service_list;
    for (int i = 0; i < 1000; ++i) service_list.push_back(service_name(i) + " ");
    sort_texts(service_list, SORT_DESCENDING | SORT_IGNORE_CASE, 0, 999);

    const fs::path scratch = fs::temp_directory_path() / "telvor-bench-guide.txt";
    Random r;
    {
        std::ofstream out(scratch, std::ios::binary);
        for (int b = 0; out.tellp() < 2000000; ++b) write_guide_block(out, r, b);
    }
    std::ifstream in(scratch, std::ios::binary);
    const Text guide((std::istreambuf_iterator<char>(in)), {});
    std::error_code ignored;
    fs::remove(scratch, ignored);

    Clock::time_point start = Clock::now();
    const ServiceNames names = service_names_prepare(service_list);
    const Text normalised = capture_normalisation(guide, names);
    const double capture_seconds = seconds_since(start);

    const Text line = "Sa. 5.12.2009 Das Erste HD Tatort: Toedliche Tarnung, Teil 2";
    const int repeats = 100000;
    std::size_t sink = 0;
    start = Clock::now();
    for (int i = 0; i < repeats; ++i) sink += line_normalisation(line, names).size();
    const double line_seconds = seconds_since(start) / repeats;
    std::printf("Capture normalisation, %.2f MB Guide text, 1000 service names: %.3f s (%zu bytes left)\n"
                "Line normalisation, %zu-character Weekday line, 1000 service names: %.2f us (%zu)\n",
                static_cast<double>(guide.size()) / 1e6, capture_seconds, normalised.size(),
                line.size(), line_seconds * 1e6, sink / repeats);
}

void header() {
    std::printf("%-7s %9s %7s %9s %9s %9s %7s %9s %9s %7s %7s %8s %9s %9s\n", "program", "records", "blocks",
                "event-MiB", "guide-MiB", "process-s", "spread", "run-s", "durable-s", "spread", "x-dur", "cp-s",
                "peak-MiB", "us/record");
}

int usage() {
    std::fprintf(stderr,
                 "usage: telvor-bench [--events N] [--scaling] [--event-file-mb M] "
                 "[--long-line-mb M] [--normalisation] [--keep] [--compare OTHER]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::string(argv[1]) == "--run-child") return run_child(argv[2], argv[3], argv[4], argv[5]);
    const fs::path self = this_program(argv[0]);
    fs::path other;
    Workload w;
    w.events = 50000;
    bool scaling = false, keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        if (option == "--events" && has_value) {
            w.events = std::atoi(argv[++i]);
        } else if (option == "--scaling") {
            scaling = true;
        } else if (option == "--event-file-mb" && has_value) {
            w.event_file_mb = std::strtoull(argv[++i], nullptr, 10);
        } else if (option == "--long-line-mb" && has_value) {
            w.long_line_mb = std::strtoull(argv[++i], nullptr, 10);
        } else if (option == "--normalisation") {
            measure_normalisation();
            return 0;
        } else if (option == "--keep") {
            keep = true;
        } else if (option == "--compare" && has_value) {
            other = fs::absolute(argv[++i]);
        } else {
            return usage();
        }
    }
    if (w.events < 0) return usage();

    bool ok = true;
    header();
    if (scaling) {
        for (int n : {10000, 50000, 200000}) {
            Workload s = w;
            s.events = n;
            s.guide_blocks = n / 10;
            ok = measure(s, keep, target_ratio(n), self, other) && ok;
        }
    } else {
        w.guide_blocks = w.event_file_mb > 0 ? static_cast<int>(w.event_file_mb * 500) : w.events / 10;
        if (w.long_line_mb > 0 && w.event_file_mb == 0 && w.events == 50000) {
            // The long lines alone, beside a small file.
            w.events = 100;
            w.guide_blocks = 10;
        }
        ok = measure(w, keep, w.long_line_mb == 0 && w.event_file_mb == 0 ? target_ratio(w.events) : 0, self, other);
    }
    return ok ? 0 : 1;
}
