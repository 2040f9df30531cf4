// What the frame does around the work, checked the same way for all three
// console programs: paths that must not destroy or hang anything.
#include "program_runner.hpp"
#include "stream_builder.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Pelk::testing::readWholeFile;
using Pelk::testing::runProgram;

struct Program {
    const char* name;
    const char* path;
    int base;
    const char* cannotOpenInput;
    int cannotOpenNumber;
    int cannotCreateNumber;
};

void PrintTo(const Program& program, std::ostream* os) { *os << program.name; }

const Program programs[] = {
    {"brenmo", BRENMO_PATH, 20000, "Cannot open input file: ", 5, 6},
    {"calvio", CALVIO_PATH, 30000, "Cannot open input file: ", 5, 6},
    {"dressil", DRESSIL_PATH, 10000, "Cannot open gds file: ", 4, 5},
};

std::string numbered(int number, const std::string& message)
{
    char head[32];
    std::snprintf(head, sizeof head, "\nERROR[%05d] \t", number);
    return head + message + "\n";
}

class ProgramFrame : public ::testing::TestWithParam<Program> {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("frame_" + std::string(GetParam().name) + "_" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::string gds = (folder / "sample.gds").string();
        Pelk::testing::sampleLibrary().writeTo(gds);
        if (std::string(GetParam().name) == "calvio") {
            auto text = runProgram(BRENMO_PATH, {"-q", gds, (folder / "sample.txt").string()});
            ASSERT_EQ(text.status, 0);
            input = (folder / "sample.txt").string();
        } else {
            input = gds;
        }
        inputBytes = readWholeFile(input);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const std::string& name) const { return (folder / name).string(); }
    std::string cannotOpen(const std::string& p) const
    {
        return numbered(GetParam().base + GetParam().cannotOpenNumber, GetParam().cannotOpenInput + p);
    }
    std::string cannotCreate(const std::string& p) const
    {
        return numbered(GetParam().base + GetParam().cannotCreateNumber, "Cannot create output file: " + p);
    }

    fs::path folder;
    std::string input;
    std::string inputBytes;
};

TEST_P(ProgramFrame, AnOutputNamingTheInputLeavesItUntouched)
{
    std::string symlink = path("link");
    fs::create_symlink(input, symlink);
    std::string hardlink = path("hard");
    fs::create_hard_link(input, hardlink);
    for (const std::string& output : {input, symlink, hardlink}) {
        auto run = runProgram(GetParam().path, {"-q", input, output});
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_EQ(run.err, cannotCreate(output));
        EXPECT_EQ(readWholeFile(input), inputBytes) << output;
    }
    // Named the other way round, the link is the input.
    auto run = runProgram(GetParam().path, {"-q", symlink, input});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, cannotCreate(input));
    EXPECT_EQ(readWholeFile(input), inputBytes);
}

TEST_P(ProgramFrame, AnInputThatIsNotARegularFileIsRefusedAtOnce)
{
    std::string fifo = path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& source : {folder.string(), fifo, std::string("/dev/zero")}) {
        std::string output = path("out");
        auto run = runProgram(GetParam().path, {"-q", source, output});
        EXPECT_EQ(run.status, 1) << source;
        EXPECT_EQ(run.err, cannotOpen(source));
        EXPECT_FALSE(fs::exists(output)) << source;
    }
}

TEST_P(ProgramFrame, ABlankOfAnyKindStaysInsideItsPath)
{
    for (const std::string blank : {"\t", "\n", "\r", " "}) {
        // Split at the blank, the path would name a victim as the output.
        std::string victim = path("victim");
        std::ofstream(victim) << "keep";
        auto missing = runProgram(GetParam().path, {"-q", input + blank + victim, path("out")});
        EXPECT_EQ(missing.status, 1);
        EXPECT_EQ(missing.err, cannotOpen(input + blank + victim));
        EXPECT_EQ(readWholeFile(victim), "keep");

        std::string named = path("in" + blank + "put");
        fs::copy_file(input, named, fs::copy_options::overwrite_existing);
        std::string output = path("out" + blank + "put");
        auto run = runProgram(GetParam().path, {"-q", named, output});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(fs::exists(output));
    }
}

TEST_P(ProgramFrame, AnArgumentTheLineCannotCarryIsAnIncorrectCommandLine)
{
    const std::string incorrect = runProgram(GetParam().path, {}).err;
    for (const std::string argument : {"my \"file.gds", "a\t\"b", "", "\"a\"b"}) {
        std::string output = path("out");
        auto run = runProgram(GetParam().path, {argument, input, output});
        EXPECT_EQ(run.status, 2) << argument;
        EXPECT_EQ(run.err, incorrect);
        EXPECT_FALSE(fs::exists(output));
    }
}

INSTANTIATE_TEST_SUITE_P(ConsolePrograms, ProgramFrame, ::testing::ValuesIn(programs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
