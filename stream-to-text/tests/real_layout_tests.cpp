#include "conversion_fixture.hpp"
#include "test_files.hpp"

#include <gtest/gtest.h>

namespace {

// Layouts written by other tools, each against its checked text form.
class RealLayout : public ::testing::TestWithParam<const char*> {};

TEST_P(RealLayout, ConvertsToItsCheckedText)
{
    std::string name = GetParam();
    auto c = Pelk::brenmo::testing::convertFile(std::string(PELK_FIXTURES_DIR) + "/" + name + ".gds");
    EXPECT_TRUE(c.matched);
    EXPECT_EQ(c.thrown, "");
    EXPECT_EQ(c.console, "");
    EXPECT_EQ(c.text, Pelk::testing::readWholeFile(std::string(BRENMO_EXPECTED_DIR) + "/" + name + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealLayout,
                         ::testing::Values("gf180_osu_sc_gp12t3v3__fill_1", "gf180mcu_as_sc_mcu7t3v3",
                                           "ihp_sg13g2_stdcell", "openram_freepdk45_dff"));

} // namespace
