// Whole runs on a simulated disk (the system-call table replaced) that
// keeps what a real one may keep after a power cut: file data not flushed
// lost or kept, the earlier writes first; each folder's name changes not
// flushed reach the disk in order and as a prefix. A cut after any change,
// or any call failing once, must leave a whole Event file with its owner,
// mode and attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
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

using Bytes = std::shared_ptr<const std::string>;
using Names = std::map<std::string, int>;
constexpr int ROOT = 1;

// A change not yet on the disk: of a file's data, or of a folder's names
// (a rename within the folder sets one and drops another).
struct DataChange {
    std::uint64_t at = 0;
    Bytes bytes;  // none: a cut to `at` bytes
};
struct NameChange {
    std::string name;
    int node = 0;  // 0: nothing set
    std::string dropped;
};

// What the disk holds, and the changes waiting to reach it.
struct Disk {
    std::map<int, Bytes> data;
    std::map<int, Names> names;
    std::map<int, std::vector<DataChange>> data_waiting;
    std::map<int, std::vector<NameChange>> names_waiting;
};

void apply_change(std::string& data, const DataChange& change) {
    if (!change.bytes) {
        data.resize(change.at);
        return;
    }
    if (data.size() < change.at + change.bytes->size()) data.resize(change.at + change.bytes->size());
    data.replace(change.at, change.bytes->size(), *change.bytes);
}
void apply_change(Names& names, const NameChange& change) {
    if (!change.dropped.empty()) names.erase(change.dropped);
    if (change.node != 0) names[change.name] = change.node;
}

struct Node {
    bool folder = false;
    int device = 1;
    std::uint64_t born = 0;
    std::uint32_t owner = 1000, mode = 0600;
    std::map<std::string, std::string> attributes;
};

// The files as the program sees them, the disk beneath, and, while
// recording, the disk after every change.
struct Machine {
    std::map<int, Node> nodes;
    std::map<int, std::string> data;
    std::map<int, Names> names;
    Disk disk;
    bool recording = false;
    std::vector<Disk> cuts;
    std::string watched;            // the Event file
    std::set<std::string> flushed;  // its contents right after each folder flush
    struct Opened { int node = 0; std::uint64_t at = 0; };
    std::map<os::Handle, Opened> handles;
    os::Handle next_handle = 100;
    int next_node = ROOT;
    std::string current = "/";
};
Machine m;

bool fail(os::Error kind) {
    os::set_system_error(os::error_code(kind));
    return false;
}

