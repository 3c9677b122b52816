#include "runtime/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<Text>;

// Reference: the partition sort written out step by step, recursing into
// the left part and looping over the right part, with its own comparison
// (lexicographic over unsigned, optionally folded bytes).
struct Reference {
    bool descending;
    bool ignore_case;

    int unit(char c) const {
        int u = static_cast<unsigned char>(c);
        return (ignore_case && u >= 'A' && u <= 'Z') ? u + 32 : u;
    }
    int cmp(const Text& a, const Text& b) const {
        int c = 0;
        std::size_t k = 0;
        while (c == 0 && k < a.size() && k < b.size()) {
            c = unit(a[k]) - unit(b[k]);
            ++k;
        }
        if (c == 0) c = static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size());
        c = c < 0 ? -1 : (c > 0 ? 1 : 0);
        return descending ? -c : c;
    }
    int partition(Names& a, int lo, int hi) const {
        int mid = (lo + hi) / 2;
        int pivot = mid;
        if (cmp(a[lo], a[hi]) > 0) pivot = mid;
        else if (cmp(a[mid], a[lo]) <= 0) pivot = lo;
        else if (cmp(a[mid], a[hi]) >= 0) pivot = hi;
        std::swap(a[lo], a[pivot]);
        Text v = a[lo];
        int i = lo - 1, j = hi + 1;
        while (true) {
            j--;
            while (cmp(a[j], v) > 0) j--;
            i++;
            while (cmp(a[i], v) < 0) i++;
            if (i >= j) return j;
            std::swap(a[i], a[j]);
        }
    }
    void sort(Names& a, int lo, int hi) const {
        while (hi - lo > 0) {
            int p = partition(a, lo, hi);
            sort(a, lo, p);
            lo = p + 1;
        }
    }
};

Names sorted(Names names, int options) {
    sort_texts(names, options, 0, static_cast<int>(names.size()) - 1);
    return names;
}

const int kAsc = SORT_IGNORE_CASE;
const int kDesc = SORT_IGNORE_CASE | SORT_DESCENDING;

TEST(SortTexts, EmptyAndSingleRanges) {
    Names names = {"b", "a"};
    sort_texts(names, kAsc, 0, -1);
    EXPECT_EQ(names, (Names{"b", "a"}));
    sort_texts(names, kAsc, 1, 1);
    EXPECT_EQ(names, (Names{"b", "a"}));
    sort_texts(names, kAsc, 1, 0);
    EXPECT_EQ(names, (Names{"b", "a"}));
    Names none;
    sort_texts(none, kDesc, 0, -1);
    EXPECT_TRUE(none.empty());
}

TEST(SortTexts, ServiceNames) {
    Names names = {"ard", "ZDF", "arte", "Arte HD"};
    EXPECT_EQ(sorted(names, kAsc), (Names{"ard", "arte", "Arte HD", "ZDF"}));
    // Descending: every name comes before the names that are its beginning.
    EXPECT_EQ(sorted(names, kDesc), (Names{"ZDF", "Arte HD", "arte", "ard"}));
    EXPECT_EQ(sorted({"ZDF", "ZDF HD", "zdf neo", "Z"}, kDesc), (Names{"zdf neo", "ZDF HD", "ZDF", "Z"}));
}

TEST(SortTexts, TiesEndInTheAlgorithmsOrder) {
    EXPECT_EQ(sorted({"ZDF", "zdf"}, kAsc), (Names{"zdf", "ZDF"}));
    EXPECT_EQ(sorted({"ZDF", "zdf"}, kDesc), (Names{"zdf", "ZDF"}));
    EXPECT_EQ(sorted({"b", "A", "a", "B"}, kAsc), (Names{"a", "A", "B", "b"}));
    EXPECT_EQ(sorted({"b", "A", "a", "B"}, kDesc), (Names{"b", "B", "A", "a"}));
}

