#include "pelk/paged_file.hpp"
#include "test_files.hpp"

#include <gtest/gtest.h>

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
