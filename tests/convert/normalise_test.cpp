// Capture and Line normalisation: every step is a full pass over the result
// of the previous one, so the order of the steps and of the date rows shows
// in the results.
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "convert/normalise.h"

namespace {

// The Service list as reading TELVOR.service leaves it: each name with its
// blank, in the given (descending) order.
void use_services(const std::vector<Text>& names) {
    run.service_list.clear();
    for (const Text& name : names) run.service_list.push_back(name + " ");
    run.service_count = static_cast<int>(names.size());
}

class Normalisation : public ::testing::Test {
protected:
    void SetUp() override { use_services({}); }
    void TearDown() override { use_services({}); }
};

TEST_F(Normalisation, DateRowsGiveDaysAndMonthsTwoDigits) {
    const std::vector<std::pair<Text, Text>> cases = {
        {"Mo. 6.1.2010 News", "Mo.06.01.2010 News"},
        {". 6.12.", ".06.12."},
        {"x.6.1.2010", "x.06.01.2010"},
        {". 31.", ".31."},
        {". 32.", ". 32."},
        {". 0.", ". 0."},
        {".0.", ".0."},
        {". 01.", ". 01."},
        {".  5.", ".  5."},        // only exactly one blank goes
        {". 1.1.", ".01.01."},     // row ". 1." and then row ".1."
        {". 1. 2.", ".01.02."},    // rows of different numbers share a dot
        {". 1. 1.", ".01. 1."},    // one row's matches never share a dot
        {".4.4.", ".04.4."},
        {".4.5.", ".04.05."},
        {".3.3.", ".03.3."},
        {"1.2.3", "1.02.3"},
        {".10. .06.", ".10. .06."},
        {"Sa. 5.12.2009", "Sa.05.12.2009"},
        {"", ""},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(date_table_apply(input), expected) << "input: " << input;
        EXPECT_EQ(line_normalisation(input), expected) << "input: " << input;
    }
}

TEST_F(Normalisation, TabsAndBackslashesGoBeforeTheDateRows) {
    EXPECT_EQ(capture_normalisation(".\t7."), ".07.");
    EXPECT_EQ(line_normalisation(".\t7."), ".07.");
    EXPECT_EQ(capture_normalisation(".\\7."), ".07.");
    EXPECT_EQ(line_normalisation(".\\7."), ".07.");
    EXPECT_EQ(capture_normalisation("a\\b\\\\z"), "abz");
    // Only the clipboard's text turns a blank followed by a tab into one blank.
    EXPECT_EQ(capture_normalisation("a \tb"), "a b");
    EXPECT_EQ(line_normalisation("a \tb"), "a  b");
    EXPECT_EQ(capture_normalisation("Nachrichten\\Magazin\t"), "NachrichtenMagazin ");
}

TEST_F(Normalisation, ServiceNamesGoOnlyWhereABlankFollowsThemLetterCaseIgnored) {
    use_services({"ABC"});
    EXPECT_EQ(service_name_removal("ABC News"), "News");
    EXPECT_EQ(service_name_removal("abc News"), "News");
    EXPECT_EQ(service_name_removal("XABC Y"), "XY");
    EXPECT_EQ(service_name_removal("News ABC"), "News ABC");
    EXPECT_EQ(service_name_removal("ABC\r\nx"), "ABC\r\nx");
    use_services({"\xC4rte"});  // only A-Z fold: an accented letter must match exactly
    EXPECT_EQ(service_name_removal("\xC4RTE x \xE4rte y"), "x \xE4rte y");
}

TEST_F(Normalisation, ServiceNamesGoInListOrderEachAPassOfItsOwn) {
    use_services({"ABC Two", "ABC"});
    EXPECT_EQ(service_name_removal("ABC Two News"), "News");
    // A name that only comes into being when a later entry is removed stays
    // for this pass; the next normalisation of the same line takes it.
    use_services({"ZDF", "HD"});
    EXPECT_EQ(service_name_removal("ZDF HD HD x"), "x");
    EXPECT_EQ(service_name_removal("ZDHD F x"), "ZDF x");
    EXPECT_EQ(service_name_removal(service_name_removal("ZDHD F x")), "x");
}

TEST_F(Normalisation, ServiceNamesAndDateRowsMeetInADifferentOrder) {
    use_services({"ABC"});
    EXPECT_EQ(capture_normalisation(". ABC 5."), ". 5.");
    EXPECT_EQ(line_normalisation(". ABC 5."), ".05.");
    // The second pass over a Weekday line completes what the first left.
    EXPECT_EQ(line_normalisation(capture_normalisation("Sa. 1. 1.2010 ABC x")),
              "Sa.01.01.2010 x");
}

TEST_F(Normalisation, SampleGuideBlockComesOutAsTheConversionExpectsIt) {
    use_services({"ZDF HD", "ZDF", "Das Erste HD", "Das Erste", "arte", "3sat"});
    const Text block =
        "Sa. 5.12.2009\tDas Erste HD\tSportschau\r\n"
        "18:00\t50 min.\tFu\xDF" "ball-Bundesliga, 15. Spieltag\r\n"
        "18:50\tAlle Spiele, alle Tore, alle Stimmen.\r\n"
        "\t\r\n";
    EXPECT_EQ(capture_normalisation(block),
              "Sa.05.12.2009 Sportschau\r\n"
              "18:00 50 min. Fu\xDF" "ball-Bundesliga, 15. Spieltag\r\n"
              "18:50 Alle Spiele, alle Tore, alle Stimmen.\r\n"
              " \r\n");
    EXPECT_EQ(capture_normalisation("A text without any of it."), "A text without any of it.");
}

}  // namespace
