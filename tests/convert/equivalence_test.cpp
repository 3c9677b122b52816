// The fast event tests and Service-name removal against the plain algorithms
// they stand for, on random cases built to hit the edges: one text_remove_all
// pass per Service name, a first-match walk over the Filter list, a walk
// over all 50001 Event store slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "run/run_state.h"
#include "convert/events.h"
#include "convert/normalise.h"

namespace {

std::mt19937 rng;
int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
template <typename T> const auto& any_of(const T& v) {
    return v[static_cast<size_t>(pick(0, static_cast<int>(v.size()) - 1))];
}
Text random_text(const std::string& alphabet, int min_length, int max_length) {
    Text text;
    for (int i = pick(min_length, max_length); i > 0; --i) text += any_of(alphabet);
    return text;
}
Text flip_case(Text text) {  // some ASCII letters in the other case
    for (char& c : text)
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z' && pick(0, 1)) c = static_cast<char>(c ^ 0x20);
    return text;
}

// Letters, their ASCII neighbours, bytes above 0x7F whose low seven bits are
// letters (0xC1, 0xE1) or that differ only in bit 5 (0xC4, 0xE4), a tab.
const std::string NAME_BYTES = "abAB @[`{\xC1\xE1\xC4\xE4\t";

// Names whole, in other case, or split by another name so that they only
// come into being when that one is removed.
Text text_of_names(const std::vector<Text>& names, int pieces) {
    Text text;
    for (; pieces > 0; --pieces) {
        const Text& name = any_of(names);
        const int cut = pick(1, text_length(name) - 1), kind = pick(0, 3);
        text += kind == 0 ? name
              : kind == 1 ? flip_case(name)
              : kind == 2 ? text_left(name, cut) + flip_case(any_of(names)) + text_mid(name, cut + 1, 99)
                          : random_text(NAME_BYTES, 0, 4);
    }
    return text;
}

TEST(Equivalence, ServiceNameRemovalIsOnePassPerEntry) {
    for (int round = 0; round < 3000; ++round) {
        // The first rounds: large texts with many names.
        std::vector<Text> names;
        for (int i = round < 3 ? 200 : pick(1, 10); i > 0; --i)
            names.push_back(i % 3 == 0 && !names.empty() ? flip_case(any_of(names))
                                                         : random_text(NAME_BYTES, 3, 9) + " ");
        Text text = pick(0, 3) ? text_of_names(names, pick(0, 16)) : random_text(NAME_BYTES, 0, 60);
        while (round < 3 && text.size() < 60000)
            text += random_text("ab\r\n", 1, 9) + text_of_names(names, 2);
        Text expected = text;
        for (const Text& name : names) expected = text_remove_all(expected, name, true);
        g_run.service_list = names;
        g_run.service_count = static_cast<int>(names.size());
        ASSERT_EQ(service_name_removal(text), expected) << "text '" << text << "'";
    }
}

TEST(Equivalence, FilterTestIsTheFirstMatchWalkOverTheFirstFilterCountTerms) {
    int hits = 0, misses = 0;
    for (int round = 0; round < 2000; ++round) {
        // Terms beginning one another, some longer than any Event text, rarely empty.
        std::vector<Text> terms;
        for (int i = pick(0, 8); i > 0; --i) {
            const Text text = random_text("aAb ", pick(0, 30) ? 1 : 0, pick(0, 9) ? 5 : 40);
            const int kind = terms.empty() ? 0 : pick(0, 3);
            terms.push_back(kind < 2    ? text
                            : kind == 2 ? text_left(any_of(terms), pick(1, 3))
                                        : any_of(terms) + text);
        }
        g_run.filter_list = terms;
        g_run.filter_list.push_back("a");  // beyond the Filter count: no term
        g_run.filter_count = static_cast<int>(terms.size());
        event_tests_prepare();
        for (int event = 0; event < 20; ++event) {
            Text line = random_text("0123456789.: +", 0, 19);
            if (pick(0, 4)) line = text_left(line + Text(19, ' '), 19) + random_text("aAb ", 0, 8);
            bool expected = false;
            for (const Text& term : terms) expected |= text_mid(line, 20, text_length(term)) == term;
            ASSERT_EQ(filter_test(line), expected) << "round " << round << " '" << line << "'";
            (expected ? hits : misses)++;
        }
    }
    EXPECT_GT(hits, 4000);
    EXPECT_GT(misses, 4000);
}

// Every one of the 50001 slots, set or not, compared on text_mid (slot, 20,
// 200); spelled out in bytes, as unoptimised builds run it 10^8 times.
bool literal_repeat_test(const std::vector<Text>& store, const Text& line) {
    const Text probe = text_mid(line, 20, 200);
    const Text* slot = store.data();
    for (int i = 0; i < 50001; ++i, ++slot) {
        const size_t size = slot->size(), n = size < 20 ? 0 : size - 19 < 200 ? size - 19 : 200;
        if (n == probe.size() && (n == 0 || std::memcmp(slot->data() + 19, probe.data(), n) == 0))
            return true;
    }
    return false;
}

// No window services, no data file: only the Event store is at work.
TEST(Equivalence, RepeatTestAndAcceptAreTheWalkOverAllSlots) {
    std::vector<Text> store(50001);
    int repeats = 0, accepted = 0;
    for (int sequence = 0; sequence < 200; ++sequence) {
        run_start_up();
        event_tests_prepare();
        std::vector<Text> accepted_lines;
        // Event texts equal in their first 200 characters, and short ones.
        const Text long_text = random_text("abc", 200, 200);
        const std::vector<Text> texts = {"a", "b a", random_text("ab ", 1, 4), long_text, long_text + "x",
                                         long_text + "yz", text_left(long_text, 199)};
        int slot = g_run.slot_index = pick(0, 3) ? 0 : pick(0, 49900);
        for (int step = pick(1, 25); step > 0; --step) {
            const int kind = pick(1, 10);  // 1: filtered, 2: dropped, 3: no Event text
            if (kind == 1) continue;       // the Slot index stays
            if (kind > 2) {
                Text line = pick(0, 1) ? "05.12.2009 08:15" : "06.12.2009 20:15";
                line += pick(0, 1) ? "   " : " + ";
                line = kind == 3 ? text_left(line, pick(0, 19)) : line + any_of(texts);
                const bool expected = literal_repeat_test(store, line);
                ASSERT_EQ(repeat_test(line), expected) << "sequence " << sequence << " '" << line << "'";
                (expected ? repeats : accepted)++;
                if (!expected) {
                    accept_event(line);
                    store[static_cast<size_t>(slot)] = line;
                    accepted_lines.push_back(line);
                }
            }
            advance_slot_index();
            ++slot;
        }
        ASSERT_EQ(g_run.slot_index, slot);
        ASSERT_EQ(g_run.event_store, accepted_lines);
        for (Text& line : store) line.clear();
    }
    EXPECT_GT(repeats, 1000);
    EXPECT_GT(accepted, 500);
}

}  // namespace
