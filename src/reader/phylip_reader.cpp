#include "phylip_reader.hpp"

#include <algorithm>
#include <atomic>
#include <new>
#include <limits>
#include <utility>

#include "entry_conversion.hpp"
#include "longest_word.hpp"
#include "text_words.hpp"
#include "white_space.hpp"

namespace rf {

namespace {

constexpr std::size_t BLOCK = std::size_t{1} << 20;
constexpr std::size_t STRICT_NAME = 10;
// Bytes of rows per member below which one thread converts them alone.
constexpr std::size_t ROWS_WORTH_SHARING = std::size_t{64} << 10;

bool is_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed_right(std::string_view text) {
    while (!text.empty() && is_space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}


} // namespace

PhylipReader::PhylipReader(InputFile file, const ThreadUse& threads) : text_(std::move(file), BLOCK), team_(threads) {}

void PhylipReader::fail(FileProblem::Kind kind, std::int64_t line, std::string what) const {
    throw FileProblem{kind, line, std::move(what)};
}

// The line `offset` bytes ahead, whole; a line longer than any row can be
// is refused.
std::optional<std::string_view> PhylipReader::line_at(std::size_t offset) {
    const std::size_t longest = (static_cast<std::size_t>(std::max(n_, 2)) + 2) * (LONGEST_WORD + 1);
    const std::optional<std::string_view> line = text_.line_at(offset, longest);
    if (line && line->size() > longest) {
        fail(FileProblem::Kind::bad_layout, text_.line(), "a line longer than any row of " + std::to_string(n_) + " numbers");
    }
    return line;
}

std::string_view PhylipReader::line_in_view() { return line_at(0).value_or(std::string_view()); }

// Lines of white space alone go; the next line is left whole, as a strict
// name starts at its first character.
void PhylipReader::skip_blank_lines() {
    for (;;) {
        const std::string_view line = line_in_view();
        if (line.find_first_not_of(" \t\r\v\f") != std::string_view::npos) {
            return;
        }
        if (line.size() == text_.text().size()) { // the last line, blank
            text_.consume(line.size());
            return;
        }
        text_.consume(line.size() + 1);
    }
}

std::optional<std::int32_t> PhylipReader::next_leaf_count() {
    skip_blank_lines();
    if (text_.text().empty()) {
        return std::nullopt;
    }
    const std::string_view line = line_in_view();
    const std::vector<std::string_view> words = words_of(line);
    std::int64_t count = 0;
    if (words.size() != 1 || !is_whole_number(words.front()) ||
        (count = std::stoll(std::string(words.front()))) < 2 || count > std::numeric_limits<std::int32_t>::max()) {
        fail(FileProblem::Kind::bad_count, text_.line(),
             "found " + quoted(trimmed_right(line)) + ", expected the number of leaves, at least 2, alone on its line");
    }
    n_ = static_cast<std::int32_t>(count);
    text_.consume(std::min(line.size() + 1, text_.text().size()));
    recognise_rows();
    return n_;
}

// From the data set's first rows: names of ten characters or of one word,
// and how many numbers a row holds.
void PhylipReader::recognise_rows() {
    skip_blank_lines();
    if (text_.text().empty()) {
        fail(FileProblem::Kind::ended, text_.line(), "the file ends before the first row of " + std::to_string(n_));
    }
    const std::string_view first = line_in_view();
    // A name with a blank in it, or ten characters with the numbers right
    // after them, is a strict one; so is a first row whose count of
    // numbers fits only when its name is its first ten characters.
    const std::string_view field = first.substr(0, STRICT_NAME);
    const std::vector<std::string_view> words = words_of(first);
    const bool glued = !words.empty() && words.front().size() > STRICT_NAME && first.front() == words.front().front() &&
                       is_decimal_number(words.front().substr(STRICT_NAME));
    const bool blank_in_name = words.size() > 1 && !is_decimal_number(words[1]);
    const auto fits = [this](std::size_t count) {
        const auto numbers = static_cast<std::int64_t>(count);
        return numbers == n_ || numbers == n_ - 1 || numbers <= 1;
    };
    const std::size_t relaxed_count = words.empty() ? 0 : words.size() - 1;
    const std::size_t strict_count = words_of(first.substr(std::min(STRICT_NAME, first.size()))).size();
    strict_names_ = glued || blank_in_name || (!fits(relaxed_count) && fits(strict_count));
    const std::size_t after_name =
        strict_names_ ? std::min(STRICT_NAME, first.size())
                      : static_cast<std::size_t>(words.empty() ? 0 : words.front().data() - first.data()) +
                            (words.empty() ? 0 : words.front().size());
    const std::string name(strict_names_ ? trimmed_right(field) : words.empty() ? std::string_view() : words.front());
    const auto on_line = static_cast<std::int64_t>(words_of(first.substr(after_name)).size());
    // The lines after the first, while they start with a number: the row
    // goes on there. The first that does not is the next row.
    std::size_t offset = first.size() + 1;
    std::int64_t numbers = on_line;
    std::int64_t next_row_numbers = -1;
    while (numbers < n_) {
        const std::optional<std::string_view> line = line_at(offset);
        if (!line) {
            break;
        }
        offset += line->size() + 1;
        const std::vector<std::string_view> next = words_of(*line);
        if (!next.empty() && !is_decimal_number(next.front())) {
            next_row_numbers = static_cast<std::int64_t>(next.size()) - 1;
            break;
        }
        numbers += static_cast<std::int64_t>(next.size());
    }
    one_line_rows_ = numbers == on_line;
    if (on_line == 1 && next_row_numbers == 2) {
        layout_ = Layout::lower_with_diagonal;
    } else if (numbers == n_) {
        layout_ = Layout::square;
    } else if (numbers == n_ - 1) {
        layout_ = Layout::upper;
    } else if (numbers == 0) {
        layout_ = Layout::lower;
    } else {
        fail(FileProblem::Kind::bad_layout, text_.line(),
             "expected " + std::to_string(n_) + " numbers after the name " + name + ", found " + std::to_string(numbers));
    }
}

std::int32_t PhylipReader::numbers_in_row(std::int32_t row) const noexcept {
    switch (layout_) {
    case Layout::lower:
        return row - 1;
    case Layout::lower_with_diagonal:
        return row;
    case Layout::upper:
        return n_ - row;
    case Layout::square:
        break;
    }
    return n_;
}

std::int32_t PhylipReader::first_column(std::int32_t row) const noexcept {
    return layout_ == Layout::upper ? row + 1 : 1;
}

std::string PhylipReader::read_name() {
    const std::string_view line = line_in_view();
    std::string_view name;
    std::size_t end = 0;
    if (strict_names_) {
        end = std::min(STRICT_NAME, line.size());
        name = trimmed_right(line.substr(0, end));
    } else {
        std::size_t begin = 0;
        while (begin < line.size() && is_blank(line[begin])) {
            ++begin;
        }
        end = begin;
        while (end < line.size() && !is_space(line[end])) {
            ++end;
        }
        name = line.substr(begin, end - begin);
    }
    if (name.empty() || name.size() > LONGEST_WORD) {
        fail(FileProblem::Kind::bad_layout, text_.line(),
             "found " + quoted(trimmed_right(line)) + ", expected a row: a name and its numbers");
    }
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; })) {
        fail(FileProblem::Kind::bad_layout, text_.line(), "the name " + quoted(name) + " holds a control character");
    }
    std::string kept(name);
    text_.consume(end);
    return kept;
}

