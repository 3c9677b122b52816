// The sort on input built to make the left part of every partition as large
// as possible, run on a thread with a small stack.
#include <pthread.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "runtime/sort.h"

namespace {

// An adversary in the manner of McIlroy: the partition sort runs over items
// whose values are fixed only when a comparison needs them. Unfixed items
// order below all fixed ones, and the item that has to be fixed gets the
// largest value still free, so the pivots come out near the top of their
// ranges. The values fixed by the end form an input on which the sort takes
// the same path. Returns that input; *depth receives the deepest recursion
// of the left-part-first order on it.
std::vector<int> deep_input(int n, int* depth) {
    const int unfixed = -1;
    std::vector<int> value(n, unfixed);
    int next = n - 1;
    int candidate = 0;
    auto cmp = [&](int x, int y) {
        if (value[x] == unfixed && value[y] == unfixed) {
            if (x == candidate) value[x] = next--;
            else value[y] = next--;
        }
        if (value[x] == unfixed) candidate = x;
        else if (value[y] == unfixed) candidate = y;
        return value[x] - value[y];
    };
    std::vector<int> a(n);
    for (int k = 0; k < n; ++k) a[k] = k;
    auto partition = [&](int lo, int hi) {
        int mid = (lo + hi) / 2;
        int pivot = mid;
        if (cmp(a[lo], a[hi]) > 0) pivot = mid;
        else if (cmp(a[mid], a[lo]) <= 0) pivot = lo;
        else if (cmp(a[mid], a[hi]) >= 0) pivot = hi;
        std::swap(a[lo], a[pivot]);
        int v = a[lo];
        int i = lo - 1, j = hi + 1;
        for (;;) {
            do --j; while (cmp(a[j], v) > 0);
            do ++i; while (cmp(a[i], v) < 0);
            if (i >= j) return j;
            std::swap(a[i], a[j]);
        }
    };
    // Left part first, kept on an explicit list so the adversary itself
    // needs no deep stack.
    std::vector<std::pair<int, int>> pending{{0, n - 1}};
    std::vector<int> levels{1};
    *depth = 0;
    while (!pending.empty()) {
        auto [lo, hi] = pending.back();
        int level = levels.back();
        pending.pop_back();
        levels.pop_back();
        if (level > *depth) *depth = level;
        if (hi - lo <= 0) continue;
        int p = partition(lo, hi);
        pending.push_back({p + 1, hi});  // the loop over the right part
        levels.push_back(level);
        pending.push_back({lo, p});      // the recursion, done first
        levels.push_back(level + 1);
    }
    for (int& v : value) {
        if (v == unfixed) v = next--;
    }
    return value;
}

struct Job {
    std::vector<Text>* names;
    int options;
};

void* run_sort(void* arg) {
    Job* job = static_cast<Job*>(arg);
    sort_texts(*job->names, job->options, 0, static_cast<int>(job->names->size()) - 1);
    return nullptr;
}

TEST(SortTextsStack, DeepInputSortsOnSmallStack) {
    const int n = 10001;
    int depth = 0;
    std::vector<int> values = deep_input(n, &depth);
    ASSERT_GT(depth, n / 4) << "the input should drive the left part deep";

    std::vector<Text> names;
    for (int v : values) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "n%05d", v);
        names.push_back(buffer);
    }
    Job job{&names, SORT_IGNORE_CASE};
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 64 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, run_sort, &job), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attr);

    for (int k = 0; k < n; ++k) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "n%05d", k);
        ASSERT_EQ(names[k], buffer) << "index " << k;
    }
}

}  // namespace
