// Whole runs with more lines than a view shows or than the lists and the
// Event store were first made for: where each view is scrolled to, and
// that no entry and no accepted event is lost.
#include <gtest/gtest.h>

#include <cstdio>

#include "whole_run.h"

using namespace whole_run;

namespace {

std::string numbered(const char* prefix, int n, int digits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%0*d", prefix, digits, n);
    return buffer;
}

// One Guide block per title, all on the same day.
std::string guide_blocks(const Lines& titles) {
    std::string guide;
    for (const std::string& title : titles)
        guide += "Sa. 5.12.2009\t" + title + "\r\n8:15\t30 min.\tSerie\r\n8:45\tText\r\n";
    return guide;
}

Lines episode_titles(int count) {
    Lines titles;
    for (int i = 1; i <= count; ++i) titles.push_back(numbered("Folge ", i, 2));
    return titles;
}

}  // namespace

// Nine rows fit the Filter view and 25 the Event view. The Filter view is
// scrolled to the first term equal to the last one ignoring case; the Event
// view to its last event, also again after the Marking pass.
TEST(LongLists, ViewsAreScrolledToTheLastShownLine) {
    Lines terms;
    for (int i = 1; i <= 20; ++i) terms.push_back(numbered("Begriff", i, 2));
    terms[8] = "Krimi";   // view line 12
    terms[19] = "KRIMI";  // view line 23
    const Lines titles = episode_titles(30);

    for (const int answer : {NO, YES}) {
        SCOPED_TRACE(answer);
        Folder folder;
        std::string filter_file;
        for (const std::string& term : terms) filter_file += term + "\r\n";
        write_bytes(folder.file("TELVOR.filter"), filter_file);
        write_bytes(folder.file("epg.telvor"), "");
        ScriptedWindow window;
        script(window, answer, guide_blocks(titles));
        run_in_folder(folder.program_dir, window, {"epg.telvor"});

        EXPECT_EQ(window.lines_of(FILTER_VIEW), filter_view(terms));
        EXPECT_EQ(window.lists.at(FILTER_VIEW).top, 12 - 9 + 1);
        EXPECT_EQ(window.lists.at(FILTER_VIEW).selection, -1);

        Lines events;
        for (const std::string& title : titles) {
            const std::string line = "05.12.2009 08:15   " + title;
            events.push_back(answer == YES ? marked(line) : line);
        }
        EXPECT_EQ(window.lines_of(EVENT_VIEW),
                  event_head("epg.telvor") + events + event_closing("epg.telvor"));
        // The last event stands on line 33.
        EXPECT_EQ(window.lists.at(EVENT_VIEW).top, 33 - 25 + 1);
        EXPECT_EQ(window.lists.at(EVENT_VIEW).selection, -1);
    }
}

// A last event longer than the 130 characters a view line holds: the view
// has no line equal to it and stays where it is. The file keeps the whole
// line, with the Event text cut to 200 characters.
TEST(LongLists, LongLastEventLeavesTheEventViewUnscrolled) {
    Lines titles = episode_titles(30);
    titles.back() = "Ende " + std::string(225, 'x');
    Folder folder;
    write_bytes(folder.file("epg.telvor"), "");
    ScriptedWindow window;
    script(window, NO, guide_blocks(titles));
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    const std::string long_line = "05.12.2009 08:15   " + titles.back().substr(0, 200);
    ASSERT_EQ(long_line.size(), 219u);
    Lines shown;
    std::string expected_file;
    for (size_t i = 0; i + 1 < titles.size(); ++i) {
        shown.push_back("05.12.2009 08:15   " + titles[i]);
        expected_file += crlf(record(shown.back(), "Genre: Serie", "Text"));
    }
    shown.push_back(long_line.substr(0, 130));
    expected_file += crlf(record(long_line, "Genre: Serie", "Text"));

    EXPECT_EQ(read_bytes(folder.file("epg.telvor")), expected_file);
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              event_head("epg.telvor") + shown + event_closing("epg.telvor"));
    EXPECT_EQ(window.lists.at(EVENT_VIEW).top, 0);
    EXPECT_EQ(window.lists.at(EVENT_VIEW).selection, -1);
}

// List files of more than 10001 entries: the last filter term still
// filters, the last service name is still removed, and both views show
// every entry.
TEST(LongLists, ListFilesKeepEveryEntry) {
    Lines terms, names, shown_names;
    std::string filter_file, service_file;
    for (int i = 1; i <= 10005; ++i) {
        terms.push_back(numbered("Sperre", i, 5));
        names.push_back(numbered("Kanal", i, 5));
        shown_names.push_back(names.back() + " ");
        filter_file += terms.back() + "\r\n";
        service_file += names.back() + "\r\n";
    }
    Folder folder;
    write_bytes(folder.file("TELVOR.filter"), filter_file);
    write_bytes(folder.file("TELVOR.service"), service_file);
    write_bytes(folder.file("epg.telvor"), "");
    ScriptedWindow window;
    script(window, NO,
           "Sa. 5.12.2009\tKanal10005\tSperre10005 Film\r\n20:15\t90 min.\tFilm\r\n21:45\tA\r\n"
           "So. 6.12.2009\tKanal10004\tNachrichten\r\n20:00\t15 min.\tInfo\r\n20:15\tB\r\n");
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    EXPECT_EQ(window.lines_of(FILTER_VIEW), filter_view(terms));
    EXPECT_EQ(window.lines_of(SERVICE_VIEW), service_view(shown_names));
    // The last entry stands on line 10008 of either view.
    EXPECT_EQ(window.lists.at(FILTER_VIEW).top, 10008 - 9 + 1);
    EXPECT_EQ(window.lists.at(SERVICE_VIEW).top, 10008 - 9 + 1);
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")),
              crlf(record("06.12.2009 20:00   Nachrichten", "Genre: Info", "B")));
}

// An Event file of 50001 records without empty lines between them fills
// every slot the Event store was made with: an Event line without Event
// text is still dropped, and the record after it is kept.
TEST(LongLists, EventStoreKeepsEveryAcceptedEvent) {
    Lines records, shown;
    for (int i = 0; i <= 50000; ++i) {
        shown.push_back(numbered("01.01.2010 10:00   Folge ", i, 5));
        records.insert(records.end(), {shown.back(), "Genre: Serie", numbered("Teil ", i, 5)});
    }
    std::string event_file;
    for (const std::string& line : records) event_file += line + "\r\n";
    event_file += crlf({"02.01.2010 11:00", "Genre: Leer", "Nichts"});
    event_file += crlf({"03.01.2010 12:00   Ende", "Genre: Schluss", "Aus"});

    Folder folder;
    write_bytes(folder.file("epg.telvor"), event_file);
    ScriptedWindow window;
    script(window, NO, "", false);
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    std::string expected;
    for (size_t i = 0; i < records.size(); i += 3)
        expected += crlf(record(records[i], records[i + 1], records[i + 2]));
    expected += crlf(record("03.01.2010 12:00   Ende", "Genre: Schluss", "Aus"));
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")), expected);

    shown.push_back("03.01.2010 12:00   Ende");
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              event_head("epg.telvor") + shown + event_closing("epg.telvor"));
    EXPECT_EQ(window.lists.at(EVENT_VIEW).top, 4 + 50001 - 25 + 1);
}
