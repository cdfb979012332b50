// The edge of the public interface: whatever a call meets leaves it as an
// rf_compare::Error. Memory that runs out becomes too_large ("not enough
// memory for WHAT"), a stop asked for by the caller's check cancelled.
#pragma once

#include <new>
#include <stdexcept>
#include <string_view>

#include "cancellation.hpp"
#include "messages.hpp"

namespace rf_compare::detail {

template <typename Call>
decltype(auto) guarded(std::string_view building, Call&& call) {
    try {
        return call();
    } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
        throw out_of_memory(building);
    } catch (const std::length_error&) {
        throw out_of_memory(building);
    } catch (const rf::Cancelled&) {
        throw Error(ErrorKind::cancelled, std::string(INTERRUPTED));
    }
}

} // namespace rf_compare::detail
