// An open C stream that closes itself: every way out of a run closes its
// files, so lines written before a stop are kept.
#pragma once

#include <cstdio>
#include <memory>

namespace rf {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

} // namespace rf
