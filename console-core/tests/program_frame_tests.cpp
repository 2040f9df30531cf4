// What the frame does around the work, checked the same way for all three
// console programs: the command line, and paths that must not destroy or
// hang anything.
#include "program_runner.hpp"
#include "stream_builder.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/terminal_output.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using Pelk::testing::ProgramRun;
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
// lines meant for the console would be written into it. One that writes into
// the input would destroy it: that run is refused before a byte reaches it,
// whatever its words. One open only for reading harms nothing, and the run
// goes on.
TEST_P(ProgramFrame, StandardDescriptorsClosedOrOnAFileLeaveInputAndOutputAsTheyAre)
{
    auto runWith = [&](const std::string& setup, const std::string& redirection, std::vector<std::string> args) {
        args.insert(args.begin(), {"-c", setup + "exec \"$0\" \"$@\" " + redirection, GetParam().path});
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
    const std::string incorrect = this->banner() + GetParam().incorrectCommandLine + GetParam().usage;
    const std::string help = this->banner() + GetParam().usage;
    const std::string onInput = Pelk::testing::shellQuote(spoiled);
    const std::string other = path("other");
    const std::string otherError = path("other_error");
    const std::string log = Pelk::testing::shellQuote(otherError);
    const std::vector<std::string> intoFile{spoiled, output}, intoConsole{spoiled};
    const std::vector<std::string> surplus{spoiled, output, "extra"}, helpAlone{"-h"}, helpNamingInput{"-h", spoiled};
    struct Row {
        std::string redirection;
        std::vector<std::string> args;
        int status;
        std::string out; // captured, or in `other`
        std::string err; // captured, or in `otherError`
        bool outputWritten;
        std::string setup = ""; // shell commands before the run
    };
    const Row rows[] = {
        {"<&-", intoFile, 1, open.out, banner, true},
        {">&-", intoFile, 1, "", banner, true},
        {"2>&-", intoFile, 1, open.out, "", true},
        {"<&- >&- 2>&-", intoFile, 1, "", "", true},
        // The failure line would land in the input even with an output named.
        {"1<>" + onInput, intoFile, 1, "", refused, false},
        {"2>>" + onInput, intoFile, 1, "", "", false},
        {">" + other, intoFile, 1, open.out, banner, true},
        {"1<>" + onInput, intoConsole, 1, "", refused, false},
        {">>" + onInput, intoConsole, 1, "", refused, false},
        {"2>>" + onInput, intoConsole, 1, "", "", false},
        {">" + other, intoConsole, 1, toConsole, banner, false},
        // Nothing written to a closed standard output arrives: that stays a failure.
        {">&-", intoConsole, 1, "", banner + unknown, false},
        // The usage and the help are refused too, whether a word names the
        // input, or the first line would be written over its head.
        {"2<>" + onInput, surplus, 1, "", "", false},
        {"2>>" + onInput, surplus, 1, "", "", false},
        {"2>>" + onInput, {output, "extra", spoiled}, 1, "", "", false},
        {"2>>" + onInput, {"-q" + spoiled, output, "extra"}, 1, "", "", false},
        {"2<>" + onInput, helpAlone, 1, "", "", false},
        {"2>>" + onInput, helpNamingInput, 1, "", "", false},
        {"2>" + otherError, surplus, 2, "", incorrect, false},
        {"2>" + otherError, helpNamingInput, 0, "", help, false},
        // Open only for reading: the lines are lost, the run is not.
        {"2<" + onInput, intoFile, 1, open.out, "", true},
        {"1<" + onInput, intoFile, 1, "", banner, true},
        {"1<" + onInput, intoConsole, 1, "", banner + unknown, false},
        // A log other jobs write into too: appended to, or truncated by `2>`
        // and written into through another descriptor since, it takes the
        // lines where they fall. Open for reading and writing at its start,
        // it would have its head overwritten.
        {"2>>" + log, intoFile, 1, open.out, "earlier\n" + banner, true, "echo earlier >" + log + "; "},
        {"", intoFile, 1, open.out, banner, true, "exec 2>" + log + " 3>" + log + "; echo earlier >&3; "},
        {"2<>" + log, intoFile, 1, "", "earlier\n", false, "echo earlier >" + log + "; "},
    };
    for (const Row& row : rows) {
        if (GetParam().outputRequired && row.args == intoConsole)
            continue;
        // Each row starts from the same files, whatever the one before left.
        std::ofstream(spoiled, std::ios::binary | std::ios::trunc) << bytes;
        fs::remove(output);
        fs::remove(other);
        fs::remove(otherError);
        auto run = runWith(row.setup, row.redirection, row.args);
        std::string what = row.setup + row.redirection;
        for (const std::string& arg : row.args)
            what += " " + arg;
        EXPECT_EQ(run.status, row.status) << what;
        EXPECT_EQ(run.out + readWholeFile(other), row.out) << what;
        EXPECT_EQ(run.err + readWholeFile(otherError), row.err) << what;
        EXPECT_EQ(readWholeFile(spoiled), bytes) << what;
        if (row.outputWritten)
            EXPECT_EQ(readWholeFile(output), converted) << what;
        else
            EXPECT_FALSE(fs::exists(output)) << what;
    }
}

// Runs `program` with descriptor `fd`, standard output or standard error,
// on a pseudo-terminal or into a pipe, and the other into a file. With
// `readOnly` above 0 the terminal goes away after that many bytes; a run
// that still goes on 30 s later is killed.
ProgramRun runWithDescriptorOn(bool terminal, int fd, const std::string& program, const std::vector<std::string>& args,
                               std::size_t readOnly = 0)
{
    int reader = -1;
    int writer = -1;
    if (terminal) {
        // Raw, the terminal passes every byte as written: no CR before LF.
        struct termios raw {};
        cfmakeraw(&raw);
        if (::openpty(&reader, &writer, nullptr, &raw, nullptr) != 0)
            return {};
    } else {
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        reader = ends[0];
        writer = ends[1];
    }
    TemporaryFile otherFile("run_other");
    const int other = ::open(otherFile.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_RDONLY);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(fd == STDOUT_FILENO ? writer : other, STDOUT_FILENO);
        ::dup2(fd == STDERR_FILENO ? writer : other, STDERR_FILENO);
        for (int open : {reader, writer, other, null})
            ::close(open);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(writer);
    ::close(other);
    ::close(null);
    std::string shown;
    char chunk[4096];
    // A terminal whose last writer has gone reads as an error, a pipe as its end.
    for (ssize_t n; (readOnly == 0 || shown.size() < readOnly) && (n = ::read(reader, chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0)
            shown.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(reader);
    ProgramRun run;
    int raw = 0;
    for (int waited = 0; child > 0 && waited < 3000; ++waited) {
        if (::waitpid(child, &raw, WNOHANG) == child) {
            run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            break;
        }
        ::usleep(10000);
    }
    if (run.status == -1 && child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &raw, 0);
    }
    (fd == STDOUT_FILENO ? run.out : run.err) = shown;
    (fd == STDOUT_FILENO ? run.err : run.out) = readWholeFile(otherFile.path());
    return run;
}

// What a terminal should be sent of `bytes`, the mask fed one byte at a time.
std::string maskedForTerminal(const std::string& bytes)
{
    std::stringbuf shown;
    Pelk::core::TerminalBuffer mask(&shown);
    for (char c : bytes)
        mask.sputc(c);
    mask.finish();
    return shown.str();
}

// A layout's names may hold bytes that retitle a terminal, colour it,
// switch its character set or overprint a line: on a terminal each shows as
// '?', whether the output goes to the console or to `/dev/stdout` named as
// the output. Into a pipe they are the data and go out as they are.
TEST(TerminalOutput, BytesOfALayoutThatSteerATerminalReachItAsQuestionMarks)
{
    const std::string dates = "2010/4/17 9:05:03, 2010/4/17 9:05:03";
    auto text = [&](const std::string& n) {
        return "VERSION 600\nLIBRARY [" + dates + "] " + n + "\nUNITS 0.001 1e-009\n\nSTRUCT [" + dates + "]  " + n
             + "\n   BOUNDARY 1 0\n\tRECT (0 0, 2 2)\n   ;\n   SREF U" + n + " \t(3 4)\n   ;\n\nENDSTR\n\nENDLIB\n";
    };
    auto report = [&](const std::string& n) {
        return "\nGDS version: \t600\nLibrary name: \t" + n + "\nUnits: \t0.001 \t1e-009"
             + "\nTotal number of structures: \t1\nTotal number of layers:     \t1"
             + "\n\nList of unreferenced structures:\n--------------------------------\n\n\t" + n
             + "\n\nStructures referenced but not defined:\n--------------------------------------\n\n\tU" + n
             + "\n\nList of all structures:\n-----------------------\n\n"
             + "Name                      Layers     Inst    Rects FlatRects    Polys FlatPolys\n" + std::string(80, '-')
             + "\n" + n + std::string(26 - n.size(), ' ') + "     1        1        1         1        0         0"
             + "\n\nEnd of report\n";
    };
    struct Row {
        std::string name;
        std::string shown;
    };
    const Row rows[] = {
        // Split where "??(" would read as a trigraph.
        {"T\x1b]0;X\x07\x1b[31m\x01\x1f\x7f\x1b(0\t~", "T?]0;X??[31m????" "(0\t~"},
        {"U\xc2\x9b" "2J", "U??2J"},
        {"V\x9b" "2J", "V?2J"},
        {"CR\rEVIL", "CR?EVIL"},
        {"OK\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "OK\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"},
        // Overlong, a surrogate, past U+10FFFF, a lead cut short by ASCII.
        {"W\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe2\x82Z", "W???????????Z"},
    };
    for (const Row& row : rows) {
        Pelk::testing::StreamBuilder library;
        library.libraryStart(row.name).bgnstr(row.name).rectangle(1, 0, 0, 2, 2).sref("U" + row.name, {3, 4}).endstr().endlib();
        TemporaryFile input("control.gds", library);
        for (bool terminal : {true, false}) {
            const std::string& written = terminal ? row.shown : row.name;
            const std::string where = (terminal ? "on a terminal: " : "into a pipe: ") + row.shown;
            for (auto output : {std::vector<std::string>{}, {"/dev/stdout"}}) {
                std::vector<std::string> args{"-q", input.path()};
                args.insert(args.end(), output.begin(), output.end());
                auto brenmo = runWithDescriptorOn(terminal, STDOUT_FILENO, BRENMO_PATH, args);
                EXPECT_EQ(brenmo.status, 0) << where;
                EXPECT_EQ(brenmo.out, text(written)) << where;
                EXPECT_EQ(brenmo.err, "") << where;
                auto dressil = runWithDescriptorOn(terminal, STDOUT_FILENO, DRESSIL_PATH, args);
                EXPECT_EQ(dressil.status, 0) << where;
                EXPECT_EQ(dressil.out, report(written)) << where;
                EXPECT_EQ(dressil.err, "") << where;
            }
        }
    }
}

// calvio's stream is all control bytes to a terminal; a text longer than
// any buffer on the way arrives whole, under the mask; and a terminal that
// goes away mid-write ends the run as a failure.
TEST(TerminalOutput, WholeOutputsReachATerminalUnderTheMask)
{
    const std::string real = std::string(PELK_FIXTURES_DIR) + "/ihp_sg13g2_stdcell.gds";
    TemporaryFile text("real.txt");
    ASSERT_EQ(runProgram(BRENMO_PATH, {"-q", real, text.path()}).status, 0);
    const std::string unknown = "\nERROR[20008] \tUnknown exception. No information available.\n";
    struct Row {
        const char* program;
        std::vector<std::string> args;
        std::size_t readOnly;
        int status;
        std::string err;
    };
    const Row rows[] = {
        {CALVIO_PATH, {"-q", text.path(), "/dev/stdout"}, 0, 0, ""},
        {BRENMO_PATH, {"-q", real}, 0, 0, ""},
        {BRENMO_PATH, {"-q", real, "/dev/stdout"}, 0, 0, ""},
        {BRENMO_PATH, {"-q", real}, 4096, 1, unknown},
    };
    for (const Row& row : rows) {
        const std::string what = row.args.back() + (row.readOnly ? " cut off" : "");
        auto piped = runWithDescriptorOn(false, STDOUT_FILENO, row.program, row.args);
        ASSERT_EQ(piped.status, 0) << what;
        ASSERT_GT(piped.out.size(), 400'000u) << what;
        auto shown = runWithDescriptorOn(true, STDOUT_FILENO, row.program, row.args, row.readOnly);
        EXPECT_EQ(shown.status, row.status) << what;
        EXPECT_EQ(shown.err, row.err) << what;
        if (row.readOnly == 0) {
            EXPECT_EQ(shown.out, maskedForTerminal(piped.out)) << what;
        }
    }
}

// A path's bytes reach a terminal in a line on standard error as a
// layout's reach it on the console; into a pipe the line holds them as they are.
TEST_P(ProgramFrame, PathsInLinesOnATerminalShowWhatWouldSteerItAsQuestionMarks)
{
    const std::string named = "\x1b]0;PWNED\x07\x1b[31m\xc2\x9b\r\xc3\xa9";
    const std::string shown = "?]0;PWNED??[31m???\xc3\xa9";
    struct Row {
        std::vector<std::string> args;
        std::string err; // on a terminal
        std::string piped;
    };
    const Row rows[] = {
        {{"-q", path("in" + named), path("out")}, cannotOpen(path("in" + shown)), cannotOpen(path("in" + named))},
        {{"-q", input, path(named + "/out")}, cannotCreate(path(shown + "/out")), cannotCreate(path(named + "/out"))},
    };
    for (const Row& row : rows) {
        for (bool terminal : {true, false}) {
            auto run = runWithDescriptorOn(terminal, STDERR_FILENO, GetParam().path, row.args);
            EXPECT_EQ(run.status, 1) << terminal;
            EXPECT_EQ(run.out, "") << terminal;
            EXPECT_EQ(run.err, terminal ? row.err : row.piped);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ConsolePrograms, ProgramFrame, ::testing::ValuesIn(programs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
