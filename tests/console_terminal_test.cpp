// On an interactive terminal the program holds the window open at its end:
// it prompts, and exits only once Enter is pressed.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <chrono>

#include "run_binary.hpp"

namespace rf::testing {
namespace {

// The screen's text without escape sequences and white space: Wine's
// console draws each character with cursor sequences of its own, blanks
// included.
std::string visible(const std::string& raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1b') {
            while (i + 1 < raw.size() && !std::isalpha(static_cast<unsigned char>(raw[i + 1]))) {
                ++i;
            }
            ++i;
        } else if (!std::isspace(static_cast<unsigned char>(raw[i]))) {
            text.push_back(raw[i]);
        }
    }
    return text;
}

// Reads from the terminal until `wanted` has appeared or a few seconds pass.
bool wait_for_text(int terminal, std::string& seen, const std::string& wanted_text) {
    const std::string wanted = visible(wanted_text);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (visible(seen).find(wanted) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 100) > 0) {
            char block[4096];
            const ssize_t got = read(terminal, block, sizeof block);
            if (got <= 0) {
                break;
            }
            seen.append(block, static_cast<std::size_t>(got));
        }
    }
    return visible(seen).find(wanted) != std::string::npos;
}

// Wine's console switches the terminal to raw input once it starts reading;
// keys typed before that would reach it through the line discipline, Enter
// turned into a line feed it takes for Ctrl-J.
void wait_for_wine_console(int terminal) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    termios mode{};
    while (runs_windows_build() && tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ICANON) != 0 &&
           std::chrono::steady_clock::now() < deadline) {
        usleep(20 * 1000);
    }
}

TEST(ConsoleTerminal, ExitPromptWaitsForEnter) {
    const auto folder = fresh_folder();
    write_file(folder / "in.txt", "4\n0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n0 3 2 3\n3 0 3 2\n2 3 0 3\n3 2 3 0\n");
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(folder.c_str()) == 0) {
            exec_rf_compare();
        }
        _exit(127);
    }
    std::string seen;
    ASSERT_TRUE(wait_for_text(terminal, seen, "additive distance matrices"));
    wait_for_wine_console(terminal);
    const std::string answers = "in.txt out.txt 2\r"; // Enter sends a carriage return
    ASSERT_EQ(write(terminal, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
    ASSERT_TRUE(wait_for_text(terminal, seen, "Press Enter to continue")) << visible(seen);
    EXPECT_NE(visible(seen).find(visible("Results in the Output file")), std::string::npos);

    usleep(300 * 1000);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "ended without waiting for Enter";
    ASSERT_EQ(write(terminal, "\r", 1), 1);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(read_file(folder / "out.txt"), runs_windows_build() ? "2 \r\n" : "2 \n");
    close(terminal);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace rf::testing
