#include "pelk/paged_file.hpp"
#include "refused_helper_buffers.hpp"
#include "test_files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Pelk::core::PagedFile;
using Pelk::testing::TemporaryFile;

// A file whose byte at i is i * 7 + 3, so that every byte read tells where it was read.
TemporaryFile patterned(const std::string& name, std::size_t size)
{
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>(i * 7 + 3));
    return TemporaryFile("paged_" + name, bytes);
}

std::string thrownText(auto&& f)
{
    try {
        f();
    } catch (const char* text) {
        return text;
    }
    return "nothing thrown";
}

TEST(PagedFile, EmptyFileOpensButHasNoFirstByte)
{
    TemporaryFile input = patterned("empty", 0);
    PagedFile file(input.path());
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(file.validBytes(), 0);
    EXPECT_EQ(thrownText([&] { file.byteAt(0); }), "file seek error");
}

TEST(PagedFile, LastByteReadsAndTheOneAfterItIsASeekError)
{
    TemporaryFile input = patterned("small", 100);
    PagedFile file(input.path());
    EXPECT_EQ(file.byteAt(99), static_cast<std::uint8_t>(99 * 7 + 3));
    EXPECT_EQ(thrownText([&] { file.byteAt(100); }), "file seek error");
    EXPECT_EQ(thrownText([&] { file.byteAt(1000000); }), "file seek error");
}

TEST(PagedFile, WindowMovesToStartAtTheRequestedPosition)
{
    TemporaryFile input = patterned("window", 100000);
    PagedFile file(input.path());
    EXPECT_EQ(file.start(), 0);
    EXPECT_EQ(file.validBytes(), 65536);
    EXPECT_EQ(file.windowOffset(65536), 0);
    EXPECT_EQ(file.start(), 65536);
    EXPECT_EQ(file.validBytes(), 34464);
    EXPECT_EQ(file.byteAt(99999), static_cast<std::uint8_t>(99999 * 7 + 3));
    EXPECT_EQ(file.windowOffset(10), 0);
    EXPECT_EQ(file.start(), 10);
    EXPECT_EQ(file.byteAt(11), static_cast<std::uint8_t>(11 * 7 + 3));
}

TEST(PagedFile, BytesAFileGainsAfterTheOpenAreNeverRead)
{
    TemporaryFile input = patterned("growing", 70000);
    PagedFile file(input.path());
    std::ofstream(input.path(), std::ios::binary | std::ios::app) << std::string(1000, 'x');
    EXPECT_EQ(file.windowOffset(69999), 0);
    EXPECT_EQ(file.validBytes(), 1);
    EXPECT_EQ(file.peek(69999, 2), nullptr);
    EXPECT_EQ(file.bytesFrom(69999).size(), 1u);
    EXPECT_EQ(thrownText([&] { file.byteAt(70000); }), "file seek error");
}

// Walks a file of several chunks every way, each walk through a file of its own.
void expectEveryWalkSeesEachByte(const char* mode)
{
    const std::int64_t size = 3 * 1024 * 1024 + 12345;
    TemporaryFile input = patterned("walks", static_cast<std::size_t>(size));
    auto expected = [](std::int64_t i) { return static_cast<std::uint8_t>(i * 7 + 3); };
    struct Walk {
        const char* name;
        std::int64_t step;
        std::int64_t back;
    };
    // Forward by one byte, by an odd stride, by records that are read back a
    // few bytes at a window edge, and by jumps back past what is kept.
    for (Walk walk : {Walk{"bytes", 1, 0}, Walk{"stride", 4099, 0}, Walk{"headers", 44, 3}, Walk{"jumps", 700001, 1500000}}) {
        PagedFile file(input.path());
        std::int64_t mismatches = 0;
        for (std::int64_t i = 0; i < size; i += walk.step) {
            mismatches += file.byteAt(i) != expected(i);
            if (walk.back != 0 && i >= walk.back)
                mismatches += file.byteAt(i - walk.back) != expected(i - walk.back);
            if (auto bytes = file.bytesFrom(i); bytes.back() != expected(i + static_cast<std::int64_t>(bytes.size()) - 1))
                ++mismatches;
            if (file.validBytes() != std::min<std::int64_t>(65536, size - file.start()))
                ++mismatches;
        }
        EXPECT_EQ(mismatches, 0) << walk.name << ", " << mode;
        EXPECT_EQ(thrownText([&] { file.byteAt(size); }), "file seek error") << walk.name;
    }
}

