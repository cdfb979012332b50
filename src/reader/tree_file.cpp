#include "tree_file.hpp"

#include <algorithm>
#include <cctype>

#include "text_words.hpp"

namespace rf {

namespace {

bool same_word(std::string_view word, std::string_view keyword) noexcept {
    return word.size() == keyword.size() && std::equal(word.begin(), word.end(), keyword.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// The text at `at` as a message shows it: its first word, or the end.
std::string found_at(const char* at, const char* last) {
    if (at == last) {
        return "found the end of the file";
    }
    const char* end = at + 1;
    while (end != last && end - at < 40 && !std::isspace(static_cast<unsigned char>(*end)) && *end != ',' &&
           *end != ';' && *end != ')' && *end != '(' && *(end - 1) != ')' && *(end - 1) != ',') {
        ++end;
    }
    return "found " + quoted(std::string_view(at, static_cast<std::size_t>(end - at)));
}

} // namespace

TreeFile::TreeFile(InputFile file, Format format) : format_(format) {
    text_.reserve(file.size_when_opened() + 1); // read in place, not copied as it grows
    char block[1 << 16];
    for (std::size_t got = 0; (got = file.read_some(block, sizeof block)) != 0;) {
        text_.append(block, got);
    }
    at_ = text_.data();
}

TreeFileProblem TreeFile::problem_at(const char* at, std::string_view what) const {
    const char* begin = text_.data();
    const std::int64_t line = 1 + std::count(begin, at, '\n');
    const char* line_start = at;
    while (line_start != begin && line_start[-1] != '\n') {
        --line_start;
    }
    return {line, 1 + (at - line_start), found_at(at, begin + text_.size()) + ", " + std::string(what)};
}

bool TreeFile::next(NewickTree& tree) {
    if (done_) {
        return false;
    }
    if (format_ == Format::nexus) {
        return next_nexus(tree);
    }
    const char* last = text_.data() + text_.size();
    const NewickResult blank = skip_blank(at_, last);
    if (blank.problem != NewickProblem::none) {
        throw problem_at(blank.ptr, expected_text(blank.problem));
    }
    if (blank.ptr == last) {
        done_ = true;
        return false;
    }
    const NewickResult read = parse_newick(blank.ptr, last, tree);
    if (read.problem != NewickProblem::none) {
        throw problem_at(read.ptr, expected_text(read.problem));
    }
    at_ = read.ptr;
    return true;
}

// The next word of NEXUS text: a quoted word, a run of characters up to a
// blank or ; , =, or one of those three; empty at the end. Comments are
// skipped.
std::string_view TreeFile::next_word() {
    const char* last = text_.data() + text_.size();
    const NewickResult blank = skip_blank(at_, last);
    if (blank.problem != NewickProblem::none) {
        throw problem_at(blank.ptr, expected_text(blank.problem));
    }
    at_ = blank.ptr;
    word_.clear();
    if (at_ == last) {
        return word_;
    }
    if (*at_ == ';' || *at_ == ',' || *at_ == '=') {
        word_.push_back(*at_++);
        return word_;
    }
    if (*at_ == '\'') {
        for (const char* c = at_ + 1; c != last; ++c) {
            if (*c != '\'') {
                word_.push_back(*c);
            } else if (c + 1 != last && c[1] == '\'') {
                word_.push_back('\'');
                ++c;
            } else {
                at_ = c + 1;
                return word_;
            }
        }
        throw problem_at(at_, expected_text(NewickProblem::open_quote));
    }
    for (; at_ != last && !std::isspace(static_cast<unsigned char>(*at_)) && *at_ != ';' && *at_ != ',' && *at_ != '=' &&
           *at_ != '[';
         ++at_) {
        word_.push_back(*at_ == '_' ? ' ' : *at_);
    }
    return word_;
}

void TreeFile::find_trees_block() {
    for (std::string_view word = next_word(); !word.empty(); word = next_word()) {
        if (same_word(word, "begin")) {
            const bool trees = same_word(next_word(), "trees");
            if (trees && next_word() == ";") {
                in_trees_ = true;
                return;
            }
        }
    }
}

// "translate KEY NAME, KEY NAME, ...;"
void TreeFile::read_translate() {
    for (;;) {
        const char* key_at = at_;
        const std::string key(next_word());
        if (key == ";") {
            return;
        }
        if (key.empty() || key == ",") {
            throw problem_at(key_at, "expected a translate table's key and name");
        }
        const char* name_at = at_;
        std::string name(next_word());
        if (name.empty() || name == ";" || name == ",") {
            throw problem_at(name_at, "expected the name that " + quoted(key) + " stands for");
        }
        translation_[key] = std::move(name);
        const char* after_at = at_;
        const std::string_view after = next_word();
        if (after == ";") {
            return;
        }
        if (after != ",") {
            throw problem_at(after_at, "expected \",\" or \";\" in the translate table");
        }
    }
}

bool TreeFile::next_nexus(NewickTree& tree) {
    const char* last = text_.data() + text_.size();
    for (;;) {
        if (!in_trees_) {
            find_trees_block();
            if (!in_trees_) {
                done_ = true;
                return false;
            }
        }
        const char* command_at = at_;
        const std::string_view command = next_word();
        if (command.empty()) {
            throw problem_at(last, "expected \"end;\" at the end of the trees block");
        }
        if (same_word(command, "end") || same_word(command, "endblock")) {
            in_trees_ = false;
            continue;
        }
        if (same_word(command, "translate")) {
            read_translate();
            continue;
        }
        if (same_word(command, "tree") || same_word(command, "utree")) {
            std::string name(next_word());
            if (name == "*") {
                name = next_word();
            }
            const char* equals_at = skip_blank(at_, last).ptr;
            if (name.empty() || name == ";" || next_word() != "=") {
                throw problem_at(name.empty() || name == ";" ? command_at : equals_at,
                                 "expected \"tree NAME = (...);\"");
            }
            const NewickResult read = parse_newick(at_, last, tree);
            if (read.problem != NewickProblem::none) {
                throw problem_at(read.ptr, expected_text(read.problem));
            }
            at_ = read.ptr;
            tree_name_ = std::move(name);
            translate(tree);
            return true;
        }
        while (!word_.empty() && word_ != ";") { // any other command, up to its ";"
            static_cast<void>(next_word());
        }
    }
}

void TreeFile::translate(NewickTree& tree) const {
    if (translation_.empty()) {
        return;
    }
    std::string labels;
    labels.reserve(tree.labels.size());
    for (NewickNode& node : tree.nodes) {
        if (!node.leaf) {
            continue;
        }
        const std::string_view label = tree.label(node);
        const auto found = translation_.find(std::string(label));
        const std::string_view name = found == translation_.end() ? label : std::string_view(found->second);
        node.label_at = static_cast<std::uint32_t>(labels.size());
        node.label_size = static_cast<std::uint32_t>(name.size());
        labels += name;
    }
    tree.labels = std::move(labels);
}

} // namespace rf