// The folder (0: missing), the last name and the node there (0: none).
struct Place { int folder = 0; std::string name; int node = 0; };
Place locate(const std::string& path) {
    std::vector<std::string> parts;
    const std::string full = path_is_absolute(path) ? path : m.current + "/" + path;
    std::string part;
    for (std::size_t i = 0; i <= full.size(); ++i) {
        if (i < full.size() && full[i] != '/' && !(WINDOWS_NAMES && full[i] == '\\')) {
            part += full[i];
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    }
    if (parts.empty()) return {0, "", ROOT};
    int folder = ROOT;
    for (std::size_t i = 0; i + 1 < parts.size() && folder != 0; ++i) {
        const auto found = m.names[folder].find(parts[i]);
        folder = found != m.names[folder].end() && m.nodes[found->second].folder ? found->second : 0;
    }
    Place place{folder, parts.back(), 0};
    if (folder != 0) {
        const auto found = m.names[folder].find(place.name);
        if (found != m.names[folder].end()) place.node = found->second;
    }
    return place;
}

void cut() { if (m.recording) m.cuts.push_back(m.disk); }
void change_names(int folder, const NameChange& change) {
    apply_change(m.names[folder], change);
    m.disk.names_waiting[folder].push_back(change);
    cut();
}
void change_data(int node, const DataChange& change) {
    apply_change(m.data[node], change);
    m.disk.data_waiting[node].push_back(change);
    cut();
}
int new_node(bool folder, int device) {
    const int node = m.next_node++;
    m.nodes[node] = {folder, device, 1000 + static_cast<std::uint64_t>(node) * 7, 1000, 0600, {}};
    if (folder)
        m.names[node], m.disk.names[node];
    else
        m.data[node], m.disk.data[node] = std::make_shared<const std::string>();
    return node;
}

bool node_info(int node, os::Info& info) {
    info = os::Info{};
    const Node& n = m.nodes[node];
    info.kind = n.folder ? os::Kind::folder : os::Kind::file;
    info.device = static_cast<std::uint64_t>(n.device);
    info.file = static_cast<std::uint64_t>(node);
    info.size = n.folder ? 0 : m.data[node].size();
    info.links = 0;
    for (const auto& [folder, names] : m.names)
        for (const auto& [name, target] : names) info.links += target == node;
    info.owner = info.group = n.owner;
    info.mode = n.folder ? 0700 : n.mode;
    return true;
}
Node& node_of(os::Handle handle) { return m.nodes[m.handles.at(handle).node]; }

os::Calls simulated_calls() {
    os::Calls c = os::SYSTEM_CALLS;
    c.open = [](const std::string& path, os::Open, os::Handle& handle) {
        const Place p = locate(path);
        return p.node == 0 ? fail(os::Error::missing) : (m.handles[handle = m.next_handle++] = {p.node, 0}, true);
    };
    c.create = [](const std::string& path, os::Create, os::Handle& handle) {
        Place p = locate(path);
        if (p.folder == 0) return fail(os::Error::missing);
        if (p.node != 0) return fail(os::Error::exists);
        p.node = new_node(false, m.nodes[p.folder].device);
        change_names(p.folder, {p.name, p.node, ""});
        return m.handles[handle = m.next_handle++] = {p.node, 0}, true;
    };
    c.read = [](os::Handle handle, char* buffer, std::size_t size) -> long long {
        Machine::Opened& o = m.handles.at(handle);
        const std::string& data = m.data[o.node];
        const std::size_t got = o.at >= data.size() ? 0 : std::min<std::size_t>(size, data.size() - o.at);
        std::copy_n(data.data() + o.at, got, buffer);
        o.at += got;
        return static_cast<long long>(got);
    };
    c.write = [](os::Handle handle, const char* bytes, std::size_t size) {
        Machine::Opened& o = m.handles.at(handle);
        change_data(o.node, {o.at, std::make_shared<const std::string>(bytes, size)});
        return o.at += size, true;
    };
    c.start_writeback = [](os::Handle) { return true; };  // promises nothing of the disk
    c.sync = [](os::Handle handle) {
        const int node = m.handles.at(handle).node;
        m.disk.data[node] = std::make_shared<const std::string>(m.data[node]);
        m.disk.data_waiting.erase(node);
        cut();
        return true;
    };
    c.close = [](os::Handle handle) { return m.handles.erase(handle) == 1; };
    c.truncate = [](os::Handle handle, std::uint64_t size) { return change_data(m.handles.at(handle).node, {size, nullptr}), true; };
    c.handle_info = [](os::Handle handle, os::Info& info) { return node_info(m.handles.at(handle).node, info); };
    c.path_info = [](const std::string& path, os::Info& info) {
        const Place p = locate(path);
        if (p.node == 0) info = os::Info{};
        return p.node == 0 || node_info(p.node, info);
    };
    c.rename = [](const std::string& from, const std::string& to) {
        const Place a = locate(from), b = locate(to);
        if (a.node == 0 || b.folder == 0) return fail(os::Error::missing);
        if (b.node != 0 && m.nodes[b.node].folder) return fail(os::Error::other);
        if (m.nodes[a.folder].device != m.nodes[b.folder].device) return fail(os::Error::cross_device);
        if (a.folder == b.folder) {
            if (a.name != b.name) change_names(a.folder, {b.name, a.node, a.name});
            return true;
        }
        m.names[a.folder].erase(a.name);
        m.disk.names_waiting[a.folder].push_back({"", 0, a.name});
        change_names(b.folder, {b.name, a.node, ""});
        return true;
    };
    c.replace = [](const std::string&, const std::string&) { return fail(os::Error::unsupported); };
    c.remove = [](const std::string& path) {
        const Place p = locate(path);
        if (p.node == 0) return fail(os::Error::missing);
        if (m.nodes[p.node].folder) return fail(os::Error::refused);
        change_names(p.folder, {"", 0, p.name});
        return true;
    };
    c.remove_folder = [](const std::string& path) {
        const Place p = locate(path);
        if (p.node == 0 || !m.nodes[p.node].folder || !m.names[p.node].empty()) return fail(os::Error::other);
        change_names(p.folder, {"", 0, p.name});
        return true;
    };
    c.sync_folder = [](const std::string& path) {
        const Place p = locate(path);
        if (p.node == 0 || !m.nodes[p.node].folder) return fail(os::Error::missing);
        m.disk.names[p.node] = m.names[p.node];
        m.disk.names_waiting.erase(p.node);
        const Place event = locate(m.watched);
        if (m.recording && event.node != 0) m.flushed.insert(m.data[event.node]);
        cut();
        return true;
    };
    c.set_owner = [](os::Handle handle, std::uint32_t owner, std::uint32_t) { return node_of(handle).owner = owner, true; };
    c.set_mode = [](os::Handle handle, std::uint32_t mode) { return node_of(handle).mode = mode, true; };
    c.list_attributes = [](os::Handle handle, std::vector<std::string>& names) {
        names.clear();
        for (const auto& entry : node_of(handle).attributes) names.push_back(entry.first);
        return true;
    };
    c.get_attribute = [](os::Handle handle, const std::string& name, std::string& value) {
        const auto found = node_of(handle).attributes.find(name);
        if (found == node_of(handle).attributes.end()) return fail(os::Error::missing);
        value = found->second;
        return true;
    };
    c.set_attribute = [](os::Handle handle, const std::string& name, const std::string& value) {
        return node_of(handle).attributes[name] = value, true;
    };
    c.remove_attribute = [](os::Handle handle, const std::string& name) {
        return node_of(handle).attributes.erase(name) == 1 || fail(os::Error::missing);
    };
    c.may_write = [](const std::string& path) { return locate(path).node != 0 || fail(os::Error::missing); };
    c.lock_folder = [](const std::string&, const os::Info&, os::Handle& held) { return held = m.next_handle++, os::Lock::taken; };
    c.lock_file = c.lock_folder;
    c.unlock_folder = [](os::Handle) { return true; };
    c.close_in_background = c.unlock_folder;
    c.forget_cached = c.unlock_folder;
    c.final_path = [](const std::string& path, std::string& target) { return target = path, true; };
    c.list_folder = [](const std::string& folder, std::vector<std::string>& names) {
        const Place p = locate(folder);
        if (p.node == 0 || !m.nodes[p.node].folder) return fail(os::Error::missing);
        names.clear();
        for (const auto& entry : m.names[p.node]) names.push_back(entry.first);
        return true;
    };
    c.current_folder = [](std::string& path) { return path = m.current, true; };
    c.change_folder = [](const std::string& path) {
        const Place p = locate(path);
        if (p.node == 0 || !m.nodes[p.node].folder) return fail(os::Error::missing);
        m.current = path;
        return true;
    };
    c.identify = [](const std::string& path, os::FileIdentity& identity) {
        const Place p = locate(path);
        if (p.node == 0) return fail(os::Error::missing);
        identity = {static_cast<std::uint64_t>(p.node), 0, m.nodes[p.node].born, 0};
        return true;
    };
    c.owner_of = [](os::Handle, std::string& account) { return account = "tester", true; };
    c.process_user = [](std::string& account) { return account = "tester", true; };
    c.account_name = [](const std::string& account, std::string& name) { return name = account, true; };
    return c;
}

// The File slots write from a thread of their own: the simulated disk takes
// one call at a time.
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

// A state the disk may hold after a cut.
struct Snapshot { std::map<int, Bytes> data; std::map<int, Names> names; };

// The states a cut may leave: of each file's and folder's changes waiting,
// a prefix reached the disk (files no name of which may reach it left out).
std::vector<Snapshot> states_after(const Disk& cut_disk) {
    Disk disk = cut_disk;
    std::set<int> named;
    for (const auto& [folder, names] : disk.names)
        for (const auto& entry : names) named.insert(entry.second);
    for (const auto& [folder, changes] : disk.names_waiting)
        for (const NameChange& change : changes) named.insert(change.node);
    std::erase_if(disk.data_waiting, [&](const auto& waiting) { return named.count(waiting.first) == 0; });
    std::vector<std::size_t> sizes;
    for (const auto& waiting : disk.data_waiting) sizes.push_back(waiting.second.size() + 1);
    for (const auto& waiting : disk.names_waiting) sizes.push_back(waiting.second.size() + 1);
    std::size_t count = 1;
    for (const std::size_t size : sizes) count *= size;
    EXPECT_LT(count, 5000u) << "too many states after one cut";
    std::map<int, std::vector<Bytes>> variants;
    for (const auto& [node, changes] : disk.data_waiting) {
        std::string data = *disk.data[node];
        variants[node].push_back(disk.data[node]);
        for (const DataChange& change : changes) {
            apply_change(data, change);
            variants[node].push_back(std::make_shared<const std::string>(data));
        }
    }
    std::vector<Snapshot> states;
    for (std::size_t combination = 0; combination < count && combination < 5000; ++combination) {
        Snapshot s{disk.data, disk.names};
        std::size_t rest = combination, dimension = 0;
        for (const auto& [node, changes] : disk.data_waiting) {
            const std::size_t kept = rest % sizes[dimension];
            rest /= sizes[dimension++];
            s.data[node] = variants[node][kept];
        }
        for (const auto& [folder, changes] : disk.names_waiting) {
            const std::size_t kept = rest % sizes[dimension];
            rest /= sizes[dimension++];
            for (std::size_t i = 0; i < kept; ++i) apply_change(s.names[folder], changes[i]);
        }
        states.push_back(std::move(s));
    }
    return states;
}

// What a state holds, reachable from the root (contents hashed once).
std::map<const std::string*, std::uint64_t> hashes;
std::string key_of(const Snapshot& s) {
    std::string key;
    std::vector<std::pair<std::string, int>> folders = {{"", ROOT}};
    while (!folders.empty()) {
        const auto [path, folder] = folders.back();
        folders.pop_back();
        const auto names = s.names.find(folder);
        if (names == s.names.end()) continue;
        for (const auto& [name, node] : names->second) {
            key += path + "/" + name + "=" + std::to_string(node);
            const auto data = s.data.find(node);
            if (data != s.data.end())
                key += ":" + std::to_string(data->second->size()) + ":" +
                       std::to_string(hashes.try_emplace(data->second.get(), text_hash(*data->second)).first->second);
            else
                folders.push_back({path + "/" + name, node});
            key += "\n";
        }
    }
    return key;
}

void install(const Snapshot& s) {
    m.data.clear();
    m.names = s.names;
    for (const auto& [node, bytes] : s.data) m.data[node] = *bytes;
    m.disk = Disk{s.data, s.names, {}, {}};
    m.handles.clear();
    m.recording = false;
    m.current = "/";
}

struct Layout {
    std::string name;
    std::string events;        // the Event file's folder ("/p": the Program directory)
    bool second_name = false;  // a hard link beside it: rewritten in place
    int program_device = 1;    // the Program directory's file system
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

struct Outcome {
    int status = -1;
    std::string event_file, errors;  // errors: the run's stderr
    bool cleared = false;
};

class PowerCut : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override { os::calls() = one_at_a_time(simulated_calls()); }
    void TearDown() override {
        os::calls() = os::SYSTEM_CALLS;
        m = Machine{};
        hashes.clear();
    }
    std::string event_path() const { return GetParam().events + "/epg.telvor"; }

    // A fresh disk: the lists but the one left out in the Program directory;
    // the Event file, owned by another account, with bits and an attribute.
    void set_up(const std::string& event_file, const std::string& left_out = "") {
        m = Machine{};
        new_node(true, 1);
        const int program = new_node(true, GetParam().program_device);
        m.names[ROOT]["p"] = program;
        int events = program;
        if (GetParam().events != "/p") events = new_node(true, 1), m.names[ROOT]["e"] = events;
        for (const char* list : {"TELVOR.filter", "TELVOR.service"}) {
            if (list == left_out) continue;
            const int node = new_node(false, GetParam().program_device);
            m.names[program][list] = node;
            m.data[node] = sample_bytes(list);
        }
        const int event = new_node(false, 1);
        m.names[events]["epg.telvor"] = event;
        if (GetParam().second_name) m.names[events]["second.telvor"] = event;
        m.data[event] = event_file;
        m.nodes[event].owner = 4321;
        m.nodes[event].mode = 0604;
        m.nodes[event].attributes["user.telvor-test"] = "kept";
        m.watched = event_path();
        for (const auto& [node, bytes] : m.data) m.disk.data[node] = std::make_shared<const std::string>(bytes);
        m.disk.names = m.names;
    }

    // One whole run in the Program directory on the Event file.
    Outcome run(int answer = ANSWER_YES) const {
        ScriptedWindow window;
        window.answer = answer;
        window.clipboard_has_text = true;
        window.clipboard = sample_bytes("guide-webif.txt");
        m.current = "/p";
        os::process_setup();
        ::testing::internal::CaptureStderr();
        Outcome outcome;
        outcome.status = telvor_run(window, {event_path()});
        os::fault_clear();
        outcome.errors = ::testing::internal::GetCapturedStderr();
        outcome.event_file = event_file();
        outcome.cleared = window.clipboard_cleared;
        return outcome;
    }

    std::string event_file() const {
        const Place p = locate(event_path());
        return p.node == 0 ? "(none)" : m.data[p.node];
    }
    std::string identity() const {
        const Node& n = m.nodes[locate(event_path()).node];
        std::string kept = std::to_string(n.owner) + " " + std::to_string(n.mode);
        for (const auto& [name, value] : n.attributes) kept += " " + name + "=" + value;
        return kept;
    }

    // What is left beside the lists and the Event file's names.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> left;
        for (const char* folder : {"/p", "/e"}) {
            const Place p = locate(folder);
            if (p.node == 0) continue;
            for (const auto& [name, node] : m.names[p.node])
                if (name != "TELVOR.filter" && name != "TELVOR.service" && name != "epg.telvor" &&
                    !(GetParam().second_name && name == "second.telvor"))
                    left.push_back(std::string(folder) + "/" + name);
        }
        const Place event = locate(event_path());
        os::Info info;
        if (event.node != 0 && node_info(event.node, info) && info.links != (GetParam().second_name ? 2u : 1u))
            left.push_back("the Event file has " + std::to_string(info.links) + " names");
        return left;
    }
};

