// Runs the built rf_compare in a scratch folder with given answers on
// standard input, as a user would, and collects what it leaves behind.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace rf::testing {

struct RunResult {
    std::string console;                         // standard output, banner included
    int exit_code = -1;
    std::map<std::string, std::string> files;    // every file in the folder afterwards
};

// True when the tests drive another build of the program through a
// launcher: RF_COMPARE_LAUNCHER (such as wine64) runs RF_COMPARE_EXE.
// That build is the Windows one, whose text files end lines with CR LF.
bool runs_windows_build();

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
RunResult run_rf_compare(const std::map<std::string, std::string>& files, const std::string& answers);

std::filesystem::path fresh_folder();
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& content);

} // namespace rf::testing
