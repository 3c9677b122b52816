// Whole runs on a simulated disk (the system-call table replaced) that keeps
// what a real one may keep after a power cut: of each file's data and each
// folder's names not flushed, the earlier changes first. A cut after any
// change, or any call failing once, must leave a whole Event file with its
// owner, mode and attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/main_sequence.h"
#include "base/hash.h"
#include "fs/file.h"
#include "fs/replace.h"
#include "steps/run_state.h"
#include "support/scripted_window.h"
#include "support/test_support.h"
#include "sys/os.h"

namespace {

using Names = std::map<std::string, int>;
constexpr int ROOT = 1;

// A change not yet on the disk: a file's data written at `at` (no bytes: cut
// to `at`) or a folder's name set to `node` (0: dropped).
struct Change { std::uint64_t at = 0; std::string bytes; bool cut = false; std::string name; int node = 0; };
Change data(std::uint64_t at, std::string bytes, bool cut = false) { return {at, std::move(bytes), cut, "", 0}; }
Change named(std::string name, int node = 0) { return {0, "", false, std::move(name), node}; }
struct Disk {
    std::map<int, std::string> data;
    std::map<int, Names> names;
    std::map<int, std::vector<Change>> waiting;  // by file or folder
};
void apply(Disk& d, int node, const Change& c) {
    if (!c.name.empty()) {
        if (c.node == 0) d.names[node].erase(c.name);
        else d.names[node][c.name] = c.node;
        return;
    }
    std::string& data = d.data[node];
    if (c.cut || data.size() < c.at + c.bytes.size()) data.resize(c.cut ? c.at : c.at + c.bytes.size());
    data.replace(c.at, c.bytes.size(), c.bytes);
}

struct Node { bool folder = false; int device = 1; std::uint64_t born = 0; std::uint32_t owner = 1000, mode = 0600; std::map<std::string, std::string> attributes; };
struct Machine {
    std::map<int, Node> nodes;
    Disk now, disk;                 // as the program sees it; what the disk holds
    bool recording = false;
    std::vector<Disk> cuts;         // the disk after every change, while recording
    std::set<std::string> flushed;  // the Event file right after each folder flush
    std::map<os::Handle, std::pair<int, std::uint64_t>> handles;  // node, offset
    os::Handle next_handle = 100;
    std::string current = "/";
};
Machine m;
const std::string EVENT = "/e/epg.telvor";

bool fail(os::Error kind) { return os::set_system_error(os::error_code(kind)), false; }

// The folder (0: missing), the last name and the node there (0: none).
struct Place { int folder = 0; std::string name; int node = 0; };
Place locate(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : (path_is_absolute(path) ? path : m.current + "/" + path) + "/") {
        if (c != '/' && !(WINDOWS_NAMES && c == '\\')) { part += c; continue; }
        if (part == "..") parts.resize(parts.empty() ? 0 : parts.size() - 1);
        else if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    }
    if (parts.empty()) return {0, "", ROOT};
    Place p{ROOT, parts.back(), 0};
    for (std::size_t i = 0; i + 1 < parts.size() && p.folder != 0; ++i) {
        const int next = m.now.names[p.folder].count(parts[i]) ? m.now.names[p.folder][parts[i]] : 0;
        p.folder = next != 0 && m.nodes[next].folder ? next : 0;
    }
    if (p.folder != 0 && m.now.names[p.folder].count(p.name)) p.node = m.now.names[p.folder][p.name];
    return p;
}
void change(int node, const Change& c) {
    apply(m.now, node, c);
    m.disk.waiting[node].push_back(c);
    if (m.recording) m.cuts.push_back(m.disk);
}
void flush(int node) {
    if (m.nodes[node].folder) m.disk.names[node] = m.now.names[node];
    else m.disk.data[node] = m.now.data[node];
    m.disk.waiting.erase(node);
    if (m.recording) m.cuts.push_back(m.disk);
}
int new_node(bool folder, int device = 1) {
    const int node = static_cast<int>(m.nodes.size()) + 1;
    m.nodes[node] = {folder, device, 1000 + static_cast<std::uint64_t>(node) * 7, 1000, 0600, {}};
    if (folder) m.now.names[node], m.disk.names[node];
    else m.now.data[node], m.disk.data[node];
    return node;
}
bool node_info(int node, os::Info& info) {
    const Node& n = m.nodes[node];
    info = os::Info{};
    info.kind = n.folder ? os::Kind::folder : os::Kind::file;
    info.device = static_cast<std::uint64_t>(n.device);
    info.file = static_cast<std::uint64_t>(node);
    info.size = n.folder ? 0 : m.now.data[node].size();
    info.links = 0;
    for (const auto& [folder, names] : m.now.names)
        for (const auto& entry : names) info.links += entry.second == node;
    info.owner = info.group = n.owner;
    info.mode = n.folder ? 0700 : n.mode;
    return true;
}
Node& node_of(os::Handle handle) { return m.nodes[m.handles.at(handle).first]; }
bool is_folder(const Place& p) { return p.node != 0 && m.nodes[p.node].folder; }

