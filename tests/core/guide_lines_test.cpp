// How a Guide block becomes an Event record, and how lines read back from the Event file are
// repaired: the branches the whole runs' samples miss.
#include <gtest/gtest.h>

#include "core/guide_lines.h"

namespace {

const ServiceNames no_names;

// Each made in a buffer that is used again: what stood there before never shows.
TEST(GuideBlock, EventAndGenreLines) {
    Text kept = Text(300, '#');
    NormaliseBuffers buffers;
    EXPECT_EQ(compose_event_line("07.12.2009 " + Text(250, 'x'), "09:05 30 min.", kept),
              "07.12.2009 09:05   " + Text(200, 'x'));
    // One pass per abbreviation, "So." first, so what the removal of "Sa." joins into a "So." stays.
    EXPECT_EQ(weekday_line_prepared("Mo. 7.12.2009 SSa.o.x", no_names, buffers, kept), "07.12.2009 So.x");
    EXPECT_EQ(compose_genre_line("18:00 50 min. a min. b\\", kept), "Genre: a min. b");
    EXPECT_EQ(compose_genre_line("18:00 N/A", kept), "Genre: 0 N/A");  // without "min.": from character 5
}

TEST(ReadBackLine, SpacingRepair) {
    Text changed;
    EXPECT_EQ(spacing_repair("05.12.2009 08:15 + a     b", changed), "05.12.2009 08:15 + a    b");
    EXPECT_EQ(spacing_repair("05.12.2009 08:15  News", changed), "05.12.2009 08:15   News");
    EXPECT_EQ(spacing_repair("a   b", changed), "a    b");
}

}  // namespace
