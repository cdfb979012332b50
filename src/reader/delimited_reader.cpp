#include "delimited_reader.hpp"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

#include "longest_word.hpp"
#include "number_parsing.hpp"
#include "text_words.hpp"

namespace rf {

namespace {

constexpr std::size_t BLOCK = std::size_t{1} << 20;
// A line of up to this many fields of the longest word: a header or a row of
// a matrix larger than any that fits in memory is longer.
constexpr std::size_t LONGEST_LINE = std::size_t{1} << 30;


std::string_view trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \r");
    if (begin == std::string_view::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(" \r") + 1 - begin);
}

}

// A field that names, not numbers: quoted (as R quotes names and not
// numbers), or not a number.
bool DelimitedReader::Field::is_name() const { return quoted || !is_decimal_number(text); }

namespace {

} // namespace

DelimitedReader::DelimitedReader(InputFile file, char delimiter) : text_(std::move(file), BLOCK), delimiter_(delimiter) {}

void DelimitedReader::fail(FileProblem::Kind kind, std::int64_t line, std::string what) const {
    throw FileProblem{kind, line, std::move(what)};
}

// A line's fields, unquoted: a field in double quotes may hold the
// delimiter, and "" is a quote.
std::vector<DelimitedReader::Field> DelimitedReader::fields_of(std::string_view line, std::int64_t number) const {
    std::vector<Field> fields(1);
    bool quoted_field = false;
    bool in_quotes = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        std::string& field = fields.back().text;
        if (in_quotes) {
            if (c == '"' && k + 1 < line.size() && line[k + 1] == '"') {
                field.push_back('"');
                ++k;
            } else if (c == '"') {
                in_quotes = false;
            } else {
                field.push_back(c);
            }
        } else if (c == '"' && trimmed(field).empty() && !quoted_field) {
            field.clear();
            in_quotes = quoted_field = fields.back().quoted = true;
        } else if (c == delimiter_) {
            if (!quoted_field) {
                field = std::string(trimmed(field));
            }
            fields.emplace_back();
            quoted_field = false;
        } else if (!quoted_field || c != '\r') {
            field.push_back(c);
        }
        if (fields.back().text.size() > LONGEST_WORD) {
            fail(FileProblem::Kind::bad_layout, number, "a field longer than " + std::to_string(LONGEST_WORD) + " bytes");
        }
    }
    if (in_quotes) {
        fail(FileProblem::Kind::bad_layout, number, "a quote that is not closed on its line");
    }
    if (!quoted_field) {
        fields.back().text = std::string(trimmed(fields.back().text));
    }
    return fields;
}

// The next line that holds more than white space, as fields.
std::optional<DelimitedReader::Line> DelimitedReader::next_line() {
    for (;;) {
        const std::optional<std::string_view> line = text_.line_at(0, LONGEST_LINE);
        if (!line) {
            return std::nullopt;
        }
        const std::int64_t number = text_.line();
        if (line->size() > LONGEST_LINE) {
            fail(FileProblem::Kind::bad_layout, number, "a line longer than any row");
        }
        if (line->find_first_not_of(" \t\r\v\f") == std::string_view::npos) {
            text_.consume(std::min(line->size() + 1, text_.text().size()));
            continue;
        }
        if (delimiter_ == 0) {
            delimiter_ = line->find(',') != std::string_view::npos ? ',' : ';';
        }
        Line parsed{number, fields_of(*line, number)};
        text_.consume(std::min(line->size() + 1, text_.text().size()));
        return parsed;
    }
}