os::Calls simulated_calls() {
    os::Calls c = os::SYSTEM_CALLS;
    c.open = [](const std::string& path, os::Open, os::Handle& handle) {
        const Place p = locate(path);
        return p.node == 0 ? fail(os::Error::missing) : (m.handles[handle = m.next_handle++] = {p.node, 0}, true);
    };
    c.create = [](const std::string& path, os::Create, os::Handle& handle) {
        const Place p = locate(path);
        if (p.folder == 0 || p.node != 0) return fail(p.folder == 0 ? os::Error::missing : os::Error::exists);
        const int node = new_node(false, m.nodes[p.folder].device);
        change(p.folder, named(p.name, node));
        return m.handles[handle = m.next_handle++] = {node, 0}, true;
    };
    c.read = [](os::Handle handle, char* buffer, std::size_t size) -> long long {
        auto& [node, at] = m.handles.at(handle);
        const std::string& data = m.now.data[node];
        const std::size_t got = at >= data.size() ? 0 : std::min<std::size_t>(size, data.size() - at);
        std::copy_n(data.data() + at, got, buffer);
        return static_cast<long long>(at += got, got);
    };
    c.write = [](os::Handle handle, const char* bytes, std::size_t size) {
        auto& [node, at] = m.handles.at(handle);
        change(node, data(at, std::string(bytes, size)));
        return at += size, true;
    };
    c.start_writeback = [](os::Handle) { return true; };  // promises nothing of the disk
    c.sync = [](os::Handle handle) { return flush(m.handles.at(handle).first), true; };
    c.close = [](os::Handle handle) { return m.handles.erase(handle) == 1; };
    c.truncate = [](os::Handle handle, std::uint64_t size) { return change(m.handles.at(handle).first, data(size, "", true)), true; };
    c.handle_info = [](os::Handle handle, os::Info& info) { return node_info(m.handles.at(handle).first, info); };
    c.path_info = [](const std::string& path, os::Info& info) {
        const Place p = locate(path);
        return p.node == 0 ? (info = os::Info{}, true) : node_info(p.node, info);
    };
    c.rename = [](const std::string& from, const std::string& to) {
        const Place a = locate(from), b = locate(to);
        if (a.node == 0 || b.folder == 0) return fail(os::Error::missing);
        if (b.node != 0 && m.nodes[b.node].folder) return fail(os::Error::other);
        if (m.nodes[a.folder].device != m.nodes[b.folder].device) return fail(os::Error::cross_device);
        if (a.folder == b.folder && a.name == b.name) return true;
        change(a.folder, named(a.name));
        change(b.folder, named(b.name, a.node));
        return true;
    };
    c.replace = [](const std::string&, const std::string&) { return fail(os::Error::unsupported); };
    c.remove = [](const std::string& path) {
        const Place p = locate(path);
        if (p.node == 0 || m.nodes[p.node].folder) return fail(p.node == 0 ? os::Error::missing : os::Error::refused);
        return change(p.folder, named(p.name)), true;
    };
    c.sync_folder = [](const std::string& path) {
        const Place p = locate(path), event = locate(EVENT);
        if (!is_folder(p)) return fail(os::Error::missing);
        if (m.recording && event.node != 0) m.flushed.insert(m.now.data[event.node]);
        return flush(p.node), true;
    };
    c.set_owner = [](os::Handle handle, std::uint32_t owner, std::uint32_t) { return node_of(handle).owner = owner, true; };
    c.set_mode = [](os::Handle handle, std::uint32_t mode) { return node_of(handle).mode = mode, true; };
    c.list_attributes = [](os::Handle handle, std::vector<std::string>& names) {
        names.clear();
        for (const auto& entry : node_of(handle).attributes) names.push_back(entry.first);
        return true;
    };
    c.get_attribute = [](os::Handle handle, const std::string& name, std::string& value) {
        const auto& all = node_of(handle).attributes;
        return all.count(name) ? (value = all.at(name), true) : fail(os::Error::missing);
    };
    c.set_attribute = [](os::Handle handle, const std::string& name, const std::string& value) {
        return node_of(handle).attributes[name] = value, true;
    };
    c.may_write = [](const std::string& path) { return locate(path).node != 0 || fail(os::Error::missing); };
    c.lock_folder = [](const std::string&, const os::Info&, os::Handle& held) { return held = m.next_handle++, os::Lock::taken; };
    c.lock_file = c.lock_folder;
    c.unlock_folder = c.close_in_background = c.forget_cached = [](os::Handle) { return true; };
    c.final_path = [](const std::string& path, std::string& target) { return target = path, true; };
    c.list_folder = [](const std::string& folder, std::vector<std::string>& names) {
        const Place p = locate(folder);
        if (!is_folder(p)) return fail(os::Error::missing);
        names.clear();
        for (const auto& entry : m.now.names[p.node]) names.push_back(entry.first);
        return true;
    };
    c.current_folder = [](std::string& path) { return path = m.current, true; };
    c.change_folder = [](const std::string& path) { return is_folder(locate(path)) ? (m.current = path, true) : fail(os::Error::missing); };
    c.identify = [](const std::string& path, os::FileIdentity& identity) {
        const Place p = locate(path);
        return p.node == 0 ? fail(os::Error::missing)
                           : (identity = {static_cast<std::uint64_t>(p.node), 0, m.nodes[p.node].born, 0}, true);
    };
    c.owner_of = [](os::Handle, std::string& account) { return account = "tester", true; };
    c.process_user = [](std::string& account) { return account = "tester", true; };
    return c;
}

