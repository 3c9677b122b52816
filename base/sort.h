// In-place sort of a range of a text array.
//
// The algorithm (pivot choice and partition loop) is fixed because the sort
// is not stable: names equal when case is ignored end in the order it gives.
#pragma once

#include <vector>

#include "base/text.h"

enum : int {
    SORT_DESCENDING = 1,   // bit 0: descending instead of ascending
    SORT_IGNORE_CASE = 2,  // bit 1: ASCII A-Z folded to a-z before comparing
};

// Sorts array[first..last] inclusive; nothing happens when last <= first.
void sort_texts(std::vector<Text>& array, int options, int first, int last);
