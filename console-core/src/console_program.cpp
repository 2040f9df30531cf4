#include "pelk/console_program.hpp"

#include "pelk/helper_thread.hpp"
#include "pelk/terminal_output.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <streambuf>

namespace Pelk::core {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A standard descriptor's flags and file, read once for every rule on it.
struct DescriptorState {
    int flags = -1;
    struct stat file {};
};

DescriptorState readDescriptor(int fd)
{
    DescriptorState state;
    state.flags = ::fcntl(fd, F_GETFL);
    if (state.flags != -1 && ::fstat(fd, &state.file) != 0)
        state.flags = -1;
    return state;
}

// Only a regular file keeps what is written over it, and a descriptor open
// only for reading cannot harm it. A terminal or a pipe named as the input
// is refused as an input, its line on the console.
bool writesToRegularFile(const DescriptorState& descriptor)
{
    return descriptor.flags != -1 && (descriptor.flags & O_ACCMODE) != O_RDONLY && S_ISREG(descriptor.file.st_mode);
}

// Whether what is written to the descriptor lands in the file `name` names,
// through any link, and destroys it.
bool writesInto(const DescriptorState& descriptor, const std::string& name)
{
    struct stat named {};
    return writesToRegularFile(descriptor) && ::stat(name.c_str(), &named) == 0 && sameFile(named, descriptor.file);
}

// Before the parse no one knows which word is the input, and a name may
// follow "-q" in the same word: every word counts, and so do the paths.
bool writesIntoANamedFile(const DescriptorState& descriptor, int argc, const char* const* argv,
                          const CommandOptions& options)
{
    for (int i = 1; i < argc; ++i)
        if (writesInto(descriptor, argv[i]))
            return true;
    return writesInto(descriptor, options.inputPath) || writesInto(descriptor, options.outputPath);
}

// `<>` opens a file for reading and writing at its start, and the first
// line would be written over what is there. A descriptor open for writing
// only was truncated or appends, whoever opened it: a log that other jobs
// write into too is no reason to refuse.
bool writesOverExistingBytes(const DescriptorState& descriptor, int fd)
{
    if (!writesToRegularFile(descriptor) || (descriptor.flags & O_ACCMODE) != O_RDWR
        || (descriptor.flags & O_APPEND) != 0)
        return false;
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    return at >= 0 && at < descriptor.file.st_size;
}

// The output file on a descriptor of the frame's own, so that it can be
// told whether it is a terminal. It counts what it takes: a pipe cannot
// tell how much went into it.
class OutputFile final : public std::streambuf {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // What was taken before a failure that ended the run is kept, as the
    // standard file streams keep it.
    ~OutputFile() override
    {
        if (fd >= 0) {
            sync();
            ::close(fd);
        }
    }

    bool open(const std::string& path)
    {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        setp(buffer, buffer + sizeof buffer - 1);
        return fd >= 0;
    }
    int descriptor() const { return fd; }
    std::uint64_t count() const { return written + static_cast<std::uint64_t>(pptr() - pbase()); }
    bool close()
    {
        const bool flushed = sync() == 0;
        const int closed = ::close(fd);
        fd = -1;
        return flushed && closed == 0;
    }

protected:
    int_type overflow(int_type c) override
    {
        if (sync() != 0)
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    // A block of 1 KB or more goes out at once, after what was gathered, as
    // the standard file buffer sends it: where the console shares the file
    // or the pipe, its lines fall between the same bytes as they always did.
    std::streamsize xsputn(const char* bytes, std::streamsize n) override
    {
        if (n < std::min<std::streamsize>(1024, epptr() - pptr())) {
            std::memcpy(pptr(), bytes, static_cast<std::size_t>(n));
            pbump(static_cast<int>(n));
            return n;
        }
        if (sync() != 0)
            return 0;
        return writeAll(bytes, n) ? n : 0;
    }
    int sync() override
    {
        const bool done = writeAll(pbase(), pptr() - pbase());
        setp(buffer, buffer + sizeof buffer - 1);
        return done ? 0 : -1;
    }

private:
    bool writeAll(const char* bytes, std::streamsize n)
    {
        while (n > 0) {
            const ssize_t done = ::write(fd, bytes, static_cast<std::size_t>(n));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return false;
            bytes += done;
            n -= done;
            written += static_cast<std::uint64_t>(done);
        }
        return true;
    }

    int fd = -1;
    std::uint64_t written = 0;
    // The standard file buffer's size, less the byte it keeps for overflow.
    char buffer[8192];
};

// A stream as descriptor `fd` should be sent it: through the terminal mask
// when it is a terminal; into a file or a pipe every byte is the data, and
// goes out as it is at no cost.
class ShownStream {
public:
    ShownStream(std::ostream& plain, int fd) : plain(plain)
    {
        if (fd < 0 || !::isatty(fd))
            return;
        mask.emplace(plain.rdbuf());
        masked.emplace(&*mask);
        masked->flags(plain.flags());
        masked->tie(plain.tie());
        masked->setstate(plain.rdstate());
    }
    ShownStream(const ShownStream&) = delete;
    ShownStream& operator=(const ShownStream&) = delete;

