// Converting matrix words into a matrix, one thread: the reader's
// convert_entries (with what this processor has, and portably) and
// std::from_chars on the same text (six decimals, as tools write path
// lengths), words per second.
#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>

#include "distance_matrix.hpp"
#include "entry_conversion.hpp"

namespace {

constexpr std::int32_t LEAVES = 300;

// The text of one matrix of LEAVES leaves: row by row, six decimals.
const std::string& matrix_text() {
    static const std::string text = [] {
        std::mt19937_64 rng(1);
        std::uniform_real_distribution<double> length(0.5, 60.0);
        std::string words;
        char number[32];
        for (std::int32_t i = 0; i < LEAVES * LEAVES; ++i) {
            const auto [end, ec] = std::to_chars(number, number + sizeof number, length(rng), std::chars_format::fixed, 6);
            words.append(number, end).push_back((i + 1) % LEAVES == 0 ? '\n' : ' ');
        }
        return words;
    }();
    return text;
}

template <auto Convert>
void convert_entries_words(benchmark::State& state) {
    const std::string& text = matrix_text();
    rf::DistanceMatrix matrix(LEAVES);
    for (auto _ : state) {
        const rf::PieceOutcome outcome = Convert(text.data(), text.data() + text.size(), matrix, 0, std::int64_t{LEAVES} * LEAVES);
        benchmark::DoNotOptimize(outcome);
    }
    state.SetItemsProcessed(state.iterations() * LEAVES * LEAVES);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(convert_entries_words<rf::convert_entries>)->Name("convert_entries");
BENCHMARK(convert_entries_words<rf::convert_entries_portably>)->Name("convert_entries_portably");

void from_chars_words(benchmark::State& state) {
    const std::string& text = matrix_text();
    double sum = 0.0;
    for (auto _ : state) {
        const char* p = text.data();
        const char* last = p + text.size();
        while (p != last) {
            const char* word = p;
            while (p != last && *p != ' ' && *p != '\n') {
                ++p;
            }
            double value = 0.0;
            std::from_chars(word, p, value);
            sum += value;
            p += p != last ? 1 : 0;
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * LEAVES * LEAVES);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(matrix_text().size()));
}
BENCHMARK(from_chars_words);

} // namespace

BENCHMARK_MAIN();
