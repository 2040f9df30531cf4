// One frame that runs each console program from a description of it: the
// command line, banner and usage, the input and output checks, the numbered
// messages, exception reporting and the exit status.
#pragma once

#include "pelk/console_frame.hpp"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace Pelk::core {

// A program's own numbers and wordings for the lines the frame writes; a
// number of 0 means the program has no such line.
struct ProgramMessages {
    int incorrectArguments;
    std::string_view incorrectArgumentsText;
    bool incorrectArgumentsEndsLine;
    int noOutputFile;
    int cellIgnored;
    int cannotOpenInput;
    std::string_view cannotOpenInputText;
    int cannotCreateOutput;
    int allocationFailed;
    int unknownException;
};

struct ConsoleProgram {
    std::string_view toolName;
    // What follows the banner when the usage is shown.
    std::string_view usage;
    bool outputRequired;
    ProgramMessages messages;
    // Reads options.inputPath and writes `output`; a parse failure is written
    // to `console`. Returns whether the whole input matched; the core's
    // failures are thrown.
    bool (*convert)(const CommandOptions& options, std::ostream& output, std::ostream& console);
    // Runs on the output file after a conversion that threw nothing, before
    // it is closed; `written` is how many bytes the conversion wrote to it.
    void (*finishOutput)(std::ostream& output, std::uint64_t written) = nullptr;
};

// The whole program: returns the exit status. `console` and `errorOutput`
// stand for descriptors 1 and 2, which are opened on /dev/null first when
// they are closed. What reaches a descriptor that is a terminal, standard
// output, standard error or the output file, has the bytes that would
// steer it shown as '?' (terminal_output.hpp). Nothing at all is written
// when descriptor 2 would write into a file the command line names, or over
// a file's existing bytes from a descriptor open for reading and writing:
// the run fails at once.
int runConsoleProgram(const ConsoleProgram& program, int argc, const char* const* argv, std::ostream& console,
                      std::ostream& errorOutput);

// An input must be a regular file that can be opened for reading: a folder,
// FIFO, device or socket is refused before anything waits on it.
bool canOpenInput(const std::string& path);

// Whether `output` names the file `input` names, through any link: writing it
// would destroy the input before it is read.
bool namesInputFile(const std::string& input, const std::string& output);

// The standard streams cut loose from C's stdio, which makes them faster.
// Where an address-space limit leaves no memory for their own buffers, the
// shared ones stay, and carry the allocation-failed line that ends the run.
void unsyncStandardStreams();

// The line that reports a failed parse, without a final line feed.
std::string parsingFailedLine(int number, std::string_view wording, std::int64_t position);

} // namespace Pelk::core
