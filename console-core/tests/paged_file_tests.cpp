#include "pelk/paged_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Pelk::core::PagedFile;

std::string writeFile(const std::string& name, std::size_t size)
{
    auto path = (std::filesystem::temp_directory_path() / ("paged_" + name)).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; i < size; ++i)
        out.put(static_cast<char>(i * 7 + 3));
    return path;
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
    PagedFile file(writeFile("empty", 0));
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(file.validBytes(), 0);
    EXPECT_EQ(thrownText([&] { file.byteAt(0); }), "file seek error");
}

TEST(PagedFile, LastByteReadsAndTheOneAfterItIsASeekError)
{
    PagedFile file(writeFile("small", 100));
    EXPECT_EQ(file.byteAt(99), static_cast<std::uint8_t>(99 * 7 + 3));
    EXPECT_EQ(thrownText([&] { file.byteAt(100); }), "file seek error");
    EXPECT_EQ(thrownText([&] { file.byteAt(1000000); }), "file seek error");
}

TEST(PagedFile, WindowMovesToStartAtTheRequestedPosition)
{
    PagedFile file(writeFile("window", 100000));
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
    auto path = writeFile("growing", 70000);
    PagedFile file(path);
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(1000, 'x');
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
    auto path = (std::filesystem::temp_directory_path() / "paged_sparse").string();
    const std::int64_t far = (std::int64_t{5} << 30) + 12345;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.seekp(far);
        out.put('Z');
        out.put('!');
    }
    {
        PagedFile file(path);
        EXPECT_EQ(file.size(), far + 2);
        EXPECT_EQ(file.byteAt(far), 'Z');
        EXPECT_EQ(file.start(), far);
        EXPECT_EQ(file.byteAt(far + 1), '!');
        EXPECT_EQ(file.byteAt(far - 1), 0);
    }
    std::filesystem::remove(path);
}

TEST(PagedFile, WithoutTheFileLibraryTheOpenFailsAndSaysWhy)
{
    auto missing = Pelk::core::bindFileLibrary("libzemrith-not-there.so");
    EXPECT_FALSE(missing.complete());
    auto path = writeFile("nolib", 10);
    testing::internal::CaptureStderr();
    EXPECT_EQ(thrownText([&] { PagedFile file(path, missing); }), "Can't open file");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error\nFailed to load libzemrith.so\nReinstall software\n");
}

} // namespace
