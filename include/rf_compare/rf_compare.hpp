// rf_compare as a library: read matrix files, rebuild the tree of an
// additive distance matrix, and compare many trees with each other, as the
// programs rf_compare and rf_pairs do and with the same results. Plain C++
// types throughout, for any language binding.
//
// Errors are exceptions derived from rf_compare::Error; their what() is a
// message for people. Functions that take many matrices may use every CPU
// the process may run on; their results do not depend on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rf_compare {

// The version of the library and the programs, such as "1.1.0".
[[nodiscard]] const char* version() noexcept;

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A matrix file that cannot be opened: "File NAME was not found".
class FileNotFound : public Error {
public:
    using Error::Error;
};

// A matrix file that is not as it should be, with the programs' texts:
// "Bad number of objects", "Bad matrix number", "Bad entry in matrix J, row
// I, column K".
class BadInput : public Error {
public:
    using Error::Error;
};

// A matrix file's n too large for memory: "Data matrix is too large".
class TooLarge : public Error {
public:
    using Error::Error;
};

// A matrix or argument that cannot be used: not square, fewer than two
// leaves, an entry that is not finite, matrices of different sizes, leaf
// names that are not one per leaf or not distinct. `matrix` is the index of
// the matrix at fault, counted from 0, when it is one of many.
class BadArgument : public Error {
public:
    explicit BadArgument(const std::string& message, std::optional<std::size_t> matrix = std::nullopt)
        : Error(message), matrix(matrix) {}
    std::optional<std::size_t> matrix;
};

// A matrix that is not additive: its tree cannot be rebuilt. `index` counts
// the matrices given from 0.
class NotAdditive : public Error {
public:
    NotAdditive(const std::string& message, std::size_t index) : Error(message), index(index) {}
    std::size_t index;
};

// How two trees are compared; see rf_pairs --help.
enum class Metric { rf, wrf, kf };

// The metric named "rf", "wrf" or "kf"; nothing for any other name.
[[nodiscard]] std::optional<Metric> metric_named(std::string_view name) noexcept;

// One square matrix of doubles laid out in any way: entry (i, j), counted
// from 0, at the byte address data + i * row_step + j * column_step. It is
// read, never kept.
struct MatrixView {
    const void* data;
    std::int64_t rows;
    std::int64_t columns;
    std::int64_t row_step;    // in bytes
    std::int64_t column_step; // in bytes
};

// A matrix file read one matrix at a time, with the programs' reader.
class MatrixReader {
public:
    // Opens the file and reads n. `count`: read that many matrices, and
    // nothing after them; without it, every matrix of the file. Throws
    // FileNotFound, BadInput or TooLarge.
    MatrixReader(const std::string& path, std::optional<std::int64_t> count);
    MatrixReader(MatrixReader&&) noexcept;
    MatrixReader& operator=(MatrixReader&&) noexcept;
    ~MatrixReader();

    [[nodiscard]] std::int32_t leaf_count() const noexcept;

    // Writes the next matrix to out[0 .. n*n), row by row, its diagonal 0;
    // false when every matrix has been read. Throws BadInput.
    bool read_next(std::span<double> out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// One edge of a rebuilt tree. Nodes are numbered as R's ape numbers them:
// leaves 1..n, inner nodes from n + 1 on, n + 1 being the root, the inner
// node next to leaf 1.
struct TreeEdge {
    std::int32_t parent;
    std::int32_t child;
    double length;
};

// A tree rebuilt from one matrix.
class Tree {
public:
    [[nodiscard]] std::int32_t leaf_count() const noexcept;

    // Every edge, in the order of the Newick line: depth first from the
    // root, leaf 1's edge first; a parent before its children. With two
    // leaves there is no inner node: the root n + 1 gets leaf 1 at the
    // edge's length and leaf 2 at 0, as the Newick line reads.
    [[nodiscard]] std::vector<TreeEdge> edges() const;

    // The names it was rebuilt with; empty when there were none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept;

    // The line rf_pairs --newick writes for it, without the line end, its
    // leaves named by number or by the names it was rebuilt with.
    [[nodiscard]] std::string newick() const;

private:
    friend Tree rebuild(const MatrixView& matrix, std::vector<std::string> names);
    struct State;
    std::shared_ptr<const State> state_;
};

// The tree of one matrix; `names`, when given, name leaves 1..n in its
// Newick line (n distinct names, quoted where Newick needs it). Throws
// BadArgument, or NotAdditive with index 0.
[[nodiscard]] Tree rebuild(const MatrixView& matrix, std::vector<std::string> names = {});

// What to do with a matrix that is not additive.
enum class WhenNotAdditive {
    stop,   // throw NotAdditive
    mark,   // leave it out: NaN in its row and column
};

// Trees rebuilt from matrices as they come, to be compared with each other.
// Keeps O(n) numbers per tree, not the matrices.
class TreeSet {
public:
    // `keep_lengths`: false saves the edge lengths' memory and time when
    // only Metric::rf will be asked for.
    explicit TreeSet(WhenNotAdditive when_not_additive, bool keep_lengths = true);
    TreeSet(TreeSet&&) noexcept;
    TreeSet& operator=(TreeSet&&) noexcept;
    ~TreeSet();

    // Rebuilds the tree of the next matrix. Throws BadArgument (among them a
    // matrix whose n differs from the first's) or NotAdditive; the set is
    // then as before.
    void add(const MatrixView& matrix);

    // Rebuilds the trees of these matrices, in order, on every CPU: as many
    // add() calls, but the first failure in matrix order is the one thrown,
    // and the set then holds the trees before it.
    void add_all(std::span<const MatrixView> matrices);

    [[nodiscard]] std::size_t size() const noexcept;

    // The distances of tree 1 to every tree (first_row_only) or of every tree
    // to every tree, row by row, into `out` of size() or size() * size()
    // numbers, NaN where a tree was left out. Robinson-Foulds counts are
    // whole numbers; `normalised` divides them by their largest possible
    // value and applies to Metric::rf only. BadArgument for a wrong size of
    // `out`, for normalised with another metric, and for wrf or kf when the
    // lengths were not kept. No tree can be added after.
    void distances(Metric metric, bool normalised, bool first_row_only, std::span<double> out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace rf_compare
