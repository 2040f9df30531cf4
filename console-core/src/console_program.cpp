#include "pelk/console_program.hpp"

#include "pelk/helper_thread.hpp"
#include "pelk/terminal_output.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iostream>
#include <optional>
#include <streambuf>

namespace Pelk::core {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A descriptor open only for reading cannot harm the file it is on.
bool openForWriting(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
}

// Whether descriptor `fd` writes into the regular file `name` names: what is
// written to it would destroy that file.
bool descriptorWritesInto(const std::string& name, int fd)
{
    struct stat named {};
    struct stat opened {};
    if (::stat(name.c_str(), &named) != 0 || ::fstat(fd, &opened) != 0)
        return false;
    // Only a regular file keeps what is written over it; a terminal or a pipe
    // named as the input is refused as an input, its line on the console.
    return S_ISREG(named.st_mode) && sameFile(named, opened) && openForWriting(fd);
}

// Whether a line on standard error would destroy a file: one the command
// line names (before the parse no one knows which word is the input, and a
// name may follow "-q" in the same word), or any file it would be written
// over rather than after (`2<>` opens at the start of what is there).
bool errorOutputDestroysAFile(int argc, const char* const* argv, const CommandOptions& options)
{
    const int flags = ::fcntl(STDERR_FILENO, F_GETFL);
    struct stat opened {};
    if (flags == -1 || (flags & O_ACCMODE) == O_RDONLY || ::fstat(STDERR_FILENO, &opened) != 0
        || !S_ISREG(opened.st_mode))
        return false;
    if ((flags & O_APPEND) == 0) {
        const off_t at = ::lseek(STDERR_FILENO, 0, SEEK_CUR);
        if (at >= 0 && at < opened.st_size)
            return true;
    }
    for (int i = 1; i < argc; ++i)
        if (descriptorWritesInto(argv[i], STDERR_FILENO))
            return true;
    return descriptorWritesInto(options.inputPath, STDERR_FILENO)
        || descriptorWritesInto(options.outputPath, STDERR_FILENO);
}

// Passes everything on to the file and counts it: a pipe cannot tell how
// much went into it.
class CountingBuffer final : public std::streambuf {
public:
    explicit CountingBuffer(std::streambuf* file) : file(file) {}

    std::uint64_t count() const { return counted; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (traits_type::eq_int_type(file->sputc(traits_type::to_char_type(c)), traits_type::eof()))
            return traits_type::eof();
        ++counted;
        return c;
    }
    std::streamsize xsputn(const char* bytes, std::streamsize n) override
    {
        std::streamsize done = file->sputn(bytes, n);
        counted += static_cast<std::uint64_t>(done);
        return done;
    }
    int sync() override { return file->pubsync(); }

private:
    std::streambuf* file;
    std::uint64_t counted = 0;
};

void writeIncorrectArguments(const ConsoleProgram& program, std::ostream& err)
{
    std::string line = errorLine(program.messages.incorrectArguments, program.messages.incorrectArgumentsText, 2);
    if (!program.messages.incorrectArgumentsEndsLine)
        line.pop_back();
    err << buildBanner(std::string(program.toolName)) << line << program.usage;
}

int convertChecked(const ConsoleProgram& program, const CommandOptions& options, std::ostream& console,
                   std::ostream& err)
{
    const ProgramMessages& messages = program.messages;
    if (!options.quiet)
        err << buildBanner(std::string(program.toolName)) << '\n';
    if (messages.cellIgnored != 0 && options.cellGiven)
        err << warningLine(messages.cellIgnored, "'-cell' option is ignored.");
    if (!canOpenInput(options.inputPath)) {
        err << errorLine(messages.cannotOpenInput, std::string(messages.cannotOpenInputText) + options.inputPath);
        return exitFailure;
    }
    const bool toFile = !options.outputPath.empty();
    auto refuseOutput = [&](const std::string& name) {
        err << errorLine(messages.cannotCreateOutput, "Cannot create output file: " + name);
        return exitFailure;
    };
    // An output naming the input is refused before it is opened, which would
    // truncate the input.
    if (toFile && namesInputFile(options.inputPath, options.outputPath))
        return refuseOutput(options.outputPath);
    // Standard output takes the parse failure line even when an output file
    // is named, so it is refused whenever it is the input; it is named the
    // way a user would name it as an output path.
    if (descriptorWritesInto(options.inputPath, STDOUT_FILENO))
        return refuseOutput("/dev/stdout");
    std::ofstream file;
    if (toFile) {
        file.open(options.outputPath, std::ios::out | std::ios::binary | std::ios::trunc);
        if (!file.is_open())
            return refuseOutput(options.outputPath);
    }
    CountingBuffer counted(file.rdbuf());
    std::ostream countedFile(&counted);
    std::ostream& output = toFile ? countedFile : console;
    bool matched = program.convert(options, output, console);
    console.flush();
    output.flush();
    // A full disk, a size limit or a closed pipe must not pass for a finished run.
    if (output.fail())
        throw "output write error";
    if (toFile && program.finishOutput)
        program.finishOutput(options.outputPath, output, counted.count());
    if (toFile) {
        output.flush();
        file.close();
        if (output.fail() || file.fail())
            throw "output write error";
    }
    return matched ? exitSuccess : exitFailure;
}

// A closed standard descriptor is the number the next open file gets, and
// what is meant for the console would then be written into that file. Each
// closed one is opened on /dev/null; `outputClosed` tells whether standard
// output was among them. Returns false when one cannot be opened.
bool openClosedStandardDescriptors(bool& outputClosed)
{
    outputClosed = false;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lower ones are open, so a new descriptor takes this number.
        int opened = ::open("/dev/null", O_RDWR);
        if (opened != fd) {
            if (opened >= 0)
                ::close(opened);
            return false;
        }
        outputClosed = outputClosed || fd == STDOUT_FILENO;
    }
    return true;
}

} // namespace