std::optional<std::int32_t> DelimitedReader::next_leaf_count() {
    if (read_) {
        if (const std::optional<Line> more = next_line()) {
            fail(FileProblem::Kind::bad_layout, more->number,
                 "found " + quoted(more->fields.front().text) + ", expected the end of the file: one matrix per file");
        }
        return std::nullopt;
    }
    read_ = true;
    std::optional<Line> first = next_line();
    if (!first) {
        fail(FileProblem::Kind::bad_count, text_.line(), "the file is empty, expected a matrix");
    }
    // A header names the leaves: some field after the first is no number.
    const bool header = std::any_of(first->fields.begin() + 1, first->fields.end(),
                                    [](const Field& field) { return field.is_name(); }) ||
                        (first->fields.size() == 1 && first->fields.front().is_name());
    if (header) {
        first_row_ = next_line();
        if (!first_row_) {
            fail(FileProblem::Kind::ended, text_.line(), "the file ends after its header, expected the rows");
        }
        const std::size_t row_fields = first_row_->fields.size();
        if (row_fields == first->fields.size()) { // a corner field before the names
            first->fields.erase(first->fields.begin());
        } else if (row_fields != first->fields.size() + 1) {
            fail(FileProblem::Kind::bad_layout, first_row_->number,
                 "found " + std::to_string(row_fields) + " fields, expected " + std::to_string(first->fields.size() + 1) +
                     ": a name and a number for each name of the header");
        }
        for (Field& field : first->fields) {
            header_.push_back(std::move(field.text));
        }
    } else {
        first_row_ = std::move(first);
    }
    const bool named_rows = first_row_->fields.front().is_name();
    const std::size_t n = header ? header_.size() : first_row_->fields.size() - (named_rows ? 1 : 0);
    if (n < 2 || n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        fail(FileProblem::Kind::bad_count, first_row_->number,
             "found " + std::to_string(n) + " leaves, expected at least 2");
    }
    n_ = static_cast<std::int32_t>(n);
    return n_;
}

void DelimitedReader::read(DistanceMatrix& matrix, std::vector<std::string>& names) {
    names = header_;
    std::map<std::string, std::int32_t> place; // where a named row goes
    for (std::size_t k = 0; k < header_.size(); ++k) {
        if (!place.emplace(header_[k], static_cast<std::int32_t>(k) + 1).second) {
            fail(FileProblem::Kind::bad_layout, 1, "the name " + quoted(header_[k]) + " is in the header twice");
        }
    }
    const bool named_rows = first_row_->fields.front().is_name();
    std::vector<bool> seen(static_cast<std::size_t>(n_) + 1, false);
    for (std::int32_t row = 1; row <= n_; ++row) {
        std::optional<Line> line = row == 1 ? std::move(first_row_) : next_line();
        if (!line) {
            fail(FileProblem::Kind::ended, text_.line(),
                 ends_after_rows_text(row - 1, n_));
        }
        const std::size_t expected = static_cast<std::size_t>(n_) + (named_rows ? 1 : 0);
        if (line->fields.size() != expected) {
            fail(FileProblem::Kind::bad_layout, line->number,
                 "found " + std::to_string(line->fields.size()) + " fields, expected " + std::to_string(expected));
        }
        std::int32_t at = row;
        if (named_rows) {
            const std::string& name = line->fields.front().text;
            if (header_.empty()) {
                names.push_back(name);
            } else if (const auto found = place.find(name); found != place.end()) {
                at = found->second;
            } else {
                fail(FileProblem::Kind::bad_layout, line->number, "the row name " + quoted(name) + " is not in the header");
            }
            if (seen[static_cast<std::size_t>(at)]) {
                fail(FileProblem::Kind::bad_layout, line->number, "a second row for " + quoted(name));
            }
            seen[static_cast<std::size_t>(at)] = true;
        }
        for (std::int32_t column = 1; column <= n_; ++column) {
            const std::string& field = line->fields[static_cast<std::size_t>(column) - (named_rows ? 0 : 1)].text;
            double value = 0.0;
            if (parse_real(field.data(), field.data() + field.size(), value).ec != std::errc{}) {
                throw FileProblem{FileProblem::Kind::bad_entry, line->number,
                                  "found " + quoted(field) + ", expected a decimal number", at, column};
            }
            matrix.at(at, column) = value;
        }
    }
    for (std::int32_t i = 0; i <= n_; ++i) {
        matrix.at(i, i) = 0.0;
    }
}

} // namespace rf
