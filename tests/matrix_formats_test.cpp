// Matrices as other programs write them, built here by those programs'
// conventions, read back through the library: PHYLIP (strict and relaxed
// names, rows wrapped, lower and upper triangles, CR LF, many data sets,
// names in another order), CSV and TSV (quoted names, a corner field or
// none, numbers alone). Each must give the numbers it was written from, its
// leaves in the first matrix's order of names; bad files end with a message
// that names the file, the line, what was found and what was expected.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <functional>
#include <random>

#include "random_tree.hpp"
#include "rf_compare/rf_compare.hpp"
#include "run_binary.hpp"

namespace rf::testing {
namespace {

namespace fs = std::filesystem;

// A tree's path lengths with its leaves' names, row by row.
struct Named {
    std::vector<std::string> names;
    std::vector<double> cells; // n * n
    [[nodiscard]] std::size_t n() const { return names.size(); }
    [[nodiscard]] double at(std::size_t i, std::size_t j) const { return cells[i * n() + j]; }
};

Named random_named(std::int32_t n, std::mt19937_64& rng, const std::vector<std::string>& names) {
    const DistanceMatrix d = tools::path_length_matrix(tools::make_random_tree(n, tools::TreeShape::multifurcating, rng, 0.05, 2.0));
    Named matrix{names, {}};
    for (std::int32_t i = 1; i <= n; ++i) {
        for (std::int32_t j = 1; j <= n; ++j) {
            matrix.cells.push_back(i < j ? d.at(i, j) : d.at(j, i)); // symmetric to the last bit, as a triangle reads
        }
    }
    return matrix;
}

// The same leaves in another order.
Named permuted(const Named& matrix, const std::vector<std::size_t>& order) {
    Named moved{{}, {}};
    for (const std::size_t i : order) {
        moved.names.push_back(matrix.names[i]);
        for (const std::size_t j : order) {
            moved.cells.push_back(matrix.at(i, j));
        }
    }
    return moved;
}

// Every double with 17 significant digits: read back exactly.
std::string number(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17).ptr};
}

struct Style {
    bool strict = false;   // names padded to ten characters, numbers right after
    bool glued = false;    // no blank between a ten-character name and the first number
    std::size_t wrap = 0;  // numbers per line, 0: a row on one line
    enum Layout { square, lower, lower_with_diagonal, upper } layout = square;
    const char* line_end = "\n";
};

// One PHYLIP data set, written as the PHYLIP programs write it.
std::string phylip(const Named& matrix, const Style& style) {
    const std::size_t n = matrix.n();
    std::string text = "    " + std::to_string(n) + style.line_end;
    for (std::size_t i = 0; i < n; ++i) {
        std::string name = matrix.names[i];
        if (style.strict) {
            name.resize(10, ' ');
        }
        text += name;
        std::size_t first = 0;
        std::size_t last = n;
        if (style.layout == Style::lower) {
            last = i;
        } else if (style.layout == Style::lower_with_diagonal) {
            last = i + 1;
        } else if (style.layout == Style::upper) {
            first = i + 1;
        }
        for (std::size_t j = first, written = 0; j < last; ++j, ++written) {
            if (style.wrap != 0 && written != 0 && written % style.wrap == 0) {
                text += std::string(style.line_end) + "  ";
            }
            text.append(style.glued && written == 0 ? "" : " ").append(number(matrix.at(i, j)));
        }
        text += style.line_end;
    }
    return text;
}

// R's write.csv and write.table: a header of names (after an empty corner
// field, or not), rows starting with their name.
std::string delimited(const Named& matrix, char delimiter, bool quote, bool corner, bool names) {
    const auto label = [quote](const std::string& name) {
        std::string text(quote ? "\"" : "");
        return text.append(name).append(quote ? "\"" : "");
    };
    std::string text;
    if (names) {
        text += corner ? label("") + delimiter : "";
        for (std::size_t j = 0; j < matrix.n(); ++j) {
            text += label(matrix.names[j]) + (j + 1 < matrix.n() ? std::string(1, delimiter) : "\n");
        }
    }
    for (std::size_t i = 0; i < matrix.n(); ++i) {
        text += names ? label(matrix.names[i]) + delimiter : "";
        for (std::size_t j = 0; j < matrix.n(); ++j) {
            text += number(matrix.at(i, j)) + (j + 1 < matrix.n() ? std::string(1, delimiter) : "\n");
        }
    }
    return text;
}

struct Read {
    std::vector<std::string> names;
    std::vector<std::vector<double>> matrices;
};

