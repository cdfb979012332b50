// Memory that runs out anywhere: both programs' runs, in this process, with
// the k-th allocation failing, for every k up to what a whole run
// allocates. Each ends with the program's own message for it (or, where the
// program could do without, its full answer), never an abort, and keeps
// only whole lines of what it wrote.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "pairs_run.hpp"
#include "run_binary.hpp"
#include "run_loop.hpp"

namespace {

// Test-only: how many more allocations succeed before one fails; negative:
// none fails. Counted down by every thread.
std::atomic<long> allocations_left{-1};

} // namespace

void* operator new(std::size_t bytes) {
    if (allocations_left.load(std::memory_order_relaxed) >= 0 && allocations_left.fetch_sub(1) == 0) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) {
        return block;
    }
    throw std::bad_alloc();
}
// The pair above and below is right; GCC sees malloc and delete apart.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace rf::testing {
namespace {

namespace fs = std::filesystem;

// Allocations of one call, counted, with the k-th failing (k < 0: none).
// The call is the program's alone: the test allocates before and after.
template <typename Call>
long allocations_of(long fail_at, Call&& call) {
    constexpr long PLENTY = 1L << 40;
    allocations_left = fail_at < 0 ? PLENTY : fail_at;
    call();
    const long left = allocations_left.exchange(-1);
    return (fail_at < 0 ? PLENTY : fail_at) - left;
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A file of trees sharing some splits, one of them not additive.
const std::string MATRICES = "5\n"
                             "0 2 3 3 4\n2 0 3 3 4\n3 3 0 2 3\n3 3 2 0 3\n4 4 3 3 0\n"
                             "0 3 2 3 4\n3 0 3 2 4\n2 3 0 3 4\n3 2 3 0 4\n4 4 4 4 0\n"
                             "0 1 10 1 1\n1 0 1 1 1\n10 1 0 1 1\n1 1 1 0 1\n1 1 1 1 0\n"
                             "0 2 3 3 4\n2 0 3 3 4\n3 3 0 2 3\n3 3 2 0 3\n4 4 3 3 0\n";

struct Console {
    std::string text;
    int exit_code = -1;
};

// rf_compare's run, the k-th of its allocations failing; and how many it made.
Console compare_run(const fs::path& folder, long fail_at, long& allocations) {
    const std::string answers = (folder / "in.txt").string() + " " + (folder / "out.txt").string() + " 4\n";
    std::FILE* in = fmemopen(const_cast<char*>(answers.data()), answers.size(), "r");
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    Console console;
    allocations = allocations_of(fail_at, [&] { console.exit_code = run_rf_compare(in, out, ReaderSettings{}); });
    std::fclose(in);
    std::fclose(out);
    console.text.assign(text, length);
    std::free(text);
    return console;
}

TEST(AllocationFailures, RfCompareSaysTheDataMatrixIsTooLarge) {
    const fs::path folder = fresh_folder();
    write_file(folder / "in.txt", MATRICES);
    long allocations = 0;
    const Console whole = compare_run(folder, -1, allocations);
    const std::string result = read_file(folder / "out.txt");
    ASSERT_EQ(whole.exit_code, 1); // matrix 3 is not additive
    EXPECT_GT(allocations, 20) << "a whole run allocates";
    RecordProperty("allocations", static_cast<int>(allocations));
    for (long k = 0; k < allocations; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(allocations) + " fails");
        fs::remove(folder / "out.txt");
        long made = 0;
        const Console run = compare_run(folder, k, made);
        EXPECT_EQ(run.exit_code, 1);
        if (run.text != whole.text) {
            EXPECT_TRUE(ends_with(run.text, " Data matrix is too large\n ")) << run.text.substr(run.text.size() - 40);
        }
        const std::string kept = fs::exists(folder / "out.txt") ? read_file(folder / "out.txt") : "";
        EXPECT_TRUE(result.starts_with(kept));
    }
    fs::remove_all(folder);
}

TEST(AllocationFailures, RfPairsSaysWhatItWasBuilding) {
    const fs::path folder = fresh_folder();
    write_file(folder / "in.txt", MATRICES);
    PairsOptions options;
    options.matrix_files = {(folder / "in.txt").string()};
    options.metric = Metric::kf;
    options.newick_file = (folder / "out.nwk").string();
    std::string table;
    table.reserve(1 << 16); // the test's own writes allocate nothing
    const OutputCalls output{[&table](int, const char* bytes, std::size_t size) -> long long {
        table.append(bytes, size);
        return static_cast<long long>(size);
    }};
    std::string errors;
    int exit_code = 0;
    // rf_pairs' run, the k-th of its allocations failing; how many it made.
    const auto run = [&](long fail_at) {
        table.clear();
        char* text = nullptr;
        std::size_t length = 0;
        std::FILE* err = open_memstream(&text, &length);
        const long made = allocations_of(fail_at, [&] { exit_code = run_rf_pairs(options, output, err, ReaderSettings{}); });
        std::fclose(err);
        errors.assign(text, length);
        std::free(text);
        return made;
    };
    const long allocations = run(-1);
    ASSERT_EQ(exit_code, 3);
    EXPECT_GT(allocations, 20) << "a whole run allocates";
    RecordProperty("allocations", static_cast<int>(allocations));
    const std::string whole_table = table;
    const std::string whole_newick = read_file(folder / "out.nwk");
    for (long k = 0; k < allocations; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(allocations) + " fails");
        run(k);
        if (exit_code == 3) {
            EXPECT_EQ(table, whole_table);
            continue;
        }
        EXPECT_EQ(exit_code, 1);
        EXPECT_TRUE(ends_with(errors, "\n") && (errors.find("rf_pairs: not enough memory for ") != std::string::npos ||
                                                errors.find("rf_pairs: Data matrix is too large") != std::string::npos))
            << errors;
        EXPECT_TRUE(whole_table.starts_with(table) && (table.empty() || table.back() == '\n'));
        const std::string newick = fs::exists(folder / "out.nwk") ? read_file(folder / "out.nwk") : "";
        EXPECT_TRUE(whole_newick.starts_with(newick) && (newick.empty() || newick.back() == '\n'));
    }
    fs::remove_all(folder);
}

} // namespace
} // namespace rf::testing
