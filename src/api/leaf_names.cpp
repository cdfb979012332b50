#include "leaf_names.hpp"

#include <algorithm>
#include <unordered_map>

namespace rf_compare::detail {

namespace {

std::string quoted_name(const std::string& name) {
    std::string text("\"");
    text.append(name.substr(0, 60)).append("\"");
    return text;
}

LeafNames::Mismatch named_twice(const std::string& name) { return {"has the name " + quoted_name(name) + " twice"}; }

void check_characters(const std::string& name) {
    const auto control = std::find_if(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < ' ' && c != '\t';
    });
    if (control != name.end()) {
        throw LeafNames::Mismatch{"has the name " + quoted_name(name) +
                                  (*control == '\n' || *control == '\r' ? ", which holds a line break" : ", which holds a control character")};
    }
}

std::unordered_map<std::string, std::int32_t> places_of(const std::vector<std::string>& names) {
    std::unordered_map<std::string, std::int32_t> places;
    for (std::size_t k = 0; k < names.size(); ++k) {
        check_characters(names[k]);
        if (!places.emplace(names[k], static_cast<std::int32_t>(k)).second) {
            throw named_twice(names[k]);
        }
    }
    return places;
}

} // namespace

std::optional<std::vector<std::int32_t>> LeafNames::order_of(const std::vector<std::string>& names, bool tree) {
    if (!fixed_) {
        for (auto& [name, place] : places_of(names)) {
            first_places_.emplace(name, place);
        }
        first_ = names;
        first_noun_ = tree ? "the first tree" : "the first matrix";
        fixed_ = true;
        return std::nullopt;
    }
    if (names.empty() != first_.empty()) {
        throw Mismatch{names.empty() ? "has no leaf names, and " + first_noun_ + " has: give every matrix names, or none"
                                     : "has leaf names, and " + first_noun_ + " has none: give every matrix names, or none"};
    }
    if (names == first_) {
        return std::nullopt;
    }
    std::vector<std::string_view> given(names.begin(), names.end());
    std::vector<std::int32_t> places(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        places[k] = place_of(names[k]).value_or(-1);
    }
    if (std::optional<Mismatch> mismatch = mismatch_of(given, places)) {
        throw std::move(*mismatch);
    }
    std::vector<std::int32_t> order(first_.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        order[static_cast<std::size_t>(places[k])] = static_cast<std::int32_t>(k);
    }
    return order;
}

std::optional<std::int32_t> LeafNames::place_of(std::string_view name) const {
    const auto found = first_places_.find(name);
    if (found == first_places_.end()) {
        return std::nullopt;
    }
    return found->second;
}

// A name given twice first, then the first's first name that is missing,
// then a name the first has not.
std::optional<LeafNames::Mismatch> LeafNames::mismatch_of(const std::vector<std::string_view>& names,
                                                         const std::vector<std::int32_t>& places) const {
    std::vector<char> seen(first_.size(), 0);
    std::optional<std::size_t> unknown;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (places[k] < 0) {
            unknown = unknown.value_or(k);
            continue;
        }
        if (seen[static_cast<std::size_t>(places[k])]++ != 0) {
            return named_twice(std::string(names[k]));
        }
    }
    const auto missing = std::find(seen.begin(), seen.end(), 0);
    if (missing != seen.end()) {
        if (unknown) { // a name no Newick line could carry is named as such
            check_characters(std::string(names[*unknown]));
        }
        const std::string& name = first_[static_cast<std::size_t>(missing - seen.begin())];
        return Mismatch{"has no leaf named " + quoted_name(name) + ", which " + first_noun_ + " has"};
    }
    if (unknown) {
        const std::string given(names[*unknown]);
        check_characters(given);
        return Mismatch{"has a leaf named " + quoted_name(given) + ", which " + first_noun_ + " has not"};
    }
    return std::nullopt;
}

} // namespace rf_compare::detail
