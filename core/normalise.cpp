#include "core/normalise.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <utility>

#include "base/byte_scan.h"
#include "base/hash.h"

namespace {

// ---- The Date table ----
//
// Rows ". 1." -> ".01." to ". 31." -> ".31.", then ".1." -> ".01." to ".9."
// -> ".09.", each a replace-all pass of its own. Matches of one row never
// overlap, so ".4.4." becomes ".04.4." (the second ".4." shares its first
// dot with the first match).
//
// Every find text of the table runs from a dot to the next dot, and every
// replacement keeps both dots and puts two digits between them, which no
// row finds. So a row only ever matches the bytes between two neighbouring
// dots as they stood in the text, and those bytes decide the one row that
// can match them: " 5" row D5, " 12" row D12, "5" row D36. A row's pass
// skips a match whose first dot ended its previous match, so of neighbouring
// gaps that the same row matches, every second one stays. One walk from dot
// to dot therefore gives the result of the forty passes.

// The row that matches the bytes between two neighbouring dots (1 to 40),
// or 0, with the two digits that replace them.
int date_row(std::string_view gap, char digits[2]) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (gap.size() == 1 && gap[0] >= '1' && gap[0] <= '9') {  // ".5." -> ".05."
        digits[0] = '0';
        digits[1] = gap[0];
        return 31 + (gap[0] - '0');
    }
    if (gap.size() == 2 && gap[0] == ' ' && gap[1] >= '1' && gap[1] <= '9') {  // ". 5." -> ".05."
        digits[0] = '0';
        digits[1] = gap[1];
        return gap[1] - '0';
    }
    if (gap.size() == 3 && gap[0] == ' ' && digit(gap[1]) && digit(gap[2])) {  // ". 12." -> ".12."
        const int n = (gap[1] - '0') * 10 + (gap[2] - '0');
        if (n < 10 || n > 31) return 0;
        digits[0] = gap[1];
        digits[1] = gap[2];
        return n;
    }
    return 0;
}

// Appends text with the Date table applied to out.
void append_date_rows(std::string_view text, Text& out) {
    std::size_t copied = 0;  // bytes of text already in out
    std::size_t dot = text.find('.');
    int previous_row = 0;
    bool previous_replaced = false;
    while (dot != std::string_view::npos) {
        const std::size_t next = text.find('.', dot + 1);
        if (next == std::string_view::npos) break;
        char digits[2];
        const int row = date_row(text.substr(dot + 1, next - dot - 1), digits);
        const bool replaced = row != 0 && !(row == previous_row && previous_replaced);
        if (replaced) {
            out.append(text.data() + copied, dot + 1 - copied);
            out.append(digits, 2);
            copied = next;
        }
        previous_row = row;
        previous_replaced = replaced;
        dot = next;
    }
    out.append(text.data() + copied, text.size() - copied);
}

// ---- Service-name removal ----
//
// One remove-all pass per entry, in list order, each over the result of the
// one before, letter case of A-Z ignored. Most entries do not occur in a
// given text: only those that stand somewhere in it get a pass, and a
// removal adds the entries it brings into being where it joins two pieces
// of the text. The text is kept beside a folded copy on which matches are
// searched; folding keeps every length and position, so both are cut in the
// same places.

enum : unsigned { PREFIX_BITS_LOG2 = 16 };

std::uint64_t load_key(const char* p, std::size_t size) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, size);
    return word;
}

std::size_t key_bit(std::uint64_t key) { return static_cast<std::size_t>(hash_mix(key) >> (64 - PREFIX_BITS_LOG2)); }

std::uint64_t key_hash(std::uint64_t key) { return hash_mix(key) >> 32; }

// The range of table.entries whose entries begin with key.
std::pair<std::uint32_t, std::uint32_t> prefix_range(const PrefixTable& table, std::uint64_t key) {
    if (!bitmap_test(table.bits, key_bit(key))) return {0, 0};
    const std::size_t place =
        hash_table_probe(table.ranges, key_hash(key), [key](const PrefixTable::Range& range) { return range.key == key; });
    const PrefixTable::Range& range = table.ranges.entries[place];
    return {range.begin, range.end};  // {0, 0} where the place is free
}

PrefixTable prefix_table_build(std::size_t key_size, std::vector<std::pair<std::uint64_t, std::int32_t>> keyed) {
    PrefixTable table;
    table.key_size = key_size;
    std::sort(keyed.begin(), keyed.end());
    table.bits.assign((std::size_t{1} << PREFIX_BITS_LOG2) / 64, 0);
    hash_table_clear(table.ranges, hash_table_size(keyed.size(), 16));
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        table.entries.push_back(keyed[i].second);
        const std::uint64_t key = keyed[i].first;
        if (i > 0 && keyed[i - 1].first == key) continue;
        bitmap_set(table.bits, key_bit(key));
        std::size_t end = i + 1;
        while (end < keyed.size() && keyed[end].first == key) ++end;
        hash_table_put(table.ranges, key_hash(key),
                       PrefixTable::Range{key, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(end)});
    }
    return table;
}

