// Reports of real layouts written by other tools, checked against reports
// kept beside the tests; and the installed program run as a process.
#include "dressil_run.hpp"

#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>


extern char** environ;

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

// Runs the built program with its output streams sent to files.
struct ProcessRun {
    int status;
    std::string console;
    std::string errors;
};

ProcessRun runProgram(const std::vector<std::string>& arguments)
{
    TemporaryFile console("console.txt");
    TemporaryFile errors("errors.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, console.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errors.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(DRESSIL_PROGRAM)};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, DRESSIL_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {-1, "", "cannot start " DRESSIL_PROGRAM};
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, readFile(console.path()), readFile(errors.path())};
}

TEST(DressilProgram, RunsAsAProcessWithItsExitStatuses)
{
    ProcessRun report = runProgram({layoutPath("ihp_sg13g2_stdcell")});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, Pelk::core::buildBanner("DRESSIL") + "\n");
    EXPECT_EQ(report.console, checkedReport("ihp_sg13g2_stdcell"));

    ProcessRun noArguments = runProgram({});
    EXPECT_EQ(noArguments.status, 2);
    EXPECT_EQ(noArguments.console, "");

    TemporaryFile missing("missing.gds");
    ProcessRun noInput = runProgram({"-q", missing.path()});
    EXPECT_EQ(noInput.status, 1);
    EXPECT_EQ(noInput.console, "");
    EXPECT_EQ(noInput.errors, "\nERROR[10004] \tCannot open gds file: " + missing.path() + "\n");
}

} // namespace
