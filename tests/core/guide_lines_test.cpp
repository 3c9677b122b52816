// How a Guide block becomes an Event record, and how lines read back from
// the Event file are repaired, recognised and marked.
#include <gtest/gtest.h>

#include "core/event_line.h"
#include "core/guide_lines.h"

namespace {

using Pairs = std::vector<std::pair<Text, Text>>;

template <typename F> void expect_all(F f, const Pairs& cases) {
    for (const auto& [input, expected] : cases) EXPECT_EQ(f(input), expected) << "'" << input << "'";
}

const ServiceNames no_names;

// Each made in a buffer that is used again: what stood there before never
// shows.
TEST(GuideBlock, EventGenreAndDescriptionLines) {
    Text kept = Text(300, '#');
    NormaliseBuffers buffers;
    // The Event line: date, Start time (what stands there, a time or not),
    // the empty mark, the title cut at 200 characters.
    expect_all([&](const Text& title) { return Text(compose_event_line("07.12.2009 " + title, "09:05 30 min.", kept)); },
               {{"Reise", "07.12.2009 09:05   Reise"}, {Text(250, 'x'), "07.12.2009 09:05   " + Text(200, 'x')}});
    EXPECT_EQ(compose_event_line("07.12.2009 Reise", "N/A", kept), "07.12.2009 N/A   Reise");
    // One pass per abbreviation, in a fixed order: "So." before "Su." and
    // "Sa.", so what their removal joins into a "So." stays.
    EXPECT_EQ(weekday_line_prepared("Mo. 7.12.2009 SSa.o.x", no_names, buffers, kept), "07.12.2009 So.x");
    EXPECT_EQ(weekday_line_prepared("Mo. 7.12.2009 SSu.o.x", no_names, buffers, kept), "07.12.2009 So.x");
    for (const char* line : {"Sa. 1.1.2010 x", "Mo.", "Do.", "Su. x", "Th."}) EXPECT_TRUE(is_weekday_line(line)) << line;
    for (const char* line : {"fr. 1.1.2010 x", "SA.", " Fr.", "Fr", "Sat. x", ""}) EXPECT_FALSE(is_weekday_line(line)) << line;
    // A Time line: tabs become spaces, a one-digit hour gets its leading zero.
    expect_all([&](const Text& time) { return Text(time_line_prepared(time, kept)); },
               {{"9:05\t30 min.\tInfo", "09:05 30 min. Info"}, {"18:00\t50", "18:00 50"}, {"9", "9"}, {"", ""},
                {"18:15 x", "18:15 x"}});
    expect_all([&](const Text& time) { return Text(compose_genre_line(time, kept)); },
               {{"18:00 50 min.", "Genre: "}, {"18:00 50 min. a min. b", "Genre: a min. b"},
                {"18:00 50 min. a\\b\\", "Genre: ab"},
                {"18:00 N/A", "Genre: 0 N/A"},  // without "min.": from character 5
                {"", "Genre: "}});
    // Five characters go when the second is a colon, else six.
    expect_all([&](const Text& description) { return Text(compose_description_line(description, kept)); },
               {{"8:45 Text", "Text"}, {"18:50 Alle", "Alle"}, {"18:50\tTab.", "Tab."}, {"8:45", ""}, {"abcdefg", "g"}});
}

TEST(ReadBackLine, SpacingRepairEventLineTestAndMarking) {
    Text changed;
    const auto repair = [&](const Text& line) { return Text(spacing_repair(line, changed)); };
    const auto mark = [&](const Text& line) { return Text(mark_event_line(line, changed)); };
    expect_all(repair, {{"05.12.2009 08:15    News", "05.12.2009 08:15   News"},
                        {"05.12.2009 08:15 + a     b", "05.12.2009 08:15 + a    b"},
                        {"05.12.2009 08:15   a b c d e f g h i j    k", "05.12.2009 08:15   a b c d e f g h i j   k"},
                        {"05.12.2009 08:15  News", "05.12.2009 08:15   News"}, {"a    b", "a      b"},
                        {"a   b", "a    b"}, {"  ", "   "}, {"05.12.2009 08:15        ", "05.12.2009 08:15      "}});
    for (const char* line : {"05.12.2009 08:15   News", "05.12.2009 08:15", "xx.xxxxxxxxxx:"})
        EXPECT_TRUE(event_line::is_event_line(line)) << line;
    for (const char* line : {"05.12.2009 0815   News", "5.12.2009 08:15   News", "05.12.2009 08", ""})
        EXPECT_FALSE(event_line::is_event_line(line)) << line;
    expect_all(mark, {{"05.12.2009 08:15   A   B", "05.12.2009 08:15 + A   B"},
                      {"05.12.2009 08:15 + News", "05.12.2009 08:15 + News"}, {"05.12.2009 08:15", "05.12.2009 08:15"},
                      {"05.12.2009 20:52 -- >>> /X", "05.12.2009 20:52 -- >>> /X"}});
}

}  // namespace
