#include "distance_table.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "common_clusters.hpp"
#include "thread_team.hpp"

namespace rf {

namespace {

// Rows formatted by each member of the team per round, before they are
// written in order.
constexpr std::size_t ROWS_PER_MEMBER = 8;

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
    [[nodiscard]] bool write_to(std::FILE* out) const {
        return std::fwrite(chars_.data(), 1, size_, out) == size_;
    }

private:
    static constexpr std::size_t CELL_WIDTH = 24; // a tab and any 64-bit integer or fraction
    char* end() noexcept { return chars_.data() + size_; }
    void finish(const char* end) noexcept { size_ = static_cast<std::size_t>(end - chars_.data()); }

    std::vector<char> chars_;
    std::size_t size_ = 0;
};

// The rows of the table: row i is tree i's number, then its distance to
// every tree, computed from the inner clusters alone (the single leaves and
// the cluster of all leaves but leaf 1 are in every tree).
class TableRows {
public:
    TableRows(const RebuiltTrees& trees, bool normalised)
        : common_clusters_(trees.inner_clusters, trees.cluster_numbers), normalised_(normalised) {
        for (std::size_t t = 0; t < trees.rebuilt.size(); ++t) {
            inner_.push_back(trees.rebuilt[t] ? static_cast<std::int64_t>(trees.inner_clusters[t].size()) : NOT_REBUILT);
        }
    }

    // `common` is the caller's scratch, sized for every tree.
    void format(std::size_t i, std::vector<std::int32_t>& common, Line& line) const {
        line.clear();
        line.put_integer(static_cast<std::int64_t>(i) + 1);
        if (inner_[i] == NOT_REBUILT) {
            for (std::size_t j = 0; j < inner_.size(); ++j) {
                line.put("\tNA");
            }
        } else {
            common_clusters_.row(i, common);
            for (std::size_t j = 0; j < inner_.size(); ++j) {
                line.put("\t");
                put_distance(line, inner_[i], inner_[j], common[j]);
            }
        }
        line.put("\n");
    }

private:
    static constexpr std::int64_t NOT_REBUILT = -1;

    void put_distance(Line& line, std::int64_t inner_a, std::int64_t inner_b, std::int64_t common) const {
        if (inner_b == NOT_REBUILT) {
            line.put("NA");
            return;
        }
        const std::int64_t distance = inner_a + inner_b - 2 * common;
        if (!normalised_) {
            line.put_integer(distance);
            return;
        }
        // Its largest possible value is every inner cluster of both trees; two stars are 0 apart.
        const std::int64_t largest = inner_a + inner_b;
        line.put_six_decimals(largest == 0 ? 0.0 : static_cast<double>(distance) / static_cast<double>(largest));
    }

    CommonClusters common_clusters_;
    std::vector<std::int64_t> inner_; // each tree's inner clusters, or NOT_REBUILT
    bool normalised_;
};

} // namespace

bool write_distance_table(std::FILE* out, const RebuiltTrees& trees, TableLayout layout, std::size_t threads) {
    const std::size_t m = trees.rebuilt.size();
    const TableRows table(trees, layout.normalised);
    Line header(m);
    header.put("matrix");
    for (std::size_t j = 0; j < m; ++j) {
        header.put("\t");
        header.put_integer(static_cast<std::int64_t>(j) + 1);
    }
    header.put("\n");
    bool written = header.write_to(out);

    const std::size_t rows = layout.first_only ? std::min<std::size_t>(m, 1) : m;
    std::optional<ThreadTeam> team;
    ThreadTeam::start_if_useful(team, rows > 1 ? threads : 1);
    const std::size_t members = team ? team->size() : 1;
    const std::size_t round = std::min(rows, members * ROWS_PER_MEMBER);
    std::vector<Line> lines(round, Line(m));
    std::vector<std::vector<std::int32_t>> common(members, std::vector<std::int32_t>(m)); // each member's own
    for (std::size_t first = 0; first < rows && written; first += round) {
        const std::size_t count = std::min(round, rows - first);
        auto format_rows = [&](std::size_t member) noexcept {
            for (std::size_t k = member; k < count; k += members) {
                table.format(first + k, common[member], lines[k]);
            }
        };
        if (team) {
            team->run(format_rows);
        } else {
            format_rows(0);
        }
        for (std::size_t k = 0; k < count && written; ++k) {
            written = lines[k].write_to(out);
        }
    }
    return std::fflush(out) == 0 && written && std::ferror(out) == 0;
}

} // namespace rf
