#include "run_binary.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace rf::testing {

namespace fs = std::filesystem;

fs::path fresh_folder() {
    static std::atomic<int> serial{0};
    const fs::path folder = fs::temp_directory_path() /
                            ("rf_compare_test_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

bool runs_windows_build() { return std::getenv("RF_COMPARE_LAUNCHER") != nullptr; }

std::string as_written(std::string text) {
    if (!runs_windows_build()) {
        return text;
    }
    std::string windows;
    for (const char c : text) {
        if (c == '\n') {
            windows.push_back('\r');
        }
        windows.push_back(c);
    }
    return windows;
}

namespace {

// The program under test with its arguments, after the launcher when
// there is one.
std::vector<std::string> command_for(const char* built, const char* windows_exe_variable,
                                     const std::vector<std::string>& arguments) {
    const char* launcher = std::getenv("RF_COMPARE_LAUNCHER");
    const char* exe = std::getenv(windows_exe_variable);
    std::vector<std::string> command;
    if (launcher != nullptr && exe != nullptr) {
        command = {launcher, exe};
    } else {
        command = {built};
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

[[noreturn]] void exec_command(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data()); // a wrapper such as prlimit is found on the PATH
    _exit(127);
}

} // namespace

void exec_rf_compare() { exec_command(command_for(RF_COMPARE_PATH, "RF_COMPARE_EXE", {})); }

int start_rf_compare(const fs::path& folder, const fs::path& answers, const fs::path& console) {
    const pid_t child = fork();
    if (child == 0) {
        const int in = open(answers.c_str(), O_RDONLY);
        const int out = open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        exec_rf_compare();
    }
    if (child < 0) {
        throw std::runtime_error("cannot start rf_compare");
    }
    return child;
}

int exit_code_of(int process) {
    int status = 0;
    if (waitpid(process, &status, 0) != process) {
        throw std::runtime_error("cannot wait for rf_compare");
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

namespace {

// The files a run leaves in its folder (a link as the file it leads to),
// and the folders removed.
void collect_files(const fs::path& folder, const fs::path& io, RunResult& result) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::error_code unreadable; // a loop of symbolic links leads to no file
        if (entry.is_regular_file(unreadable)) {
            result.files[entry.path().filename().string()] = read_file(entry.path());
        }
    }
    fs::remove_all(folder);
    fs::remove_all(io);
}

fs::path folder_with(const FolderContents& contents) {
    const fs::path folder = fresh_folder();
    for (const std::string& name : contents.folders) {
        fs::create_directories(folder / name);
    }
    for (const auto& [name, content] : contents.files) {
        write_file(folder / name, content);
    }
    for (const Link& link : contents.links) {
        if (link.symbolic) {
            fs::create_symlink(link.target, folder / link.name);
        } else {
            fs::create_hard_link(folder / link.target, folder / link.name);
        }
    }
    return folder;
}

} // namespace

namespace {

// rf_pairs started in `folder` with standard input from /dev/null, standard
// error to `errors` and standard output to the descriptor `output`.
pid_t start_rf_pairs(const fs::path& folder, const std::vector<std::string>& arguments, int output,
                     const fs::path& errors) {
    const std::vector<std::string> command = command_for(RF_PAIRS_PATH, "RF_PAIRS_EXE", arguments);
    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || output < 0 || err < 0 || dup2(in, 0) < 0 || dup2(output, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        exec_command(command);
    }
    if (child < 0) {
        throw std::runtime_error("cannot start rf_pairs");
    }
    return child;
}

} // namespace

RunResult run_rf_pairs(const FolderContents& contents, const std::vector<std::string>& arguments,
                       const std::string& output_name) {
    const fs::path folder = folder_with(contents);
    const fs::path io = fresh_folder();
    const fs::path output = output_name.empty() ? io / "stdout" : folder / output_name;
    const int output_flags = output_name.empty() ? O_TRUNC : O_APPEND;
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | output_flags, 0644);
    const pid_t child = start_rf_pairs(folder, arguments, out, io / "stderr");
    close(out);
    RunResult result;
    result.exit_code = exit_code_of(child);
    result.console = read_file(io / "stdout");
    result.errors = read_file(io / "stderr");
    collect_files(folder, io, result);
    return result;
}

RunResult run_rf_pairs_into_pipe(const FolderContents& contents, const std::vector<std::string>& arguments) {
    const fs::path folder = folder_with(contents);
    const fs::path io = fresh_folder();
    std::array<int, 2> pipe_ends{-1, -1};
    if (pipe2(pipe_ends.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    const pid_t child = start_rf_pairs(folder, arguments, pipe_ends[1], io / "stderr");
    close(pipe_ends[1]);
    RunResult result;
    std::array<char, 4096> buffer{};
    for (ssize_t got = read(pipe_ends[0], buffer.data(), buffer.size()); got > 0;
         got = read(pipe_ends[0], buffer.data(), buffer.size())) {
        result.console.append(buffer.data(), static_cast<std::size_t>(got));
    }
    close(pipe_ends[0]);
    result.exit_code = exit_code_of(child);
    result.errors = read_file(io / "stderr");
    collect_files(folder, io, result);
    return result;
}

std::string rf_compare_program() { return RF_COMPARE_PATH; }
std::string rf_pairs_program() { return RF_PAIRS_PATH; }

Ended launch(const Launch& run) {
    const pid_t child = fork();
    if (child == 0) {
        const auto attach = [](const std::optional<fs::path>& file, int descriptor, int flags) {
            if (!file) {
                return true;
            }
            const int opened = open(file->c_str(), flags, 0644);
            return opened >= 0 && (opened == descriptor || (dup2(opened, descriptor) == descriptor && close(opened) == 0));
        };
        if (!attach(run.input, 0, O_RDONLY) || !attach(run.output, 1, O_WRONLY | O_CREAT | O_APPEND) ||
            !attach(run.errors, 2, O_WRONLY | O_CREAT | O_APPEND) || chdir(run.folder.c_str()) != 0) {
            _exit(127);
        }
        for (const auto& [file, descriptor] : {std::pair(run.input, 0), std::pair(run.output, 1), std::pair(run.errors, 2)}) {
            if (!file) {
                close(descriptor);
            }
        }
        exec_command(run.command);
    }
    if (child < 0) {
        throw std::runtime_error("cannot start " + run.command.front());
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child) {
        throw std::runtime_error("cannot wait for " + run.command.front());
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), usage.ru_maxrss};
}

RunResult run_rf_compare(const FolderContents& contents, const std::string& answers) {
    const fs::path folder = folder_with(contents);
    const fs::path io = fresh_folder(); // the console's files stay out of the listing
    write_file(io / "stdin", answers);
    RunResult result;
    result.exit_code = exit_code_of(start_rf_compare(folder, io / "stdin", io / "stdout"));
    result.console = read_file(io / "stdout");
    collect_files(folder, io, result);
    return result;
}

} // namespace rf::testing