void PhylipReader::read_numbers(DistanceMatrix& matrix, std::int32_t row, const std::string& name) {
    const std::int64_t wanted = numbers_in_row(row);
    const std::int64_t first = static_cast<std::int64_t>(row - 1) * n_ + first_column(row) - 1;
    std::int64_t done = 0;
    const std::int64_t row_line = text_.line();
    const auto shortfall = [&](const std::string& then) {
        fail(FileProblem::Kind::bad_layout, row_line,
             "expected " + std::to_string(wanted) + " numbers after the name " + name + ", found " + std::to_string(done) + then);
    };
    while (done < wanted) {
        std::string_view text = one_line_rows_ ? line_in_view() : text_.text();
        std::size_t cut = text.size();
        if (!one_line_rows_ && !text_.ended()) { // complete words only
            while (cut != 0 && !is_space(text[cut - 1])) {
                --cut;
            }
            if (cut == 0 || text.find_first_not_of(" \t\r\n\v\f") >= cut) {
                if (text.size() > (LONGEST_WORD + 1) * 2 && cut == 0) {
                    fail(FileProblem::Kind::bad_entry, text_.line(), "a word longer than any number");
                }
                text_.consume(cut);
                text_.read_more();
                continue;
            }
        }
        const PieceOutcome outcome = convert_entries(text.data(), text.data() + cut, matrix, first + done, first + wanted);
        done += outcome.entries;
        const std::string_view before = text.substr(0, static_cast<std::size_t>(outcome.stop - text.data()));
        const std::int64_t line = text_.line() + std::count(before.begin(), before.end(), '\n');
        if (outcome.bad) {
            const std::string_view rest = text.substr(before.size());
            const std::string_view word = rest.substr(0, std::min(rest.find_first_of(" \t\r\n\v\f"), rest.size()));
            const std::size_t line_start = before.rfind('\n');
            const bool starts_line = line_start != std::string_view::npos &&
                                     before.substr(line_start + 1).find_first_not_of(" \t\r") == std::string_view::npos;
            if (starts_line) { // the next row's name, most likely
                shortfall(" before " + quoted(word));
            }
            throw FileProblem{FileProblem::Kind::bad_entry, line,
                              "found " + quoted(word) + " in the row of " + name + ", expected a decimal number", row,
                              static_cast<std::int32_t>(first_column(row) + done)};
        }
        text_.consume(before.size());
        if (done < wanted && one_line_rows_) {
            shortfall("");
        }
        if (done < wanted && text_.ended() && cut == text.size()) {
            fail(FileProblem::Kind::ended, line, "the file ends in the row of " + name);
        }
    }
}

