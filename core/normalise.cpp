#include "core/normalise.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <span>
#include <utility>

#include "base/byte_scan.h"
#include "base/hash.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    std::size_t dot = byte_scan_find(text, 0, '.', '.');
    int previous_row = 0;
    bool previous_replaced = false;
    while (dot != text.size()) {
        const std::size_t next = byte_scan_find(text, dot + 1, '.', '.');
        if (next == text.size()) break;
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

// The size of the pieces the Capture normalisation takes at a time (a piece
// ends after the line end from there on).
enum : std::size_t { PIECE_SIZE = 16384 };

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
// bytes from the text of as many bytes at text: left to right, a match is
// dropped and the scan goes on behind it. False when nothing matched;
// otherwise junctions holds the positions in the new texts where removed
// bytes stood, and folded's size is the new size of both.
bool remove_occurrences(char* text, Text& folded, std::string_view pattern, std::vector<std::size_t>& junctions) {
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
        std::memmove(text + out, text + from, match - from);
        std::memmove(folded.data() + out, folded.data() + from, match - from);
        out += match - from;
        if (match == n) break;
    }
    folded.resize(out);
    return true;
}

// A-Z onto a-z in four bytes at once: bit 5 is added to the bytes below
// 0x80 whose low seven bits lie from 'A' to 'Z'.
std::uint32_t fold_four(std::uint32_t word) {
    constexpr std::uint32_t HIGHS = 0x80808080u;
    const std::uint32_t low = word & 0x7F7F7F7Fu;
    const std::uint32_t from_a = low + 0x3F3F3F3Fu;    // high bit set from 'A' (0x41) on
    const std::uint32_t past_z = low + 0x25252525u;    // high bit set from '[' (0x5B) on
    return word | (from_a & ~past_z & ~word & HIGHS) >> 2;
}

std::size_t four_bit(const char* at) {
    std::uint32_t word;
    std::memcpy(&word, at, 4);
    return key_bit(fold_four(word));
}

// Whether an entry of four bytes or more may begin at `at`, where four
// bytes stand.
bool may_begin_at(const ServiceNames& names, const char* at) {
    const auto* const bytes = reinterpret_cast<const unsigned char*>(at);
    return bitmap_test(names.first_two, bytes[0] | static_cast<std::size_t>(bytes[1]) << 8) &&
           bitmap_test(names.first_four, four_bit(at));
}

// Appends to starts every place p in [from, to) at which an entry of four
// bytes or more may begin: four bytes of text stand from there to `to`.
void entry_starts_plain(const ServiceNames& names, const char* text, std::size_t from, std::size_t to,
                        std::vector<std::size_t>& starts) {
    for (std::size_t p = from; p + 4 <= to; ++p)
        if (may_begin_at(names, text + p)) starts.push_back(p);
}

// The number of bytes, at all places together, looked for sixteen places
// at a time.
enum : std::size_t { FEW_BYTES = 32 };

#if defined(__SSE2__)
// The places among the 16 * BLOCKS from at on whose first bytes are each
// one an entry has there (all with bit 5 set), as bits; four bytes stand
// from each of them.
template <int BLOCKS>
std::uint64_t start_places(const ServiceNames& names, const char* at) {
    const __m128i bit5 = _mm_set1_epi8(0x20);
    __m128i all_hit[BLOCKS];
    for (__m128i& hit : all_hit) hit = _mm_set1_epi8(-1);
    for (std::size_t k = 0; k < names.start_bytes.size(); ++k) {
        __m128i bytes[BLOCKS], hits[BLOCKS];
        for (int b = 0; b < BLOCKS; ++b) {
            bytes[b] = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * b + k)), bit5);
            hits[b] = _mm_setzero_si128();
        }
        const auto* const sought = reinterpret_cast<const __m128i*>(names.start_bytes[k].data());
        for (std::size_t i = 0; i < names.start_bytes[k].size() / 16; ++i) {
            const __m128i byte = _mm_loadu_si128(sought + i);
            for (int b = 0; b < BLOCKS; ++b) hits[b] = _mm_or_si128(hits[b], _mm_cmpeq_epi8(bytes[b], byte));
        }
        for (int b = 0; b < BLOCKS; ++b) all_hit[b] = _mm_and_si128(all_hit[b], hits[b]);
    }
    std::uint64_t mask = 0;
    for (int b = 0; b < BLOCKS; ++b) mask |= static_cast<std::uint64_t>(_mm_movemask_epi8(all_hit[b]) & 0xFFFF) << 16 * b;
    return mask;
}
#endif

