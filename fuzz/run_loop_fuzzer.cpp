// Arbitrary bytes as the matrix file of a whole run (answers fixed: three
// matrices). Every run must end with one of the program's own messages and
// exit codes, and a result file that holds only "%d \n" lines. The file is
// read by one thread, then by teams of threads in blocks so small that words,
// bad words and the input's end fall into every piece of a split block: the
// runs must agree byte for byte.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

#include "fuzz_check.hpp"
#include "number_parsing.hpp"
#include "run_loop.hpp"

namespace {

namespace fs = std::filesystem;

// One scratch folder per process for the matrix and result files.
struct Folder {
    Folder() : path(fs::temp_directory_path() / ("rf_run_loop_fuzz_" + std::to_string(getpid()))) {
        fs::create_directories(path);
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    fs::path path;
};

struct Run {
    std::string console;
    int exit_code = -1;
    std::optional<std::string> results; // the result file, if the run made one
    bool operator==(const Run&) const = default;
};

std::string run_console(const fs::path& matrices, const fs::path& results, const rf::ReaderSettings& reading,
                        int& exit_code) {
    const std::string answers = matrices.string() + " " + results.string() + " 3\n";
    std::FILE* in = fmemopen(const_cast<char*>(answers.data()), answers.size(), "r");
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    FUZZ_CHECK(in != nullptr && out != nullptr);
    exit_code = rf::run_rf_compare(in, out, reading);
    std::fclose(in);
    std::fclose(out);
    std::string console(text, length);
    std::free(text);
    return console;
}

Run run(const fs::path& matrices, const rf::ReaderSettings& reading) {
    const fs::path results = matrices.parent_path() / "results.txt";
    fs::remove(results);
    Run outcome;
    outcome.console = run_console(matrices, results, reading, outcome.exit_code);
    if (fs::exists(results)) {
        std::ifstream file(results, std::ios::binary);
        outcome.results.emplace((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }
    return outcome;
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The last message of a run, and whether the result file may exist after it.
void check_ending(const std::string& console, int exit_code, bool result_exists, const std::string& results) {
    static const std::regex bad_entry(R"(\n\nError\nBad entry in matrix [1-3], row [0-9]+, column [0-9]+$)");
    static const std::regex result_lines(R"(([0-9]+ \n){0,2})");
    const bool done = ends_with(console, "\n\nResults in the Output file");
    if (exit_code == 0) {
        FUZZ_CHECK(done && result_exists);
        FUZZ_CHECK(std::regex_match(results, std::regex(R"([0-9]+ \n[0-9]+ \n)")));
        return;
    }
    FUZZ_CHECK(exit_code == 1);
    FUZZ_CHECK(done || ends_with(console, "\n\nError\nBad number of objects") ||
               ends_with(console, " Data matrix is too large\n ") ||
               ends_with(console, "\n\nError\nBad matrix number") || std::regex_search(console, bad_entry) ||
               ends_with(console, "\n This is not an additive distance \n"));
    FUZZ_CHECK(!done || result_exists);
    if (result_exists) {
        FUZZ_CHECK(std::regex_match(results, result_lines));
    }
}

// A file asking for thousands of leaves only exercises the allocation of its
// storage (the end-to-end table covers its refusal), and the sanitizer's
// bookkeeping for each gigabyte block would soon exhaust the fuzzer's memory.
bool asks_for_huge_matrices(const std::uint8_t* data, std::size_t size) {
    const char* first = reinterpret_cast<const char*>(data);
    const char* last = first + size;
    while (first != last && std::isspace(static_cast<unsigned char>(*first)) != 0) {
        ++first;
    }
    const char* word_end = first;
    while (word_end != last && std::isspace(static_cast<unsigned char>(*word_end)) == 0) {
        ++word_end;
    }
    std::int64_t leaves = 0;
    return rf::parse_integer(first, word_end, leaves).ptr == word_end && leaves > 5000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (asks_for_huge_matrices(data, size)) {
        return 0;
    }
    static const Folder folder;
    const fs::path matrices = folder.path / "matrices.txt";
    std::ofstream(matrices, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    const Run alone = run(matrices, rf::ReaderSettings{});
    check_ending(alone.console, alone.exit_code, alone.results.has_value(), alone.results.value_or(""));
    FUZZ_CHECK(run(matrices, rf::ReaderSettings{.threads = {2}, .block_size = 29, .piece_size = 1}) == alone);
    FUZZ_CHECK(run(matrices, rf::ReaderSettings{.threads = {3}, .block_size = 256, .piece_size = 8}) == alone);
    return 0;
}
