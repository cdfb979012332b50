// rf_compare: Robinson-Foulds distances between the tree of the first
// additive distance matrix in a file and the trees of the following ones.
// Command-line arguments are ignored; everything is asked on the console.
#include <cstdio>

#include "exit_procedure.hpp"
#include "heap_reuse.hpp"
#include "platform.hpp"
#include "run_loop.hpp"
#include "standard_streams.hpp"

int main() {
    // Before any file takes a standard stream's place. A closed console
    // loses only the console's texts: the results go to their own file,
    // and the exit code tells how the run ended.
    static_cast<void>(rf::keep_standard_streams_open());
    rf::keep_freed_heap_for_reuse();
    const int exit_code = rf::run_rf_compare(stdin, stdout, rf::ReaderSettings::for_threads(rf::ThreadUse::all_usable()));
    return rf::exit_procedure(exit_code, stdin, stdout, rf::stdout_is_console());
}
