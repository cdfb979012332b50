#include "rf_compare/tree_reader.hpp"

#include "given_tree.hpp"
#include "guarded_call.hpp"
#include "leaf_names.hpp"
#include "matrix_format.hpp"
#include "messages.hpp"
#include "text_words.hpp"
#include "tree_file.hpp"

namespace rf_compare {

struct TreeReader::State {
    std::vector<std::string> paths;
    FileFormat format;
    std::size_t file = 0; // the next file to open
    std::optional<rf::TreeFile> reading;
    rf::NewickTree parsed;
    detail::LeafNames names;
    std::int64_t count = 0;
    std::int64_t in_file = 0;

    // Opens the next file and tells its format.
    void open_next() {
        const std::string& path = paths[file++];
        rf::OpenedFile opened = rf::InputFile::open(path);
        if (!opened.file) {
            throw detail::cannot_open(path, opened.error);
        }
        FileFormat found = format;
        if (found == FileFormat::automatic) {
            std::string start = rf::read_start(*opened.file);
            found = rf::recognise_format(start).format.value_or(FileFormat::automatic);
            opened.file->give_back(std::move(start));
        }
        if (!holds_trees(found)) {
            throw Error(ErrorKind::bad_input, path + ": the file holds no trees: expected a Newick tree, \"(\" first, or \"#NEXUS\"");
        }
        reading.emplace(std::move(*opened.file), found == FileFormat::nexus ? rf::TreeFile::Format::nexus
                                                                            : rf::TreeFile::Format::newick);
        in_file = 0;
    }

    // "FILE, tree K" (K in the file, counted from 1), and its name in NEXUS.
    [[nodiscard]] std::string which_tree() const {
        std::string text = paths[file - 1] + ", tree " + std::to_string(in_file);
        if (!reading->tree_name().empty()) {
            text.append(" (").append(rf::quoted(reading->tree_name())).append(")");
        }
        return text;
    }
};

TreeReader::TreeReader(std::vector<std::string> paths, FileFormat format)
    : state_(detail::guarded("opening the tree files", [&] {
          if (format != FileFormat::automatic && !holds_trees(format)) {
              throw Error(ErrorKind::bad_argument, "a tree file's format is automatic, newick or nexus");
          }
          if (paths.empty()) {
              throw Error(ErrorKind::bad_argument, "no tree file given");
          }
          auto state = std::make_unique<State>();
          state->paths = std::move(paths);
          state->format = format;
          state->open_next();
          return state;
      })) {}

TreeReader::TreeReader(TreeReader&&) noexcept = default;
TreeReader& TreeReader::operator=(TreeReader&&) noexcept = default;
TreeReader::~TreeReader() = default;

std::int64_t TreeReader::count() const noexcept { return state_->count; }

std::optional<Tree> TreeReader::next() {
    return detail::guarded("reading the tree files", [&]() -> std::optional<Tree> {
        State& s = *state_;
        for (;;) {
            bool read = false;
            try {
                read = s.reading && s.reading->next(s.parsed);
            } catch (const rf::TreeFileProblem& problem) {
                throw Error(ErrorKind::bad_input, s.paths[s.file - 1] + ", line " + std::to_string(problem.line) +
                                                      ", column " + std::to_string(problem.column) + ": " + problem.what,
                            {static_cast<std::size_t>(s.count), std::nullopt, std::nullopt});
            }
            if (read) {
                break;
            }
            if (s.reading && s.in_file == 0) {
                throw Error(ErrorKind::bad_input, s.paths[s.file - 1] + ": no tree in the file");
            }
            s.reading.reset();
            if (s.file == s.paths.size()) {
                return std::nullopt;
            }
            s.open_next();
        }
        ++s.in_file;
        const ErrorPlace place{static_cast<std::size_t>(s.count), std::nullopt, std::nullopt};
        std::optional<Tree> tree;
        try {
            if (s.count == 0) {
                tree = detail::tree_of_parsed(s.parsed);
                static_cast<void>(s.names.order_of(tree->names(), true));
            } else { // numbered as the first is: nothing to match later
                tree = detail::tree_of_parsed(s.parsed, s.names);
            }
        } catch (const Error& e) {
            throw Error(ErrorKind::bad_argument, s.which_tree() + ": " + e.detail(), place, e.detail());
        } catch (const detail::LeafNames::Mismatch& mismatch) {
            throw Error(ErrorKind::bad_argument, s.which_tree() + " " + mismatch.what, place, mismatch.what);
        }
        ++s.count;
        return tree;
    });
}

bool is_tree_file(const std::string& path, FileFormat format) {
    if (format != FileFormat::automatic) {
        return holds_trees(format);
    }
    return detail::guarded("looking at a file", [&] {
        rf::OpenedFile opened = rf::InputFile::open(path);
        if (!opened.file || !opened.file->is_regular_file()) {
            return false;
        }
        const std::optional<FileFormat> found = rf::recognise_format(rf::read_start(*opened.file)).format;
        return found && holds_trees(*found);
    });
}

} // namespace rf_compare
