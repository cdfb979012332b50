// The parsing floor: the fastest plain single-thread read and conversion of
// a matrix file (blocks of 256 KiB, std::from_chars, values summed and not
// stored). Every whole-program figure is divided by this one.
//
//   parse_floor FILE
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

bool is_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<std::FILE, FileCloser> file(argc > 1 ? std::fopen(argv[1], "rb") : nullptr);
    if (!file) {
        std::fputs("usage: parse_floor FILE\n", stderr);
        return 2;
    }
    std::vector<char> buffer(std::size_t{256} * 1024);
    std::size_t kept = 0;
    double sum = 0.0;
    long long words = 0;
    for (;;) {
        const std::size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file.get());
        const char* p = buffer.data();
        const char* end = buffer.data() + kept + got;
        const bool last_block = got == 0;
        for (;;) {
            while (p != end && is_space(*p)) {
                ++p;
            }
            const char* word = p;
            while (p != end && !is_space(*p)) {
                ++p;
            }
            if (p == end && !last_block) {
                p = word; // may continue in the next block
                break;
            }
            if (word == p) {
                break;
            }
            double value = 0.0;
            std::from_chars(word, p, value);
            sum += value;
            ++words;
        }
        kept = static_cast<std::size_t>(end - p);
        std::memmove(buffer.data(), p, kept);
        if (last_block) {
            break;
        }
    }
    std::printf("%lld words, sum %.17g\n", words, sum);
    return 0;
}
