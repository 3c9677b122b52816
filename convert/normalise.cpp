#include "convert/normalise.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>


#include "run/run_state.h"

namespace {

struct DateRow {
    Text find;
    Text replacement;
};

// ". 1." -> ".01." up to ". 31." -> ".31.", then ".1." -> ".01." up to ".9." -> ".09.".
std::vector<DateRow> make_date_table() {
    std::vector<DateRow> rows;
    for (int n = 1; n <= 31; ++n) {
        const std::string digits = std::to_string(n);
        rows.push_back({". " + digits + ".", "." + (n < 10 ? "0" + digits : digits) + "."});
    }
    for (int n = 1; n <= 9; ++n) {
        const std::string digit = std::to_string(n);
        rows.push_back({"." + digit + ".", ".0" + digit + "."});
    }
    return rows;
}

const std::vector<DateRow>& date_table() {
    static const std::vector<DateRow> rows = make_date_table();
    return rows;
}


// Service-name removal is one text_remove_all pass (ASCII letters compared
// without regard to case) per Service list entry, each over the result of
// the one before. Most entries do not occur in a given text; a filter of the
// text's 4-byte grams lets them be skipped with a few look-ups instead of a
// scan. The text is kept beside a folded copy (A-Z mapped onto a-z) on which
// the matches are searched; folding keeps every length and position, so
// both are cut in the same places.

// Grams: the 4 and the 8 bytes that begin at a position. Entries are at
// least 4 bytes long (three characters and the blank); the longer grams
// tell apart names that share their short ones ("Kanal 12 ", "Kanal 123 ").
enum : std::size_t { SHORT_GRAM = 4, LONG_GRAM = 8 };

std::uint64_t load(const char* p, std::size_t n) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, n);
    return word;
}

// The same of the bytes folded (A-Z onto a-z).
std::uint64_t load_folded(const char* p, std::size_t n) {
    char bytes[8] = {};
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>(text_fold_ascii(static_cast<unsigned char>(p[i])));
    return load(bytes, n);
}

// A set of grams that holds at least every gram of the text it was built
// from and updated with: a hashed bitmap, so a gram it does not hold
// certainly does not occur, while one it holds may or may not. A removal
// only brings new grams into being where two kept pieces meet; the grams
// that vanished stay set and merely cost a pass that finds nothing.
class GramFilter {
public:
    void build(const Text& folded) {
        const std::size_t n = folded.size();
        const std::size_t grams = 2 * n;
        // About 8 bits per gram keeps false hits rare enough (a false hit
        // costs one pass that finds nothing); the size is bounded so that a
        // huge text costs at most 16 MiB here.
        unsigned bits = MIN_BITS;
        while (bits < MAX_BITS && (std::size_t{1} << bits) < grams * 8) ++bits;
        shift_ = 64 - bits;
        words_.assign((std::size_t{1} << bits) / 64, 0);
        for (std::size_t i = 0; i + SHORT_GRAM <= n; ++i) set_gram(folded.data() + i, SHORT_GRAM);
        for (std::size_t i = 0; i + LONG_GRAM <= n; ++i) set_gram(folded.data() + i, LONG_GRAM);
        built_size_ = n;
    }

    // Whether the entry may occur in the text, letter case ignored: false
    // as soon as one of its grams is missing. The grams at its end are tried
    // first; names tend to differ there. Entries shorter than a gram always
    // may.
    bool may_occur(const Text& entry) const {
        const std::size_t n = entry.size();
        const std::size_t size = n >= LONG_GRAM ? LONG_GRAM : SHORT_GRAM;
        if (n < size) return true;
        for (std::size_t start = n - size + 1; start-- > 0;)
            if (!has(load_folded(entry.data() + start, size), size)) return false;
        return true;
    }

