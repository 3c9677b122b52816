// How a Guide block becomes an Event record, and how lines read back from
// the Event file are repaired and recognised.
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "convert/conversion.h"
#include "convert/end_of_run.h"
#include "convert/events.h"

namespace {

struct Block {
    Text event_line, genre_line, description_line;
};

Block convert_block(const Text& weekday, const Text& time, const Text& description) {
    const Text prepared_weekday = weekday_line_prepared(weekday);
    const Text prepared_time = time_line_prepared(time);
    return {compose_event_line(prepared_weekday, prepared_time),
            text_replace_all(compose_genre_line(prepared_time), "\\", ""),
            compose_description_line(description)};
}

class GuideBlock : public ::testing::Test {
protected:
    void SetUp() override { run.service_count = 0; }
};

TEST_F(GuideBlock, WorkedExampleGivesItsRecord) {
    const Block block = convert_block("Sa.05.12.2009 News", "8:15 30 min. Info", "8:45 Text");
    EXPECT_EQ(block.event_line, "05.12.2009 08:15   News");
    EXPECT_EQ(block.genre_line, "Genre: Info");
    EXPECT_EQ(block.description_line, "Text");
    EXPECT_TRUE(is_event_line(block.event_line));
}

TEST_F(GuideBlock, WeekdayLinesAreRecognisedByTheirFirstThreeCharactersExactly) {
    for (const char* day : {"Fr.", "Sa.", "Mo.", "So.", "Di.", "Mi.", "Do.", "Su.", "Tu.", "We.", "Th."})
        EXPECT_TRUE(is_weekday_line(std::string(day) + " 1.1.2010 x")) << day;
    for (const char* line : {"fr. 1.1.2010 x", "Fr", "", "Fr 1.1.", " Fr.", "Sat. x", "SA."})
        EXPECT_FALSE(is_weekday_line(line)) << line;
    EXPECT_TRUE(is_weekday_line("Do."));
}

TEST_F(GuideBlock, WeekdayAbbreviationsGoAnywhereInTheLine) {
    EXPECT_EQ(weekday_line_prepared("Do. 3.12.2009 Was kommt Do. und Sa.?"), "03.12.2009 Was kommt  und ?");
    // One pass per abbreviation, in a fixed order: what a later pass joins
    // up stays when its own pass has already run.
    EXPECT_EQ(weekday_line_prepared("Mo. 7.12.2009 SSa.o.x"), "07.12.2009 So.x");
    EXPECT_EQ(weekday_line_prepared("Mo. 7.12.2009 SSo.a.x"), "07.12.2009 x");
}

TEST_F(GuideBlock, StartTimeGetsItsLeadingZeroAndFillsFiveCharacters) {
    EXPECT_EQ(time_line_prepared("9:05\t45 min.\tDoku"), "09:05 45 min. Doku");
    EXPECT_EQ(time_line_prepared("19:45 20 min. x"), "19:45 20 min. x");
    EXPECT_EQ(time_line_prepared(""), "");
    EXPECT_EQ(compose_event_line("07.12.2009 Die Reise", "09:05 45 min. Doku"),
              "07.12.2009 09:05   Die Reise");
    // A block cut short: no Start time, the Event text moves left.
    EXPECT_EQ(compose_event_line("07.12.2009 Die Reise", ""), "07.12.2009    Die Reise");
    // A Weekday line of fewer than twelve characters has no Event text.
    EXPECT_EQ(compose_event_line("07.12.2009", "09:05"), "07.12.200909:05   ");
}

TEST_F(GuideBlock, EventTextIsCutAtTwoHundredCharacters) {
    const Text title(250, 'x');
    const Block block = convert_block("Sa.05.12.2009 " + title, "8:15 30 min. Info", "8:45 Text");
    EXPECT_EQ(text_length(block.event_line), 219);
    EXPECT_EQ(text_mid(block.event_line, 20, 300), Text(200, 'x'));
}

TEST_F(GuideBlock, GenreIsTheTextOneCharacterAfterTheFirstMin) {
    EXPECT_EQ(compose_genre_line("18:00 50 min. Sport"), "Genre: Sport");
    EXPECT_EQ(compose_genre_line("18:00 50 min."), "Genre: ");
    EXPECT_EQ(compose_genre_line("18:00 50 min.x"), "Genre: ");
    EXPECT_EQ(compose_genre_line("18:00 50 min. a min. b"), "Genre: a min. b");
    // Without "min." the genre starts at character 5.
    EXPECT_EQ(compose_genre_line("18:00 N/A"), "Genre: 0 N/A");
    EXPECT_EQ(compose_genre_line(""), "Genre: ");
    EXPECT_EQ(compose_genre_line("01:00 1 min. " + Text(300, 'g')), "Genre: " + Text(200, 'g'));
    EXPECT_EQ(convert_block("Sa.05.12.2009 x", "7:00 5 min. A\\B", "").genre_line, "Genre: AB");
}

TEST_F(GuideBlock, DescriptionLosesItsLeadingClockTime) {
    EXPECT_EQ(compose_description_line("8:45 Text"), "Text");
    EXPECT_EQ(compose_description_line("18:50 Alle Spiele."), "Alle Spiele.");
    EXPECT_EQ(compose_description_line("18:50\tTab."), "Tab.");
    EXPECT_EQ(compose_description_line("8:45 "), "");
    EXPECT_EQ(compose_description_line("8:45"), "");
    EXPECT_EQ(compose_description_line("18:50 "), "");
    EXPECT_EQ(compose_description_line("abcdefg"), "g");
    EXPECT_EQ(compose_description_line("abc\t"), "");
    EXPECT_EQ(compose_description_line("18:50 x\t"), "x ");
    EXPECT_EQ(compose_description_line(""), "");
}

TEST(ReadBackLine, SpacingRepairDependsOnTheMarkField) {
    // A marked or unmarked Event line: runs of four blanks become three.
    EXPECT_EQ(spacing_repair("05.12.2009 08:15    News"), "05.12.2009 08:15   News");
    EXPECT_EQ(spacing_repair("05.12.2009 08:15 + a     b"), "05.12.2009 08:15 + a    b");
    EXPECT_EQ(spacing_repair("05.12.2009 08:15   a   b"), "05.12.2009 08:15   a   b");
    // Any other line: runs of two blanks become three.
    EXPECT_EQ(spacing_repair("05.12.2009 08:15  News"), "05.12.2009 08:15   News");
    EXPECT_EQ(spacing_repair("a    b"), "a      b");
    EXPECT_EQ(spacing_repair("05.12.2009 08:15 -- >>> X"), "05.12.2009 08:15 -- >>> X");
}

TEST(ReadBackLine, EventLineTestLooksAtCharactersThreeAndFourteen) {
    EXPECT_TRUE(is_event_line("05.12.2009 08:15   News"));
    EXPECT_TRUE(is_event_line("05.12.2009 08:15"));
    EXPECT_TRUE(is_event_line("xx.xxxxxxxxxx:"));
    EXPECT_FALSE(is_event_line("05.12.2009 0815   News"));
    EXPECT_FALSE(is_event_line("05.12.2009 08"));
    EXPECT_FALSE(is_event_line("5.12.2009 08:15   News"));
    EXPECT_FALSE(is_event_line("Genre: Show"));
    EXPECT_FALSE(is_event_line(""));
}

TEST(Marking, OnlyAnEmptyMarkFieldIsMarked) {
    EXPECT_EQ(mark_event_line("05.12.2009 08:15   News"), "05.12.2009 08:15 + News");
    EXPECT_EQ(mark_event_line("05.12.2009 08:15 + News"), "05.12.2009 08:15 + News");
    EXPECT_EQ(mark_event_line("05.12.2009 08:15   A   B      C"), "05.12.2009 08:15 + A   B      C");
    EXPECT_EQ(mark_event_line("05.12.2009 08:15   "), "05.12.2009 08:15 + ");
    EXPECT_EQ(mark_event_line("05.12.2009 08:15"), "05.12.2009 08:15");
    EXPECT_EQ(mark_event_line("05.12.2026 20:52 -- >>> /X <<< -- File new created..."),
              "05.12.2026 20:52 -- >>> /X <<< -- File new created...");
}

}  // namespace
