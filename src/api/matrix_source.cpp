#include "matrix_source.hpp"

#include <limits>
#include <new>
#include <utility>

#include "delimited_reader.hpp"
#include "input_file.hpp"
#include "leaf_names_file.hpp"
#include "messages.hpp"
#include "phylip_reader.hpp"
#include "rf_format_reader.hpp"
#include "text_words.hpp"
#include "word_location.hpp"

namespace rf_compare::detail {

MatrixSource::MatrixSource(std::vector<std::string> paths, SourceOptions options, const rf::ReaderSettings& reading)
    : paths_(std::move(paths)), options_(std::move(options)), reading_(reading) {
    if (options_.count) {
        limit_to(*options_.count);
    }
    open_next_file();
}

MatrixSource::~MatrixSource() = default;

void MatrixSource::limit_to(std::int64_t count) {
    options_.count = count;
    if (reader_) {
        reader_->stop_after(count - read_ + read_in_file_); // nothing after matrix `count` is read ahead
    }
}

void MatrixSource::open_next_file() {
    const std::string& path = paths_[file_];
    rf::OpenedFile opened = rf::InputFile::open(path);
    if (!opened.file) {
        throw cannot_open(path, opened.error);
    }
    format_ = options_.format;
    if (format_ == rf::MatrixFormat::automatic) {
        std::string start = rf::read_start(*opened.file);
        const rf::Recognised recognised = rf::recognise_format(start);
        if (!recognised.format) {
            throw Error(ErrorKind::bad_input,
                        path + ", line 1: " + std::string(BAD_NUMBER_OF_OBJECTS) + ": found " +
                            rf::quoted(recognised.found) +
                            ", expected a number of leaves, or a header row of names (--format names the format)",
                        {}, std::string(BAD_NUMBER_OF_OBJECTS));
        }
        format_ = *recognised.format;
        opened.file->give_back(std::move(start));
    }
    switch (format_) {
    case rf::MatrixFormat::phylip:
        reader_ = std::make_unique<rf::PhylipReader>(std::move(*opened.file), reading_.threads);
        break;
    case rf::MatrixFormat::csv:
        reader_ = std::make_unique<rf::DelimitedReader>(std::move(*opened.file), '\0');
        break;
    case rf::MatrixFormat::tsv:
        reader_ = std::make_unique<rf::DelimitedReader>(std::move(*opened.file), '\t');
        break;
    case rf::MatrixFormat::rf:
    case rf::MatrixFormat::automatic:
        reader_ = std::make_unique<rf::RfFormatReader>(std::move(*opened.file), reading_);
        break;
    case rf::MatrixFormat::newick:
    case rf::MatrixFormat::nexus:
        throw Error(ErrorKind::bad_input, path + ": the file holds trees (" +
                                              (format_ == rf::MatrixFormat::newick ? "Newick" : "NEXUS") +
                                              "), not matrices");
    }
    read_in_file_ = 0;
    if (options_.count) {
        reader_->stop_after(*options_.count - read_);
    }
}

// The Error of a file that is not as it should be: the programs' short
// text, and where in which file, what was found and what was expected.
Error MatrixSource::problem(const rf::FileProblem& problem) const {
    const std::string& path = paths_[file_];
    const auto matrix = static_cast<std::size_t>(read_);
    std::int64_t line = problem.line;
    std::string what = problem.what;
    if (format_ == rf::MatrixFormat::rf) { // the threaded reader keeps no lines: found again in the file
        const std::int64_t n = std::max(leaf_count_, 1);
        const std::uint64_t word = problem.kind == rf::FileProblem::Kind::bad_count ? 0
                                   : problem.kind == rf::FileProblem::Kind::ended
                                       ? std::numeric_limits<std::uint64_t>::max()
                                       : static_cast<std::uint64_t>(1 + read_in_file_ * n * n + (problem.row - 1) * n + problem.column - 1);
        if (const std::optional<rf::WordLocation> found = rf::locate_word(path, word)) {
            line = found->line;
            if (problem.kind != rf::FileProblem::Kind::ended) {
                what = "found " + rf::quoted(found->word) + ", " + what;
            }
        }
    }
    const std::string where = path + (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": ";
    switch (problem.kind) {
    case rf::FileProblem::Kind::bad_count:
        return {ErrorKind::bad_input, where + std::string(BAD_NUMBER_OF_OBJECTS) + ": " + what, {},
                std::string(BAD_NUMBER_OF_OBJECTS)};
    case rf::FileProblem::Kind::too_large:
        return {ErrorKind::too_large, std::string(DATA_MATRIX_TOO_LARGE)};
    case rf::FileProblem::Kind::ended:
        return {ErrorKind::bad_input,
                where + std::string(BAD_MATRIX_NUMBER) + ": " + what + " (matrix " + std::to_string(matrix + 1) + ")",
                {matrix, std::nullopt, std::nullopt}, std::string(BAD_MATRIX_NUMBER)};
    case rf::FileProblem::Kind::bad_entry: {
        const ErrorPlace place{matrix, problem.row - 1, problem.column - 1};
        const std::string text = bad_entry_text(place);
        return {ErrorKind::bad_input, where + text + ": " + what, place, text};
    }
    case rf::FileProblem::Kind::bad_layout:
        break;
    }
    return {ErrorKind::bad_input, where + "matrix " + std::to_string(matrix + 1) + ": " + what,
            {matrix, std::nullopt, std::nullopt}};
}

// The next matrix's number of leaves, from the file that holds it.
void MatrixSource::read_header() {
    while (!header_) {
        if (!reader_) {
            if (file_ + 1 >= paths_.size()) {
                return; // every file read
            }
            ++file_;
            open_next_file();
        }
        try {
            header_ = reader_->next_leaf_count();
        } catch (const rf::FileProblem& found) {
            throw problem(found);
        }
        if (!header_) {
            if (read_in_file_ == 0) {
                throw Error(ErrorKind::bad_input, paths_[file_] + ": no matrix in the file",
                            {static_cast<std::size_t>(read_), std::nullopt, std::nullopt},
                            std::string(BAD_MATRIX_NUMBER));
            }
            reader_.reset();
        }
    }
}

std::int32_t MatrixSource::leaf_count() {
    if (leaf_count_ != 0) {
        return leaf_count_;
    }
    read_header();
    if (!header_) {
        throw Error(ErrorKind::bad_input, std::string(BAD_MATRIX_NUMBER));
    }
    try {
        matrix_.emplace(*header_);
    } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
        throw Error(ErrorKind::too_large, std::string(DATA_MATRIX_TOO_LARGE));
    }
    if (options_.leaf_names_file) {
        options_.leaf_names = read_leaf_names_file(*options_.leaf_names_file, *header_);
    }
    leaf_count_ = *header_;
    return leaf_count_;
}

const rf::DistanceMatrix* MatrixSource::next() {
    static_cast<void>(leaf_count());
    if (options_.count && read_ == *options_.count) {
        return nullptr;
    }
    read_header();
    if (!header_) {
        if (options_.count) {
            throw Error(ErrorKind::bad_input,
                        "Bad matrix number: the " + std::string(paths_.size() == 1 ? "file holds " : "files hold ") +
                            std::to_string(read_) + (read_ == 1 ? " matrix, " : " matrices, ") +
                            std::to_string(*options_.count) + " asked for",
                        {static_cast<std::size_t>(read_), std::nullopt, std::nullopt}, std::string(BAD_MATRIX_NUMBER));
        }
        return nullptr;
    }
    if (*header_ != leaf_count_) {
        throw Error(ErrorKind::bad_input,
                    paths_[file_] + ": matrix " + std::to_string(read_ + 1) + " has " + std::to_string(*header_) +
                        " leaves and matrix 1 has " + std::to_string(leaf_count_) + ": all must have the same number",
                    {static_cast<std::size_t>(read_), std::nullopt, std::nullopt});
    }
    header_.reset();
    try {
        reader_->read(*matrix_, matrix_names_);
    } catch (const rf::FileProblem& found) {
        throw problem(found);
    }
    if (matrix_names_.empty() && !options_.leaf_names.empty()) {
        matrix_names_ = options_.leaf_names;
        if (matrix_names_.size() != static_cast<std::size_t>(leaf_count_)) {
            throw Error(ErrorKind::bad_argument, std::to_string(matrix_names_.size()) + " leaf names for " +
                                                     std::to_string(leaf_count_) + " leaves");
        }
    }
    std::optional<std::vector<std::int32_t>> order;
    try {
        order = names_.order_of(matrix_names_);
    } catch (const LeafNames::Mismatch& mismatch) {
        throw Error(ErrorKind::bad_input, paths_[file_] + ": matrix " + std::to_string(read_ + 1) + " " + mismatch.what,
                    {static_cast<std::size_t>(read_), std::nullopt, std::nullopt});
    }
    ++read_;
    ++read_in_file_;
    if (order) {
        put_in_order(*order);
        return &*in_order_;
    }
    return &*matrix_;
}

void MatrixSource::put_in_order(const std::vector<std::int32_t>& order) {
    if (!in_order_) {
        in_order_.emplace(leaf_count_);
    }
    for (std::int32_t i = 1; i <= leaf_count_; ++i) {
        const double* from = matrix_->row(order[static_cast<std::size_t>(i) - 1] + 1);
        double* to = in_order_->row(i);
        for (std::int32_t j = 1; j <= leaf_count_; ++j) {
            to[j] = from[order[static_cast<std::size_t>(j) - 1] + 1];
        }
        to[0] = 0.0;
    }
    in_order_->at(0, 0) = 0.0;
}

bool MatrixSource::at_end() {
    auto* own_format = dynamic_cast<rf::RfFormatReader*>(reader_.get());
    return own_format == nullptr || own_format->at_end();
}

} // namespace rf_compare::detail
