// A test fixture with a fresh folder of its own for the files a test writes.
#pragma once

#include "test_files.hpp"

#include <gtest/gtest.h>

#include <filesystem>

class TempFolderTest : public testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir); }

    Pelk::testing::TemporaryFile folder{"vesk_folder"};
    std::filesystem::path dir = folder.path();
    int count = 0;
};
