#include "run_loop.hpp"

#include <new>
#include <optional>
#include <string>

#include "console_dialogue.hpp"
#include "engine_types.hpp"
#include "file_identity.hpp"
#include "input_file.hpp"
#include "matrix_file.hpp"
#include "result_file.hpp"
#include "rf_distance.hpp"
#include "tree_reconstruction.hpp"

namespace rf {

namespace {

constexpr int EXIT_NORMAL = 0;
constexpr int EXIT_FAILURE_CODE = 1;

void print_name_message(std::FILE* out, const char* before, const std::string& name, const char* after) {
    std::fputs(before, out);
    std::fwrite(name.data(), 1, name.size(), out);
    std::fputs(after, out);
}

// Storage for a whole run: one matrix, read into by every matrix in turn
// (matrix 1's entries are not needed once its tree is built), and the
// reference and current trees.
struct RunStorage {
    explicit RunStorage(std::int32_t n)
        : matrix(n), reference_table(n), current_table(n), reference_list(n), current_list(n) {}

    DistanceMatrix matrix;
    ClusterTable reference_table;
    ClusterTable current_table;
    ClusterList reference_list;
    ClusterList current_list;
    std::int32_t reference_count = 0;
};

// Empty when n is beyond 32 bits or the storage cannot be had.
std::optional<RunStorage> allocate_storage(const LeafCountResult& leaves) {
    std::optional<RunStorage> storage;
    if (leaves.status == LeafCountStatus::ok) {
        try {
            storage.emplace(leaves.leaf_count);
        } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
        }
    }
    return storage;
}

// The matrices of one run and the result file they feed.
class MatrixLoop {
public:
    MatrixLoop(std::FILE* out, MatrixFile& input, RunStorage& storage, std::string result_name)
        : out_(out), input_(input), storage_(storage), result_name_(std::move(result_name)) {}

    int run(std::int32_t matrix_count) {
        for (std::int64_t j = 1; j <= matrix_count; ++j) {
            const int matrix_number = static_cast<int>(j);
            std::fprintf(out_, "\n Matrix %d \n", matrix_number);
            const MatrixReadResult read = input_.read_matrix(storage_.matrix);
            if (read.status == MatrixStatus::input_ended) {
                return stop_on_input("\n\nError\nBad matrix number");
            }
            if (read.status == MatrixStatus::bad_entry) {
                std::fprintf(out_, "\n\nError\nBad entry in matrix %d, row %d, column %d", matrix_number,
                             static_cast<int>(read.row), static_cast<int>(read.column));
                return stop_on_input("");
            }
            if (j == 2 && !results_.create(result_name_)) {
                print_name_message(out_, "\nFile ", result_name_, " cannot be created ");
                return EXIT_FAILURE_CODE;
            }
            if (!compare_matrix(j)) {
                return results_.close() ? EXIT_FAILURE_CODE : report_unwritten();
            }
            if (j < matrix_count && input_.input_ended()) {
                return stop_on_input("\n\nError\nBad matrix number");
            }
        }
        return close_and_point_to_results(EXIT_NORMAL);
    }

private:
    // Rebuilds matrix j's tree; from the second on, writes its distance to
    // the first. False when the matrix is not additive.
    bool compare_matrix(std::int64_t j) {
        RunStorage& s = storage_;
        if (j == 1) {
            s.reference_count = build_cluster_table(s.matrix, s.reference_table, s.reference_list);
            return s.reference_count != 0;
        }
        const std::int32_t count = build_cluster_table(s.matrix, s.current_table, s.current_list);
        if (count == 0) {
            return false;
        }
        results_.write_distance(rf_distance(s.reference_table, s.current_table, s.reference_list, s.current_list,
                                            s.reference_count, count));
        return true;
    }

    // A stop for bad or missing input: once the result file exists, its lines
    // are closed in and pointed to.
    int stop_on_input(const char* message) {
        std::fputs(message, out_);
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
    MatrixFile& input_;
    RunStorage& storage_;
    std::string result_name_;
    ResultFile results_;
};

// The matrix file is open and both names are known: n, storage, matrices.
int process_matrix_file(std::FILE* out, MatrixFile& input, std::int32_t matrix_count, std::string result_name) {
    const LeafCountResult leaves = input.read_leaf_count();
    if (leaves.status == LeafCountStatus::bad) {
        std::fputs("\n\nError\nBad number of objects", out);
        return EXIT_FAILURE_CODE;
    }
    std::optional<RunStorage> storage = allocate_storage(leaves);
    if (!storage) {
        std::fputs(" Data matrix is too large\n ", out);
        return EXIT_FAILURE_CODE;
    }
    return MatrixLoop(out, input, *storage, std::move(result_name)).run(matrix_count);
}

} // namespace

int run_rf_compare(std::FILE* console_in, std::FILE* console_out, const ReaderSettings& reading) {
    std::FILE* out = console_out;
    print_banner(out);
    std::fputs("Enter the input file name for additive distance matrices\n\n", out);
    const std::optional<std::string> matrix_name = read_console_word(console_in);
    if (!matrix_name) {
        report_end_of_console_input(out);
        return EXIT_FAILURE_CODE;
    }
    std::optional<InputFile> matrix_file = InputFile::open(*matrix_name);
    if (!matrix_file) {
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
    MatrixFile input(std::move(*matrix_file), reading);
    input.set_matrix_limit(*matrix_count);
    return process_matrix_file(out, input, *matrix_count, std::move(*result_name));
}

} // namespace rf
