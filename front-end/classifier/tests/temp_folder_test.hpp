// A test fixture with a fresh folder of its own for the files a test writes.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

class TempFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path()
              / ("vesk_" + std::string(test->test_suite_name()) + "_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
    int count = 0;
};
