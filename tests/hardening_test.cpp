// The programs in odd environments, as a careful tester drives them: no
// threads to be had, little memory, a file of one endless word, a full
// disk, closed standard streams. Whatever happens ends with one of the
// programs' own messages and exit codes, never an abort, and no file ever
// ends in part of a line. POSIX only: they use prlimit, setpriv, mount and
// devices that Windows does not have.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <random>
#include <regex>

#include "random_tree.hpp"
#include "run_binary.hpp"

namespace rf::testing {
namespace {

namespace fs = std::filesystem;

constexpr int EXIT_ABORTED = 128 + 6;

// A file of m matrices of n leaves, each a random tree's path lengths.
std::string matrix_file(std::int32_t n, int m, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::string text = std::to_string(n) + "\n";
    for (int k = 0; k < m; ++k) {
        const DistanceMatrix d = tools::path_length_matrix(tools::make_random_tree(n, tools::TreeShape::binary, rng, 0.05, 1.0));
        for (std::int32_t i = 1; i <= n; ++i) {
            for (std::int32_t j = 1; j <= n; ++j) {
                text += std::to_string(d.at(i, j)) + (j < n ? " " : "\n");
            }
        }
    }
    return text;
}

// A folder anyone may write in, holding in.txt and the answers for
// rf_compare (in.txt out.txt m).
struct Scene {
    Scene(const std::string& matrices, int m) : folder(fresh_folder()) {
        write_file(folder / "in.txt", matrices);
        write_file(folder / "answers.txt", "in.txt out.txt " + std::to_string(m) + "\n");
        fs::permissions(folder, fs::perms::all);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene() { fs::remove_all(folder); }

    struct Run {
        Ended ended;
        std::string out;
        std::string errors;
    };
    // One program run; `wrapper` goes before the program.
    Run run(const std::vector<std::string>& wrapper, const std::vector<std::string>& program, bool answers) {
        std::vector<std::string> command = wrapper;
        command.insert(command.end(), program.begin(), program.end());
        fs::remove(folder / "out.txt");
        fs::remove(folder / "stdout");
        fs::remove(folder / "stderr");
        Run result{launch({command, folder, answers ? folder / "answers.txt" : fs::path("/dev/null"), folder / "stdout",
                           folder / "stderr"}),
                   "", ""};
        result.out = read_file(folder / "stdout");
        result.errors = read_file(folder / "stderr");
        return result;
    }
    [[nodiscard]] std::string result() const { return fs::exists(folder / "out.txt") ? read_file(folder / "out.txt") : ""; }

    // The program copied into the folder, for another user, who may not
    // reach the build's folder.
    [[nodiscard]] std::string copy_of(const std::string& program) const {
        const fs::path copy = folder / fs::path(program).filename();
        fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
        fs::permissions(copy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        return copy.string();
    }

    fs::path folder;
};

bool whole_lines(const std::string& text) { return text.empty() || text.back() == '\n'; }

// Lines "%d \n" and nothing else, as rf_compare writes them.
bool result_lines(const std::string& text) {
    bool at_line_start = true;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        const bool digit = c >= '0' && c <= '9';
        const bool ends_number = c == ' ' && !at_line_start && k + 1 < text.size() && text[k + 1] == '\n';
        if (!digit && !ends_number && !(c == '\n' && k > 0 && text[k - 1] == ' ')) {
            return false;
        }
        at_line_start = c == '\n';
    }
    return !text.empty() && text.back() == '\n';
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class Hardening : public ::testing::Test {
protected:
    void SetUp() override {
        if (runs_windows_build()) {
            GTEST_SKIP() << "POSIX only";
        }
    }
};

TEST_F(Hardening, NoThreadsToBeHadChangesNothing) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user, whose process count the limit then counts";
    }
    Scene scene(matrix_file(40, 30, 1), 30);
    // As nobody, with one process allowed: the program itself, no thread
    // (nor the one a leak checker starts at the end).
    const std::vector<std::string> alone = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                            "prlimit", "--nproc=1", "--", "env",
                                            "ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1"};
    for (const std::vector<std::string>& program :
         {std::vector<std::string>{rf_pairs_program(), "in.txt", "--metric", "kf"}, std::vector<std::string>{rf_compare_program()}}) {
        const Scene::Run free = scene.run({}, program, true);
        const std::string result = scene.result();
        std::vector<std::string> copied = program;
        copied.front() = scene.copy_of(program.front());
        const Scene::Run limited = scene.run(alone, copied, true);
        EXPECT_EQ(limited.ended.exit_code, 0) << limited.errors;
        EXPECT_EQ(limited.out, free.out);
        EXPECT_EQ(scene.result(), result);
    }
}

// Every limit of address space from where the program starts at all to
// where it runs through: never an abort, only the programs' messages, only
// whole lines; and the run that has room gives the answers.
TEST_F(Hardening, LittleMemoryEndsInAMessage) {
#ifdef RF_SANITIZED
    GTEST_SKIP() << "a sanitizer's shadow memory needs more address space than any limit here";
#endif
    Scene scene(matrix_file(150, 60, 2), 60);
    const Scene::Run pairs = scene.run({}, {rf_pairs_program(), "in.txt", "--metric", "wrf", "--newick", "trees.nwk"}, false);
    const Scene::Run compare = scene.run({}, {rf_compare_program()}, true);
    const std::string result = scene.result();
    ASSERT_EQ(pairs.ended.exit_code, 0);
    ASSERT_EQ(compare.ended.exit_code, 0);
    const std::regex pairs_message(R"(rf_pairs: (not enough memory for [^\n]+|Data matrix is too large)\n)");
    int ran_through = 0;
    for (long mib = 4; mib <= 64; mib += 2) {
        SCOPED_TRACE(std::to_string(mib) + " MiB of address space");
        const std::vector<std::string> limit = {"prlimit", "--as=" + std::to_string(mib << 20), "--"};
        const Scene::Run p = scene.run(limit, {rf_pairs_program(), "in.txt", "--metric", "wrf", "--newick", "trees.nwk"}, false);
        if (p.ended.exit_code == 127) {
            continue; // the system could not even load the program
        }
        EXPECT_NE(p.ended.exit_code, EXIT_ABORTED) << p.errors;
        EXPECT_TRUE(p.ended.exit_code == 0 || p.ended.exit_code == 1) << p.ended.exit_code;
        if (p.ended.exit_code == 0) {
            EXPECT_EQ(p.out, pairs.out);
            ++ran_through;
        } else {
            EXPECT_TRUE(std::regex_match(p.errors, pairs_message)) << p.errors;
            EXPECT_TRUE(whole_lines(p.out));
        }
        EXPECT_TRUE(whole_lines(read_file(scene.folder / "trees.nwk")));
        const Scene::Run c = scene.run(limit, {rf_compare_program()}, true);
        EXPECT_TRUE(c.ended.exit_code == 0 || c.ended.exit_code == 1) << c.ended.exit_code;
        if (c.ended.exit_code == 0) {
            EXPECT_EQ(scene.result(), result);
        } else {
            EXPECT_TRUE(ends_with(c.out, " Data matrix is too large\n ")) << c.out.substr(c.out.size() - 60);
            EXPECT_TRUE(result.starts_with(scene.result()) && whole_lines(scene.result()));
        }
    }
    EXPECT_GT(ran_through, 0);
}

// /dev/zero and a file of n then one word of 100 MB: refused at once, in
// bounded memory.
TEST_F(Hardening, EndlessWordsEndAtOnce) {
    Scene scene("4\n" + std::string(100 << 20, '7'), 2);
    // What the programs take to start, a sanitizer's shadow memory among it.
    const long start_kib = scene.run({}, {rf_pairs_program(), "--version"}, false).ended.peak_kib;
    for (const std::string& file : {std::string("/dev/zero"), std::string("in.txt")}) {
        SCOPED_TRACE(file);
        const std::string expected = file == "in.txt" ? "Bad entry in matrix 1, row 1, column 1" : "Bad number of objects";
        const Scene::Run pairs = scene.run({"timeout", "5"}, {rf_pairs_program(), file}, false);
        EXPECT_EQ(pairs.ended.exit_code, 1);
        EXPECT_NE(pairs.errors.find(": " + expected + ": found \""), std::string::npos) << pairs.errors;
        EXPECT_LT(pairs.ended.peak_kib, start_kib + 32 * 1024);
        write_file(scene.folder / "answers.txt", file + " out.txt 2\n");
        const Scene::Run compare = scene.run({"timeout", "5"}, {rf_compare_program()}, true);
        EXPECT_EQ(compare.ended.exit_code, 1);
        EXPECT_TRUE(ends_with(compare.out, "\n\nError\n" + expected));
        EXPECT_LT(compare.ended.peak_kib, start_kib + 32 * 1024);
    }
}

// With standard output and error closed, no file takes their place: the
// Newick file holds trees only, the result file results only. The table
// went nowhere, which only the exit code can tell.
TEST_F(Hardening, ClosedStandardStreamsTakeNoFile) {
    Scene scene("4\n0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n0 1 10 1\n1 0 1 1\n10 1 0 1\n1 1 1 0\n", 2);
    const Ended pairs = launch({{rf_pairs_program(), "in.txt", "--newick", "trees.nwk"}, scene.folder, std::nullopt,
                                std::nullopt, std::nullopt});
    EXPECT_EQ(pairs.exit_code, 1);
    EXPECT_EQ(read_file(scene.folder / "trees.nwk"), "(1:1,2:1,(3:1,4:1):1);\n\n");
    const Ended compare = launch({{rf_compare_program()}, scene.folder, scene.folder / "answers.txt", std::nullopt, std::nullopt});
    EXPECT_EQ(compare.exit_code, 1);
    EXPECT_EQ(scene.result(), "");
}

// A standard output closed at start takes the table nowhere: rf_pairs says
// so and fails, whatever it was asked for, while a closed standard error
// alone loses only messages. rf_compare's product is its result file,
// which a closed console does not touch: the run ends as it would.
TEST_F(Hardening, ClosedStandardOutputIsNoSuccess) {
    Scene scene("4\n0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n0 3 2 3\n3 0 3 2\n2 3 0 3\n3 2 3 0\n", 2);
    const fs::path errors = scene.folder / "stderr";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"in.txt"}, {"in.txt", "--first", "--newick", "trees.nwk"}, {"--version"}, {"--help"}}) {
        SCOPED_TRACE(arguments.front() + " ... " + arguments.back());
        fs::remove(errors);
        std::vector<std::string> command{rf_pairs_program()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(launch({command, scene.folder, std::nullopt, std::nullopt, errors}).exit_code, 1);
        EXPECT_EQ(read_file(errors), "rf_pairs: standard output could not be written: it was closed when rf_pairs started\n");
    }
    const fs::path table = scene.folder / "table.tsv";
    EXPECT_EQ(launch({{rf_pairs_program(), "in.txt"}, scene.folder, std::nullopt, table, std::nullopt}).exit_code, 0);
    EXPECT_EQ(read_file(table), "matrix\t1\t2\n1\t0\t2\n2\t2\t0\n");
    EXPECT_EQ(launch({{rf_compare_program()}, scene.folder, scene.folder / "answers.txt", std::nullopt, std::nullopt}).exit_code, 0);
    EXPECT_EQ(scene.result(), "2 \n");
}

