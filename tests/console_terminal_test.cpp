// On an interactive terminal the program holds the window open at its end:
// it prompts, and exits only once Enter is pressed.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "run_binary.hpp"

namespace rf::testing {
namespace {

// Reads from the terminal until `wanted` has appeared or a few seconds pass.
bool wait_for_text(int terminal, std::string& seen, const std::string& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (seen.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
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
    return seen.find(wanted) != std::string::npos;
}

TEST(ConsoleTerminal, ExitPromptWaitsForEnter) {
    const auto folder = fresh_folder();
    write_file(folder / "in.txt", "4\n0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n0 3 2 3\n3 0 3 2\n2 3 0 3\n3 2 3 0\n");
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(folder.c_str()) == 0) {
            execl(RF_COMPARE_PATH, "rf_compare", static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    std::string seen;
    ASSERT_TRUE(wait_for_text(terminal, seen, "additive distance matrices"));
    const std::string answers = "in.txt out.txt 2\n";
    ASSERT_EQ(write(terminal, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
    ASSERT_TRUE(wait_for_text(terminal, seen, "Press Enter to continue"));
    EXPECT_NE(seen.find("Results in the Output file"), std::string::npos);

    usleep(300 * 1000);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "ended without waiting for Enter";
    ASSERT_EQ(write(terminal, "\n", 1), 1);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(read_file(folder / "out.txt"), "2 \n");
    close(terminal);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace rf::testing
