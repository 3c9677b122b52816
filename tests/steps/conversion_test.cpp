// The conversion in one pass against the capture and the conversion it stands
// for (support/test_conversion.cpp), on random cases built to hit the edges.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/file.h"
#include "support/test_support.h"

namespace {

// The same file, view and counts. Pieces meet at the seam in every way: line
// ends of every kind (a CR at the file's end, an LF at the text's start), a 0
// byte, spaces, a record or Guide block cut short by the file's end, an empty
// file or text, lines longer than a buffer; and the sample.
TEST(Equivalence, OnePassConversionIsCaptureThenConversion) {
    const std::vector<Text> pieces = {
        "05.12.2009 20:15   Tatort", "06.12.2009 08:15 + Tatort", "07.12.2009 09:00    Mit Raum", "Genre: Krimi",
        "Fall.", "", "  ", "Sa. 5.12.2009\tDas Erste HD\tNews", "So.06.12.2009 Wetter", "8:15\t30 min.\tInfo",
        "21:45 Spaet", "Seite 2", "Das Erste HD", "Text\t"};
    const std::vector<Text> ends = {"\r\n", "\r\n", "\n", "\r", std::string(1, '\0'), " ", "  \r\n"};
    const std::vector<Text> filter = {"Wetter"}, services = {"Das Erste HD "};
    const auto lines = [&](int count) {
        Text text;
        for (int i = 0; i < count; ++i) text += any_of(pieces) + any_of(ends);
        return text + (pick(0, 1) ? any_of(pieces) : "");
    };
    const Text long_line = "04.12.2009 20:15   " + Text(FILE_BUFFER_SIZE + 100, 'x');
    std::vector<std::pair<Text, Text>> cases = {
        {"", ""}, {"", "Sa. 5.12.2009 A\r\n8:15 B"}, {"05.12.2009 20:15   A", "\nSa. 5.12.2009 B\r\n"},
        {"Genre: X\r\nA\r", "\nB   "}, {"05.12.2009 20:15   A\r", "\nGenre: G\r\nText\r\n"}, {"Sa. 5.12.2009 A\r\n8:15 30 min. X", "8:45 Text\r\n\r\n"},
        {long_line + "\r\nGenre\r\n", long_line + "\r\n"},
        {read_bytes(std::string(TELVOR_SAMPLES_DIR) + "/guide-webif.txt"), sample_bytes("guide-webif.txt")}};
    for (int round = 0; round < 60; ++round) cases.emplace_back(lines(pick(0, 12)), lines(pick(0, 12)));
    const ScratchDir folder;
    for (const auto& [event_file, clipboard] : cases) {
        const auto in = [&](ConversionWay way) { return convert(way, folder.path(), event_file, clipboard, filter, services); };
        const Converted one = in(ConversionWay::one_pass);
        ASSERT_EQ(one, in(ConversionWay::two_steps))
            << "'" << event_file << "' then '" << clipboard << "'";
        ASSERT_EQ(one.status, 0);
    }
}

// Records with CR LF go across in one piece, with LF or trailing spaces line
// by line: the same Event file and views, converted and marked.
TEST(Equivalence, RecordsInOnePieceAreLineByLine) {
    const std::vector<Text> pieces = {
        "05.12.2009 20:15   Tatort", "06.12.2009 08:15 + Tatort", "07.12.2009 09:00    Mit Raum", "07.12.2009 09:00  Eng",
        "08.12.2009 10:00   Wetter", "08.12.2009 10:00", "Genre: Krimi", "Fall.", "", "", "",
        "Sa. 5.12.2009 News", "8:15 30 min. Info", "Seite 2"};
    const ScratchDir folder;
    for (int round = 0; round < 40; ++round) {
        std::vector<Text> lines;
        for (int i = pick(1, 30); i > 0; --i) lines.push_back(any_of(pieces));
        Text results[2];
        for (const int way : {0, 1}) {
            Text file;
            for (const Text& line : lines) file += line + (way == 0 ? "\r\n" : pick(0, 1) ? "\n" : "  \r\n");
            for (const Converted& done : {convert(ConversionWay::one_pass, folder.path(), file, "", {"Wetter"}),
                                          convert(ConversionWay::marking, folder.path(), file)}) {
                for (const Text& line : done.view) results[way] += line + "\n";
                results[way] += done.event_file + done.last_shown;
            }
        }
        ASSERT_EQ(results[0], results[1]);
    }
}

}  // namespace
