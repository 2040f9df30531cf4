#include "convert_stream.hpp"

#include "text_writers.hpp"

#include "pelk/console_program.hpp"
#include "pelk/paged_file.hpp"

#include <ostream>

namespace Pelk::brenmo {

namespace {

// Inlined whole, the grammar keeps the cursor in registers from record to
// record; left to itself the compiler stops inlining the record nodes halfway.
[[gnu::flatten]] core::ParseResult<core::StreamCursor> runTextGrammar(TextWriters& writers, core::StreamCursor begin,
                                                                      core::StreamCursor end)
{
    return core::parseLibrary(&writers).parse(begin, end);
}

} // namespace

bool convertStream(const std::string& cellName, const std::string& inputPath, std::ostream& output,
                   std::ostream& console)
{
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    core::ParseResult<core::StreamCursor> result;
    {
        // Declared before the writers so that it is flushed after them. The
        // text is written behind the conversion unless it shares the console.
        auto text = std::make_unique<TextOutput>(&output, TextOutput::defaultCapacity, &output != &console);
        TextWriters writers(*text, cellName);
        result = runTextGrammar(writers, {file.get(), 0}, {file.get(), file->size()});
    }
    if (!result.matched)
        console << core::parsingFailedLine(20011, "Parsing failed at position ", result.end.offset);
    return result.matched;
}

namespace {

constexpr std::string_view usage = "\n\nUsage: brenmo [OPTIONS] <gds file> [<output file>]\n"
                                   "\n   if <output file> is omitted the output is directed to the console"
                                   "\n   ------------------------------------"
                                   "\n\n   -h\t\t\tshow usage"
                                   "\n   -q\t\t\tsuppress logo and information messages"
                                   "\n   -cell = cellname\tconvert only cellname cell (default all)\n";

const core::ConsoleProgram brenmoProgram{
    .toolName = toolName,
    .usage = usage,
    .outputRequired = false,
    .messages = {.incorrectArguments = 20000,
                 .incorrectArgumentsText = "Incorrect command line arguments.",
                 .incorrectArgumentsEndsLine = true,
                 .noOutputFile = 0,
                 .cellIgnored = 0,
                 .cannotOpenInput = 20005,
                 .cannotOpenInputText = "Cannot open input file: ",
                 .cannotCreateOutput = 20006,
                 .allocationFailed = 20007,
                 .unknownException = 20008},
    .convert = [](const core::CommandOptions& options, std::ostream& output, std::ostream& console) {
        return convertStream(options.cellName, options.inputPath, output, console);
    },
};

} // namespace

int runBrenmo(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    return core::runConsoleProgram(brenmoProgram, argc, argv, out, err);
}

} // namespace Pelk::brenmo