int runConsoleProgram(const ConsoleProgram& program, int argc, const char* const* argv, std::ostream& console,
                      std::ostream& err)
{
    // The parse writes nothing; what it took from the words is checked with
    // them before a byte reaches standard error.
    CommandOptions options;
    const bool parsed = parseCommandLine(options, argc, argv);
    if (errorOutputDestroysAFile(argc, argv, options))
        return exitFailure;
    bool outputClosed = false;
    if (!openClosedStandardDescriptors(outputClosed)) {
        err << errorLine(program.messages.unknownException, "Unknown exception. No information available.");
        return exitFailure;
    }
    // Past a file-size limit a write must fail and be reported, not end the
    // process by a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    // What goes to a closed standard output is lost: a conversion into it
    // stays a failed one.
    if (outputClosed)
        console.setstate(std::ios::badbit);
    if (!parsed) {
        writeIncorrectArguments(program, err);
        return exitUsage;
    }
    if (options.help) {
        err << buildBanner(std::string(program.toolName)) << program.usage;
        return exitSuccess;
    }
    if (program.outputRequired && options.outputPath.empty()) {
        err << buildBanner(std::string(program.toolName)) << errorLine(program.messages.noOutputFile, "No output file specified.", 2)
            << program.usage;
        return exitUsage;
    }
    // On a terminal a layout's control bytes would steer it; into a file or a
    // pipe every byte is the data, and goes out as it is at no cost.
    std::optional<TerminalBuffer> terminalBuffer;
    std::optional<std::ostream> terminal;
    if (::isatty(STDOUT_FILENO)) {
        terminalBuffer.emplace(console.rdbuf());
        terminal.emplace(&*terminalBuffer);
    }
    std::ostream& shown = terminal ? *terminal : console;
    int status = runReportingExceptions(err, program.messages.allocationFailed, program.messages.unknownException,
                                        [&] { return convertChecked(program, options, shown, err); });
    shown.flush();
    return status;
}

bool canOpenInput(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool namesInputFile(const std::string& input, const std::string& output)
{
    struct stat in {};
    struct stat out {};
    if (::stat(input.c_str(), &in) != 0 || ::stat(output.c_str(), &out) != 0)
        return false;
    return sameFile(in, out);
}

void unsyncStandardStreams()
{
    // Checked first: the library ends the process when these buffers fail.
    constexpr std::size_t streamBuffers = 256 * 1024;
    if (addressSpaceLeft(streamBuffers))
        std::ios::sync_with_stdio(false);
}

std::string parsingFailedLine(int number, std::string_view wording, std::int64_t position)
{
    std::string line = errorLine(number, wording, 2);
    line.pop_back();
    return line + std::to_string(position);
}

} // namespace Pelk::core
