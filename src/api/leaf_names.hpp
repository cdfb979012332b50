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
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // order already. `tree`: they are a tree's, not a matrix's (for the
    // messages). Throws Mismatch.
    [[nodiscard]] std::optional<std::vector<std::int32_t>> order_of(const std::vector<std::string>& names,
                                                                     bool tree = false);

    // The first matrix's names; empty when the matrices have none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept { return first_; }

    // The place (from 0) of a name among the first's; nothing when the
    // first has no such name or nothing is fixed yet.
    [[nodiscard]] std::optional<std::int32_t> place_of(std::string_view name) const;

    // The Mismatch of names whose places among the first's are `places`
    // (-1: not among them), one per name, for names that are not the
    // first's, each once; nothing when they are.
    [[nodiscard]] std::optional<Mismatch> mismatch_of(const std::vector<std::string_view>& names,
                                                      const std::vector<std::int32_t>& places) const;

private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept { return std::hash<std::string_view>{}(name); }
    };

    bool fixed_ = false;
    std::vector<std::string> first_;
    std::unordered_map<std::string, std::int32_t, NameHash, std::equal_to<>> first_places_;
    std::string first_noun_ = "the first matrix";
};

} // namespace rf_compare::detail