// The File slots write from a thread of their own: the disk takes one call at a time.
os::Calls g_unlocked;
std::recursive_mutex g_one_call;
os::Calls one_at_a_time(const os::Calls& calls) {
    using namespace os;
    g_unlocked = calls;
    os::Calls locked = calls;
#define ONE_AT_A_TIME(name, NUMBER, result, parameters, arguments) \
    locked.name = [] parameters -> result {                         \
        const std::lock_guard<std::recursive_mutex> one_call(g_one_call); \
        return g_unlocked.name arguments;                           \
    };
    TELVOR_SYSTEM_CALLS(ONE_AT_A_TIME)
#undef ONE_AT_A_TIME
    return locked;
}

// The states a cut may leave: of each file's and folder's changes waiting, a
// prefix reached the disk (of files no name of which may reach it, none).
std::vector<Disk> states_after(const Disk& cut) {
    std::set<int> named;
    for (const auto& [folder, names] : cut.names)
        for (const auto& entry : names) named.insert(entry.second);
    for (const auto& [node, changes] : cut.waiting)
        for (const Change& c : changes) named.insert(c.node);
    std::vector<Disk> states = {Disk{cut.data, cut.names, {}}};
    for (const auto& [node, changes] : cut.waiting) {
        if (!m.nodes[node].folder && named.count(node) == 0) continue;
        std::vector<Disk> more;
        for (Disk s : states)
            if (more.size() < 5000)
                for (std::size_t kept = 0; kept <= changes.size(); ++kept) {
                    more.push_back(s);
                    if (kept < changes.size()) apply(s, node, changes[kept]);
                }
        states = std::move(more);
    }
    EXPECT_LT(states.size(), 5000u) << "too many states after one cut";
    return states;
}
std::string key_of(const Disk& s) {
    std::string key;
    for (const auto& [folder, names] : s.names)
        for (const auto& [name, node] : names) key += std::to_string(folder) + "/" + name + "=" + std::to_string(node) + "\n";
    for (const auto& [node, data] : s.data) key += std::to_string(node) + ":" + std::to_string(text_hash(data)) + "\n";
    return key;
}
void install(const Disk& s) {
    m.now = m.disk = Disk{s.data, s.names, {}};
    m.handles.clear();
    m.recording = false;
    m.current = "/";
}

struct Layout {
    std::string name;
    bool second_name = false;  // a hard link beside it: rewritten in place
    int program_device = 1;    // the Program directory's file system
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

struct Outcome { int status = -1; std::string event_file, errors; bool cleared = false; };

class PowerCut : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override { os::calls() = one_at_a_time(simulated_calls()); }
    void TearDown() override { os::calls() = os::SYSTEM_CALLS, m = Machine{}; }