Read read_all(const std::vector<fs::path>& files, rf_compare::FileFormat format) {
    std::vector<std::string> paths;
    for (const fs::path& file : files) {
        paths.push_back(file.string());
    }
    rf_compare::MatrixReader reader(paths, {std::nullopt, format, {}, 1});
    Read read;
    const auto n = static_cast<std::size_t>(reader.leaf_count());
    for (std::vector<double> cells(n * n); reader.read_next(cells);) {
        read.matrices.push_back(cells);
    }
    read.names = reader.names();
    return read;
}

// The numbers of `expected`, its leaves in the order of `names`.
void expect_same(const std::vector<double>& cells, const std::vector<std::string>& names, const Named& expected) {
    const std::size_t n = expected.n();
    ASSERT_EQ(cells.size(), n * n);
    std::vector<std::size_t> place(n);
    for (std::size_t k = 0; k < n; ++k) {
        place[k] = static_cast<std::size_t>(std::find(expected.names.begin(), expected.names.end(), names[k]) - expected.names.begin());
        ASSERT_LT(place[k], n) << names[k];
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            EXPECT_EQ(cells[i * n + j], i == j ? 0.0 : expected.at(place[i], place[j])) << i << ", " << j;
        }
    }
}

TEST(MatrixFormats, OtherProgramsFilesGiveTheirNumbers) {
    std::mt19937_64 rng(2212);
    const std::vector<std::string> names = {"Homo sap", "Pan_trog", "Gorilla", "Pongo pyg", "Hylobates",
                                            "Macaca", "Papio", "Colobus", "Saimiri", "Aotus"};
    const std::vector<std::string> long_names = {"Homo_sapiens_neanderthalensis", "Pan", "G", "Pongo_abelii_X",
                                                 "Hylobates_lar", "Macaca_mulatta_1", "Papio_anubis", "C_guereza",
                                                 "Saimiri_sciureus", "Aotus_trivirgatus"};
    const std::vector<std::string> ten = {"Aaaaaaaaaa", "Bbbbbbbbbb", "Cccccccccc", "Dddddddddd", "Eeeeeeeeee",
                                          "Ffffffffff", "Gggggggggg", "Hhhhhhhhhh", "Iiiiiiiiii", "Jjjjjjjjjj"};
    const Named first = random_named(10, rng, names);
    const Named second = random_named(10, rng, names);
    const Named third = random_named(10, rng, names);
    const Named relaxed = random_named(10, rng, long_names);
    const Named glued = random_named(10, rng, ten);
    const std::vector<std::size_t> shuffled = {3, 0, 9, 1, 8, 2, 7, 4, 6, 5};
    const fs::path folder = fresh_folder();
    struct Case {
        const char* name;
        std::string text;
        std::vector<const Named*> matrices; // in the file's order of names where they come permuted
        bool permuted_second = false;
        rf_compare::FileFormat format = rf_compare::FileFormat::automatic;
    };
    const std::vector<Case> cases = {
        {"strict names with blanks", phylip(first, {.strict = true}), {&first}},
        {"relaxed names, wrapped rows", phylip(relaxed, {.wrap = 7}), {&relaxed}},
        {"strict names glued to the numbers", phylip(glued, {.strict = true, .glued = true}), {&glued}},
        {"lower triangle", phylip(first, {.strict = true, .layout = Style::lower}), {&first}},
        {"lower triangle with the diagonal", phylip(first, {.strict = true, .layout = Style::lower_with_diagonal}), {&first}},
        {"upper triangle, wrapped", phylip(relaxed, {.wrap = 4, .layout = Style::upper}), {&relaxed}},
        {"CR LF", phylip(first, {.strict = true, .wrap = 3, .line_end = "\r\n"}), {&first}},
        {"three data sets, the second's leaves in another order",
         phylip(first, {.strict = true}) + "\n" + phylip(permuted(second, shuffled), {.strict = true}) +
             phylip(third, {.strict = true}),
         {&first, &second, &third}, true},
        {"write.csv", delimited(first, ',', true, true, true), {&first}},
        {"write.csv2", delimited(first, ';', true, true, true), {&first}},
        {"write.table with tabs", delimited(relaxed, '\t', false, false, true), {&relaxed}, false,
         rf_compare::FileFormat::tsv},
        {"tabs, found by themselves", delimited(relaxed, '\t', false, false, true), {&relaxed}},
        {"a corner named, names unquoted", delimited(first, ',', false, true, true), {&first}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(folder / "in.txt", c.text);
        const Read read = read_all({folder / "in.txt"}, c.format);
        ASSERT_EQ(read.matrices.size(), c.matrices.size());
        for (std::size_t k = 0; k < read.matrices.size(); ++k) {
            expect_same(read.matrices[k], read.names, *c.matrices[k]);
        }
        EXPECT_EQ(read.names, c.matrices.front()->names);
    }
    // Numbers alone: no names; and CSV files one after another, each its own matrix.
    write_file(folder / "a.csv", delimited(first, ',', false, false, false));
    const Read plain = read_all({folder / "a.csv"}, rf_compare::FileFormat::automatic);
    EXPECT_TRUE(plain.names.empty());
    expect_same(plain.matrices.front(), names, first);
    write_file(folder / "b.csv", delimited(permuted(second, shuffled), ',', true, true, true));
    write_file(folder / "c.csv", delimited(first, ',', true, true, true));
    const Read many = read_all({folder / "c.csv", folder / "b.csv"}, rf_compare::FileFormat::csv);
    ASSERT_EQ(many.matrices.size(), 2U);
    expect_same(many.matrices[0], many.names, first);
    expect_same(many.matrices[1], many.names, second);
    fs::remove_all(folder);
}

TEST(MatrixFormats, BadFilesSayWhereAndWhat) {
    const fs::path folder = fresh_folder();
    const std::string path = (folder / "in.txt").string();
    struct Case {
        const char* name;
        std::string text;
        std::string message; // after "PATH"
        rf_compare::FileFormat format = rf_compare::FileFormat::automatic;
    };
    const std::vector<Case> cases = {
        {"PHYLIP: a row too short", "3\na 0 1 2\nb 1 0\nc 2 2 0\n",
         ", line 3: matrix 1: expected 3 numbers after the name b, found 2"},
        {"PHYLIP: a row too long", "3\na 0 1 2\nb 1 0 3 4\nc 2 3 0\n",
         ", line 3: matrix 1: found \"4\" after the numbers of b, expected the end of its row"},
        {"PHYLIP: a wrapped row too short", "3\nalpha 0 1\n 2\nbeta 1 0\ngamma 2 3 0\n",
         ", line 4: matrix 1: expected 3 numbers after the name beta, found 2 before \"gamma\""},
        {"PHYLIP: a word that is no number", "3\na 0 1 2\nb 1 0 x\nc 2 3 0\n",
         ", line 3: Bad entry in matrix 1, row 2, column 3: found \"x\" in the row of b, expected a decimal number"},
        {"PHYLIP: the file ends in a data set", "3\na 0 1 2\nb 1 0 3\n",
         ", line 4: Bad matrix number: the file ends after 2 rows, expected 3 (matrix 1)"},
        {"PHYLIP: a second data set of other names", "2\na 0 1\nb 1 0\n2\na 0 1\nc 1 0\n",
         ": matrix 2 has no leaf named \"b\", which the first matrix has"},
        {"PHYLIP: a name twice", "2\na 0 1\na 1 0\n", ": matrix 1 has the name \"a\" twice"},
        {"PHYLIP: the count not alone", "3 3\na 0 1 2\n", ", line 1: Bad number of objects: found \"3 3\", expected the "
                                                          "number of leaves, at least 2, alone on its line",
         rf_compare::FileFormat::phylip},
        {"CSV: a row too short", "\"\",a,b,c\na,0,1,2\nb,1,0\nc,2,3,0\n", ", line 3: matrix 1: found 3 fields, expected 4"},
        {"CSV: a row name not in the header", "\"\",a,b\na,0,1\nc,1,0\n",
         ", line 3: matrix 1: the row name \"c\" is not in the header"},
        {"CSV: NA", "\"\",\"a\",\"b\"\n\"a\",0,NA\n\"b\",1,0\n",
         ", line 2: Bad entry in matrix 1, row 1, column 2: found \"NA\", expected a decimal number"},
        {"CSV: a second matrix in the file", "\"\",a,b\na,0,1\nb,1,0\nc,1,0\n",
         ", line 4: matrix 2: found \"c\", expected the end of the file: one matrix per file"},
        {"neither a count nor names", "hello world\n", ", line 1: Bad number of objects: found \"hello world\", expected "
                                                       "a number of leaves, or a header row of names (--format names the format)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(folder / "in.txt", c.text);
        try {
            read_all({folder / "in.txt"}, c.format);
            ADD_FAILURE() << "read";
        } catch (const rf_compare::Error& e) {
            EXPECT_EQ(e.what(), path + c.message);
        }
    }
    fs::remove_all(folder);
}

} // namespace
} // namespace rf::testing
