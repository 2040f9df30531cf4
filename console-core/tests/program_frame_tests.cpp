// What the frame does around the work, checked the same way for all three
// console programs: the command line, and paths that must not destroy or
// hang anything.
#include "program_runner.hpp"
#include "stream_builder.hpp"

#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Pelk::testing::readWholeFile;
using Pelk::testing::runProgram;
using Pelk::testing::TemporaryFile;

struct Program {
    const char* name;
    const char* path;
    const char* bannerName; // the tool's name as its banner spells it
    int base;
    const char* cannotOpenInput;
    int cannotOpenNumber;
    int cannotCreateNumber;
    int unknownNumber;
    // Everything after the banner when there are no arguments.
    const char* incorrectCommandLine;
    const char* usage;
    bool outputRequired;
};

void PrintTo(const Program& program, std::ostream* os) { *os << program.name; }

const char* const brenmoUsage = "\n\nUsage: brenmo [OPTIONS] <gds file> [<output file>]\n"
                                "\n   if <output file> is omitted the output is directed to the console"
                                "\n   ------------------------------------"
                                "\n\n   -h\t\t\tshow usage"
                                "\n   -q\t\t\tsuppress logo and information messages"
                                "\n   -cell = cellname\tconvert only cellname cell (default all)\n";
const char* const calvioUsage = "\n\nUsage: calvio [OPTIONS] <ascii file> <output file>\n"
                                "\n   ------------------------------------"
                                "\n\n   -h\t\t\tshow usage"
                                "\n   -q\t\t\tsuppress logo and information messages"
                                "\n   -cell=cellname\tconvert only cellname cell (default all)\n";
const char* const dressilUsage = "\n\nUsage: dressil [OPTIONS] <gds file> [<output file>]\n"
                                 "\n   ------------------------------------"
                                 "\n\n   -h\t\tshow usage"
                                 "\n   -q\t\tsuppress logo and information messages\n";

const Program programs[] = {
    {"brenmo", BRENMO_PATH, "brenmo", 20000, "Cannot open input file: ", 5, 6, 8,
     "\n\nERROR[20000] \tIncorrect command line arguments.\n", brenmoUsage, false},
    {"calvio", CALVIO_PATH, "calvio", 30000, "Cannot open input file: ", 5, 6, 8,
     "\n\nERROR[30000] \tIncorrect command line arguments.\n", calvioUsage, true},
    {"dressil", DRESSIL_PATH, "DRESSIL", 10000, "Cannot open gds file: ", 4, 5, 7,
     "\n\nERROR[10000] \tIncorrect command line arguments", dressilUsage, false},
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

    std::string banner() const { return Pelk::core::buildBanner(GetParam().bannerName); }
    std::string path(const std::string& name) const { return (folder / name).string(); }
    std::string cannotOpen(const std::string& p) const
    {
        return numbered(GetParam().base + GetParam().cannotOpenNumber, GetParam().cannotOpenInput + p);
    }
    std::string cannotCreate(const std::string& p) const
    {
        return numbered(GetParam().base + GetParam().cannotCreateNumber, "Cannot create output file: " + p);
    }

    TemporaryFile scratch{"frame"};
    fs::path folder = scratch.path();
    std::string input;
    std::string inputBytes;
};

TEST_P(ProgramFrame, NoArgumentsOrOptionsWithoutAnInputAreAnIncorrectCommandLine)
{
    for (auto args : {std::vector<std::string>{}, {"-q"}, {"-cell=TOP"}, {"-q", "-cell=", "TOP"}}) {
        auto run = runProgram(GetParam().path, args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, banner() + GetParam().incorrectCommandLine + GetParam().usage);
    }
}

TEST_P(ProgramFrame, HelpWinsOverEverythingAfterIt)
{
    for (auto args : {std::vector<std::string>{"-h"}, {"-h", "x"}, {"-help"}}) {
        auto run = runProgram(GetParam().path, args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, banner() + GetParam().usage);
    }
}

TEST_P(ProgramFrame, AnOutputThatCannotBeCreatedIsReported)
{
    for (const std::string& output : {std::string("/nonexistent/dir/out"), path("missing/out")}) {
        auto run = runProgram(GetParam().path, {"-q", input, output});
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, cannotCreate(output));
    }
}

