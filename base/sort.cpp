// In-place sort of a range of a text array (quicksort with a fixed pivot
// choice and Hoare partition; not stable).
#include "base/sort.h"

#include <cstddef>
#include <utility>

namespace {

// Ascending order: negative if a orders first, 0 if equal, positive if after.
int compare_texts(const Text& a, const Text& b, bool ignore_case) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (ignore_case) {
            x = text_fold_ascii(x);
            y = text_fold_ascii(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

struct Sorter {
    std::vector<Text>& a;
    bool descending;
    bool ignore_case;

    int cmp(const Text& x, const Text& y) const {
        int c = compare_texts(x, y, ignore_case);
        return descending ? -c : c;
    }

    int partition(int lo, int hi) {
        int mid = lo + (hi - lo) / 2;
        int pivot;
        if (cmp(a[lo], a[hi]) > 0) {
            pivot = mid;
        } else if (cmp(a[mid], a[lo]) <= 0) {
            pivot = lo;
        } else if (cmp(a[mid], a[hi]) >= 0) {
            pivot = hi;
        } else {
            pivot = mid;
        }
        std::swap(a[lo], a[pivot]);
        // The pivot value is held apart: the elements are compared with it,
        // not with whatever ends up in a[lo] after the swaps below.
        const Text v = a[lo];
        int i = lo - 1;
        int j = hi + 1;
        for (;;) {
            do --j; while (cmp(a[j], v) > 0);
            do ++i; while (cmp(a[i], v) < 0);
            if (i >= j) return j;
            std::swap(a[i], a[j]);
        }
    }

    // Every partition touches only its own range and the two parts it leaves
    // are disjoint, so the order in which the parts are finished does not
    // change the result. Recursing into the smaller part and looping over the
    // larger one keeps the depth at about log2 of the range length whatever the
    // input, with the same result as always finishing the left part first.
    void sort(int lo, int hi) {
        while (hi - lo > 0) {
            int p = partition(lo, hi);
            if (p - lo < hi - (p + 1)) {
                sort(lo, p);
                lo = p + 1;
            } else {
                sort(p + 1, hi);
                hi = p;
            }
        }
    }
};

}  // namespace

void sort_texts(std::vector<Text>& array, int options, int first, int last) {
    // A range reaching past either end of the array is cut to the array.
    if (first < 0) first = 0;
    int size = array.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(array.size());
    if (last > size - 1) last = size - 1;
    if (last <= first) return;
    Sorter sorter{array, (options & SORT_DESCENDING) != 0, (options & SORT_IGNORE_CASE) != 0};
    sorter.sort(first, last);
}
