// Arrays and read buffers on both sides of the size where they get their
// own huge-page mapping: zeroed ones read zero even where memory of the
// size was just written and freed, every byte is usable, and a buffer that
// grows across the size keeps the bytes it was asked to keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "byte_buffer.hpp"
#include "heap_array.hpp"

namespace rf::testing {
namespace {

constexpr std::size_t MIB = std::size_t{1} << 20;

TEST(LargeArrays, ZeroedWhereAskedAndUsableToTheLastElement) {
    for (const std::size_t bytes : {std::size_t{64}, MIB / 2 - 8, MIB / 2, 2 * MIB + 8, 24 * MIB}) {
        const std::size_t count = bytes / sizeof(std::uint64_t);
        {
            HeapArray<std::uint64_t> dirty = allocate_array<std::uint64_t>(count, false);
            std::fill(dirty.get(), dirty.get() + count, ~std::uint64_t{0});
        }
        const HeapArray<std::uint64_t> clean = allocate_array<std::uint64_t>(count, true);
        EXPECT_TRUE(std::all_of(clean.get(), clean.get() + count, [](std::uint64_t word) { return word == 0; }))
            << bytes << " bytes";
        clean[count - 1] = 7;
        EXPECT_EQ(clean[count - 1], 7U);
    }
}

TEST(LargeArrays, ABufferGrowingAcrossTheMappedSizeKeepsItsBytes) {
    ByteBuffer buffer(MIB / 4);
    std::fill(buffer.data(), buffer.data() + buffer.size(), 'a');
    buffer.grow(4 * MIB, 1000);
    ASSERT_EQ(buffer.size(), 4 * MIB);
    EXPECT_TRUE(std::all_of(buffer.data(), buffer.data() + 1000, [](char c) { return c == 'a'; }));
    buffer.data()[buffer.size() - 1] = 'z';
    ByteBuffer other(16);
    swap(buffer, other);
    EXPECT_EQ(other.size(), 4 * MIB);
    EXPECT_EQ(other[other.size() - 1], 'z');
    EXPECT_EQ(buffer.size(), 16U);
}

} // namespace
} // namespace rf::testing
