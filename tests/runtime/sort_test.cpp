// The partition sort: examples with the order it gives to ties, and random
// lists, which come out ordered, as a permutation, and untouched outside the
// range sorted.
#include "runtime/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<Text>;
const int ASCENDING = SORT_IGNORE_CASE, DESCENDING = SORT_IGNORE_CASE | SORT_DESCENDING;

// Negative, 0 or positive as a orders before, with or after b: bytes
// unsigned, a prefix first, A-Z as a-z when case is ignored.
int order(Text a, Text b, int options) {
    if (options & SORT_IGNORE_CASE) {
        a = text_lower(a);  // the letters beyond ASCII are not among the random ones
        b = text_lower(b);
    }
    return (options & SORT_DESCENDING) ? -a.compare(b) : a.compare(b);
}

TEST(Sort, ExamplesAndTies) {
    struct { Names in; int options; Names want; } cases[] = {
        {{"ard", "ZDF", "arte", "Arte HD"}, ASCENDING, {"ard", "arte", "Arte HD", "ZDF"}},
        {{"ard", "ZDF", "arte", "Arte HD"}, DESCENDING, {"ZDF", "Arte HD", "arte", "ard"}},
        {{"ZDF", "zdf"}, ASCENDING, {"zdf", "ZDF"}}, {{"ZDF", "zdf"}, DESCENDING, {"zdf", "ZDF"}},
        {{"b", "A", "a", "B"}, ASCENDING, {"a", "A", "B", "b"}}, {{"b", "A", "a", "B"}, DESCENDING, {"b", "B", "A", "a"}},
        {{"\xE4", "a", "Z"}, 0, {"Z", "a", "\xE4"}}};
    for (auto& c : cases) {
        Names got = c.in;
        sort_texts(got, c.options, 0, static_cast<int>(got.size()) - 1);
        EXPECT_EQ(got, c.want) << "options " << c.options;
    }
    Names names = {"b", "a"}, none;
    sort_texts(names, ASCENDING, 0, -1), sort_texts(names, ASCENDING, 1, 1), sort_texts(none, DESCENDING, 0, -1);
    EXPECT_EQ(names, (Names{"b", "a"}));
}

// Small alphabet full of case duplicates and equal names.
TEST(Sort, RandomListsComeOutOrderedPermutedAndOnlyInTheirRange) {
    std::mt19937 rng(20260512);
    const std::string alphabet = "aAbB zZ[_\xE4";
    for (int round = 0; round < 3000; ++round) {
        Names names(rng() % 60);
        for (Text& name : names)
            for (unsigned length = rng() % 4; length > 0; --length) name += alphabet[rng() % alphabet.size()];
        const int count = static_cast<int>(names.size()), options = static_cast<int>(rng() % 4);
        const bool whole = round % 2;  // else a part of the list
        const int first = whole || !count ? 0 : static_cast<int>(rng() % names.size());
        const int last = count - 1 - (whole ? 0 : static_cast<int>(rng() % 3));
        Names got = names;
        sort_texts(got, options, first, last);
        for (int k = 0; k < count; ++k) {
            if (k < first || k > last) {
                ASSERT_EQ(got[k], names[k]) << "round " << round;
            }
        }
        if (first < last) {
            ASSERT_TRUE(std::is_permutation(got.begin() + first, got.begin() + last + 1, names.begin() + first))
                << "round " << round;
            for (int k = first + 1; k <= last; ++k) ASSERT_LE(order(got[k - 1], got[k], options), 0) << "round " << round;
        }
    }
}

}  // namespace
