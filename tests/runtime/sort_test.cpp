// The partition sort: examples, tie order, random lists against a reference.
#include "runtime/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<Text>;
const int ASCENDING = SORT_IGNORE_CASE, DESCENDING = SORT_IGNORE_CASE | SORT_DESCENDING;

// Bytes compare unsigned in std::string::compare.
int reference_cmp(Text a, Text b, int options) {
    for (Text* t : {&a, &b})
        for (char& c : *t)
            if ((options & SORT_IGNORE_CASE) && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return (options & SORT_DESCENDING) ? -a.compare(b) : a.compare(b);
}

void reference_sort(Names& a, int lo, int hi, int options) {
    auto cmp = [&](const Text& x, const Text& y) { return reference_cmp(x, y, options); };
    while (hi - lo > 0) {
        const int mid = (lo + hi) / 2, pivot = cmp(a[lo], a[hi]) > 0 ? mid
                                               : cmp(a[mid], a[lo]) <= 0 ? lo : cmp(a[mid], a[hi]) >= 0 ? hi : mid;
        std::swap(a[lo], a[pivot]);
        const Text v = a[lo];
        int i = lo - 1, j = hi + 1;
        for (;;) {
            do --j; while (cmp(a[j], v) > 0);
            do ++i; while (cmp(a[i], v) < 0);
            if (i >= j) break;
            std::swap(a[i], a[j]);
        }
        reference_sort(a, lo, j, options);
        lo = j + 1;
    }
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

// Small alphabet full of case duplicates: the result must be an ordered
// permutation, equal to the reference down to the order of ties.
TEST(Sort, RandomListsMatchReference) {
    std::mt19937 rng(20260512);
    const std::string alphabet = "aAbB zZ[_\xE4\xC4";
    for (int round = 0; round < 3000; ++round) {
        Names names(rng() % 60);
        for (Text& name : names)
            for (unsigned length = rng() % 4; length > 0; --length) name += alphabet[rng() % alphabet.size()];
        const int count = static_cast<int>(names.size()), options = static_cast<int>(rng() % 4);
        const bool whole = round % 2;  // else a part of the list
        const int first = whole || !count ? 0 : static_cast<int>(rng() % names.size());
        const int last = count - 1 - (whole ? 0 : static_cast<int>(rng() % 3));
        Names got = names, want = names;
        sort_texts(got, options, first, last);
        reference_sort(want, first, last, options);
        ASSERT_EQ(got, want) << "round " << round;
        ASSERT_TRUE(std::is_permutation(got.begin(), got.end(), names.begin())) << "round " << round;
        for (int k = first + 1; k <= last; ++k) ASSERT_LE(reference_cmp(got[k - 1], got[k], options), 0);
    }
}

}  // namespace