// Every state a cut after any change may leave: the recovery finds a whole
// Event file (the old one or a whole state of the cut run), and the next
// run ends as a lone run on that and leaves nothing behind.
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
    // The old, the converted (Guide text and all) and the marked Event file.
    ASSERT_EQ(whole.size(), 3u);
    const std::vector<Disk> cuts = std::move(m.cuts);
    // A run that ended well is on the disk, with the Event file's own names only.
    for (const Snapshot& state : states_after(cuts.back())) {
        install(state);
        EXPECT_EQ(event_file(), lone.event_file);
        for (const std::string& left : leftovers())
            EXPECT_TRUE(left.find("TELVOR.") != std::string::npos && left.find(" names") == std::string::npos) << left;
    }

    // What a lone run makes of each whole state.
    std::set<std::string> after;
    for (const std::string& state : whole) {
        set_up(state);
        const Outcome next = run();
        ASSERT_EQ(next.status, EXIT_DONE) << next.errors;
        after.insert(next.event_file);
    }

    // Each state once; the next run once for each state the recovery leaves.
    std::set<std::string> seen, recovered;
    int checked = 0, restored = 0;
    for (std::size_t at = 0; at < cuts.size(); ++at) {
        const std::vector<Snapshot> states = states_after(cuts[at]);
        for (const Snapshot& state : states) {
            if (!seen.insert(key_of(state)).second) continue;
            ++checked;
            SCOPED_TRACE("cut after change #" + std::to_string(at + 1) + ", state #" + std::to_string(checked));
            install(state);
            const Recovery recovery = file_recover(Path{event_path()});
            EXPECT_TRUE(recovery.outcome == Recovery::Outcome::none ||
                        recovery.outcome == Recovery::Outcome::restored)
                << recovery.journal.native << ": " << recovery.why << failure_reason(recovery.failure);
            restored += recovery.outcome == Recovery::Outcome::restored;
            EXPECT_EQ(whole.count(event_file()), 1u) << "a torn Event file";
            EXPECT_EQ(identity(), kept);
            for (const std::string& left : leftovers())
                EXPECT_EQ(left.find(".telvor-journal-"), std::string::npos) << left;
            std::string now;
            for (const auto& [folder, names] : m.names)
                for (const auto& [name, node] : names)
                    now += name + "=" + std::to_string(node) + ":" + std::to_string(text_hash(m.data[node])) + "\n";
            if (!recovered.insert(now).second) continue;

            install(state);
            const Outcome next = run();
            EXPECT_EQ(next.status, EXIT_DONE) << next.errors;
            EXPECT_EQ(after.count(next.event_file), 1u) << next.errors;
            const std::vector<std::string> left = leftovers();
            EXPECT_TRUE(left.empty()) << left[0];
            if (HasFailure()) return;
        }
        hashes.clear();
    }
    EXPECT_GT(checked, 6);
    EXPECT_TRUE(!GetParam().second_name || restored > 0) << restored;
}