TEST_P(ProgramFrame, AnOutputThatCannotBeWrittenIsAFailure)
{
    auto run = runProgram(GetParam().path, {"-q", input, "/dev/full"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              numbered(GetParam().base + GetParam().unknownNumber, "Unknown exception. No information available."));
}

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

// A missing file is no regular file either. Where the output may be left
// out, the input is refused the same way without one.
TEST_P(ProgramFrame, AnInputThatIsNotARegularFileIsRefusedAtOnce)
{
    std::string fifo = path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string extension = fs::path(input).extension().string();
    for (const std::string& source :
         {folder.string(), fifo, std::string("/dev/zero"), "/nonexistent/in" + extension, path("missing" + extension)}) {
        std::string output = path("out");
        auto run = runProgram(GetParam().path, {"-q", source, output});
        EXPECT_EQ(run.status, 1) << source;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, cannotOpen(source));
        EXPECT_FALSE(fs::exists(output)) << source;
        if (GetParam().outputRequired)
            continue;
        auto toConsole = runProgram(GetParam().path, {"-q", source});
        EXPECT_EQ(toConsole.status, 1) << source;
        EXPECT_EQ(toConsole.out, "");
        EXPECT_EQ(toConsole.err, cannotOpen(source));
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

// Three names are most often a shell pattern's: read as input and output,
// the first would be converted into the second and destroy it.
TEST_P(ProgramFrame, AWordAfterTheOutputPathIsAnIncorrectCommandLine)
{
    const std::string incorrect = runProgram(GetParam().path, {}).err;
    std::string victim = path("victim");
    std::ofstream(victim) << "keep";
    std::string output = path("out");
    for (auto args : {std::vector<std::string>{"-q", input, victim, "extra"},
                      {input, output, victim},
                      {"-cell=TOP", input, output, "two words"}}) {
        auto run = runProgram(GetParam().path, args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, incorrect);
        EXPECT_FALSE(fs::exists(output)) << args.back();
        EXPECT_EQ(readWholeFile(victim), "keep");
    }
}

// A closed standard descriptor would be handed to the output file, and the
// lines meant for the console would be written into it. One that is the
// input would destroy it: that run is refused before a byte reaches it.
TEST_P(ProgramFrame, StandardDescriptorsClosedOrOnAFileLeaveInputAndOutputAsTheyAre)
{
    auto runWith = [&](const std::string& redirection, std::vector<std::string> args) {
        args.insert(args.begin(), {"-c", "exec \"$0\" \"$@\" " + redirection, GetParam().path});
        return runProgram("/bin/sh", args);
    };
    // Its last record spoiled, the input fails to parse once the output is
    // open, and the failure line goes to standard output.
    std::string spoiled = path("spoiled" + fs::path(input).extension().string());
    std::string bytes = inputBytes;
    bytes[bytes.size() - 2] = 'X';
    std::ofstream(spoiled, std::ios::binary) << bytes;
    const std::string output = path("out");
    auto open = runProgram(GetParam().path, {spoiled, output});
    ASSERT_EQ(open.status, 1);
    ASSERT_NE(open.out, "");
    const std::string converted = readWholeFile(output);
    const std::string toConsole = GetParam().outputRequired ? "" : runProgram(GetParam().path, {spoiled}).out;
    ASSERT_EQ(GetParam().outputRequired, toConsole.empty());

    const std::string banner = this->banner() + "\n";
    const std::string refused = banner + cannotCreate("/dev/stdout");
    const std::string unknown =
        numbered(GetParam().base + GetParam().unknownNumber, "Unknown exception. No information available.");
    const std::string onInput = Pelk::testing::shellQuote(spoiled);
    const std::string other = path("other");
    struct Row {
        std::string redirection;
        bool outputNamed;
        std::string out; // captured, or in `other`
        std::string err;
        bool outputWritten;
    };
    const Row rows[] = {
        {"<&-", true, open.out, banner, true},
        {">&-", true, "", banner, true},
        {"2>&-", true, open.out, "", true},
        {"<&- >&- 2>&-", true, "", "", true},
        // The failure line would land in the input even with an output named.
        {"1<>" + onInput, true, "", refused, false},
        {"2>>" + onInput, true, "", "", false},
        {">" + other, true, open.out, banner, true},
        {"1<>" + onInput, false, "", refused, false},
        {">>" + onInput, false, "", refused, false},
        {"2>>" + onInput, false, "", "", false},
        {">" + other, false, toConsole, banner, false},
        // Nothing written to a closed standard output arrives: that stays a failure.
        {">&-", false, "", banner + unknown, false},
    };
    for (const Row& row : rows) {
        if (GetParam().outputRequired && !row.outputNamed)
            continue;
        // Each row starts from the same files, whatever the one before left.
        std::ofstream(spoiled, std::ios::binary | std::ios::trunc) << bytes;
        fs::remove(output);
        fs::remove(other);
        auto run = runWith(row.redirection, row.outputNamed ? std::vector<std::string>{spoiled, output}
                                                              : std::vector<std::string>{spoiled});
        const std::string what = row.redirection + (row.outputNamed ? " into a file" : "");
        EXPECT_EQ(run.status, 1) << what;
        EXPECT_EQ(run.out + readWholeFile(other), row.out) << what;
        EXPECT_EQ(run.err, row.err) << what;
        EXPECT_EQ(readWholeFile(spoiled), bytes) << what;
        if (row.outputWritten)
            EXPECT_EQ(readWholeFile(output), converted) << what;
        else
            EXPECT_FALSE(fs::exists(output)) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(ConsolePrograms, ProgramFrame, ::testing::ValuesIn(programs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
