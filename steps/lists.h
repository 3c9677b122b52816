// The Filter file and the Service file: read once into the Filter list and
// the Service list, and shown in their views.
#pragma once

// Reads TELVOR.filter into the Filter list (terms in file order).
void read_filter_file();
// Reads TELVOR.service into the Service list (each name with one blank
// appended); the view shows them ascending, the list keeps them descending,
// letter case ignored.
void read_service_file();
