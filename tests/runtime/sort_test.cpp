// The partition sort: the order it gives to ties, and random lists, which
// come out ordered, as a permutation, and untouched outside the range sorted.
#include "runtime/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<Text>;
const int ASCENDING = SORT_IGNORE_CASE, DESCENDING = SORT_IGNORE_CASE | SORT_DESCENDING;

TEST(Sort, Ties) {
    struct { Names in; int options; Names want; } cases[] = {
        {{"ard", "ZDF", "arte", "Arte HD"}, DESCENDING, {"ZDF", "Arte HD", "arte", "ard"}},
        {{"ZDF", "zdf"}, ASCENDING, {"zdf", "ZDF"}}, {{"ZDF", "zdf"}, DESCENDING, {"zdf", "ZDF"}},
        {{"b", "A", "a", "B"}, ASCENDING, {"a", "A", "B", "b"}}, {{"b", "A", "a", "B"}, DESCENDING, {"b", "B", "A", "a"}}};
    for (auto& c : cases) {
        sort_texts(c.in, c.options, 0, static_cast<int>(c.in.size()) - 1);
        EXPECT_EQ(c.in, c.want) << "options " << c.options;
    }
}

// Small alphabet full of case duplicates and equal names; bytes unsigned, a
// prefix first, A-Z as a-z when case is ignored.
TEST(Sort, RandomListsComeOutOrderedPermutedAndOnlyInTheirRange) {
    std::mt19937 rng(20260512);
    const std::string alphabet = "aAbB zZ[_\xE4";
    for (int round = 0; round < 3000; ++round) {
        Names names(rng() % 60);
        for (Text& name : names)
            for (unsigned length = rng() % 4; length > 0; --length) name += alphabet[rng() % alphabet.size()];
        const int count = static_cast<int>(names.size()), options = static_cast<int>(rng() % 4);
        const bool whole = round % 2;  // else a part of the list, or none
        const int first = whole || !count ? 0 : static_cast<int>(rng() % names.size());
        const int last = count - 1 - (whole ? 0 : static_cast<int>(rng() % 3));
        Names got = names;
        sort_texts(got, options, first, last);
        for (int k = 0; k < count; ++k) ASSERT_TRUE((k >= first && k <= last) || got[k] == names[k]) << round;
        if (first >= last) continue;
        ASSERT_TRUE(std::is_permutation(got.begin() + first, got.begin() + last + 1, names.begin() + first));
        for (int k = first + 1; k <= last; ++k) {
            Text a = got[k - 1], b = got[k];
            if (options & SORT_IGNORE_CASE) a = text_lower(a), b = text_lower(b);
            ASSERT_LE((options & SORT_DESCENDING) ? b.compare(a) : a.compare(b), 0) << "round " << round;
        }
    }
}

}  // namespace
