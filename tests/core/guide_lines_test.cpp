// How a Guide block becomes an Event record, and how lines read back from
// the Event file are repaired and marked.
#include <gtest/gtest.h>

#include "core/event_line.h"
#include "core/guide_lines.h"

namespace {

const ServiceNames no_names;

// Each made in a buffer that is used again: what stood there before never shows.
TEST(GuideBlock, EventGenreAndDescriptionLines) {
    Text kept = Text(300, '#');
    NormaliseBuffers buffers;
    EXPECT_EQ(compose_event_line("07.12.2009 " + Text(250, 'x'), "09:05 30 min.", kept),
              "07.12.2009 09:05   " + Text(200, 'x'));
    // One pass per abbreviation, "So." first, so what the removal of "Sa." joins into a "So." stays.
    EXPECT_EQ(weekday_line_prepared("Mo. 7.12.2009 SSa.o.x", no_names, buffers, kept), "07.12.2009 So.x");
    EXPECT_EQ(time_line_prepared("9:05\t30 min.\tInfo", kept), "09:05 30 min. Info");
    EXPECT_EQ(compose_genre_line("18:00 50 min. a min. b\\", kept), "Genre: a min. b");
    EXPECT_EQ(compose_genre_line("18:00 N/A", kept), "Genre: 0 N/A");  // without "min.": from character 5
    // Five characters go when the second is a colon, else six.
    EXPECT_EQ(compose_description_line("8:45 Text", kept), "Text");
    EXPECT_EQ(compose_description_line("18:50 Alle", kept), "Alle");
}

TEST(ReadBackLine, SpacingRepairAndMarking) {
    Text changed;
    EXPECT_EQ(spacing_repair("05.12.2009 08:15 + a     b", changed), "05.12.2009 08:15 + a    b");
    EXPECT_EQ(spacing_repair("05.12.2009 08:15  News", changed), "05.12.2009 08:15   News");
    EXPECT_EQ(spacing_repair("a   b", changed), "a    b");
    EXPECT_EQ(mark_event_line("05.12.2009 08:15   A   B", changed), "05.12.2009 08:15 + A   B");
    EXPECT_EQ(mark_event_line("05.12.2009 20:52 -- >>> /X", changed), "05.12.2009 20:52 -- >>> /X");
}

}  // namespace