// After a row's numbers, the rest of its last line is blank.
void PhylipReader::expect_row_end(const std::string& name) {
    const std::string_view line = line_in_view();
    const std::vector<std::string_view> more = words_of(line);
    if (!more.empty()) {
        fail(FileProblem::Kind::bad_layout, text_.line(),
             "found " + quoted(more.front()) + " after the numbers of " + name + ", expected the end of its row");
    }
    text_.consume(std::min(line.size() + 1, text_.text().size()));
}

// One row on its line: its name, its numbers, nothing after them. What
// is wrong with it comes back, for the rows before it to be reported first.
std::optional<FileProblem> PhylipReader::convert_row(const RowLine& line, std::int32_t row, DistanceMatrix& matrix,
                                                     std::string& name) const {
    const std::string_view text = line.text;
    std::size_t name_end = 0;
    std::size_t name_begin = 0;
    if (strict_names_) {
        name_end = std::min(STRICT_NAME, text.size());
    } else {
        while (name_begin < text.size() && is_blank(text[name_begin])) {
            ++name_begin;
        }
        name_end = name_begin;
        while (name_end < text.size() && !is_space(text[name_end])) {
            ++name_end;
        }
    }
    const std::string_view found = trimmed_right(text.substr(name_begin, name_end - name_begin));
    if (found.empty() || found.size() > LONGEST_WORD ||
        std::any_of(found.begin(), found.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; })) {
        return FileProblem{FileProblem::Kind::bad_layout, line.number,
                           found.empty() ? "found " + quoted(trimmed_right(text)) + ", expected a row: a name and its numbers"
                                         : "the name " + quoted(found) + " is too long or holds a control character"};
    }
    name.assign(found);
    const std::int64_t wanted = numbers_in_row(row);
    const std::int64_t first = static_cast<std::int64_t>(row - 1) * n_ + first_column(row) - 1;
    const char* numbers = text.data() + name_end;
    const char* end = text.data() + text.size();
    const PieceOutcome outcome = convert_entries(numbers, end, matrix, first, first + wanted);
    if (outcome.bad) {
        const std::string_view rest(outcome.stop, static_cast<std::size_t>(end - outcome.stop));
        return FileProblem{FileProblem::Kind::bad_entry, line.number,
                           "found " + quoted(rest.substr(0, std::min(rest.find_first_of(" \t\r\v\f"), rest.size()))) +
                               " in the row of " + name + ", expected a decimal number",
                           row, static_cast<std::int32_t>(first_column(row) + outcome.entries)};
    }
    if (outcome.entries < wanted) {
        return FileProblem{FileProblem::Kind::bad_layout, line.number,
                           "expected " + std::to_string(wanted) + " numbers after the name " + name + ", found " +
                               std::to_string(outcome.entries)};
    }
    const std::string_view after(outcome.stop, static_cast<std::size_t>(end - outcome.stop));
    const std::size_t more = after.find_first_not_of(" \t\r\v\f");
    if (more != std::string_view::npos) {
        const std::string_view word = after.substr(more, std::min(after.find_first_of(" \t\r\v\f", more), after.size()) - more);
        return FileProblem{FileProblem::Kind::bad_layout, line.number,
                           "found " + quoted(word) + " after the numbers of " + name + ", expected the end of its row"};
    }
    return std::nullopt;
}

