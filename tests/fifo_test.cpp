// The matrix file as a FIFO fed by another program, which writes matrices
// as it produces them and keeps the FIFO open in between: each result line
// reaches the result file as soon as its matrix has arrived, and stays there
// however the run ends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <signal.h>
#include <optional>
#include <thread>

#include "example_matrices.hpp"
#include "run_binary.hpp"

namespace rf::testing {
namespace {

namespace fs = std::filesystem;

// The program started on a FIFO named in.txt, and the FIFO's writing end.
class FifoRun {
public:
    explicit FifoRun(const std::string& answers) : folder_(fresh_folder()), io_(fresh_folder()) {
        signal(SIGPIPE, SIG_IGN); // a program that ended early shows in its exit code instead
        if (mkfifo((folder_ / "in.txt").c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO");
        }
        write_file(io_ / "stdin", answers);
        process_ = start_rf_compare(folder_, io_ / "stdin", io_ / "stdout");
        writer_ = open_writing_end();
    }
    FifoRun(const FifoRun&) = delete;
    FifoRun& operator=(const FifoRun&) = delete;
    ~FifoRun() {
        try {
            finish();
        } catch (const std::exception&) { // nothing left to wait for
        }
        fs::remove_all(folder_);
        fs::remove_all(io_);
    }

    [[nodiscard]] bool send(const std::string& text) const {
        return writer_ >= 0 && write(writer_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    // Closes the FIFO, waits for the program to end and gives its exit code.
    int finish() {
        if (writer_ >= 0) {
            close(writer_);
            writer_ = -1;
        }
        if (!exit_code_) {
            exit_code_ = exit_code_of(process_);
        }
        return *exit_code_;
    }
    // True once the result file reads `expected`; false after 20 s.
    [[nodiscard]] bool results_become(const std::string& expected) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (read_file(folder_ / "out.txt") != expected) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    [[nodiscard]] std::string results() const { return read_file(folder_ / "out.txt"); }
    void kill_program() const { kill(process_, SIGKILL); }

private:
    // Opening without waiting fails until the program has opened its end.
    [[nodiscard]] int open_writing_end() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            const int fifo = open((folder_ / "in.txt").c_str(), O_WRONLY | O_NONBLOCK);
            if (fifo >= 0) {
                fcntl(fifo, F_SETFL, fcntl(fifo, F_GETFL) & ~O_NONBLOCK);
                return fifo;
            }
            if (errno != ENXIO || std::chrono::steady_clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    fs::path folder_;
    fs::path io_;
    int process_ = -1;
    int writer_ = -1;
    std::optional<int> exit_code_;
};

TEST(MatrixFifo, EachResultLineAppearsAsSoonAsItsMatrixHasArrived) {
    FifoRun run("in.txt out.txt 3\n");
    ASSERT_TRUE(run.send("4\n" + EDGE_34 + EDGE_24));
    EXPECT_TRUE(run.results_become("2 \n")) << "the line of matrix 2 waited for more input";
    ASSERT_TRUE(run.send(STAR));
    EXPECT_EQ(run.finish(), 0);
    EXPECT_EQ(run.results(), "2 \n1 \n");
}

TEST(MatrixFifo, LinesWrittenBeforeAKillAreKept) {
    FifoRun run("in.txt out.txt 4\n");
    ASSERT_TRUE(run.send("4\n" + EDGE_34 + EDGE_24 + STAR));
    ASSERT_TRUE(run.results_become("2 \n1 \n"));
    run.kill_program();
    EXPECT_EQ(run.finish(), 128 + SIGKILL);
    EXPECT_EQ(run.results(), "2 \n1 \n");
}

} // namespace
} // namespace rf::testing