    std::ostream& stream() { return masked ? *masked : plain; }

    // Everything written so far goes on, the start of a character cut off
    // at the end shown too; a failure is left in stream()'s state.
    void finish()
    {
        if (!masked) {
            plain.flush();
            return;
        }
        masked->flush();
        if (!mask->finish())
            masked->setstate(std::ios::badbit);
        plain.flush();
        if (plain.fail())
            masked->setstate(std::ios::badbit);
    }

private:
    std::ostream& plain;
    std::optional<TerminalBuffer> mask;
    std::optional<std::ostream> masked;
};

void writeIncorrectArguments(const ConsoleProgram& program, std::ostream& err)
{
    std::string line = errorLine(program.messages.incorrectArguments, program.messages.incorrectArgumentsText, 2);
    if (!program.messages.incorrectArgumentsEndsLine)
        line.pop_back();
    err << buildBanner(std::string(program.toolName)) << line << program.usage;
}

int convertChecked(const ConsoleProgram& program, const CommandOptions& options, ShownStream& shownConsole,
                   std::ostream& err)
{
    const ProgramMessages& messages = program.messages;
    std::ostream& console = shownConsole.stream();
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
    if (writesInto(readDescriptor(STDOUT_FILENO), options.inputPath))
        return refuseOutput("/dev/stdout");
    OutputFile file;
    if (toFile && !file.open(options.outputPath))
        return refuseOutput(options.outputPath);
    std::ostream fileStream(&file);
    // `/dev/stdout` or `/dev/tty` named as the output is a terminal too.
    ShownStream shownFile(fileStream, file.descriptor());
    std::ostream& output = toFile ? shownFile.stream() : console;
    bool matched = program.convert(options, output, console);
    shownConsole.finish();
    shownFile.finish();
    // A full disk, a size limit or a closed pipe must not pass for a finished run.
    if (output.fail())
        throw "output write error";
    if (toFile && program.finishOutput) {
        program.finishOutput(output, file.count());
        shownFile.finish();
    }
    if (toFile && (output.fail() || !file.close()))
        throw "output write error";
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

int runParsed(const ConsoleProgram& program, bool parsed, const CommandOptions& options, ShownStream& console,
              std::ostream& err)
{
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
    return runReportingExceptions(err, program.messages.allocationFailed, program.messages.unknownException,
                                  [&] { return convertChecked(program, options, console, err); });
}

} // namespace

int runConsoleProgram(const ConsoleProgram& program, int argc, const char* const* argv, std::ostream& console,
                      std::ostream& err)
{
    // The parse writes nothing; what it took from the words is checked with
    // them before a byte reaches standard error.
    CommandOptions options;
    const bool parsed = parseCommandLine(options, argc, argv);
    const DescriptorState errorOutput = readDescriptor(STDERR_FILENO);
    if (writesIntoANamedFile(errorOutput, argc, argv, options) || writesOverExistingBytes(errorOutput, STDERR_FILENO))
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
    // A layout's bytes on the console and a path's in a line on standard
    // error would steer a terminal alike.
    ShownStream shownConsole(console, STDOUT_FILENO);
    ShownStream shownError(err, STDERR_FILENO);
    const int status = runParsed(program, parsed, options, shownConsole, shownError.stream());
    shownConsole.finish();
    shownError.finish();
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
