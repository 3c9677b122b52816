// The Conversion loop: the Event file is read from its first line and its
// next version written to TELVOR.DAT. Guide blocks become Event records,
// Event records of earlier runs are repaired and carried over, every other
// line is dropped. At the end of input TELVOR.DAT replaces the Event file.
#pragma once

#include "core/normalise.h"

// Runs the whole conversion, end of input included, the Weekday lines
// normalised with services. True when the Event file was replaced by its
// converted version.
bool convert_event_file(const ServiceNames& services);
