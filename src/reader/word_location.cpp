#include "word_location.hpp"

#include <vector>

#include "input_file.hpp"
#include "white_space.hpp"

namespace rf {

std::optional<WordLocation> locate_word(const std::string& path, std::uint64_t index) {
    OpenedFile opened = InputFile::open(path);
    if (!opened.file || !opened.file->is_regular_file()) {
        return std::nullopt;
    }
    std::vector<char> block(std::size_t{1} << 20);
    WordLocation found{1, {}};
    std::int64_t last_word_line = 1; // where the file ends, for a word past its end
    std::uint64_t words = 0;
    bool in_word = false;
    for (std::size_t got = 0; (got = opened.file->read_some(block.data(), block.size())) != 0;) {
        for (std::size_t k = 0; k < got; ++k) {
            const char c = block[k];
            if (is_space(c)) {
                if (in_word && words++ == index) {
                    return found;
                }
                in_word = false;
                found.line += c == '\n' ? 1 : 0;
            } else {
                in_word = true;
                last_word_line = found.line;
                if (words == index && found.word.size() <= 40) { // one more than is shown: a longer word is marked so
                    found.word.push_back(c);
                }
            }
        }
    }
    if (!in_word || words != index) {
        found.line = last_word_line; // the file ends before the word
    }
    return found;
}

} // namespace rf
