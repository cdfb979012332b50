#include "run_loop.hpp"

#include <new>
#include <optional>
#include <string>

#include "cluster_table.hpp"
#include "console_dialogue.hpp"
#include "file_identity.hpp"
#include "matrix_source.hpp"
#include "messages.hpp"
#include "result_file.hpp"
#include "rf_distance.hpp"
#include "tree_reconstruction.hpp"

namespace rf {

namespace {

namespace api = rf_compare::detail;
using rf_compare::Error;
using rf_compare::ErrorKind;

constexpr int EXIT_NORMAL = 0;
constexpr int EXIT_FAILURE_CODE = 1;

void print(std::FILE* out, std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); }

void print_name_message(std::FILE* out, const char* before, const std::string& name, const char* after) {
    std::fputs(before, out);
    print(out, name);
    std::fputs(after, out);
}

void print_too_large(std::FILE* out) {
    std::fputs(" ", out);
    print(out, api::DATA_MATRIX_TOO_LARGE);
    std::fputs("\n ", out);
}

void print_input_error(std::FILE* out, const std::string& text) {
    std::fputs("\n\nError\n", out);
    print(out, text);
}

// Storage for a whole run beside the matrix being read: the reference and
// current trees' clusters.
struct RunStorage {
    explicit RunStorage(std::int32_t n) : reference_table(n), current_table(n), reference_list(n), current_list(n) {}

    ClusterTable reference_table;
    ClusterTable current_table;
    ClusterList reference_list;
    ClusterList current_list;
    std::int32_t reference_count = 0;
};

// The matrices of one run and the result file they feed.
class MatrixLoop {
public:
    MatrixLoop(std::FILE* out, api::MatrixSource& input, RunStorage& storage, std::string result_name)
        : out_(out), input_(input), storage_(storage), result_name_(std::move(result_name)) {}

    int run(std::int32_t matrix_count) {
        for (std::int64_t j = 1; j <= matrix_count; ++j) {
            std::fprintf(out_, "\n Matrix %d \n", static_cast<int>(j));
            const DistanceMatrix* matrix = nullptr;
            try {
                matrix = input_.next();
            } catch (const Error& e) {
                print_input_error(out_, e.detail());
                return stop_on_input();
            }
            if (j == 2 && !results_.create(result_name_)) {
                print_name_message(out_, "\nFile ", result_name_, " cannot be created ");
                return EXIT_FAILURE_CODE;
            }
            const Compared compared = compare_matrix(j, *matrix);
            if (compared == Compared::not_additive) {
                std::fputs("\n ", out_);
                print(out_, api::NOT_ADDITIVE);
                std::fputs(" \n", out_);
                return results_.close() ? EXIT_FAILURE_CODE : report_unwritten();
            }
            if (compared == Compared::unwritten) {
                static_cast<void>(results_.close());
                return report_unwritten();
            }
            if (j < matrix_count && input_.at_end()) {
                print_input_error(out_, std::string(api::BAD_MATRIX_NUMBER));
                return stop_on_input();
            }
        }
        return close_and_point_to_results(EXIT_NORMAL);
    }

private:
    enum class Compared { done, not_additive, unwritten };

    // Rebuilds matrix j's tree; from the second on, writes its distance to
    // the first.
    Compared compare_matrix(std::int64_t j, const DistanceMatrix& matrix) {
        RunStorage& s = storage_;
        const std::optional<ClusterTree> tree = rebuild_tree(matrix);
        if (!tree) {
            return Compared::not_additive;
        }
        if (j == 1) {
            s.reference_count = describe_clusters(*tree, s.reference_table, s.reference_list);
            return Compared::done;
        }
        const std::int32_t count = describe_clusters(*tree, s.current_table, s.current_list);
        const bool written = results_.write_distance(rf_distance(s.reference_table, s.current_table, s.reference_list,
                                                                 s.current_list, s.reference_count, count));
        return written ? Compared::done : Compared::unwritten;
    }