    // The lists (but the one left out) in the Program directory /p; the Event
    // file in /e, owned by another account, with bits and an attribute.
    void set_up(const std::string& event_file, const std::string& left_out = "") {
        m = Machine{};
        new_node(true);
        m.now.names[ROOT]["p"] = new_node(true, GetParam().program_device);
        m.now.names[ROOT]["e"] = new_node(true);
        for (const char* list : {"TELVOR.filter", "TELVOR.service"})
            if (list != left_out) m.now.data[m.now.names[2][list] = new_node(false, GetParam().program_device)] = sample_bytes(list);
        const int event = new_node(false);
        m.now.names[3]["epg.telvor"] = event;
        if (GetParam().second_name) m.now.names[3]["second.telvor"] = event;
        m.now.data[event] = event_file;
        m.nodes[event].owner = 4321;
        m.nodes[event].mode = 0604;
        m.nodes[event].attributes["user.telvor-test"] = "kept";
        m.disk = m.now;
    }
    Outcome run(int answer = ANSWER_YES) const {
        ScriptedWindow window;
        window.answer = answer;
        window.clipboard_has_text = true;
        window.clipboard = sample_bytes("guide-webif.txt");
        m.current = "/p";
        os::process_setup();
        ::testing::internal::CaptureStderr();
        const int status = telvor_run(window, {EVENT});
        os::fault_clear();
        return {status, event_file(), ::testing::internal::GetCapturedStderr(), window.clipboard_cleared};
    }
    static std::string event_file() {
        const Place p = locate(EVENT);
        return p.node == 0 ? "(none)" : m.now.data[p.node];
    }
    static std::string identity() {
        const Node& n = m.nodes[locate(EVENT).node];
        std::string kept = std::to_string(n.owner) + " " + std::to_string(n.mode);
        for (const auto& [name, value] : n.attributes) kept += " " + name + "=" + value;
        return kept;
    }
    // What is left beside the lists and the Event file's names.
    std::vector<std::string> leftovers() const {
        const std::set<std::string> kept = {"TELVOR.filter", "TELVOR.service", "epg.telvor", "second.telvor"};
        std::vector<std::string> left;
        for (const int folder : {2, 3})
            for (const auto& entry : m.now.names[folder])
                if (kept.count(entry.first) == 0) left.push_back(entry.first);
        os::Info info;
        const Place event = locate(EVENT);
        if (event.node != 0 && node_info(event.node, info) && info.links != (GetParam().second_name ? 2u : 1u))
            left.push_back("the Event file has " + std::to_string(info.links) + " names");
        return left;
    }
};

// Every state a cut after any change may leave: the recovery finds a whole
// Event file (the old one or a whole state of the cut run), and the next run
// ends as a lone run on that and leaves nothing behind.
TEST_P(PowerCut, EveryStateACutLeavesEndsWhole) {
    const std::string old = records_past(FILE_BUFFER_SIZE);  // more than a buffer holds
    set_up(old);
    const std::string kept = identity();
    m.recording = true;
    const Outcome lone = run();
    ASSERT_EQ(lone.status, EXIT_DONE) << lone.errors;
    m.recording = false;
    std::set<std::string> whole = m.flushed;
    whole.insert(old);
    ASSERT_EQ(whole.size(), 3u);  // the old, the converted and the marked Event file
    const std::vector<Disk> cuts = std::move(m.cuts);
    // A run that ended well is on the disk, with the Event file's own names only.
    for (const Disk& state : states_after(cuts.back())) {
        install(state);
        EXPECT_EQ(event_file(), lone.event_file);
        for (const std::string& left : leftovers())
            EXPECT_TRUE(left.starts_with("TELVOR.") && !left.ends_with(" names")) << left;
    }
    std::set<std::string> after;  // what a lone run makes of each whole state
    for (const std::string& state : whole) {
        set_up(state);
        const Outcome next = run();
        ASSERT_EQ(next.status, EXIT_DONE) << next.errors;
        after.insert(next.event_file);
    }
    // Each state once; the next run once for each state the recovery leaves.
    std::set<std::string> seen, recovered;
    int checked = 0, restored = 0;
    for (std::size_t at = 0; at < cuts.size(); ++at)
        for (const Disk& state : states_after(cuts[at])) {
            if (!seen.insert(key_of(state)).second) continue;
            SCOPED_TRACE("cut after change #" + std::to_string(at + 1) + ", state #" + std::to_string(++checked));
            install(state);
            const Recovery recovery = file_recover(Path{EVENT});
            EXPECT_TRUE(recovery.outcome == Recovery::Outcome::none || recovery.outcome == Recovery::Outcome::restored)
                << recovery.journal.native << ": " << recovery.why << failure_reason(recovery.failure);
            restored += recovery.outcome == Recovery::Outcome::restored;
            EXPECT_EQ(whole.count(event_file()), 1u) << "a torn Event file";
            EXPECT_EQ(identity(), kept);
            for (const std::string& left : leftovers()) EXPECT_FALSE(left.starts_with(".telvor-journal-")) << left;
            if (!recovered.insert(key_of(m.now)).second) continue;
            install(state);
            const Outcome next = run();
            EXPECT_EQ(next.status, EXIT_DONE) << next.errors;
            EXPECT_EQ(after.count(next.event_file), 1u) << next.errors;
            const std::vector<std::string> left = leftovers();
            EXPECT_TRUE(left.empty()) << left[0];
            if (HasFailure()) return;
        }
    EXPECT_GT(checked, 6);
    EXPECT_TRUE(!GetParam().second_name || restored > 0) << restored;
}

