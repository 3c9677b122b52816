// The fast normalisation, Filter and Repeat tests against the plain passes and
// walks they stand for, on random cases built to hit the edges.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/events.h"
#include "core/normalise.h"
#include "support/test_support.h"

namespace {

Text random_text(const std::string& alphabet, int min_length, int max_length) {
    Text text;
    for (int i = pick(min_length, max_length); i > 0; --i) text += any_of(alphabet);
    return text;
}
Text flip_case(Text text) {
    for (char& c : text)
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z' && pick(0, 1)) c = static_cast<char>(c ^ 0x20);
    return text;
}

// Letters, their ASCII neighbours, high bytes that are letters in their low seven bits, a tab.
const std::string NAME_BYTES = "abAB @[`{\xC1\xE1\xC4\xE4\t";

// Names whole, in other case, or split by a name whose removal makes them.
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

Text literal_names(Text text, const std::vector<Text>& names) {
    for (const Text& name : names) text = text_remove_all(text, name, true);
    return text;
}

TEST(Equivalence, ServiceNameRemovalIsOnePassPerEntry) {
    for (int round = 0; round < 3000; ++round) {
        std::vector<Text> names;  // the first rounds: large texts with many names, in one of many first bytes
        for (int i = round < 3 ? 200 : pick(1, 10); i > 0; --i)
            names.push_back(i % 3 == 0 && !names.empty() ? flip_case(any_of(names))
                                                         : (round == 1 ? random_text("cdefghijklmnopqrstuvwxyz0123456789", 1, 1) : "") +
                                                               random_text(NAME_BYTES, 3, 9) + " ");
        Text text = pick(0, 3) ? text_of_names(names, pick(0, 16)) : random_text(NAME_BYTES, 0, 60);
        while (round < 3 && text.size() < 60000)
            text += random_text("ab\r\n", 1, 9) + text_of_names(names, 2);
        ASSERT_EQ(service_name_removal(text, service_names_prepare(names)), literal_names(text, names)) << "'" << text << "'";
    }
}

Text literal_date_table(Text text) {
    for (int n = 1; n <= 31; ++n)
        text = text_replace_all(text, ". " + std::to_string(n) + ".", (n < 10 ? ".0" : ".") + std::to_string(n) + ".");
    for (int n = 1; n <= 9; ++n) text = text_replace_all(text, "." + std::to_string(n) + ".", ".0" + std::to_string(n) + ".");
    return text;
}

TEST(Equivalence, NormalisationIsOnePassPerStepAndDateRow) {
    // Capture removes Service names after the Date rows, Line before them.
    const std::vector<Text> names = {"ab. 1 ", "b.1 ", "AB ", ".\t "};
    for (int round = 0; round < 20000; ++round) {
        const std::vector<Text> used(names.begin(), names.begin() + pick(0, 4));
        const ServiceNames prepared = service_names_prepare(used);
        Text text = random_text(". .123019\t\\ab\r\n", 0, 30);
        // Long texts, shrinking, or shrinking first and then growing.
        for (; round < 4 && text.size() < 80000;)
            text += random_text(text.size() < (round % 2 ? 80000 : 10000) ? ". 9\t\\\\ab\r\n" : "..5\n", 1, 30);
        const Text capture = literal_names(
            literal_date_table(text_remove_all(text_replace_all(text_replace_all(text, " \t", " "), "\t", " "), "\\", false)),
            used);
        ASSERT_EQ(capture_normalisation(text, prepared), capture) << "'" << text << "'";
        const Text line = literal_date_table(
            literal_names(text_replace_all(text_remove_all(text, "\\", false), "\t", " "), used));
        ASSERT_EQ(line_normalisation(text, prepared), line) << "'" << text << "'";
    }
}

TEST(Equivalence, FilterTestIsTheFirstMatchWalkOverTheTerms) {
    int hits = 0, misses = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<Text> terms;  // beginning one another, some longer than any Event text, rarely empty
        for (int i = pick(0, 8); i > 0; --i) {
            const Text text = random_text("aAb ", pick(0, 30) ? 1 : 0, pick(0, 9) ? 5 : 40);
            const int kind = terms.empty() ? 0 : pick(0, 3);
            terms.push_back(kind < 2    ? text
                            : kind == 2 ? text_left(any_of(terms), pick(1, 3))
                                        : any_of(terms) + text);
        }
        const FilterIndex index = filter_index_build(terms);
        for (int event = 0; event < 20; ++event) {
            Text line = random_text("0123456789.: +", 0, 19);
            if (pick(0, 4)) line = text_left(line + Text(19, ' '), 19) + random_text("aAb ", 0, 8);
            bool expected = false;
            for (const Text& term : terms) expected |= text_mid(line, 20, text_length(term)) == term;
            ASSERT_EQ(filter_test(index, line), expected) << "round " << round << " '" << line << "'";
            (expected ? hits : misses)++;
        }
    }
    EXPECT_GT(hits, 4000);
    EXPECT_GT(misses, 4000);
}

TEST(Equivalence, RepeatTestIsTheWalkOverTheStoredEvents) {
    int repeats = 0, accepted = 0;
    for (int sequence = 0; sequence < 200; ++sequence) {
        EventStore store;
        std::vector<Text> stored;
        const Text long_text = random_text("abc", 200, 200);
        // Texts equal in their first 200 characters, and short ones.
        const std::vector<Text> texts = {"a", "b a", random_text("ab ", 1, 4), long_text, long_text + "x",
                                         long_text + "yz", text_left(long_text, 199)};
        for (int step = sequence % 50 ? pick(1, 60) : 1500; step > 0; --step) {  // some past a table size
            Text line = pick(0, 1) ? "05.12.2009 08:15" : "06.12.2009 20:15";
            line += pick(0, 1) ? "   " : " + ";
            line = pick(0, 9) == 0 ? text_left(line, pick(0, 19)) : line + any_of(texts) + (pick(0, 1) ? "" : std::to_string(step));
            const Text probe = text_mid(line, 20, 200);
            bool expected = probe.empty();  // the store's empty slots equal the empty text
            for (const Text& slot : stored) expected |= text_mid(slot, 20, 200) == probe;
            ASSERT_EQ(repeat_test_or_store(store, line), expected) << "sequence " << sequence << " '" << line << "'";
            (expected ? repeats : accepted)++;
            if (!expected) stored.push_back(line);
        }
        ASSERT_EQ(store.count, stored.size());
    }
    EXPECT_GT(repeats, 1000);
    EXPECT_GT(accepted, 500);
}

}  // namespace