// A run whose file calls fail once, at each of their uses in turn, fails
// with a whole Event file, its owner, mode and attributes kept, one line on
// stderr naming a folder, nothing left behind, and the clipboard emptied
// only where its Guide text was converted.
TEST_P(PowerCut, EveryCallFailingOnceLeavesAWholeFile) {
    const std::string old = records_past(FILE_BUFFER_SIZE);
    const int failing[] = {os::READ,           os::WRITE,         os::SYNC,          os::CLOSE,
                           os::CREATE,         os::RENAME,        os::REPLACE,       os::TRUNCATE,
                           os::SYNC_FOLDER,    os::SET_OWNER,     os::SET_MODE,      os::LIST_ATTRIBUTES,
                           os::GET_ATTRIBUTE,  os::SET_ATTRIBUTE, os::REMOVE_ATTRIBUTE};
    set_up(old);
    const std::string kept = identity();
    os::reset_uses();
    const Outcome marked = run();
    ASSERT_EQ(marked.status, EXIT_DONE) << marked.errors;
    long long counts[os::CALL_COUNT];
    for (const int call : failing) counts[call] = os::uses(call);
    // Whole: old, converted (the Guide text with it), marked, old marked,
    // and marked with a list that could not be read.
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
    for (const int call : failing) {
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
                        e.starts_with("telvor: cannot ") &&
                        (e.find("/p") != e.npos || e.find(GetParam().events) != e.npos))
                << e;
            const std::vector<std::string> left = leftovers();
            EXPECT_TRUE(left.empty()) << left[0];
            EXPECT_TRUE(!failed.cleared || (failed.event_file != old && failed.event_file != old_marked.event_file));
        }
    }
    EXPECT_GT(faults, 30);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PowerCut,
    ::testing::Values(Layout{"OneFolder", "/p", false, 1}, Layout{"ProgramElsewhere", "/e", false, 1},
                      Layout{"InPlace", "/e", true, 1}, Layout{"OtherFileSystem", "/e", false, 2}),
    [](const auto& param_info) { return param_info.param.name; });

}  // namespace
