// The built program, driven as a user drives it: answers on standard input,
// a matrix file in the folder; checked are the console text after the
// banner, the exit code and every file left in the folder.
#include <gtest/gtest.h>

#include <optional>

#include "example_matrices.hpp"
#include "run_binary.hpp"

namespace rf::testing {
namespace {

const std::string BANNER_TOP = "* ---------------------------------------------*\n"
                               "* Computation of the Robinson and Foulds       *\n";
constexpr std::size_t BANNER_LINE_ENDS = 22;
constexpr std::size_t BANNER_BYTES = 21 * 48 + BANNER_LINE_ENDS;

const std::string ASK_FILE = "Enter the input file name for additive distance matrices\n\n";
const std::string ASK_RESULT = "\n\nEnter the output file name for the obtaining Robinson and Foulds topological "
                               "distances between the first matrix in the input file and the following ones \n\n";
const std::string COUNT_PROMPT = "Enter the number of matrices to analyze (including the first one)\n\n";
const std::string REFUSAL = "\n\nYou must analyse at least two additive distance matrices\n\n" + COUNT_PROMPT;
const std::string DIALOGUE = ASK_FILE + ASK_RESULT + "\n\n" + COUNT_PROMPT + "\n\n";
const std::string DONE = "\n\nResults in the Output file";
const std::string BAD_MATRIX_NUMBER = "\n\nError\nBad matrix number";
const std::string NOT_ADDITIVE = "\n This is not an additive distance \n";
const std::string CONSOLE_ENDED = "\n\nError\nEnd of console input";

const std::string EXAMPLE = "4\n" + EDGE_34 + "\n" + EDGE_24;
// Ten matrices, read ahead of the comparisons: the faults of matrices 5 and
// 8 must be met in their turn.
const std::string BAD_AT_2_3 = "0 3 2 3\n3 0 x 2\n2 3 0 3\n3 2 3 0\n";
const std::string TEN = EDGE_34 + EDGE_24 + STAR + EDGE_24 + EDGE_34 + STAR + EDGE_24 + BAD_AT_2_3 + EDGE_34 + EDGE_24;
const std::string TEN_WITH_SKEWED_5 = EDGE_34 + EDGE_24 + STAR + EDGE_24 + SKEWED + STAR + EDGE_24 + BAD_AT_2_3 + EDGE_34 + EDGE_24;

std::string progress(int from, int to) {
    std::string text;
    for (int j = from; j <= to; ++j) {
        text += "\n Matrix " + std::to_string(j) + " \n";
    }
    return text;
}

std::string bad_entry(int matrix, int row, int column) {
    return "\n\nError\nBad entry in matrix " + std::to_string(matrix) + ", row " + std::to_string(row) +
           ", column " + std::to_string(column);
}

struct Scenario {
    const char* name;
    std::string matrix_file; // written as in.txt
    std::string answers;
    std::string console; // after the banner
    int exit_code;
    std::optional<std::string> result; // the result file afterwards; nothing: not made by the run
    std::map<std::string, std::string> other_files = {}; // more files in the folder beforehand
    std::string result_name = "out.txt";
    bool posix_only = false; // needs a device that Windows does not have
    std::vector<Link> links = {}; // more names for files in the folder beforehand
};

std::vector<Scenario> scenarios() {
    const std::string ask_all = "in.txt out.txt ";
    return {
        {"the example", EXAMPLE, "in.txt\nout.txt\n2\n", DIALOGUE + progress(1, 2) + DONE, 0, "2 \n"},
        {"type-ahead on one line", EXAMPLE, "in.txt out.txt 2", DIALOGUE + progress(1, 2) + DONE, 0, "2 \n"},
        {"empty lines answer nothing", EXAMPLE, "\n\nin.txt\n\n\nout.txt\n\n2\n", DIALOGUE + progress(1, 2) + DONE, 0,
         "2 \n"},
        {"count re-prompts", EXAMPLE, ask_all + "1 0 -3 abc 3.5 99999999999 +02",
         ASK_FILE + ASK_RESULT + "\n\n" + COUNT_PROMPT + REFUSAL + REFUSAL + REFUSAL + REFUSAL + REFUSAL + REFUSAL +
             "\n\n" + progress(1, 2) + DONE,
         0, "2 \n"},
        {"more matrices than asked", "4\n" + EDGE_34 + STAR + EDGE_24 + "garbage", ask_all + "2",
         DIALOGUE + progress(1, 2) + DONE, 0, "1 \n"},
        {"layouts: one line, one entry per line, CR LF, tabs, exponents",
         "4 0 2 3 3 2 0 3 3 3 3 0 2 3 3 2 0\n0\n3\n2\n3\n3\n0\n3\n2\n2\n3\n0\n3\n3\n2\n3\n0\n"
         "0 2 3 3\r\n2 0 3 3\r\n3 3 0 2\r\n3 3 2 0\r\n"
         "7.5\t2e0\t+2.0\t2E+00\n2 -1 2 2\n.2e1 2 0 20e-1\n2.000 2 2 0\n",
         ask_all + "4", DIALOGUE + progress(1, 4) + DONE, 0, "2 \n0 \n1 \n"},
        {"two leaves, underflow and subnormals read as their values", "2\n0 1\n1 0\n4e-320 1e-400\n-1e-400 5.\n",
         ask_all + "2", DIALOGUE + progress(1, 2) + DONE, 0, "0 \n"},
        {"long file names", EXAMPLE, "in.txt a_result_file_name_of_more_than_nineteen_characters.txt 2",
         DIALOGUE + progress(1, 2) + DONE, 0, "2 \n", {}, "a_result_file_name_of_more_than_nineteen_characters.txt"},
        // Stops in the dialogue.
        {"matrix file missing", EXAMPLE, "missing.txt out.txt 2", ASK_FILE + "\nFile missing.txt was not found ", 1,
         std::nullopt},
        {"a folder is not a matrix file", EXAMPLE, ". out.txt 2", ASK_FILE + "\nFile . was not found ", 1, std::nullopt},
        {"a device is read as its bytes", EXAMPLE, "/dev/null out.txt 2", DIALOGUE + "\n\nError\nBad number of objects", 1,
         std::nullopt, {}, "out.txt", true},
        {"no answers", EXAMPLE, "", ASK_FILE + CONSOLE_ENDED, 1, std::nullopt},
        {"no result file name", EXAMPLE, "in.txt\n", ASK_FILE + ASK_RESULT + CONSOLE_ENDED, 1, std::nullopt},
        {"no count after a refusal", EXAMPLE, ask_all + "1",
         ASK_FILE + ASK_RESULT + "\n\n" + COUNT_PROMPT + REFUSAL + CONSOLE_ENDED, 1, std::nullopt},
        {"result file is the input file", EXAMPLE, "in.txt ./in.txt 2", ASK_FILE + ASK_RESULT + "\nFile ./in.txt is the input file ",
         1, std::nullopt},
        {"result file is the input file by a symbolic link", EXAMPLE, "in.txt link.txt 2",
         ASK_FILE + ASK_RESULT + "\nFile link.txt is the input file ", 1, std::nullopt, {}, "out.txt", false, {{"link.txt", "in.txt", true}}},
        {"result file is the input file by a hard link", EXAMPLE, "in.txt hard.txt 2",
         ASK_FILE + ASK_RESULT + "\nFile hard.txt is the input file ", 1, std::nullopt, {}, "out.txt", false, {{"hard.txt", "in.txt", false}}},
        // Stops on n.
        {"n not a number", "abc\n" + EDGE_34, ask_all + "2", DIALOGUE + "\n\nError\nBad number of objects", 1, std::nullopt},
        {"n not an integer", "4.5\n" + EDGE_34, ask_all + "2", DIALOGUE + "\n\nError\nBad number of objects", 1,
         std::nullopt},
        {"n below 2", "1\n0\n0\n", ask_all + "2", DIALOGUE + "\n\nError\nBad number of objects", 1, std::nullopt},
        {"n negative", "-4\n", ask_all + "2", DIALOGUE + "\n\nError\nBad number of objects", 1, std::nullopt},
        {"empty matrix file", "", ask_all + "2", DIALOGUE + "\n\nError\nBad number of objects", 1, std::nullopt},
        {"n beyond 32 bits", "99999999999\n", ask_all + "2", DIALOGUE + " Data matrix is too large\n ", 1, std::nullopt},
        {"n beyond 64 bits", "+99999999999999999999\n", ask_all + "2", DIALOGUE + " Data matrix is too large\n ", 1,
         std::nullopt},
        {"n negative beyond 64 bits", "-99999999999999999999\n", ask_all + "2",
         DIALOGUE + "\n\nError\nBad number of objects", 1, std::nullopt},
        {"n too large to allocate", "2147483647\n", ask_all + "2", DIALOGUE + " Data matrix is too large\n ", 1,
         std::nullopt},
        {"n too large for any address space", "1500000000\n", ask_all + "2", DIALOGUE + " Data matrix is too large\n ", 1, std::nullopt},
        // The input ends early.
        {"ends after n", "4\n", ask_all + "2", DIALOGUE + progress(1, 1) + BAD_MATRIX_NUMBER, 1, std::nullopt},
        {"ends inside a word", "4\n0 2 3 1.5e", ask_all + "2", DIALOGUE + progress(1, 1) + bad_entry(1, 1, 4), 1,
         std::nullopt},
        {"ends right after matrix 1", "4\n" + EDGE_34.substr(0, EDGE_34.size() - 1), ask_all + "2",
         DIALOGUE + progress(1, 1) + BAD_MATRIX_NUMBER, 1, std::nullopt},
        {"ends after matrix 1 and a line end", "4\n" + EDGE_34 + "\n \n", ask_all + "2",
         DIALOGUE + progress(1, 1) + BAD_MATRIX_NUMBER, 1, std::nullopt},
        {"ends inside matrix 1", "4\n0 2 3 3\n2 0", ask_all + "2", DIALOGUE + progress(1, 1) + BAD_MATRIX_NUMBER, 1,
         std::nullopt},
        {"ends inside matrix 2", "4\n" + EDGE_34 + "0 2 3\n", ask_all + "2", DIALOGUE + progress(1, 2) + BAD_MATRIX_NUMBER,
         1, std::nullopt},
        {"ends after matrix 2 of 3", EXAMPLE, ask_all + "3", DIALOGUE + progress(1, 2) + BAD_MATRIX_NUMBER + DONE, 1,
         "2 \n"},
        {"ends inside matrix 4 of 5", "4\n" + EDGE_34 + EDGE_24 + STAR + "0 1", ask_all + "5",
         DIALOGUE + progress(1, 4) + BAD_MATRIX_NUMBER + DONE, 1, "2 \n1 \n"},
        // Words that are not numbers.
        {"stray word in matrix 1", "4\n0 2 3 3\n2 0 x 3\n", ask_all + "2", DIALOGUE + progress(1, 1) + bad_entry(1, 2, 3), 1,
         std::nullopt},
        {"NaN in matrix 2", "4\n" + EDGE_34 + "0 nan 3 3\n", ask_all + "2", DIALOGUE + progress(1, 2) + bad_entry(2, 1, 2),
         1, std::nullopt},
        {"inf on the diagonal of matrix 3", "4\n" + EDGE_34 + EDGE_24 + "0 2 2 2\n2 inf 2 2\n", ask_all + "3",
         DIALOGUE + progress(1, 3) + bad_entry(3, 2, 2) + DONE, 1, "2 \n"},
        {"overflowing entry", "4\n0 2 3 3\n2 0 3 3\n3 3 0 1e999\n", ask_all + "2",
         DIALOGUE + progress(1, 1) + bad_entry(1, 3, 4), 1, std::nullopt},
        {"huge exponent", "4\n0 2 3 1e99999999999999999999\n", ask_all + "2",
         DIALOGUE + progress(1, 1) + bad_entry(1, 1, 4), 1, std::nullopt},
        {"a word of 400 digits reads as its value, one of 4097 bytes is no number",
         "2\n0 0." + std::string(398, '0') + "5\n1 0\n0 1\n1." + std::string(4095, '0') + " 0\n",
         ask_all + "2", DIALOGUE + progress(1, 2) + bad_entry(2, 2, 1), 1, std::nullopt},
        {"hex number", "4\n0 0x2 3 3\n", ask_all + "2", DIALOGUE + progress(1, 1) + bad_entry(1, 1, 2), 1, std::nullopt},
        {"decimal comma", "4\n0 2 1,5 3\n", ask_all + "2", DIALOGUE + progress(1, 1) + bad_entry(1, 1, 3), 1,
         std::nullopt},
        {"two signs", "4\n0 +-2 3 3\n", ask_all + "2", DIALOGUE + progress(1, 1) + bad_entry(1, 1, 2), 1, std::nullopt},
        {"sign glued to the last entry", "4\n" + EDGE_34.substr(0, EDGE_34.size() - 1) + "-3 3 2 3\n", ask_all + "2",
         DIALOGUE + progress(1, 1) + bad_entry(1, 4, 4), 1, std::nullopt},
        {"binary garbage", std::string("4\n0 \x01\xff\x00 2", 10), ask_all + "2", DIALOGUE + progress(1, 1) + bad_entry(1, 1, 2),
         1, std::nullopt},
        {"ten matrices: the bad word of matrix 8 in its turn", "4\n" + TEN, ask_all + "10",
         DIALOGUE + progress(1, 8) + bad_entry(8, 2, 3) + DONE, 1, "2 \n1 \n2 \n0 \n1 \n2 \n"},
        {"ten matrices: matrix 5 not additive, before matrix 8's bad word", "4\n" + TEN_WITH_SKEWED_5, ask_all + "10",
         DIALOGUE + progress(1, 5) + NOT_ADDITIVE, 1, "2 \n1 \n2 \n"},
        {"ten matrices, seven asked for: matrix 8's bad word is never read", "4\n" + TEN, ask_all + "7",
         DIALOGUE + progress(1, 7) + DONE, 0, "2 \n1 \n2 \n0 \n1 \n2 \n"},
        // Matrices that are not additive.
        {"matrix 1 not additive, old result untouched", "4\n" + SKEWED + EDGE_34, ask_all + "2",
         DIALOGUE + progress(1, 1) + NOT_ADDITIVE, 1, std::nullopt, {{"out.txt", "old\n"}}},
        {"matrix 2 not additive", "4\n" + EDGE_34 + SKEWED, ask_all + "2", DIALOGUE + progress(1, 2) + NOT_ADDITIVE, 1, ""},
        {"matrix 4 not additive", "4\n" + EDGE_34 + EDGE_24 + STAR + SKEWED, ask_all + "4",
         DIALOGUE + progress(1, 4) + NOT_ADDITIVE, 1, "2 \n1 \n"},
        // The result file.
        {"result file cannot be created", EXAMPLE, "in.txt no/such/folder 2",
         DIALOGUE + progress(1, 2) + "\nFile no/such/folder cannot be created ", 1, std::nullopt},
        {"result file cannot be written", EXAMPLE, "in.txt /dev/full 2",
         DIALOGUE + progress(1, 2) + "\nFile /dev/full could not be written ", 1, std::nullopt, {}, "out.txt", true},
    };
}

TEST(EndToEnd, Scenarios) {
    for (const Scenario& s : scenarios()) {
        if (s.posix_only && runs_windows_build()) {
            continue;
        }
        SCOPED_TRACE(s.name);
        std::map<std::string, std::string> files = s.other_files;
        files["in.txt"] = s.matrix_file;
        const RunResult run = run_rf_compare({files, s.links}, s.answers);

        EXPECT_EQ(run.exit_code, s.exit_code);
        const std::size_t banner_bytes = BANNER_BYTES + (runs_windows_build() ? BANNER_LINE_ENDS : 0);
        ASSERT_GE(run.console.size(), banner_bytes);
        EXPECT_EQ(run.console.substr(0, as_written(BANNER_TOP).size()), as_written(BANNER_TOP));
        EXPECT_EQ(run.console.substr(banner_bytes), as_written(s.console));
        std::map<std::string, std::string> expected = files;
        for (const Link& link : s.links) {
            expected[link.name] = files[link.target];
        }
        if (s.result) {
            expected[s.result_name] = as_written(*s.result);
        }
        EXPECT_EQ(run.files, expected);
    }
}

} // namespace
} // namespace rf::testing
