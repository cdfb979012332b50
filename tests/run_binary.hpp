// Runs the built programs in a scratch folder, as a user would: rf_compare
// with given answers on standard input, rf_pairs with given arguments; and
// collects what they leave behind.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace rf::testing {

struct RunResult {
    std::string console;                         // standard output, banner included
    std::string errors;                          // standard error, where the run captured it
    int exit_code = -1;
    std::map<std::string, std::string> files;    // every file in the folder afterwards
};

// True when the tests drive another build of the programs through a
// launcher: RF_COMPARE_LAUNCHER (such as wine64) runs RF_COMPARE_EXE and
// RF_PAIRS_EXE. That build is the Windows one, whose text files end lines
// with CR LF.
bool runs_windows_build();

// Text as the build under test writes it: on Windows each line feed is
// stored as CR LF.
std::string as_written(std::string text);

// A second name for a file of the folder: a symbolic or a hard link.
struct Link {
    std::string name;
    std::string target;
    bool symbolic;
};

// What a folder holds before a run.
struct FolderContents {
    std::map<std::string, std::string> files;
    std::vector<Link> links = {};
    std::vector<std::string> folders = {}; // empty, made before the files
};

// Replaces the calling (child) process with the program under test.
[[noreturn]] void exec_rf_compare();

// Starts the program in `folder` with standard input read from the file
// `answers` and standard output written to the file `console`; returns its
// process id. exit_code_of() waits for it to end.
int start_rf_compare(const std::filesystem::path& folder, const std::filesystem::path& answers,
                     const std::filesystem::path& console);
int exit_code_of(int process);

// Creates the given files in a fresh folder, runs the program there with
// standard input read from `answers` and standard output to a file.
RunResult run_rf_compare(const FolderContents& contents, const std::string& answers);

// Creates the given files in a fresh folder and runs rf_pairs there with
// `arguments`, standard output and standard error each to a file outside
// it, or standard output appended to the folder's file `output_name`.
RunResult run_rf_pairs(const FolderContents& contents, const std::vector<std::string>& arguments,
                       const std::string& output_name = "");

// The same with standard output a pipe that the test reads (POSIX only).
RunResult run_rf_pairs_into_pipe(const FolderContents& contents, const std::vector<std::string>& arguments);

// A program run as the tests of odd environments need it (POSIX only): its
// standard streams each a file or closed, in a folder, after a wrapper
// command such as prlimit or setpriv.
struct Launch {
    std::vector<std::string> command;            // wrapper words first, then the program and its arguments
    std::filesystem::path folder;
    std::optional<std::filesystem::path> input;  // nothing: closed
    std::optional<std::filesystem::path> output; // appended to
    std::optional<std::filesystem::path> errors;
};
struct Ended {
    int exit_code;  // 128 + the signal for a program ended by a signal
    long peak_kib;  // the most resident memory it used
};
Ended launch(const Launch& run);

// The programs built, as a command's first word.
std::string rf_compare_program();
std::string rf_pairs_program();

std::filesystem::path fresh_folder();
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& content);

} // namespace rf::testing
