// Trees rebuilt from matrices as they come, and trees given as trees, to
// be compared with each other once they are all there: a TreeSet collects
// them and finish() turns it into an immutable TreeTable. O(n) numbers
// are kept per tree, never the matrices.
//
// Thread-safety: one thread at a time; the interruption check is called
// from that thread only. Errors: rf_compare::Error only. A call that
// throws leaves the set as it was before the matrix at fault: the trees
// before it are kept, and a first matrix that failed fixes nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rf_compare/matrix_reader.hpp"
#include "rf_compare/matrix_view.hpp"
#include "rf_compare/rebuild_method.hpp"
#include "rf_compare/tolerance.hpp"
#include "rf_compare/tree.hpp"
#include "rf_compare/tree_table.hpp"

namespace rf_compare {

// What to do with a matrix that is not additive.
enum class WhenNotAdditive {
    stop, // throw an Error of kind not_additive
    mark, // keep it as a tree left out: NaN in its row and column
};

struct SetOptions {
    WhenNotAdditive when_not_additive = WhenNotAdditive::stop;
    // false saves the edge lengths' memory and time when only Metric::rf
    // will be asked for.
    bool keep_lengths = true;
    // At most this many threads, the caller's included; 0: one for each CPU
    // the process may run on. Results never depend on it.
    std::size_t threads = 0;
    // How lengths near zero are judged: the programs' absolute values, or
    // values relative to each matrix's largest entry.
    Tolerance tolerance;
    // A matrix whose tree's relative misfit is beyond TREE_METRIC_MISFIT is
    // taken as not additive.
    bool strict = false;
    // How each matrix is made a tree (see rebuild_method.hpp).
    RebuildMethod method = RebuildMethod::additive;
    // Asked now and then (at most every 20 ms) from the calling thread
    // during long work, here and in the TreeTable; true stops that work
    // with an Error of kind cancelled.
    std::function<bool()> interrupted;
};

// Matrices (or trees) handed over one at a time, such as a binding's list
// or generator: the set asks for them as it rebuilds, a batch at a time.
class MatrixSupply {
public:
    struct Matrix {
        MatrixView view; // unused when `tree` is given
        // Keeps the view's cells alive; dropped by the set, on the calling
        // thread, once the matrix's tree is rebuilt.
        std::shared_ptr<const void> owner;
        // The leaves' names, in the order of the rows; empty: none.
        std::vector<std::string> names = {};
        // A tree given as a tree instead of a matrix: its names are its own.
        std::optional<Tree> tree = std::nullopt;
    };
    virtual ~MatrixSupply() = default;
    // The next matrix, or nothing when there are no more. Called from the
    // thread that called TreeSet::add_all. What it throws is thrown by
    // add_all once the matrices before are rebuilt, unless one of them
    // fails first.
    virtual std::optional<Matrix> next() = 0;
};

class TreeSet {
public:
    explicit TreeSet(SetOptions options = {});
    TreeSet(TreeSet&&) noexcept;
    TreeSet& operator=(TreeSet&&) noexcept;
    ~TreeSet();

    // Rebuilds the tree of the next matrix, whose rows and columns are the
    // leaves named `names` (none: empty) in that order. Every matrix must
    // name the same leaves, in any order, or none may have names: the
    // first's order is kept. Throws bad_argument (among them a matrix whose
    // n or names differ from the first's, and one that is no distance
    // matrix: not symmetric beyond 1e-9 of its largest entry, a negative
    // entry, entries so large that sums of them overflow), not_additive,
    // too_large or cancelled.
    void add(const MatrixView& matrix, std::vector<std::string> names = {});

    // Adds a tree as it is (rebuilt, or given as a tree), its leaves matched
    // by name: trees given as trees always have names, so every matrix of
    // the set must have them too. Throws bad_argument for n or names that
    // differ from the first's, too_large.
    void add(const Tree& tree);

    // Rebuilds the trees of these matrices, in order, on every thread
    // allowed: as many add() calls, but the first failure in matrix order
    // is the one thrown.
    void add_all(std::span<const MatrixView> matrices);
    void add_all(MatrixSupply& matrices);

    // Rebuilds the trees of the matrices the reader has still to read, as
    // they are read, without copying them. Also throws the reader's errors.
    void add_all(MatrixReader& reader);

    [[nodiscard]] std::size_t size() const noexcept;

    // Every tree numbered for comparison; the set is empty afterwards.
    [[nodiscard]] TreeTable finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace rf_compare
