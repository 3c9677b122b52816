// The partition sort as the lists use it (whole list, case ignored, both ways).
#include "base/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<Text>;
const int ASCENDING = SORT_IGNORE_CASE, DESCENDING = SORT_IGNORE_CASE | SORT_DESCENDING;

// Random lists with many case duplicates come out ordered (bytes unsigned, a prefix first, A-Z as
// a-z) and permuted, the pivot held apart from the swaps; ties in the partition sort's order.
TEST(Sort, RandomListsComeOutOrderedAndPermuted) {
    for (const int options : {ASCENDING, DESCENDING}) {
        Names ties = {"b", "A", "a", "B"};
        sort_texts(ties, options, 0, 3);
        EXPECT_EQ(ties, (options == ASCENDING ? Names{"a", "A", "B", "b"} : Names{"b", "B", "A", "a"}));
    }
    std::mt19937 rng(20260512);
    const std::string alphabet = "aAbB zZ[_\xE4";
    for (int round = 0; round < 3000; ++round) {
        Names names(rng() % 60);
        for (Text& name : names)
            for (unsigned length = rng() % 4; length > 0; --length) name += alphabet[rng() % alphabet.size()];
        const bool descending = round % 2;
        Names got = names;
        sort_texts(got, descending ? DESCENDING : ASCENDING, 0, static_cast<int>(names.size()) - 1);
        ASSERT_TRUE(std::is_permutation(got.begin(), got.end(), names.begin(), names.end())) << round;
        for (std::size_t k = 1; k < got.size(); ++k) {
            const Text a = text_lower(got[k - 1]), b = text_lower(got[k]);
            ASSERT_LE(descending ? b.compare(a) : a.compare(b), 0) << "round " << round;
        }
    }
}

}  // namespace
