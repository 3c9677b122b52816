// The Filter file and the Service file: read once into the Filter list and
// the Service list, and shown in their views.
#pragma once

#include <vector>

#include "base/text.h"
#include "steps/run_state.h"

// Reads TELVOR.filter: the Filter list (terms in file order), shown in the
// Filter view. The Last shown text becomes the last term stored; it stays
// as it was when the file cannot be read.
std::vector<Text> read_filter_file(RunState& run, Text& last_shown);
// Reads TELVOR.service: the Service list (each name with one blank
// appended) in descending order, letter case ignored, shown in the Service
// view in ascending order. The Last shown text becomes the last name in
// ascending order (empty for an empty list); it stays as it was when the
// file cannot be read.
std::vector<Text> read_service_file(RunState& run, Text& last_shown);
