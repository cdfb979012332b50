// For the programs, once at start: freed blocks of the C heap stay with the
// process for the next tree instead of going back to the system, so that
// the per-matrix workspaces, freed and had again matrix after matrix, do not
// fault their pages in anew each time. Peak memory is unchanged: only what
// was in use at once is kept. Not for a library's caller, whose heap it
// would change; a no-op outside glibc.
#pragma once

namespace rf {

void keep_freed_heap_for_reuse() noexcept;

} // namespace rf
