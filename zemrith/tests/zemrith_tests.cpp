#include "../zemrith.h"
#include "test_files.hpp"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

// Stands in for the C library's write, so that a test can have the
// descriptor it names take no bytes at all.
namespace {
int refusingDescriptor = -1;
}

extern "C" ssize_t write(int fd, const void* buffer, size_t count)
{
    if (fd == refusingDescriptor)
        return 0;
    return syscall(SYS_write, fd, buffer, count);
}

namespace {

using Pelk::testing::TemporaryFile;

TEST(Zemrith, ReadsSeeksAndReportsSizeAndEnd)
{
    TemporaryFile file("zemrith_read", "abcdefghij");
    int h = pelk_open(file.path().c_str(), 0x8000, 0);
    ASSERT_GE(h, 1);
    EXPECT_EQ(pelk_seek(h, 0, 2), 10);
    EXPECT_EQ(pelk_seek(h, 3, 0), 3);
    char buf[16] = {};
    EXPECT_EQ(pelk_read(h, buf, 16), 7);
    EXPECT_EQ(std::string(buf), "defghij");
    EXPECT_EQ(pelk_read(h, buf, 16), 0);
    EXPECT_EQ(pelk_close(h), 0);
}

TEST(Zemrith, FailuresAreNegativeNeverValidHandles)
{
    EXPECT_LE(pelk_open("/nonexistent/dir/file", 0x8000, 0), 0);
    EXPECT_LE(pelk_open(nullptr, 0x8000, 0), 0);
    EXPECT_LT(pelk_seek(0, 0, 0), 0);
    EXPECT_LT(pelk_seek(5000, 0, 0), 0);
    char c;
    EXPECT_LT(pelk_read(-3, &c, 1), 0);
    EXPECT_LT(pelk_close(0), 0);
}

TEST(Zemrith, ReadOnlyModeCannotWrite)
{
    TemporaryFile file("zemrith_ro", "x");
    int h = pelk_open(file.path().c_str(), 0x8000, 0);
    ASSERT_GE(h, 1);
    EXPECT_LT(pelk_write(h, "y", 1), 0);
    pelk_close(h);
}

TEST(Zemrith, WritesAndCommits)
{
    TemporaryFile file("zemrith_write");
    int h = pelk_open(file.path().c_str(), 0, 0644);
    ASSERT_GE(h, 1);
    EXPECT_EQ(pelk_write(h, "hello", 5), 5);
    EXPECT_EQ(pelk_commit(h), 0);
    pelk_close(h);
    EXPECT_EQ(std::filesystem::file_size(file.path()), 5u);
}

TEST(Zemrith, AWriteThatTakesNothingIsAFailureNotALoop)
{
    TemporaryFile file("zemrith_write_nothing");
    int h = pelk_open(file.path().c_str(), 0, 0644);
    ASSERT_GE(h, 1);
    refusingDescriptor = h - 1;
    EXPECT_EQ(pelk_write(h, "hello", 5), -1);
    refusingDescriptor = -1;
    pelk_close(h);
}

} // namespace