// Past the first window the file is read ahead in larger chunks, or, where
// the read-ahead's buffers cannot be had, read in place; every way of
// walking it must still see each byte where it lies.
TEST(PagedFile, EveryWalkSeesEachByteWhereItLies)
{
    expectEveryWalkSeesEachByte("read ahead");
    Pelk::testing::RefusedHelperBuffers refusal;
    expectEveryWalkSeesEachByte("read in place");
    // One ring asked for by each file opened.
    EXPECT_EQ(refusal.refused(), 4);
}

// Bytes read through the file library, counted by a binding that forwards
// every read to the real one.
std::atomic<std::int64_t> bytesRead{0};

Pelk::core::FileLibrary countingLibrary()
{
    Pelk::core::FileLibrary counting = Pelk::core::fileLibrary();
    counting.pelk_read = [](int handle, void* buffer, int count) {
        const int n = Pelk::core::fileLibrary().pelk_read(handle, buffer, count);
        bytesRead += std::max(n, 0);
        return n;
    };
    return counting;
}

// A record header across the first window's edge is read from both sides of
// it; the chunk holding the first window must still be there for it.
TEST(PagedFile, AHeaderAcrossTheFirstWindowsEdgeIsReadOnce)
{
    const std::int64_t size = 1024 * 1024 + 12345;
    TemporaryFile input = patterned("edge", static_cast<std::size_t>(size));
    const Pelk::core::FileLibrary counting = countingLibrary();
    bytesRead = 0;
    {
        PagedFile file(input.path(), counting);
        std::int64_t mismatches = 0;
        for (std::int64_t i : {65534, 65536, 65534, 65537})
            mismatches += file.byteAt(i) != static_cast<std::uint8_t>(i * 7 + 3);
        for (std::int64_t i = 65536; i < size; i += 1000)
            mismatches += file.byteAt(i) != static_cast<std::uint8_t>(i * 7 + 3);
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_EQ(bytesRead, size);
}

// A file cut short after the open fails with a read error where its bytes
// end, however far ahead it was being read. The cut lies past the chunks the
// reader may fill at the open, before the file is cut, which it may serve.
TEST(PagedFile, AFileCutShortAfterTheOpenFailsWhereItsBytesEnd)
{
    const std::int64_t size = 4 * 1024 * 1024;
    const std::int64_t cut = 2000003;
    TemporaryFile input = patterned("cut", static_cast<std::size_t>(size));
    PagedFile file(input.path());
    std::filesystem::resize_file(input.path(), static_cast<std::uintmax_t>(cut));
    for (std::int64_t i = 0; i < cut; i += 1000)
        ASSERT_EQ(file.byteAt(i), static_cast<std::uint8_t>(i * 7 + 3)) << i;
    EXPECT_EQ(file.byteAt(cut - 1), static_cast<std::uint8_t>((cut - 1) * 7 + 3));
    EXPECT_EQ(thrownText([&] { file.byteAt(cut); }), "file read error");
    EXPECT_EQ(thrownText([&] { file.byteAt(cut + 70000); }), "file read error");
    EXPECT_EQ(file.byteAt(10), static_cast<std::uint8_t>(10 * 7 + 3));
}

TEST(PagedFile, MissingFileCannotBeOpened)
{
    EXPECT_EQ(thrownText([] { PagedFile file("/nonexistent/dir/x.gds"); }), "Can't open file");
}

TEST(PagedFile, OffsetsBeyondFourGigabytesReadTheRightBytes)
{
    TemporaryFile sparse("paged_sparse");
    const std::int64_t far = (std::int64_t{5} << 30) + 12345;
    {
        std::ofstream out(sparse.path(), std::ios::binary | std::ios::trunc);
        out.seekp(far);
        out.put('Z');
        out.put('!');
    }
    PagedFile file(sparse.path());
    EXPECT_EQ(file.size(), far + 2);
    EXPECT_EQ(file.byteAt(far), 'Z');
    EXPECT_EQ(file.start(), far);
    EXPECT_EQ(file.byteAt(far + 1), '!');
    EXPECT_EQ(file.byteAt(far - 1), 0);
}

TEST(PagedFile, WithoutTheFileLibraryTheOpenFailsAndSaysWhy)
{
    auto missing = Pelk::core::bindFileLibrary("libzemrith-not-there.so");
    EXPECT_FALSE(missing.complete());
    TemporaryFile input = patterned("nolib", 10);
    testing::internal::CaptureStderr();
    EXPECT_EQ(thrownText([&] { PagedFile file(input.path(), missing); }), "Can't open file");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error\nFailed to load libzemrith.so\nReinstall software\n");
}

} // namespace