// Rows that each fit on their line: the lines of as many of them as a block
// holds are found, then converted by the team, each member its own rows.
void PhylipReader::read_rows_of_one_line(DistanceMatrix& matrix, std::vector<std::string>& names) {
    names.assign(static_cast<std::size_t>(n_), std::string());
    std::int32_t done = 0;
    while (done < n_) {
        skip_blank_lines();
        lines_.clear();
        std::string_view text = text_.text();
        std::int64_t number = text_.line();
        std::size_t used = 0;
        while (done + static_cast<std::int32_t>(lines_.size()) < n_) {
            const std::size_t end = text.find('\n', used);
            if (end == std::string_view::npos && !(text_.ended() && used < text.size())) {
                break; // the rest of this line is still to come
            }
            const std::string_view line = text.substr(used, std::min(end, text.size()) - used);
            used = std::min(end, text.size()) + (end == std::string_view::npos ? 0 : 1);
            if (line.find_first_not_of(" \t\r\v\f") != std::string_view::npos) {
                lines_.push_back({line, number});
            }
            ++number;
        }
        if (lines_.empty()) {
            if (text.empty() || text_.ended()) {
                fail(FileProblem::Kind::ended, text_.line(),
                     ends_after_rows_text(done, n_));
            }
            static_cast<void>(line_in_view()); // one whole line at least, however long
            continue;
        }
        // Threads pay for blocks of many rows, not for a small data set's.
        const std::size_t members = used >= team_.size() * ROWS_WORTH_SHARING ? team_.size() : 1;
        std::vector<std::optional<RowFailure>> failures(members);
        std::atomic<std::size_t> next{0};
        auto job = [&](std::size_t member) noexcept {
            try {
                for (std::size_t k = next++; k < lines_.size(); k = next++) {
                    const std::int32_t row = done + static_cast<std::int32_t>(k) + 1;
                    if (failures[member] && failures[member]->row < row) {
                        continue; // a row before has failed already
                    }
                    if (std::optional<FileProblem> problem =
                            convert_row(lines_[k], row, matrix, names[static_cast<std::size_t>(row) - 1])) {
                        failures[member] = RowFailure{row, std::move(*problem)};
                    }
                }
            } catch (const std::bad_alloc&) { // a name: the row before it keeps its place
                failures[member] = RowFailure{0, {FileProblem::Kind::too_large, 0, "not enough memory for the names"}};
            }
        };
        if (members > 1) {
            team_.run(job);
        } else {
            job(0);
        }
        const std::optional<RowFailure>* first = nullptr;
        for (const std::optional<RowFailure>& failure : failures) {
            if (failure && (first == nullptr || failure->row < (*first)->row)) {
                first = &failure;
            }
        }
        if (first != nullptr) {
            if ((*first)->problem.kind == FileProblem::Kind::too_large) {
                throw std::bad_alloc();
            }
            throw (*first)->problem;
        }
        done += static_cast<std::int32_t>(lines_.size());
        text_.consume(used, number - text_.line() - (used != 0 && text[used - 1] != '\n' ? 1 : 0));
    }
}

void PhylipReader::read(DistanceMatrix& matrix, std::vector<std::string>& names) {
    if (one_line_rows_) {
        read_rows_of_one_line(matrix, names);
    } else {
        read_wrapped_rows(matrix, names);
    }
    for (std::int32_t i = 1; i <= n_; ++i) {
        for (std::int32_t j = 1; j < i; ++j) {
            if (layout_ == Layout::upper) {
                matrix.at(i, j) = matrix.at(j, i);
            } else if (layout_ != Layout::square) {
                matrix.at(j, i) = matrix.at(i, j);
            }
        }
        matrix.at(i, i) = 0.0;
    }
    matrix.at(0, 0) = 0.0;
}

void PhylipReader::read_wrapped_rows(DistanceMatrix& matrix, std::vector<std::string>& names) {
    names.clear();
    for (std::int32_t row = 1; row <= n_; ++row) {
        skip_blank_lines();
        if (text_.text().empty()) {
            fail(FileProblem::Kind::ended, text_.line(),
                 ends_after_rows_text(row - 1, n_));
        }
        names.push_back(read_name());
        read_numbers(matrix, row, names.back());
        expect_row_end(names.back());
    }
}

} // namespace rf
