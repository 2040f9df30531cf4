#include "convert_stream.hpp"

#include "text_writers.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/paged_file.hpp"

#include <filesystem>
#include <fstream>
#include <ostream>

namespace Pelk::brenmo {

bool convertStream(const std::string& cellName, const std::string& inputPath, std::ostream& output,
                   std::ostream& console)
{
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    core::ParseResult<core::StreamCursor> result;
    {
        // Declared before the writers so that it is flushed after them.
        auto text = std::make_unique<TextOutput>(&output);
        TextWriters writers(*text, cellName);
        auto grammar = core::parseLibrary(&writers);
        result = grammar.parse(core::StreamCursor{file.get(), 0}, core::StreamCursor{file.get(), file->size()});
    }
    if (!result.matched)
        console << "\n\nERROR[20011] \tParsing failed at position " << result.end.offset;
    return result.matched;
}

void printUsage(std::ostream& err, bool withBanner)
{
    if (withBanner)
        err << core::buildBanner(toolName);
    err << "\n\nUsage: brenmo [OPTIONS] <gds file> [<output file>]\n"
        << "\n   if <output file> is omitted the output is directed to the console"
        << "\n   ------------------------------------"
        << "\n\n   -h\t\t\tshow usage"
        << "\n   -q\t\t\tsuppress logo and information messages"
        << "\n   -cell = cellname\tconvert only cellname cell (default all)\n";
}

int runBrenmo(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    core::CommandOptions options;
    if (!core::parseCommandLine(options, argc, argv)) {
        err << core::buildBanner(toolName) << core::errorLine(20000, "Incorrect command line arguments.", 2);
        printUsage(err, false);
        return core::exitUsage;
    }
    if (options.help) {
        printUsage(err, true);
        return core::exitSuccess;
    }
    return core::runReportingExceptions(err, 20007, 20008, [&]() -> int {
        if (!options.quiet)
            err << core::buildBanner(toolName) << "\n";
        if (!core::canOpenInput(options.inputPath)) {
            err << core::errorLine(20005, "Cannot open input file: " + options.inputPath);
            return core::exitFailure;
        }
        std::ostream* output = &out;
        static std::ofstream outputFile;
        static char outputBuffer[1 << 16];
        if (!options.outputPath.empty()) {
            if (outputFile.is_open())
                outputFile.close();
            outputFile.clear();
            outputFile.rdbuf()->pubsetbuf(outputBuffer, sizeof outputBuffer);
            outputFile.open(options.outputPath, std::ios::out | std::ios::trunc);
            if (outputFile.fail()) {
                err << core::errorLine(20006, "Cannot create output file: " + options.outputPath);
                return core::exitFailure;
            }
            output = &outputFile;
        }
        bool matched = convertStream(options.cellName, options.inputPath, *output, out);
        output->flush();
        out.flush();
        // A full disk or a closed pipe must not pass for a finished conversion.
        if (output->fail())
            throw "output write error";
        return matched ? core::exitSuccess : core::exitFailure;
    });
}

} // namespace Pelk::brenmo
