// Runs a fuzz target over saved inputs without libFuzzer, so that ordinary
// builds replay the corpus as a test. Arguments: files or folders of inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& input) {
    std::ifstream file(input, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path path(argv[a]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                replay(entry.path());
                ++replayed;
            }
        } else {
            replay(path);
            ++replayed;
        }
    }
    // An input that breaks an invariant aborts before this line.
    std::fprintf(stderr, "%d passed, 0 failed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
