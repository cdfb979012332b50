#include "distance_table.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "common_clusters.hpp"
#include "short_decimal.hpp"
#include "thread_team.hpp"
#include "weighted_distances.hpp"

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
    void put_short_decimal(double value) noexcept { finish(write_short_decimal(end(), value)); }
    [[nodiscard]] bool write_to(std::FILE* out) const {
        return std::fwrite(chars_.data(), 1, size_, out) == size_;
    }

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
    std::vector<std::int32_t> common;
    WeightedDistances::Scratch sums;
    std::vector<double> distances;
};

// The rows of the table: row i is tree i's number, then its distance to
// every tree. Robinson-Foulds counts the inner clusters alone: the single
// leaves and the cluster of all leaves but leaf 1 are in every tree.
class TableRows {
public:
    TableRows(const NumberedTrees& numbered, TableLayout layout) : trees_(numbered.trees), layout_(layout) {
        if (layout.metric == Metric::rf) {
            common_clusters_.emplace(numbered);
        } else {
            weighted_.emplace(numbered, layout.metric);
        }
    }

    void format(std::size_t i, RowScratch& scratch, Line& line) const {
        line.clear();
        line.put_integer(static_cast<std::int64_t>(i) + 1);
        if (!trees_[i].rebuilt()) {
            for (std::size_t j = 0; j < trees_.size(); ++j) {
                line.put("\tNA");
            }
        } else if (weighted_) {
            weighted_->row(i, scratch.sums, scratch.distances);
            for (std::size_t j = 0; j < trees_.size(); ++j) {
                line.put("\t");
                if (trees_[j].rebuilt()) {
                    line.put_short_decimal(scratch.distances[j]);
                } else {
                    line.put("NA");
                }
            }
        } else {
            common_clusters_->row(i, scratch.common);
            for (std::size_t j = 0; j < trees_.size(); ++j) {
                line.put("\t");
                put_robinson_foulds(line, i, j, scratch.common[j]);
            }
        }
        line.put("\n");
    }

private:
    void put_robinson_foulds(Line& line, std::size_t i, std::size_t j, std::int64_t common) const {
        if (!trees_[j].rebuilt()) {
            line.put("NA");
            return;
        }
        const auto inner_a = static_cast<std::int64_t>(trees_[i].inner_clusters.size());
        const auto inner_b = static_cast<std::int64_t>(trees_[j].inner_clusters.size());
        const std::int64_t distance = inner_a + inner_b - 2 * common;
        if (!layout_.normalised) {
            line.put_integer(distance);
            return;
        }
        // Its largest possible value is every inner cluster of both trees; two stars are 0 apart.
        const std::int64_t largest = inner_a + inner_b;
        line.put_six_decimals(largest == 0 ? 0.0 : static_cast<double>(distance) / static_cast<double>(largest));
    }

    const std::vector<TreeEdges>& trees_;
    TableLayout layout_;
    std::optional<CommonClusters> common_clusters_;
    std::optional<WeightedDistances> weighted_;
};

} // namespace

bool write_distance_table(std::FILE* out, const NumberedTrees& trees, TableLayout layout, std::size_t threads) {
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
    std::optional<ThreadTeam> team;
    ThreadTeam::start_if_useful(team, rows > 1 ? threads : 1);
    const std::size_t members = team ? team->size() : 1;
    const std::size_t round = std::min(rows, members * ROWS_PER_MEMBER);
    std::vector<Line> lines(round, Line(m));
    std::vector<RowScratch> scratch(members); // each member's own
    for (std::size_t first = 0; first < rows && written; first += round) {
        const std::size_t count = std::min(round, rows - first);
        auto format_rows = [&](std::size_t member) noexcept {
            for (std::size_t k = member; k < count; k += members) {
                table.format(first + k, scratch[member], lines[k]);
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
