// The fast event tests and the skipping Service-name removal against the
// plain algorithms they stand for: a walk over all 50001 slots of the Event
// store, a first-match walk over the Filter list, and one text_remove_all
// pass per Service list entry. Each is compared on thousands of random
// cases built to hit the edges (empty Event texts, texts that differ only
// after character 200, terms that begin one another, names that only come
// into being when an earlier name is removed, letter case, bytes above 0x7F).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_state.h"
#include "app/views.h"
#include "convert/events.h"
#include "convert/normalise.h"
#include "runtime/file.h"
#include "runtime/scripted_window.h"
#include "support/test_support.h"

namespace {

using Rng = std::mt19937;

const int STORE_SLOTS = 50001;

int pick(Rng& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

bool chance(Rng& rng, int percent) { return pick(rng, 1, 100) <= percent; }

// A random text over a small alphabet, so that equal pieces are common.
Text random_text(Rng& rng, const std::string& alphabet, int min_length, int max_length) {
    Text text;
    const int length = pick(rng, min_length, max_length);
    for (int i = 0; i < length; ++i)
        text += alphabet[static_cast<size_t>(pick(rng, 0, static_cast<int>(alphabet.size()) - 1))];
    return text;
}

// ---------------------------------------------------------------------------
// Service-name removal

// The plain sequence: one complete pass per entry over the previous result.
Text removal_reference(const Text& text, const std::vector<Text>& names) {
    Text result = text;
    for (const Text& name : names) result = text_remove_all(result, name, true);
    return result;
}

Text normalised_removal(const Text& text, const std::vector<Text>& names) {
    run.service_list = names;
    run.service_count = static_cast<int>(names.size());
    return service_name_removal(text);
}

// Letters in both cases, a space, bytes above 0x7F (0xE4/0xC4 are a-umlaut
// in both cases and must not be taken for each other) and a tab.
const std::string NAME_ALPHABET = "abAB \xE4\xC4x\t";

// A name as the Service file yields it: at least three characters and the
// appended space.
Text random_name(Rng& rng) { return random_text(rng, NAME_ALPHABET, 3, 11) + " "; }

// The name with some ASCII letters in the other case.
Text case_variant(Rng& rng, const Text& name) {
    Text variant = name;
    for (char& c : variant) {
        if (!chance(rng, 50)) continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return variant;
}

// A text built from pieces of the names, so that they occur often: whole
// names, names in other letter case, and one name split by another, which
// only appears once the inner one is removed.
Text text_of_names(Rng& rng, const std::vector<Text>& names, int pieces) {
    Text text;
    for (int i = 0; i < pieces; ++i) {
        const Text& name = names[static_cast<size_t>(pick(rng, 0, static_cast<int>(names.size()) - 1))];
        switch (pick(rng, 0, 4)) {
        case 0: text += name; break;
        case 1: text += case_variant(rng, name); break;
        case 2: {
            const Text& inner = names[static_cast<size_t>(pick(rng, 0, static_cast<int>(names.size()) - 1))];
            const int cut = pick(rng, 1, text_length(name) - 1);
            text += text_left(name, cut) + case_variant(rng, inner) + text_mid(name, cut + 1, 1000);
            break;
        }
        default: text += random_text(rng, NAME_ALPHABET, 0, 4); break;
        }
    }
    return text;
}

TEST(ServiceNameRemovalEquivalence, RandomTextsAndNameListsGiveThePlainPassesResult) {
    Rng rng(20240601);
    for (int round = 0; round < 4000; ++round) {
        std::vector<Text> names;
        const int count = pick(rng, 1, 12);
        for (int i = 0; i < count; ++i)
            names.push_back(chance(rng, 20) && !names.empty()
                                ? case_variant(rng, names[static_cast<size_t>(pick(rng, 0, i - 1))])
                                : random_name(rng));
        const Text text = chance(rng, 70) ? text_of_names(rng, names, pick(rng, 0, 20))
                                          : random_text(rng, NAME_ALPHABET, 0, 80);
        ASSERT_EQ(normalised_removal(text, names), removal_reference(text, names))
            << "round " << round;
    }
}

TEST(ServiceNameRemovalEquivalence, BytesAroundTheLettersAreNotFolded) {
    // The neighbours of A-Z and a-z, and letters with accents whose low
    // seven bits are those of ASCII letters (0xC1, 0xDA, 0xE1, 0xFA).
    const std::string alphabet = "aAzZ@[`{\xC1\xE1\xDA\xFA ";
    Rng rng(31337);
    for (int round = 0; round < 3000; ++round) {
        std::vector<Text> names;
        const int count = pick(rng, 1, 8);
        for (int i = 0; i < count; ++i) names.push_back(random_text(rng, alphabet, 3, 10) + " ");
        const Text text = text_of_names(rng, names, pick(rng, 1, 10));
        ASSERT_EQ(normalised_removal(text, names), removal_reference(text, names)) << "round " << round;
    }
}

TEST(ServiceNameRemovalEquivalence, NamesMadeByEarlierRemovalsAreRemovedByLaterEntries) {
    // "AB<tab>C " only appears once "<tab>XY " is gone; it comes later in the list.
    EXPECT_EQ(normalised_removal("1 AB\txy \tC 2", {"\tXY ", "ab\tc "}), "1 2");
    EXPECT_EQ(normalised_removal("[ABxy C ]", {"XY ", "abc "}), "[]");
    // The other order leaves it: the earlier pass no longer sees it.
    EXPECT_EQ(normalised_removal("[ABxy C ]", {"abc ", "XY "}), "[ABC ]");
    // Case folding covers A-Z only.
    EXPECT_EQ(normalised_removal("\xC4rte \xE4rte ARTE ", {"\xE4RTE "}), "\xC4rte ARTE ");
}

TEST(ServiceNameRemovalEquivalence, LargeTextsWithManyNamesGiveThePlainPassesResult) {
    // Large enough for the big filter, with many removals that change the
    // text (and so the filter) over and over.
    Rng rng(77);
    for (int round = 0; round < 12; ++round) {
        std::vector<Text> names;
        for (int i = 0; i < 200; ++i) names.push_back(random_text(rng, "abcdefgABC\xE4", 3, 9) + " ");
        Text text;
        while (text.size() < 60000) {
            text += chance(rng, 30) ? text_of_names(rng, names, 3)
                                    : random_text(rng, "abcdefgh ABC\xE4\xC4\r\n", 1, 30);
        }
        ASSERT_EQ(normalised_removal(text, names), removal_reference(text, names)) << "round " << round;
    }
}

TEST(ServiceNameRemovalEquivalence, ShortAndOddEntriesBehaveAsPlainPasses) {
    // Entries that Service files never yield still behave like the pass:
    // an empty one removes nothing, short ones are removed as they are.
    Rng rng(5);
    for (int round = 0; round < 2000; ++round) {
        std::vector<Text> names;
        const int count = pick(rng, 1, 6);
        for (int i = 0; i < count; ++i) names.push_back(random_text(rng, "aAb ", 0, 5));
        const Text text = random_text(rng, "aAbB ", 0, 40);
        ASSERT_EQ(normalised_removal(text, names), removal_reference(text, names)) << "round " << round;
    }
    EXPECT_EQ(normalised_removal("", {"abc "}), "");
    EXPECT_EQ(normalised_removal("ab", {"abc "}), "ab");
}

TEST(ServiceNameRemovalEquivalence, CaptureAndLineNormalisationKeepTheirStepOrder) {
    // The removal stands after the Date table in the one and before it in
    // the other.
    run.service_list = {"ABC "};
    run.service_count = 1;
    EXPECT_EQ(capture_normalisation(". ABC 5."), ". 5.");
    EXPECT_EQ(line_normalisation(". ABC 5."), ".05.");
    EXPECT_EQ(line_normalisation("Mo. 6.1.2010\tabc News"), "Mo.06.01.2010 News");
}

// ---------------------------------------------------------------------------
// Filter test and Repeat test

// The run set up as the Conversion loop finds it: a Program directory, the
// window with its views, and a data file open for writing.
class EventTestsEquivalence : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        window_.clipboard_has_text = false;
        window_services_install(&window_);
        run_start_up();
        ASSERT_NE(main_window_open(), 0);
        views_create();
        ASSERT_NE(file_create(DATA_SLOT, dir_.file("data.out")), 0);
    }

    void TearDown() override {
        file_close_all();
        window_services_install(nullptr);
        std::filesystem::current_path(previous_);
    }

    // A fresh run state for the next sequence; the window and the data file stay.
    static void restart() {
        run_start_up();
    }

    const std::vector<Text>& event_view() { return window_.lists[EVENT_VIEW].lines; }

    ScratchDir dir_;
    ScriptedWindow window_;
    std::filesystem::path previous_;
};

// text_mid (line, 20, 200) without the copy.
std::string_view event_text_piece(const Text& line) {
    if (line.size() < 20) return {};
    return std::string_view(line).substr(19, 200);
}

// Goes through all 50001 slots, set or not, and hits on the first whose
// text_mid (slot, 20, 200) equals the probe. Written with plain lengths and
// bytes: it runs tens of thousands of times, also in unoptimised builds.
bool literal_repeat_test(const std::vector<Text>& store, const Text& event_line) {
    const std::string_view probe = event_text_piece(event_line);
    const Text* slot = store.data();
    for (int i = 0; i < STORE_SLOTS; ++i, ++slot) {
        const std::size_t size = slot->size();
        const std::size_t piece = size < 20 ? 0 : std::min<std::size_t>(size - 19, 200);
        if (piece == probe.size() &&
            (piece == 0 || std::memcmp(slot->data() + 19, probe.data(), piece) == 0))
            return true;
    }
    return false;
}

// Goes through the Filter list from entry 0 and hits on the first term that
// text_mid (line, 20, length of the term) equals.
bool literal_filter_test(const std::vector<Text>& terms, const Text& event_line) {
    for (const Text& term : terms)
        if (text_mid(event_line, 20, text_length(term)) == term) return true;
    return false;
}

const char* const DATE_AND_TIMES[] = {"05.12.2009 08:15", "06.12.2009 20:15", "01.01.2010 00:00"};

// An Event line: a date and time, an empty or a marked Mark field, and an
// Event text from a pool, so that repeats are frequent. Some lines are cut
// before or inside the Mark field and have no Event text at all.
Text random_event_line(Rng& rng, const std::vector<Text>& texts) {
    Text line = DATE_AND_TIMES[pick(rng, 0, 2)];
    line += chance(rng, 50) ? "   " : " + ";
    if (chance(rng, 10)) return text_left(line, pick(rng, 0, 19));
    return line + texts[static_cast<size_t>(pick(rng, 0, static_cast<int>(texts.size()) - 1))];
}

// Event texts: short ones, some equal in their first 200 characters and
// different after them, and ones of exactly 200 and 201 characters.
std::vector<Text> event_text_pool(Rng& rng) {
    std::vector<Text> texts;
    for (int i = 0; i < 6; ++i) texts.push_back(random_text(rng, "ab ", 1, 4));
    const Text long_text = random_text(rng, "abc", 200, 200);
    texts.push_back(long_text);
    texts.push_back(long_text + "x");
    texts.push_back(long_text + random_text(rng, "xyz", 1, 30));
    texts.push_back(text_left(long_text, 199));
    texts.push_back(text_left(long_text, 199) + "Q");
    return texts;
}

TEST_F(EventTestsEquivalence, RepeatTestAndAcceptGiveTheResultOfTheWholeStoreWalk) {
    Rng rng(4242);
    int repeats = 0, accepted = 0;
    std::vector<Text> store(STORE_SLOTS);
    std::vector<int> filled;
    for (int sequence = 0; sequence < 2500; ++sequence) {
        // A fresh run state now and then; in between only what a sequence
        // changed is emptied again (making 50001 slots anew is slow in
        // unoptimised builds).
        for (int slot : filled) store[static_cast<size_t>(slot)].clear();
        if (sequence % 25 == 0) {
            restart();
        } else {
            for (int slot : filled) run.event_store[static_cast<size_t>(slot)].clear();
            run.stored_events.clear();
            run.stored_event_count = 0;
        }
        filled.clear();
        const std::vector<Text> texts = event_text_pool(rng);
        // Most sequences start at slot 0, some deep in the store.
        const int start = chance(rng, 80) ? 0 : pick(rng, 0, STORE_SLOTS - 100);
        run.slot_index = start;
        int slot = start;
        const int length = pick(rng, 1, 25);
        for (int step = 0; step < length; ++step) {
            // One iteration of the Conversion loop: a filtered event leaves
            // the Slot index, a dropped line only advances it, an event is
            // tested, perhaps accepted, and advances it.
            const int kind = pick(rng, 1, 100);
            if (kind <= 10) continue;
            if (kind <= 20) {
                advance_slot_index();
                ++slot;
                continue;
            }
            const Text line = random_event_line(rng, texts);
            const bool expected = literal_repeat_test(store, line);
            ASSERT_EQ(repeat_test(line), expected) << "sequence " << sequence << " step " << step;
            if (expected) {
                ++repeats;
            } else {
                store[static_cast<size_t>(slot)] = line;
                filled.push_back(slot);
                accept_event(line);
                ++accepted;
                ASSERT_EQ(run.last_shown_text, line);
                ASSERT_EQ(event_view().back(), text_mid(line, 1, 130));
            }
            advance_slot_index();
            ++slot;
        }
        ASSERT_EQ(run.slot_index, slot);
        for (int i : filled)
            ASSERT_EQ(run.event_store[static_cast<size_t>(i)], store[static_cast<size_t>(i)]) << "slot " << i;
        if (sequence % 25 == 24) {
            for (int i = 0; i < STORE_SLOTS; ++i)
                ASSERT_EQ(run.event_store[static_cast<size_t>(i)], store[static_cast<size_t>(i)]) << "slot " << i;
        }
    }
    // The random cases did reach both outcomes often.
    EXPECT_GT(repeats, 5000);
    EXPECT_GT(accepted, 5000);
}

TEST_F(EventTestsEquivalence, AcceptedLinesReachTheDataFileInOrder) {
    const std::vector<Text> lines = {"05.12.2009 08:15   News", "05.12.2009 09:15 + " + Text(300, 'y'),
                                     "06.12.2009 10:00   Wetter"};
    Text expected;
    for (const Text& line : lines) {
        ASSERT_FALSE(repeat_test(line));
        accept_event(line);
        advance_slot_index();
        expected += line + "\r\n";
    }
    EXPECT_TRUE(repeat_test("07.12.2009 11:11 + News"));
    EXPECT_TRUE(repeat_test("07.12.2009 11:11   " + Text(200, 'y') + "different tail"));
    ASSERT_NE(file_close(DATA_SLOT), 0);
    EXPECT_EQ(read_bytes(dir_.file("data.out")), expected);
}

// Terms over a small alphabet, many of them beginning one another, some
// longer than any Event text.
std::vector<Text> random_terms(Rng& rng) {
    std::vector<Text> terms;
    const int count = pick(rng, 0, 10);
    for (int i = 0; i < count; ++i) {
        if (!terms.empty() && chance(rng, 40)) {
            const Text& other = terms[static_cast<size_t>(pick(rng, 0, i - 1))];
            terms.push_back(chance(rng, 50) ? text_left(other, pick(rng, 1, text_length(other)))
                                            : other + random_text(rng, "aAb ", 1, 3));
        } else {
            terms.push_back(random_text(rng, "aAb ", 1, chance(rng, 10) ? 40 : 5));
        }
    }
    return terms;
}

TEST_F(EventTestsEquivalence, FilterTestGivesTheResultOfTheFirstMatchWalk) {
    Rng rng(777);
    int hits = 0, misses = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::vector<Text> terms = random_terms(rng);
        run.filter_list = terms;
        run.filter_count = static_cast<int>(terms.size());
        filter_index_build();
        for (int event = 0; event < 20; ++event) {
            Text line = random_text(rng, "0123456789.: +", 0, 19);
            if (chance(rng, 80)) line = text_left(line + Text(19, ' '), 19) + random_text(rng, "aAb ", 0, 8);
            const bool expected = literal_filter_test(terms, line);
            ASSERT_EQ(filter_test(line), expected) << "round " << round << " line '" << line << "'";
            (expected ? hits : misses)++;
        }
    }
    EXPECT_GT(hits, 5000);
    EXPECT_GT(misses, 5000);
}

TEST_F(EventTestsEquivalence, FilterTestWithThousandsOfTermsAndAnEmptyTerm) {
    Rng rng(99);
    std::vector<Text> terms;
    for (int i = 0; i < 5000; ++i) terms.push_back(random_text(rng, "abcdefgh", 3, 12));
    run.filter_list = terms;
    run.filter_count = static_cast<int>(terms.size());
    filter_index_build();
    for (int event = 0; event < 5000; ++event) {
        const Text line = "05.12.2009 08:15   " + random_text(rng, "abcdefgh", 0, 14);
        ASSERT_EQ(filter_test(line), literal_filter_test(terms, line)) << line;
    }

    // Only the first Filter count entries are terms.
    run.filter_list = {"News", "Wetter"};
    run.filter_count = 1;
    filter_index_build();
    EXPECT_FALSE(filter_test("05.12.2009 08:15   Wetter"));

    // An empty term begins every Event text, even an empty one.
    run.filter_list = {"xyz", ""};
    run.filter_count = 2;
    filter_index_build();
    EXPECT_TRUE(filter_test("05.12.2009 08:15   News"));
    EXPECT_TRUE(filter_test("05.12.2009"));
}

}  // namespace