    // A stop for bad or missing input: once the result file exists, its lines
    // are closed in and pointed to.
    int stop_on_input() {
        return results_.is_open() ? close_and_point_to_results(EXIT_FAILURE_CODE) : EXIT_FAILURE_CODE;
    }

    // The result file's lines are complete: close it and say where they are,
    // unless a write failed.
    int close_and_point_to_results(int exit_code) {
        if (!results_.close()) {
            return report_unwritten();
        }
        std::fputs("\n\nResults in the Output file", out_);
        return exit_code;
    }

    int report_unwritten() {
        print_name_message(out_, "\nFile ", result_name_, " could not be written ");
        return EXIT_FAILURE_CODE;
    }

    std::FILE* out_;
    api::MatrixSource& input_;
    RunStorage& storage_;
    std::string result_name_;
    ResultFile results_;
};

// The matrix file is open and both names are known: n, storage, matrices.
int process_matrix_file(std::FILE* out, api::MatrixSource& input, std::int32_t matrix_count, std::string result_name) {
    std::optional<RunStorage> storage;
    try {
        storage.emplace(input.leaf_count());
    } catch (const Error& e) {
        if (e.kind() == ErrorKind::too_large) {
            print_too_large(out);
        } else {
            print_input_error(out, e.detail());
        }
        return EXIT_FAILURE_CODE;
    } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
        print_too_large(out);
        return EXIT_FAILURE_CODE;
    }
    return MatrixLoop(out, input, *storage, std::move(result_name)).run(matrix_count);
}

std::optional<api::MatrixSource> open_matrix_file(const std::string& name, const ReaderSettings& reading) {
    try {
        return std::optional<api::MatrixSource>(std::in_place, std::vector<std::string>{name},
                                                api::SourceOptions{std::nullopt, MatrixFormat::rf, {}}, reading);
    } catch (const Error&) {
        return std::nullopt;
    }
}

int run_dialogue_and_matrices(std::FILE* console_in, std::FILE* console_out, const ReaderSettings& reading) {
    std::FILE* out = console_out;
    print_banner(out);
    std::fputs("Enter the input file name for additive distance matrices\n\n", out);
    const std::optional<std::string> matrix_name = read_console_word(console_in);
    if (!matrix_name) {
        report_end_of_console_input(out);
        return EXIT_FAILURE_CODE;
    }
    std::optional<api::MatrixSource> input = open_matrix_file(*matrix_name, reading);
    if (!input) {
        print_name_message(out, "\nFile ", *matrix_name, " was not found ");
        return EXIT_FAILURE_CODE;
    }
    std::fputs("\n\n", out);
    std::fputs("Enter the output file name for the obtaining Robinson and Foulds topological distances between the "
               "first matrix in the input file and the following ones \n\n",
               out);
    std::optional<std::string> result_name = read_console_word(console_in);
    if (!result_name) {
        report_end_of_console_input(out);
        return EXIT_FAILURE_CODE;
    }
    if (is_same_file(*matrix_name, *result_name)) {
        print_name_message(out, "\nFile ", *result_name, " is the input file ");
        return EXIT_FAILURE_CODE;
    }
    std::fputs("\n\n", out);
    const std::optional<std::int32_t> matrix_count = ask_matrix_count(console_in, out);
    if (!matrix_count) {
        return EXIT_FAILURE_CODE;
    }
    input->limit_to(*matrix_count);
    return process_matrix_file(out, *input, *matrix_count, std::move(*result_name));
}

} // namespace

int run_rf_compare(std::FILE* console_in, std::FILE* console_out, const ReaderSettings& reading) {
    try {
        return run_dialogue_and_matrices(console_in, console_out, reading);
    } catch (const std::bad_alloc&) { // anywhere: the lines already written stay, closed in by then
        print_too_large(console_out);
        return EXIT_FAILURE_CODE;
    }
}

} // namespace rf
