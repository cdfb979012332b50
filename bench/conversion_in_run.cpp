// Words converted per second on one thread as a run meets them, against the
// same conversion in cache: the matrices of a file in the programs' format,
// its text already in memory, converted by the reader's convert_entries
// (a) into the one large matrix a run fills, block by block as the reader
// reads them, and (b) each block again while it and its part of the matrix
// are still in cache. Millions of words per second: (a) over the whole
// file, (a) for the matrices after the first (which find the matrix's
// memory touched), and (b). They tell the cost of the memory a run streams
// through (fresh text, a matrix first touched) from that of the
// conversion itself.
//
//   conversion_in_run FILE
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "distance_matrix.hpp"
#include "entry_conversion.hpp"

namespace {

constexpr std::size_t BLOCK = std::size_t{1} << 20; // the reader's block

using Clock = std::chrono::steady_clock;

// The end of the last whole word in [first, first + most) or the text's end.
const char* block_end(const char* first, const char* last) {
    if (static_cast<std::size_t>(last - first) <= BLOCK) {
        return last;
    }
    const char* stop = first + BLOCK;
    while (stop != first && *(stop - 1) != ' ' && *(stop - 1) != '\n') {
        --stop;
    }
    return stop;
}

struct Figures {
    double fresh_seconds = 0.0;
    double cached_seconds = 0.0;
    std::int64_t words = 0;
    double first_matrix_seconds = 0.0; // of fresh_seconds
    std::int64_t first_matrix_words = 0;
};

const char* after_space(const char* first, const char* last) {
    while (first != last && (*first == ' ' || *first == '\n' || *first == '\r' || *first == '\t')) {
        ++first;
    }
    return first;
}

// Converts one matrix's text block by block into `matrix`, timing each
// block's first conversion and, apart, a second one of the same block;
// returns where the text goes on.
const char* convert_blocks(const char* first, const char* last, rf::DistanceMatrix& matrix, Figures& figures) {
    const std::int64_t limit = std::int64_t{matrix.leaf_count()} * matrix.leaf_count();
    std::int64_t done = 0;
    while (first != last && done < limit) {
        const char* stop = block_end(first, last);
        const auto start = Clock::now();
        const rf::PieceOutcome fresh = rf::convert_entries(first, stop, matrix, done, limit);
        const auto middle = Clock::now();
        const rf::PieceOutcome again = rf::convert_entries(first, stop, matrix, done, limit);
        const auto end = Clock::now();
        if (fresh.bad || again.entries != fresh.entries || fresh.entries == 0) {
            return nullptr;
        }
        figures.fresh_seconds += std::chrono::duration<double>(middle - start).count();
        figures.cached_seconds += std::chrono::duration<double>(end - middle).count();
        figures.words += fresh.entries;
        done += fresh.entries;
        first = after_space(fresh.stop, last);
    }
    return done == limit ? first : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    std::ifstream file(argc > 1 ? argv[1] : "", std::ios::binary);
    if (!file) {
        std::fputs("usage: conversion_in_run FILE (a matrix file in the programs' format)\n", stderr);
        return 2;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const char* last = text.data() + text.size();
    const char* first = after_space(text.data(), last);
    std::int32_t n = 0;
    const auto [after_count, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || n < 2) {
        std::fputs("conversion_in_run: no count of leaves at the start\n", stderr);
        return 2;
    }
    rf::DistanceMatrix matrix(n); // one for the whole file, as in a run
    Figures figures;
    for (first = after_space(after_count, last); first != nullptr && first != last;) {
        first = convert_blocks(first, last, matrix, figures);
        if (figures.first_matrix_words == 0) {
            figures.first_matrix_words = figures.words;
            figures.first_matrix_seconds = figures.fresh_seconds;
        }
    }
    if (first == nullptr || figures.words == 0) {
        std::fputs("conversion_in_run: a matrix is not whole\n", stderr);
        return 1;
    }
    const std::int64_t later_words = figures.words - figures.first_matrix_words;
    const double later_seconds = figures.fresh_seconds - figures.first_matrix_seconds;
    std::printf("%.0f %.0f %.0f\n", static_cast<double>(figures.words) / figures.fresh_seconds / 1e6,
                later_words == 0 ? 0.0 : static_cast<double>(later_words) / later_seconds / 1e6,
                static_cast<double>(figures.words) / figures.cached_seconds / 1e6);
    return 0;
}