// The leaves' names file there but not to be opened: why, not "not found".
TEST_F(Hardening, UnreadableLeafNamesSayWhy) {
    Scene scene("4\n0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n", 1);
    write_file(scene.folder / "names.txt", "a\nb\nc\nd\n");
    fs::permissions(scene.folder / "names.txt", fs::perms::none);
    // Root reads any file: the run is another user's, with a copy of the
    // program that user can reach.
    const std::vector<std::string> as_nobody = geteuid() == 0
        ? std::vector<std::string>{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}
        : std::vector<std::string>{};
    const Scene::Run run = scene.run(as_nobody, {scene.copy_of(rf_pairs_program()), "in.txt", "--leaf-names", "names.txt"}, false);
    EXPECT_EQ(run.ended.exit_code, 1);
    EXPECT_EQ(run.errors, "rf_pairs: File names.txt cannot be read: Permission denied\n");
    EXPECT_EQ(run.out, "");
}

// A full disk: each program stops at the line that does not fit, says so,
// and the file ends at the last whole line. On a small file system the
// test mounts where it may, and on /dev/full.
TEST_F(Hardening, AFullDiskLeavesWholeLines) {
    Scene scene(matrix_file(5, 3000, 3), 3000);
    const Scene::Run full = scene.run({}, {rf_pairs_program(), "in.txt", "-m", "3"}, false);
    const Scene::Run to_device = scene.run({"sh", "-c", "exec \"$0\" in.txt > /dev/full", rf_pairs_program()}, {}, false);
    EXPECT_EQ(to_device.ended.exit_code, 1);
    EXPECT_EQ(to_device.errors, "rf_pairs: standard output could not be written\n");
    ASSERT_EQ(full.ended.exit_code, 0);

    const fs::path small = scene.folder / "small";
    fs::create_directory(small);
    if (geteuid() != 0 || mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    struct Unmount {
        fs::path at;
        ~Unmount() { umount(at.c_str()); }
    } unmount{small};
    write_file(scene.folder / "answers.txt", "in.txt small/out.txt 3000\n");
    const Scene::Run compare = scene.run({}, {rf_compare_program()}, true);
    EXPECT_EQ(compare.ended.exit_code, 1);
    EXPECT_TRUE(ends_with(compare.out, "\nFile small/out.txt could not be written "));
    const std::string lines = read_file(small / "out.txt");
    EXPECT_TRUE(result_lines(lines)) << lines.substr(0, 80);
    // It stopped at the matrix whose line did not fit: the lines of 2..j-1 are there.
    const auto kept = std::count(lines.begin(), lines.end(), '\n');
    EXPECT_TRUE(ends_with(compare.out, "\n Matrix " + std::to_string(kept + 2) + " \n\nFile small/out.txt could not be written "));
    fs::remove(small / "out.txt");

    const Scene::Run pairs = scene.run({"sh", "-c", "exec \"$0\" in.txt --newick small/trees.nwk > small/table.tsv", rf_pairs_program()}, {}, false);
    EXPECT_EQ(pairs.ended.exit_code, 1);
    EXPECT_TRUE(pairs.errors == "rf_pairs: File small/trees.nwk could not be written\n" ||
                pairs.errors == "rf_pairs: standard output could not be written\n") << pairs.errors;
    EXPECT_TRUE(whole_lines(read_file(small / "trees.nwk")));
    EXPECT_TRUE(whole_lines(read_file(small / "table.tsv")));
    fs::remove(small / "trees.nwk");
    // 300 trees: lines of about 900 bytes, some of which fit.
    const Scene::Run table =
        scene.run({"sh", "-c", "exec \"$0\" in.txt -m 300 > small/table.tsv", rf_pairs_program()}, {}, false);
    EXPECT_EQ(table.ended.exit_code, 1);
    EXPECT_EQ(table.errors, "rf_pairs: standard output could not be written\n");
    const std::string written = read_file(small / "table.tsv");
    EXPECT_TRUE(whole_lines(written) && written.size() > 2048) << written.size();
}

} // namespace
} // namespace rf::testing