    // After a removal: adds the grams that span the places (positions in the
    // new text) where removed bytes stood.
    void update(const Text& folded, const std::vector<std::size_t>& junctions) {
        if (folded.size() < built_size_ / 2) {
            build(folded);  // mostly stale by now; a fresh one is cheaper to use
            return;
        }
        for (std::size_t junction : junctions) {
            for (std::size_t size : {SHORT_GRAM, LONG_GRAM}) {
                const std::size_t first = junction < size - 1 ? 0 : junction - (size - 1);
                for (std::size_t start = first; start < junction && start + size <= folded.size(); ++start)
                    set_gram(folded.data() + start, size);
            }
        }
    }

private:
    enum : unsigned { MIN_BITS = 12, MAX_BITS = 27 };

    std::size_t index(std::uint64_t gram, std::size_t size) const {
        const std::uint64_t mixer = size == SHORT_GRAM ? 0x9E3779B97F4A7C15ull : 0xC2B2AE3D27D4EB4Full;
        return static_cast<std::size_t>(((gram ^ (gram >> 29)) * mixer) >> shift_);
    }
    void set_gram(const char* p, std::size_t size) {
        const std::size_t i = index(load(p, size), size);
        words_[i / 64] |= std::uint64_t{1} << (i % 64);
    }
    bool has(std::uint64_t gram, std::size_t size) const {
        const std::size_t i = index(gram, size);
        return (words_[i / 64] >> (i % 64)) & 1;
    }

    std::vector<std::uint64_t> words_;
    unsigned shift_ = 64 - MIN_BITS;
    std::size_t built_size_ = 0;
};

// One remove-all pass of the folded pattern over folded, cutting the same
// bytes from text: left to right, a match is dropped and the scan goes on
// behind it, so matches never overlap and the result is never rescanned.
// False when nothing matched (both texts unchanged); otherwise junctions
// holds the positions in the new texts where removed bytes stood.
bool remove_occurrences(Text& text, Text& folded, const Text& pattern,
                        std::vector<std::size_t>& junctions) {
    const std::size_t n = folded.size();
    const std::size_t m = pattern.size();
    auto find_from = [&](std::size_t from) -> std::size_t {
        const std::size_t hit = text_search(folded, pattern, from);
        return hit == Text::npos ? n : hit;
    };
    std::size_t match = find_from(0);
    if (match == n) return false;

    junctions.clear();
    char* const kept_text = text.data();
    char* const kept_folded = folded.data();
    std::size_t out = match;
    for (;;) {
        if (junctions.empty() || junctions.back() != out) junctions.push_back(out);
        const std::size_t from = match + m;
        match = find_from(from);
        // The bytes between two matches (or up to the end) move left.
        std::memmove(kept_text + out, kept_text + from, match - from);
        std::memmove(kept_folded + out, kept_folded + from, match - from);
        out += match - from;
        if (match == n) break;
    }
    text.resize(out);
    folded.resize(out);
    return true;
}

}  // namespace

Text date_table_apply(const Text& text) {
    Text result = text;
    for (const DateRow& row : date_table()) {
        result = text_replace_all(std::move(result), row.find, row.replacement);
    }
    return result;
}

Text service_name_removal(const Text& text) {
    if (g_run.service_count <= 0 || text.empty()) return text;
    Text result = text;
    Text folded = text_fold_ascii(text);
    GramFilter filter;
    filter.build(folded);
    std::vector<std::size_t> junctions;
    for (int i = 0; i < g_run.service_count; ++i) {
        const Text& entry = g_run.service_list[static_cast<std::size_t>(i)];
        if (entry.empty() || entry.size() > folded.size() || !filter.may_occur(entry)) continue;
        if (!remove_occurrences(result, folded, text_fold_ascii(entry), junctions)) continue;
        filter.update(folded, junctions);
    }
    return result;
}

Text capture_normalisation(const Text& guide_text) {
    Text text = text_replace_all(guide_text, " \t", " ");
    text = text_replace_all(text, "\t", " ");
    text = text_remove_all(text, "\\", false);
    text = date_table_apply(text);
    return service_name_removal(text);
}

Text line_normalisation(const Text& weekday_line) {
    Text line = text_remove_all(weekday_line, "\\", false);
    line = text_replace_all(line, "\t", " ");
    line = service_name_removal(line);
    return date_table_apply(line);
}
