// The leaves' names of many matrices, matched to the first matrix's: every
// matrix must name the same leaves, each once, in any order, or every
// matrix must go without names; the first fixes the order. Names that no
// Newick line could carry (a line break, a control character, NUL) are
// refused.
//
// Thread-safety: one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rf_compare::detail {

class LeafNames {
public:
    // What is wrong with a matrix's names, without the matrix: "has no leaf
    // named "x", which the first matrix has".
    struct Mismatch {
        std::string what;
    };

    // The leaves of a matrix whose names are `names` (none: empty), put in
    // the first matrix's order: entry k is the place (from 0) in this
    // matrix of the first matrix's k-th leaf; nothing when they are in that
    // order already. Throws Mismatch.
    [[nodiscard]] std::optional<std::vector<std::int32_t>> order_of(const std::vector<std::string>& names);

    // The first matrix's names; empty when the matrices have none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept { return first_; }

private:
    bool fixed_ = false;
    std::vector<std::string> first_;
};

} // namespace rf_compare::detail
