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
    // What the conversion cannot do without is taken before what it can, so
    // that a helper thread's buffers never leave too little for the text's.
    auto text = std::make_unique<TextOutput>(&output);
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    // The text is written behind unless it shares the console, or a -cell
    // filter switches its target several times per structure: each switch
    // would wait for the writer thread to take a few bytes.
    if (&output != &console && cellName.empty())
        text->writeBehind();
    core::ParseResult<core::StreamCursor> result;
    {
        TextWriters writers(*text, cellName);
        result = runTextGrammar(writers, {file.get(), 0}, {file.get(), file->size()});
    }
    // All the text is out before the failure line.
    text.reset();
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
