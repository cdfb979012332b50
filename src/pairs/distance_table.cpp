#include "distance_table.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <charconv>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "distance_rows.hpp"
#include "short_decimal.hpp"
#include "thread_team.hpp"

namespace rf {

namespace {

// Rows formatted by each member of the team per round, before they are
// written in order.
constexpr std::size_t ROWS_PER_MEMBER = 32;

// One line of the table, in storage sized for the longest line: no growth
// and no checks per cell.
class Line {
public:
    explicit Line(std::size_t cells) : chars_(CELL_WIDTH * (cells + 1) + 1) {}

    void clear() noexcept { size_ = 0; }
    void put(std::string_view text) noexcept {
        std::copy(text.begin(), text.end(), end());
        size_ += text.size();
    }
    void put_integer(std::int64_t value) noexcept { finish(std::to_chars(end(), end() + CELL_WIDTH, value).ptr); }
    void put_six_decimals(double value) noexcept {
        finish(std::to_chars(end(), end() + CELL_WIDTH, value, std::chars_format::fixed, 6).ptr);
    }
    void put_short_decimal(double value) noexcept { finish(write_short_decimal(end(), value)); }
    // A cell of up to eight characters, copied whole: every cell has room.
    void put_cell(const std::array<char, 8>& text, std::size_t length) noexcept {
        std::memcpy(end(), text.data(), text.size());
        size_ += length;
    }
    [[nodiscard]] bool write_to(LineFile& out) const { return out.write({chars_.data(), size_}); }

private:
    // A tab and any 64-bit integer, fraction or short decimal.
    static constexpr std::size_t CELL_WIDTH = 1 + std::max<std::size_t>(SHORT_DECIMAL_MAX_CHARS, 24);
    char* end() noexcept { return chars_.data() + size_; }
    void finish(const char* end) noexcept { size_ = static_cast<std::size_t>(end - chars_.data()); }

    std::vector<char> chars_;
    std::size_t size_ = 0;
};

// Each member's scratch for computing a row.
struct RowScratch {
    DistanceRows::Scratch sums;
    std::vector<double> distances;
};

// Row i of the table: tree i's number, then its distance to every tree,
// an integer for Robinson-Foulds, six decimals normalised, at most twelve
// significant digits for the weighted metrics.
class TableRows {
public:
    TableRows(const NumberedTrees& numbered, TableLayout layout)
        : rows_(numbered, layout.metric, layout.normalised), layout_(layout) {
        // A Robinson-Foulds count is at most every inner cluster of two
        // trees: its text, tab first, is looked up rather than made.
        std::size_t largest = 0;
        for (const TreeEdges& tree : numbered.trees) {
            largest = std::max(largest, 2 * tree.inner_clusters.size());
        }
        if (layout.metric == Metric::rf && !layout.normalised && largest < 1'000'000) {
            for (std::size_t count = 0; count <= largest; ++count) {
                CountText& text = count_texts_.emplace_back();
                text.chars[0] = '\t';
                text.length = static_cast<std::size_t>(std::to_chars(&text.chars[1], text.chars.end(), count).ptr - text.chars.data());
            }
        }
    }

    void format(std::size_t i, RowScratch& scratch, Line& line) const {
        scratch.distances.resize(rows_.size());
        rows_.row(i, scratch.sums, scratch.distances);
        line.clear();
        line.put_integer(static_cast<std::int64_t>(i) + 1);
        for (const double distance : scratch.distances) {
            if (std::isnan(distance)) {
                line.put("\tNA");
            } else if (!count_texts_.empty()) {
                const CountText& text = count_texts_[static_cast<std::size_t>(distance)];
                line.put_cell(text.chars, text.length);
            } else {
                line.put("\t");
                if (layout_.metric != Metric::rf) {
                    line.put_short_decimal(distance);
                } else {
                    line.put_six_decimals(distance);
                }
            }
        }
        line.put("\n");
    }

private:
    DistanceRows rows_;
    TableLayout layout_;
    struct CountText {
        std::array<char, 8> chars{};
        std::size_t length = 0;
    };
    std::vector<CountText> count_texts_;
};

} // namespace

bool write_distance_table(LineFile& out, const NumberedTrees& trees, TableLayout layout, const ThreadUse& threads) {
    const std::size_t m = trees.trees.size();
    const TableRows table(trees, layout);
    Line header(m);
    header.put("matrix");
    for (std::size_t j = 0; j < m; ++j) {
        header.put("\t");
        header.put_integer(static_cast<std::int64_t>(j) + 1);
    }
    header.put("\n");
    bool written = header.write_to(out);

    const std::size_t rows = layout.first_only ? std::min<std::size_t>(m, 1) : m;
    ThreadTeam team(rows > 1 ? threads : ThreadUse{});
    const std::size_t members = team.size();
    const std::size_t round = std::min(rows, members * ROWS_PER_MEMBER);
    // Two sets of lines: member 0 writes the round before while the others
    // format this one, and every member takes the next row not yet taken.
    std::array<std::vector<Line>, 2> lines{std::vector<Line>(round, Line(m)), std::vector<Line>(round, Line(m))};
    std::vector<RowScratch> scratch(members); // each member's own
    std::vector<std::exception_ptr> failures(members); // what a member met (memory ran out), its own
    std::size_t unwritten = 0; // rows of the round before
    auto write_lines = [&](const std::vector<Line>& done) {
        for (std::size_t k = 0; k < unwritten && written; ++k) {
            written = done[k].write_to(out);
        }
        unwritten = 0;
    };
    for (std::size_t first = 0, turn = 0; first < rows && written; first += round, turn ^= 1) {
        const std::size_t count = std::min(round, rows - first);
        std::vector<Line>& now = lines[turn];
        std::atomic<std::size_t> next_row{0};
        auto format_rows = [&](std::size_t member) noexcept {
            try {
                if (member == 0) {
                    write_lines(lines[turn ^ 1U]);
                }
                for (std::size_t k = next_row++; k < count; k = next_row++) {
                    table.format(first + k, scratch[member], now[k]);
                }
            } catch (...) {
                failures[member] = std::current_exception();
                next_row = count; // the others stop too
            }
        };
        team.run(format_rows);
        for (const std::exception_ptr& failure : failures) {
            if (failure) {
                std::rethrow_exception(failure);
            }
        }
        unwritten = count;
        if (first + count == rows) {
            write_lines(now);
        }
    }
    return written && out.flush();
}

} // namespace rf