void entry_starts(const ServiceNames& names, const char* text, std::size_t from, std::size_t to,
                  std::vector<std::size_t>& starts) {
    if (names.folded.empty()) return;  // a list not prepared has no bitmaps either
#if defined(__SSE2__)
    if (!names.start_bytes.empty() && to - from >= 19) {
        // Sixteen or sixty-four places at a time, the places start_places
        // gives looked at one by one.
        const auto add = [&](std::size_t at, std::uint64_t mask) {
            for (; mask != 0; mask &= mask - 1) {
                const std::size_t p = at + static_cast<std::size_t>(__builtin_ctzll(mask));
                if (may_begin_at(names, text + p)) starts.push_back(p);
            }
        };
        for (; to - from >= 67; from += 64) add(from, start_places<4>(names, text + from));
        for (; to - from >= 19; from += 16) add(from, start_places<1>(names, text + from));
        // The places left, the last of the sixteen that end where the text
        // does (they begin before from, where sixteen were looked at).
        const std::size_t last = to - 19;
        add(from, start_places<1>(names, text + last) >> (from - last));
        return;
    }
#endif
    entry_starts_plain(names, text, from, to, starts);
}

// Whether the bytes at `at` are those of pattern, of which the first
// `known` are known to be.
bool same_after(const char* at, std::string_view pattern, std::size_t known) {
    for (std::size_t i = known; i < pattern.size(); ++i)
        if (at[i] != pattern[i]) return false;
    return true;
}

// Removes the entries from the size bytes at text, which hold no line end;
// starts are the places there that entry_starts gives. Returns the number
// of bytes left.
std::size_t remove_names(char* text, std::size_t size, std::span<const std::size_t> starts, const ServiceNames& names,
                         NormaliseBuffers& s) {
    // Most lines hold no place where an entry may begin, in any letter case.
    if (names.folded.empty() || size == 0 || (starts.empty() && names.short_ones.empty())) return size;
    s.folded.assign(text, size);
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
                    same_after(at, pattern, table->key_size))
                    s.due.push_back(entry);
            }
        }
    };
    for (const std::size_t p : starts) add_due(p, -1, 0);
    if (s.due.empty()) return size;
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
                if (p + 4 <= s.folded.size() && may_begin_at(names, s.folded.data() + p)) add_due(p, last, junction);
        for (std::size_t i = before; i < s.due.size(); ++i)
            std::push_heap(s.due.begin(), s.due.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::greater<>());
    }
    return s.folded.size();
}

// Removes the entries from every line of text[from, text.size()), the
// lines moving left over the bytes removed; from is where a line begins.
void remove_names_from_lines(Text& text, std::size_t from, const ServiceNames& names, NormaliseBuffers& s) {
    if (names.folded.empty()) return;
    // The places where an entry of four bytes or more may begin, found in
    // one walk. Every line is looked at where a short entry may stand
    // anywhere; else only those that hold such a place, and the bytes
    // between them move as they are.
    char* const bytes = text.data();
    const std::size_t size = text.size();
    std::vector<std::size_t>& starts = s.starts;
    starts.clear();
    entry_starts(names, bytes, from, size, starts);
    const bool every_line = !names.short_ones.empty();
    std::size_t kept = from;  // the bytes before kept are done
    std::size_t out = from;   // and stand before out
    std::size_t next = 0;     // the first of starts not passed yet
    for (std::size_t p = from; p < size;) {
        std::size_t start = p;
        if (!every_line) {
            if (next == starts.size()) break;
            p = starts[next];
            for (start = p; start > kept && bytes[start - 1] != '\r' && bytes[start - 1] != '\n';) --start;
        }
        const std::size_t end = byte_scan_find(text, p, '\r', '\n');
        std::size_t past = next;  // the line's places, made to count from its start
        for (; past < starts.size() && starts[past] < end; ++past) starts[past] -= start;
        if (out != kept) std::memmove(bytes + out, bytes + kept, end - kept);
        out += start - kept;
        out += remove_names(bytes + out, end - start, std::span(starts).subspan(next, past - next), names, s);
        next = past;
        kept = end;
        p = end + 1;
    }
    if (out != kept) std::memmove(bytes + out, bytes + kept, size - kept);
    text.resize(out + (size - kept));
}

// The first steps of both normalisations in one walk: backslashes go, a tab
// becomes a space; in the Capture normalisation a tab after a space goes
// (" \t" becomes " " first). The space before a tab always stands where it
// stood, as no earlier match ends in a space.
//
// The bytes text[from, to) so treated, written at out; returns the end of
// what was written.
char* spaces_plain(std::string_view text, std::size_t from, std::size_t to, bool tab_after_space_goes, char* out) {
    const std::string_view part = text.substr(0, to);
    for (std::size_t i = byte_scan_find(part, from, '\t', '\\'); i < to; i = byte_scan_find(part, i + 1, '\t', '\\')) {
        std::memcpy(out, text.data() + from, i - from);
        out += i - from;
        if (text[i] == '\t' && !(tab_after_space_goes && i > 0 && text[i - 1] == ' ')) *out++ = ' ';
        from = i + 1;
    }
    if (to == from) return out;  // text may be empty, with no bytes to point at
    std::memcpy(out, text.data() + from, to - from);
    return out + (to - from);
}