// One remove-all pass of the folded pattern over folded, cutting the same
// bytes from text: left to right, a match is dropped and the scan goes on
// behind it. False when nothing matched; otherwise junctions holds the
// positions in the new texts where removed bytes stood.
bool remove_occurrences(Text& text, Text& folded, std::string_view pattern,
                        std::vector<std::size_t>& junctions) {
    const std::size_t n = folded.size();
    const std::size_t m = pattern.size();
    auto find_from = [&](std::size_t from) {
        const std::size_t hit = text_search(folded, pattern, from);
        return hit == Text::npos ? n : hit;
    };
    std::size_t match = find_from(0);
    if (match == n) return false;
    junctions.clear();
    std::size_t out = match;
    for (;;) {
        if (junctions.empty() || junctions.back() != out) junctions.push_back(out);
        const std::size_t from = match + m;
        match = find_from(from);
        // The bytes between two matches (or up to the end) move left.
        std::memmove(text.data() + out, text.data() + from, match - from);
        std::memmove(folded.data() + out, folded.data() + from, match - from);
        out += match - from;
        if (match == n) break;
    }
    text.resize(out);
    folded.resize(out);
    return true;
}

// Whether an entry of four bytes or more may begin with the two bytes at `at`.
bool may_begin_with(const ServiceNames& names, const unsigned char* at) {
    return bitmap_test(names.first_two, at[0] | static_cast<std::size_t>(at[1]) << 8);
}

// Removes the entries from text.
void remove_names(Text& text, const ServiceNames& names, NormaliseBuffers& s) {
    if (names.folded.empty() || text.empty()) return;
    // Most pieces hold no place where an entry may begin, in any letter case.
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    bool may_hold = !names.short_ones.empty();
    for (std::size_t p = 0; !may_hold && p + 4 <= text.size(); ++p) may_hold = may_begin_with(names, bytes + p);
    if (!may_hold) return;
    s.folded.assign(text);
    for (char& c : s.folded) c = static_cast<char>(text_fold_ascii(static_cast<unsigned char>(c)));
    s.due.assign(names.short_ones.begin(), names.short_ones.end());
    // Adds the entries after `after` that stand whole at position and reach
    // past `past`.
    auto add_due = [&](std::size_t position, std::int32_t after, std::size_t past) {
        const std::size_t rest = s.folded.size() - position;
        const char* const at = s.folded.data() + position;
        for (const PrefixTable* table : {&names.by_four, &names.by_eight}) {
            if (rest < table->key_size) return;
            const auto [begin, end] = prefix_range(*table, load_key(at, table->key_size));
            for (std::uint32_t i = begin; i < end; ++i) {
                const std::int32_t entry = table->entries[i];
                const Text& pattern = names.folded[static_cast<std::size_t>(entry)];
                if (entry > after && pattern.size() <= rest && position + pattern.size() > past &&
                    std::memcmp(at, pattern.data(), pattern.size()) == 0)
                    s.due.push_back(entry);
            }
        }
    };
    // Whether an entry of four bytes or more may begin at position.
    auto may_begin = [&](std::size_t position) {
        return position + 4 <= s.folded.size() &&
               may_begin_with(names, reinterpret_cast<const unsigned char*>(s.folded.data()) + position);
    };
    for (std::size_t p = 0; p + 4 <= s.folded.size(); ++p)
        if (may_begin(p)) add_due(p, -1, 0);
    if (s.due.empty()) return;
    std::make_heap(s.due.begin(), s.due.end(), std::greater<>());

    std::int32_t last = -1;
    while (!s.due.empty()) {
        std::pop_heap(s.due.begin(), s.due.end(), std::greater<>());
        const std::int32_t entry = s.due.back();
        s.due.pop_back();
        if (entry <= last) continue;  // passed already
        last = entry;
        const Text& pattern = names.folded[static_cast<std::size_t>(entry)];
        if (!remove_occurrences(text, s.folded, pattern, s.junctions)) continue;
        // A new occurrence reaches across a place where bytes went.
        const std::size_t before = s.due.size();
        for (std::size_t junction : s.junctions)
            for (std::size_t p = junction < names.longest ? 0 : junction - names.longest + 1; p < junction; ++p)
                if (may_begin(p)) add_due(p, last, junction);
        for (std::size_t i = before; i < s.due.size(); ++i)
            std::push_heap(s.due.begin(), s.due.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::greater<>());
    }
}