// A run whose file calls fail once, at each of their uses in turn, fails with
// a whole Event file, its owner, mode and attributes kept, one line on stderr
// naming a folder, nothing left behind, and the clipboard emptied only where
// its Guide text was converted.
TEST_P(PowerCut, EveryCallFailingOnceLeavesAWholeFile) {
    const std::string old = records_past(FILE_BUFFER_SIZE);
    const int failing[] = {os::READ,        os::WRITE,     os::SYNC,     os::CLOSE,           os::CREATE,
                           os::RENAME,      os::REPLACE,   os::TRUNCATE, os::SYNC_FOLDER,     os::SET_OWNER,
                           os::SET_MODE,    os::LIST_ATTRIBUTES, os::GET_ATTRIBUTE, os::SET_ATTRIBUTE};
    set_up(old);
    const std::string kept = identity();
    os::reset_uses();
    const Outcome marked = run();
    ASSERT_EQ(marked.status, EXIT_DONE) << marked.errors;
    long long counts[os::CALL_COUNT];
    for (const int call : failing) counts[call] = os::uses(call);
    // Whole: old, converted, marked, old marked, and marked with a list unread.
    std::set<std::string> whole = {old, marked.event_file};
    set_up(old);
    whole.insert(run(ANSWER_NO).event_file);
    set_up(old);
    os::fault_at(os::CREATE, 1);  // the conversion's working file
    const Outcome old_marked = run();
    EXPECT_FALSE(old_marked.cleared);
    whole.insert(old_marked.event_file);
    ASSERT_EQ(whole.size(), 4u);
    for (const char* list : {"TELVOR.filter", "TELVOR.service"}) {
        set_up(old, list);
        whole.insert(run().event_file);
    }
    int faults = 0;
    for (const int call : failing)
        for (long long nth = 1; nth <= counts[call]; ++nth, ++faults) {
            SCOPED_TRACE(std::string(os::call_name(call)) + " #" + std::to_string(nth));
            set_up(old);
            os::fault_at(call, nth);
            const Outcome failed = run();
            EXPECT_EQ(failed.status, EXIT_STEP_FAILED);
            EXPECT_EQ(whole.count(failed.event_file), 1u);
            EXPECT_EQ(identity(), kept);
            const std::string& e = failed.errors;
            ASSERT_TRUE(std::count(e.begin(), e.end(), '\n') == 1 && e.ends_with("\n") &&
                        e.starts_with("telvor: cannot ") && (e.find("/p") != e.npos || e.find("/e") != e.npos))
                << e;
            const std::vector<std::string> left = leftovers();
            EXPECT_TRUE(left.empty()) << left[0];
            EXPECT_TRUE(!failed.cleared || (failed.event_file != old && failed.event_file != old_marked.event_file));
        }
    EXPECT_GT(faults, 30);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PowerCut, ::testing::Values(Layout{"ProgramElsewhere", false, 1}, Layout{"InPlace", true, 1},
                                                                Layout{"OtherFileSystem", false, 2}),
                         [](const auto& param_info) { return param_info.param.name; });

}  // namespace
