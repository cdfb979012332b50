// The programs' own format as one of the formats with names: n once, then
// matrices of n-by-n numbers and no names, read by the threaded reader. The
// file may end after any whole matrix. A bad word is reported with the
// matrix's row and column; its line is found by locate_word() when asked.
#pragma once

#include "matrix_file.hpp"
#include "named_matrix_reader.hpp"

namespace rf {

class RfFormatReader final : public NamedMatrixReader {
public:
    RfFormatReader(InputFile file, const ReaderSettings& reading) : file_(std::move(file), reading) {}

    [[nodiscard]] std::optional<std::int32_t> next_leaf_count() override;
    void read(DistanceMatrix& matrix, std::vector<std::string>& names) override;
    void stop_after(std::int64_t count) override { file_.set_matrix_limit(count); }

    // Only white space is left: no matrix follows.
    [[nodiscard]] bool at_end() { return file_.input_ended(); }

private:
    MatrixFile file_;
    std::int32_t n_ = 0;
};

} // namespace rf