void append_spaces(std::string_view text, bool tab_after_space_goes, Text& out) {
    const std::size_t before = out.size();
    out.resize(before + text.size());  // room for all: no byte is added
    char* end = out.data() + before;
    std::size_t from = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time where none of them goes: their tabs become
    // spaces. The first byte alone, with no byte before it.
    from = std::min<std::size_t>(text.size(), 1);
    end = spaces_plain(text, 0, from, tab_after_space_goes, end);
    const __m128i tab = _mm_set1_epi8('\t'), backslash = _mm_set1_epi8('\\'), space = _mm_set1_epi8(' ');
    const __m128i tab_to_space = _mm_set1_epi8('\t' ^ ' ');
    for (; text.size() - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i tabs = _mm_cmpeq_epi8(bytes, tab);
        __m128i going = _mm_cmpeq_epi8(bytes, backslash);
        if (tab_after_space_goes) {
            const __m128i before_each = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from - 1));
            going = _mm_or_si128(going, _mm_and_si128(tabs, _mm_cmpeq_epi8(before_each, space)));
        }
        if (_mm_movemask_epi8(going) != 0) {
            end = spaces_plain(text, from, from + 16, tab_after_space_goes, end);
        } else {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(end), _mm_xor_si128(bytes, _mm_and_si128(tabs, tab_to_space)));
            end += 16;
        }
    }
#endif
    end = spaces_plain(text, from, text.size(), tab_after_space_goes, end);
    out.resize(static_cast<std::size_t>(end - out.data()));
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
    names.first_four.assign((std::size_t{1} << PREFIX_BITS_LOG2) / 64, 0);
    names.start_bytes.assign(3, Text());
    for (const auto* keyed : {&four, &eight})
        for (const auto& [key, entry] : *keyed) {
            bitmap_set(names.first_four, key_bit(key & 0xFFFFFFFFu));
            for (std::size_t k = 0; k < names.start_bytes.size(); ++k) {
                const Text sixteen(16, static_cast<char>(key >> 8 * k | 0x20));
                if (names.start_bytes[k].find(sixteen) == Text::npos) names.start_bytes[k] += sixteen;
            }
        }
    // The bytes of the first two places at least; those of the third too
    // where they are few.
    std::size_t count = 0;
    for (std::size_t k = 0; k < names.start_bytes.size(); ++k) {
        count += names.start_bytes[k].size() / 16;
        if (count > FEW_BYTES) names.start_bytes.resize(k < 2 ? 0 : k);
    }
    names.by_four = prefix_table_build(4, std::move(four));
    names.by_eight = prefix_table_build(8, std::move(eight));
    return names;
}

Text service_name_removal(std::string_view text, const ServiceNames& names) {
    Text out(text);
    NormaliseBuffers s;
    remove_names_from_lines(out, 0, names, s);
    return out;
}

Text capture_normalisation(Text guide_text, const ServiceNames& names) {
    // The text goes through the steps in pieces that end after a line end,
    // small enough to stay in the processor's cache from step to step: the
    // first steps in one walk into a buffer, the Date table in one walk into
    // another, the Service-name removal there line by line. No step matches
    // across a line end: no Service name holds one, nor does any of the Date
    // table's find texts or a tab pair.
    //
    // Each result goes where the text's pieces read already stood, as long
    // as it fits before the piece after it; from the first one that does
    // not fit on, the results are gathered in a new text.
    const std::size_t size = guide_text.size();
    NormaliseBuffers s;
    Text out;
    bool in_place = true;
    std::size_t done = 0;  // in place: the bytes of the result so far, at the front of guide_text
    for (std::size_t start = 0; start < size;) {
        const std::size_t end =
            size - start <= PIECE_SIZE ? size : std::min(size, byte_scan_find(guide_text, start + PIECE_SIZE, '\r', '\n') + 1);
        s.first.clear();
        append_spaces(std::string_view(guide_text).substr(start, end - start), true, s.first);
        s.second.clear();
        append_date_rows(s.first, s.second);
        remove_names_from_lines(s.second, 0, names, s);
        if (in_place && done + s.second.size() > end) {
            in_place = false;
            out.reserve(done + (size - start) + (size - start) / 16);
            out.assign(guide_text, 0, done);
        }
        if (in_place) {
            std::memcpy(guide_text.data() + done, s.second.data(), s.second.size());
            done += s.second.size();
        } else {
            out += s.second;
        }
        start = end;
    }
    if (!in_place) return out;
    guide_text.resize(done);
    return guide_text;
}

void line_normalisation(std::string_view weekday_line, const ServiceNames& names, NormaliseBuffers& buffers,
                        Text& out) {
    // One piece: a Weekday line is one line, and cutting a text into its
    // lines only spares the steps work, it never changes their result.
    buffers.first.clear();
    append_spaces(weekday_line, false, buffers.first);
    Text& spaced = buffers.first;
    buffers.starts.clear();
    entry_starts(names, spaced.data(), 0, spaced.size(), buffers.starts);
    spaced.resize(remove_names(spaced.data(), spaced.size(), buffers.starts, names, buffers));
    out.clear();
    append_date_rows(buffers.first, out);
}

Text line_normalisation(std::string_view weekday_line, const ServiceNames& names) {
    NormaliseBuffers buffers;
    Text out;
    line_normalisation(weekday_line, names, buffers, out);
    return out;
}
