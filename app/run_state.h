// The state of one run, shared by every step from start-up to shutdown.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "runtime/text.h"

struct RunState {
    int list_capacity = 0;         // highest index of the Filter and Service lists
    int event_store_capacity = 0;  // highest index of the Event store as made at start-up
    int slot_index = 0;            // next Event store slot to fill
    int filter_count = 0;
    int service_count = 0;

    Text event_file_path;
    Text program_directory;        // ends in the directory separator
    Text clipboard_copy_path;      // TELVOR.CLP
    Text data_file_path;           // TELVOR.DAT
    Text filter_file_path;         // TELVOR.filter
    Text service_file_path;        // TELVOR.service

    Text version_text;
    Text separator_line;
    Text author_credit_line;
    Text work_line;
    Text last_shown_text;
    int end_of_run_answer = 0;

    std::vector<Text> filter_list;
    std::vector<Text> event_store;
    std::vector<Text> service_list;

    // Lookups kept beside the lists so that each event is tested in time
    // independent of the number of filter terms and of stored events.
    std::unordered_map<std::uint64_t, std::int32_t> filter_trie;  // (node << 8 | byte) -> node
    std::vector<unsigned char> filter_term_ends;                   // node ends a filter term
    // The filled Event store slots by the hash of their Event text (its
    // first 200 characters): open addressing, no entry allocated per event.
    struct StoredEvent {
        std::uint32_t hash = 0;
        std::int32_t slot = -1;  // -1: free entry
    };
    std::vector<StoredEvent> stored_events;
    std::int32_t stored_event_count = 0;
};

// The one run state of the process.
extern RunState run;

// Fixed texts.
extern const char* const VERSION_TEXT;
extern const char* const WINDOW_TITLE_TAIL;
extern const char* const AUTHOR_CREDIT_LINE;
enum : int { LIST_CAPACITY = 10000, EVENT_STORE_CAPACITY = 50000, SEPARATOR_LENGTH = 102 };

// Start-up steps 1 to 7: every variable empty or 0, then capacities, the
// Program directory and the four working paths, the fixed texts, the
// Program directory made current, and the three arrays.
void run_start_up();