TEST(SortTexts, ComparisonOrders) {
    // Exact: unsigned bytes, 'Z' before 'a' before 0xE4.
    EXPECT_EQ(sorted({"\xE4", "a", "Z"}, 0), (Names{"Z", "a", "\xE4"}));
    EXPECT_EQ(sorted({"\xE4", "a", "Z"}, SORT_DESCENDING), (Names{"\xE4", "a", "Z"}));
    // Ignoring case, the letters fold down, so '[' .. '`' come before them;
    // accented letters are not folded.
    EXPECT_EQ(sorted({"b", "_", "A", "[", "\xC4", "\xE4"}, kAsc), (Names{"[", "_", "A", "b", "\xC4", "\xE4"}));
    EXPECT_EQ(sorted({"b", "_", "A", "["}, 0), (Names{"A", "[", "_", "b"}));
    // The empty text first, a beginning before the longer text.
    EXPECT_EQ(sorted({"ab", "", "a"}, kAsc), (Names{"", "a", "ab"}));
}

TEST(SortTexts, OnlyTheRangeMoves) {
    Names names = {"z", "d", "c", "b", "a", "y"};
    sort_texts(names, kAsc, 1, 4);
    EXPECT_EQ(names, (Names{"z", "a", "b", "c", "d", "y"}));
    // A range reaching past the ends of the array is cut to the array.
    Names more = {"c", "a", "b"};
    sort_texts(more, kAsc, -5, 10);
    EXPECT_EQ(more, (Names{"a", "b", "c"}));
    sort_texts(more, kAsc, 3, 10);
    EXPECT_EQ(more, (Names{"a", "b", "c"}));
}

// Random lists over a small alphabet full of case duplicates, checked to be
// an ordered permutation and to agree with the reference to the last tie.
TEST(SortTexts, RandomListsMatchReference) {
    std::mt19937 rng(20260512);
    const std::string alphabet = std::string("aAbB zZ[_") + "\xE4\xC4";
    for (int round = 0; round < 3000; ++round) {
        int count = static_cast<int>(rng() % 60);
        Names names;
        for (int k = 0; k < count; ++k) {
            Text name;
            int length = static_cast<int>(rng() % 4);
            for (int c = 0; c < length; ++c) name.push_back(alphabet[rng() % alphabet.size()]);
            names.push_back(name);
        }
        int options = static_cast<int>(rng() % 4);
        int first = count == 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(count));
        int last = count - 1 - (count == 0 ? 0 : static_cast<int>(rng() % 3));
        if (round % 2 == 0) {
            first = 0;
            last = count - 1;
        }
        Reference ref{(options & SORT_DESCENDING) != 0, (options & SORT_IGNORE_CASE) != 0};

        Names got = names;
        sort_texts(got, options, first, last);
        Names want = names;
        if (last > first) ref.sort(want, first, last);
        ASSERT_EQ(got, want) << "round " << round << " options " << options;

        Names a = names, b = got;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        ASSERT_EQ(a, b) << "not a permutation, round " << round;
        for (int k = 0; k < count; ++k) {
            if (k < first || k > last) {
                ASSERT_EQ(got[k], names[k]);
            } else if (k > first) {
                ASSERT_LE(ref.cmp(got[k - 1], got[k]), 0) << "round " << round;
            }
        }
    }
}

// Long lists of the shapes that hurt a naive quicksort: sorted, reversed,
// all equal, few distinct values, organ pipe. The result must match the
// reference and no shape may exhaust the stack.
TEST(SortTexts, LargeListsOfManyShapes) {
    const int n = 10001;  // the largest Service list
    std::vector<Names> inputs;
    Names ascending;
    for (int k = 0; k < n; ++k) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "N%06d", k);
        ascending.push_back(buffer);
    }
    inputs.push_back(ascending);
    inputs.push_back(Names(ascending.rbegin(), ascending.rend()));
    inputs.push_back(Names(n, "Same"));
    Names cases;
    for (int k = 0; k < n; ++k) cases.push_back(k % 3 == 0 ? "ZDF" : (k % 3 == 1 ? "zdf" : "Zdf"));
    inputs.push_back(cases);
    Names pipe;
    for (int k = 0; k < n; ++k) pipe.push_back(ascending[k < n / 2 ? 2 * k : 2 * (n - 1 - k) + 1]);
    inputs.push_back(pipe);
    Names shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    inputs.push_back(shuffled);

    for (std::size_t shape = 0; shape < inputs.size(); ++shape) {
        for (int options : {kAsc, kDesc}) {
            Names got = sorted(inputs[shape], options);
            Names want = inputs[shape];
            Reference{(options & SORT_DESCENDING) != 0, true}.sort(want, 0, n - 1);
            EXPECT_EQ(got, want) << "shape " << shape << " options " << options;
        }
    }
}

}  // namespace
