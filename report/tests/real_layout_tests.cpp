// Reports of real layouts written by other tools, checked against reports
// kept beside the tests; and the installed program run as a process.
#include "dressil_run.hpp"
#include "program_runner.hpp"

#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Pelk::testing;

const char* const realLayouts[] = {
    "gf180_osu_sc_gp12t3v3__fill_1",
    "gf180mcu_as_sc_mcu7t3v3",
    "ihp_sg13g2_stdcell",
    "openram_freepdk45_dff",
};

std::string layoutPath(const std::string& name) { return std::string(PELK_FIXTURES_DIR) + "/" + name + ".gds"; }

TEST(RealLayouts, ReportsMatchTheCheckedReports)
{
    for (const char* name : realLayouts) {
        SCOPED_TRACE(name);
        std::string expected = checkedReport(name);
        ASSERT_FALSE(expected.empty());
        DressilRun run = runDressil({"-q", layoutPath(name)});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.errors, "");
        EXPECT_EQ(run.console, expected);
    }
}

ProgramRun runProgram(const std::vector<std::string>& arguments, int stackKilobytes = 0)
{
    return Pelk::testing::runProgram(DRESSIL_PROGRAM, arguments, stackKilobytes);
}

// Within the stack brenmo and calvio run in: the grammar's record nodes share
// one record buffer rather than each holding 32 KB in one flattened frame.
TEST(RealLayouts, ReportedWithinTheProgramStack)
{
    for (const char* name : realLayouts) {
        SCOPED_TRACE(name);
        ProgramRun run = runProgram({"-q", layoutPath(name)}, programStackKilobytes);
        EXPECT_EQ(run.status, 0) << "139 is a stack overflow within " << programStackKilobytes << " KB";
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, checkedReport(name));
    }
}

// Its failures as a process are checked with the other programs' in the frame suite.
TEST(DressilProgram, ReportsAsAProcess)
{
    ProgramRun report = runProgram({layoutPath("ihp_sg13g2_stdcell")});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.err, Pelk::core::buildBanner("DRESSIL") + "\n");
    EXPECT_EQ(report.out, checkedReport("ihp_sg13g2_stdcell"));
}

} // namespace
