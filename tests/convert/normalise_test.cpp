// Capture and Line normalisation: every step is a full pass over the result
// of the previous one, so the order of the steps and of the date rows shows.
#include <gtest/gtest.h>

#include "convert/normalise.h"

namespace {

// The Service list as reading TELVOR.service leaves it: names with their blank.
ServiceNames services(const std::vector<Text>& names) {
    std::vector<Text> list;
    for (const Text& name : names) list.push_back(name + " ");
    return service_names_prepare(list, static_cast<int>(list.size()));
}

TEST(Normalisation, DateRowsTabsAndBackslashesInTheirOrder) {
    const ServiceNames none = services({});
    const std::pair<Text, Text> both[] = {
        {". 1.1.", ".01.01."}, {". 1. 1.", ".01. 1."}, {". 1. 2.", ".01.02."}, {".4.4.", ".04.4."},
        {".4.5.", ".04.05."},  {"1.2.3", "1.02.3"},    {".  5.", ".  5."},     {". 32.", ". 32."},
        {". 31.", ".31."},     {". 0.", ". 0."},       {"Mo. 6.1.2010 News", "Mo.06.01.2010 News"},
        {".\t7.", ".07."},     {".\\7.", ".07."},      {"a\\b\\\\z", "abz"}};
    for (const auto& [input, expected] : both) {
        EXPECT_EQ(capture_normalisation(input, none), expected) << input;
        EXPECT_EQ(line_normalisation(input, none), expected) << input;
    }
    // Only the clipboard's text turns a blank followed by a tab into one blank.
    EXPECT_EQ(capture_normalisation("a \tb", none), "a b");
    EXPECT_EQ(line_normalisation("a \tb", none), "a  b");
}

TEST(Normalisation, ServiceNamesFollowedByABlankGoInListOrderAsciiCaseIgnored) {
    struct Case { std::vector<Text> names; Text input, expected; };
    const Case cases[] = {
        {{"ABC"}, "ABC News", "News"},            {{"ABC"}, "abc News", "News"},
        {{"ABC"}, "XABC Y", "XY"},                {{"ABC"}, "News ABC", "News ABC"},
        {{"ABC"}, "ABC\r\nx", "ABC\r\nx"},
        {{"\xC4rte"}, "\xC4RTE x \xE4rte y", "x \xE4rte y"},  // only A-Z fold
        {{"ABC Two", "ABC"}, "ABC Two News", "News"},
        {{"XY", "abc"}, "[ABxy C ]", "[]"},       // made by the earlier removal
        {{"abc", "XY"}, "[ABxy C ]", "[ABC ]"},   // made by a later one: stays
        {{"ZDF", "HD"}, "ZDHD F x", "ZDF x"}};
    for (const Case& c : cases) EXPECT_EQ(service_name_removal(c.input, services(c.names)), c.expected) << c.input;
}

TEST(Normalisation, CaptureRemovesServiceNamesAfterTheDateRowsLineBefore) {
    const ServiceNames abc = services({"ABC"});
    EXPECT_EQ(capture_normalisation(". ABC 5.", abc), ". 5.");
    EXPECT_EQ(line_normalisation(". ABC 5.", abc), ".05.");
    EXPECT_EQ(line_normalisation(capture_normalisation("Sa. 1. 1.2010\tABC x", abc), abc), "Sa.01.01.2010 x");
}

}  // namespace
