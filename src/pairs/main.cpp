// rf_pairs: the Robinson-Foulds distance of every tree to every other, each
// tree rebuilt from an additive distance matrix; for scripts. See --help.
#include <cstdio>
#include <new>
#include <variant>

#include "heap_reuse.hpp"
#include "pairs_options.hpp"
#include "pairs_run.hpp"
#include "reader_settings.hpp"
#include "standard_streams.hpp"
#include "thread_choice.hpp"

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int run(int argc, const char* const* argv, const rf::ClosedAtStart& closed) {
    const rf::CommandLine command = rf::parse_command_line(argc, argv);
    if (const auto* error = std::get_if<rf::UsageError>(&command)) {
        std::fprintf(stderr, "rf_pairs: %s; see rf_pairs --help\n", error->message.c_str());
        return EXIT_USAGE;
    }
    if (const auto* request = std::get_if<rf::InfoRequest>(&command)) {
        if (closed.output) {
            std::fprintf(stderr, "rf_pairs: %s\n", rf::STANDARD_OUTPUT_CLOSED);
            return EXIT_FAILED;
        }
        std::fputs(*request == rf::InfoRequest::help ? rf::usage_text() : "rf_pairs " RF_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? 0 : EXIT_FAILED;
    }
    try {
        const auto& options = std::get<rf::PairsOptions>(command);
        return rf::run_rf_pairs(options, {{}, closed.output}, stderr,
                                rf::ReaderSettings::for_threads(rf_compare::detail::thread_use(options.threads)));
    } catch (const std::bad_alloc&) { // what each step does not name itself
        std::fputs("rf_pairs: not enough memory\n", stderr);
        return EXIT_FAILED;
    }
}

} // namespace

int main(int argc, char** argv) {
    const rf::ClosedAtStart closed = rf::keep_standard_streams_open(); // before any file takes a standard stream's place
    rf::keep_freed_heap_for_reuse();
    return run(argc, argv, closed);
}