// The first steps of both normalisations in one walk: backslashes go, a tab
// becomes a space; in the Capture normalisation a tab after a space goes
// (" \t" becomes " " first). The space before a tab always stands where it
// stood, as no earlier match ends in a space.
void append_spaces(std::string_view text, bool tab_after_space_goes, Text& out) {
    std::size_t from = 0;
    for (std::size_t i = byte_scan_find(text, 0, '\t', '\\'); i < text.size(); i = byte_scan_find(text, i + 1, '\t', '\\')) {
        out.append(text.data() + from, i - from);
        if (text[i] == '\t' && !(tab_after_space_goes && i > 0 && text[i - 1] == ' ')) out += ' ';
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

// Applies steps (piece, scratch, out) to every line of text, the line ends
// copied between them. No step matches across a line end: no Service name
// holds one, nor does any of the Date table's find texts or a tab pair.
template <typename Steps>
Text by_line(std::string_view text, Steps steps) {
    Text out;
    out.reserve(text.size() + text.size() / 32);
    NormaliseBuffers scratch;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = byte_scan_find(text, start, '\r', '\n');
        steps(text.substr(start, end - start), scratch, out);
        if (end == text.size()) break;
        out += text[end];
        start = end + 1;
    }
    return out;
}

}  // namespace

ServiceNames service_names_prepare(const std::vector<Text>& list) {
    ServiceNames names;
    std::vector<std::pair<std::uint64_t, std::int32_t>> four, eight;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(list.size()); ++i) {
        const Text& entry = list[static_cast<std::size_t>(i)];
        names.folded.push_back(text_fold_ascii(entry));
        const Text& folded = names.folded.back();
        names.longest = std::max(names.longest, folded.size());
        if (folded.empty()) continue;  // removes nothing
        if (folded.size() < 4)
            names.short_ones.push_back(i);
        else if (folded.size() < 8)
            four.emplace_back(load_key(folded.data(), 4), i);
        else
            eight.emplace_back(load_key(folded.data(), 8), i);
    }
    names.first_two.assign(65536 / 64, 0);
    // Their first two bytes in every letter case, so that a text can be
    // looked at before it is folded.
    auto cases = [](unsigned char folded) {
        const bool letter = folded >= 'a' && folded <= 'z';
        return std::pair<unsigned char, unsigned char>(folded, letter ? folded - ('a' - 'A') : folded);
    };
    for (const auto* keyed : {&four, &eight})
        for (const auto& [key, entry] : *keyed) {
            const auto [first, first_upper] = cases(static_cast<unsigned char>(key & 0xFF));
            const auto [second, second_upper] = cases(static_cast<unsigned char>((key >> 8) & 0xFF));
            for (const unsigned char a : {first, first_upper})
                for (const unsigned char b : {second, second_upper})
                    bitmap_set(names.first_two, a | static_cast<std::size_t>(b) << 8);
        }
    names.by_four = prefix_table_build(4, std::move(four));
    names.by_eight = prefix_table_build(8, std::move(eight));
    return names;
}

Text service_name_removal(std::string_view text, const ServiceNames& names) {
    return by_line(text, [&](std::string_view piece, NormaliseBuffers& s, Text& out) {
        s.first.assign(piece);
        remove_names(s.first, names, s);
        out += s.first;
    });
}

Text capture_normalisation(std::string_view guide_text, const ServiceNames& names) {
    // The first steps over the whole text, each in one walk.
    Text dated;
    {
        Text spaced;
        spaced.reserve(guide_text.size());
        append_spaces(guide_text, true, spaced);
        dated.reserve(spaced.size() + spaced.size() / 32);
        append_date_rows(spaced, dated);
    }
    // Every line may lose entries: each one is looked at.
    if (!names.short_ones.empty()) return service_name_removal(dated, names);
    NormaliseBuffers s;
    // Only a line in which an entry may begin is looked at; the text
    // between such lines stays as it is.
    Text out;
    std::size_t kept = 0;  // bytes of dated already in out
    const auto* const bytes = reinterpret_cast<const unsigned char*>(dated.data());
    for (std::size_t p = 0; p + 1 < dated.size(); ++p) {
        if (!may_begin_with(names, bytes + p)) continue;
        std::size_t start = p;
        while (start > 0 && dated[start - 1] != '\r' && dated[start - 1] != '\n') --start;
        const std::size_t end = byte_scan_find(dated, p, '\r', '\n');
        if (out.empty()) out.reserve(dated.size());
        out.append(dated, kept, start - kept);
        s.first.assign(dated, start, end - start);
        remove_names(s.first, names, s);
        out += s.first;
        kept = end;
        p = end;
    }
    if (kept == 0) return dated;
    out.append(dated, kept, Text::npos);
    return out;
}

void line_normalisation(std::string_view weekday_line, const ServiceNames& names, NormaliseBuffers& buffers,
                        Text& out) {
    // One piece: a Weekday line is one line, and cutting a text into its
    // lines only spares the steps work, it never changes their result.
    buffers.first.clear();
    append_spaces(weekday_line, false, buffers.first);
    remove_names(buffers.first, names, buffers);
    out.clear();
    append_date_rows(buffers.first, out);
}

Text line_normalisation(std::string_view weekday_line, const ServiceNames& names) {
    NormaliseBuffers buffers;
    Text out;
    line_normalisation(weekday_line, names, buffers, out);
    return out;
}
