#include "convert_text.hpp"

#include "record_writer.hpp"
#include "text_grammar.hpp"

#include "pelk/console_program.hpp"
#include "pelk/paged_file.hpp"
#include "pelk/terminal_output.hpp"

#include <memory>
#include <ostream>

namespace Pelk::calvio {

namespace {

constexpr std::int64_t echoLength = 80;
constexpr std::int64_t blockSize = 2048;

void reportParseFailure(std::ostream& console, core::PagedFile& file, std::int64_t position)
{
    console << core::parsingFailedLine(30011, "Parsing failed at or around position ", position) << ":\n";
    // Masked wherever it goes: a stream file given by mistake is full of
    // control bytes, and the echo is read on a terminal.
    std::int64_t written = 0;
    for (std::int64_t p = position; p < file.size() && written < echoLength; ++p, ++written)
        console.put(core::shownInEcho(file.byteAt(p)));
    if (written == echoLength)
        console << " ... ";
    console << "\n";
}

} // namespace

bool convertText(const std::string& cellName, const std::string& inputPath, std::ostream& output,
                 std::ostream& console)
{
    // Measured: a buffer that stays in the cache hands the records on faster
    // than a larger one, and faster than one written behind by a thread.
    auto records = std::make_unique<RecordOutput>(&output, 1 << 16);
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    TextResult result = runTextGrammar(*records, cellName, {file.get(), 0}, {file.get(), file->size()});
    records->flush();
    if (!result.matched)
        reportParseFailure(console, *file, result.end.offset);
    core::closePagedFile(file);
    return result.matched;
}

void padTo2048(std::ostream& output, std::uint64_t written)
{
    // An output left short reads as cut off to other tools. The bytes that
    // went in are its length whatever it is, a file or a pipe, and the stream
    // reaches the very file they went into.
    const char zeros[blockSize] = {};
    output.write(zeros, static_cast<std::streamsize>((blockSize - written % blockSize) % blockSize));
}

namespace {

constexpr std::string_view usage = "\n\nUsage: calvio [OPTIONS] <ascii file> <output file>\n"
                                   "\n   ------------------------------------"
                                   "\n\n   -h\t\t\tshow usage"
                                   "\n   -q\t\t\tsuppress logo and information messages"
                                   "\n   -cell=cellname\tconvert only cellname cell (default all)\n";

const core::ConsoleProgram calvioProgram{
    .toolName = toolName,
    .usage = usage,
    .outputRequired = true,
    .messages = {.incorrectArguments = 30000,
                 .incorrectArgumentsText = "Incorrect command line arguments.",
                 .incorrectArgumentsEndsLine = true,
                 .noOutputFile = 30002,
                 .cellIgnored = 0,
                 .cannotOpenInput = 30005,
                 .cannotOpenInputText = "Cannot open input file: ",
                 .cannotCreateOutput = 30006,
                 .allocationFailed = 30007,
                 .unknownException = 30008},
    .convert = [](const core::CommandOptions& options, std::ostream& output, std::ostream& console) {
        return convertText(options.cellName, options.inputPath, output, console);
    },
    .finishOutput = padTo2048,
};

} // namespace

int runCalvio(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    return core::runConsoleProgram(calvioProgram, argc, argv, out, err);
}

} // namespace Pelk::calvio
