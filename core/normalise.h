// Bringing Guide text to one form: tabs become spaces, backslashes and the
// channel names of the Service list disappear, and day and month numbers
// get two digits. The result is always that of the steps applied one after
// another, each one complete left-to-right pass over the previous result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/hash.h"
#include "base/text.h"

// Entries found by their first bytes: a bitmap that rules most places
// out, and a hash table of ranges of entries, which holds entry numbers in
// ascending order for each key.
struct PrefixTable {
    std::size_t key_size = 0;
    std::vector<std::uint64_t> bits;
    struct Range {
        std::uint64_t key = 0;  // the first key_size bytes
        std::uint32_t begin = 0, end = 0;  // of entries; a range is never empty
        bool operator==(const Range&) const = default;
    };
    HashTable<Range> ranges;
    std::vector<std::int32_t> entries;
};

// The Service list made ready for Service-name removal: the entries folded
// (A-Z onto a-z) and found by their first four bytes (entries of four to
// seven bytes) or eight bytes (longer ones).
struct ServiceNames {
    std::vector<Text> folded;              // the entries, in list order
    std::vector<std::int32_t> short_ones;  // entries of one to three bytes
    PrefixTable by_four, by_eight;
    // Where an entry of four bytes or more may begin: its first two bytes in
    // every letter case (a bitmap of all pairs), and its first four folded
    // (a bitmap of their hashes).
    std::vector<std::uint64_t> first_two, first_four;
    // The bytes they have at their first places, each with bit 5 set (which
    // takes A-Z onto a-z) and sixteen times in a row, to rule places out
    // sixteen at a time: for the first two or three places, none where
    // there are too many.
    std::vector<Text> start_bytes;
    std::size_t longest = 0;
};

// The entries hold no line end (CR or LF), as no line read from a list
// does: every line of a text is done alone.
ServiceNames service_names_prepare(const std::vector<Text>& list);

// What the normalisations reuse from line to line, so that a line costs no
// allocation.
struct NormaliseBuffers {
    Text first, second, folded;
    std::vector<std::int32_t> due;  // entries still to pass, a min-heap
    std::vector<std::size_t> junctions, starts;
};

// Applied once to the whole Guide text taken from the clipboard: " \t" and
// then "\t" become a space, backslashes go, the Date table, then the
// Service-name removal. The result takes the text's place in its memory
// where it fits there.
Text capture_normalisation(Text guide_text, const ServiceNames& names);
// Applied to each Weekday line the conversion meets: backslashes go, tabs
// become spaces, the Service-name removal, then the Date table. The result
// is out's new content.
void line_normalisation(std::string_view weekday_line, const ServiceNames& names, NormaliseBuffers& buffers,
                        Text& out);
Text line_normalisation(std::string_view weekday_line, const ServiceNames& names);

// Removes every Service list entry (each ends in a blank), letter case of
// A-Z ignored, one pass per entry in list order.
Text service_name_removal(std::string_view text, const ServiceNames& names);
