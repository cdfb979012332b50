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
            throw LeafNames::Mismatch{"has the name " + quoted_name(names[k]) + " twice"};
        }
    }
    return places;
}

} // namespace

std::optional<std::vector<std::int32_t>> LeafNames::order_of(const std::vector<std::string>& names) {
    if (!fixed_) {
        static_cast<void>(places_of(names));
        first_ = names;
        fixed_ = true;
        return std::nullopt;
    }
    if (names.empty() != first_.empty()) {
        throw Mismatch{names.empty() ? "has no leaf names, and the first matrix has: give every matrix names, or none"
                                     : "has leaf names, and the first matrix has none: give every matrix names, or none"};
    }
    if (names == first_) {
        return std::nullopt;
    }
    const std::unordered_map<std::string, std::int32_t> places = places_of(names);
    std::vector<std::int32_t> order;
    order.reserve(first_.size());
    for (const std::string& name : first_) {
        const auto place = places.find(name);
        if (place == places.end()) {
            throw Mismatch{"has no leaf named " + quoted_name(name) + ", which the first matrix has"};
        }
        order.push_back(place->second);
    }
    return order;
}

} // namespace rf_compare::detail
