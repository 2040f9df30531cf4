#include "dressil_program.hpp"

#include "counting_grammar.hpp"
#include "hierarchy_analysis.hpp"
#include "report_layout.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/paged_file.hpp"

#include <fstream>

namespace Pelk::dressil {

namespace {

enum MessageNumber {
    incorrectArguments = 10000,
    cellIgnored = 10003,
    cannotOpenInput = 10004,
    cannotCreateOutput = 10005,
    allocationFailed = 10006,
    unknownException = 10007,
    parsingFailed = 10011,
};

// Some lines end without a line feed: what follows continues them.
std::string withoutLineFeed(std::string line)
{
    line.pop_back();
    return line;
}

int runReport(const core::CommandOptions& options, std::ostream& console, std::ostream& errorOutput)
{
    if (!options.quiet)
        errorOutput << core::buildBanner(toolName) << '\n';
    if (options.cellGiven)
        errorOutput << core::warningLine(cellIgnored, "'-cell' option is ignored.");

    if (!std::ifstream(options.inputPath)) {
        errorOutput << core::errorLine(cannotOpenInput, "Cannot open gds file: " + options.inputPath);
        return core::exitFailure;
    }
    std::ofstream outputFile;
    std::ostream* output = &console;
    if (!options.outputPath.empty()) {
        outputFile.open(options.outputPath);
        if (!outputFile) {
            errorOutput << core::errorLine(cannotCreateOutput, "Cannot create output file: " + options.outputPath);
            return core::exitFailure;
        }
        output = &outputFile;
    }

    bool matched = false;
    LibraryReport report = analyzeStream(options.inputPath, *output, console, matched);
    flattenAll(report);
    writeReport(report);

    // A full disk or a closed pipe must not pass for a finished report; like
    // the core's own failures it ends in the catch-all line.
    output->flush();
    if (output->fail())
        throw "output write error";
    return matched ? core::exitSuccess : core::exitFailure;
}

} // namespace

void printUsage(std::ostream& errorOutput, bool withBanner)
{
    if (withBanner)
        errorOutput << core::buildBanner(toolName);
    errorOutput << "\n\nUsage: dressil [OPTIONS] <gds file> [<output file>]\n"
                << "\n   " << std::string(36, '-') << "\n\n   -h\t\tshow usage"
                << "\n   -q\t\tsuppress logo and information messages\n";
}

LibraryReport analyzeStream(const std::string& inputPath, std::ostream& output, std::ostream& console,
                            bool& matched)
{
    LibraryReport report;
    currentOutput = &output;
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    auto result = runReportGrammar(report, {file.get(), 0}, {file.get(), file->size()});
    matched = result.matched;
    if (!matched) {
        console << withoutLineFeed(core::errorLine(
            parsingFailed, "Parsing failed at or around position " + std::to_string(result.end.offset), 2));
    }
    core::closePagedFile(file);
    return report;
}

int runDressil(int argc, const char* const* argv, std::ostream& console, std::ostream& errorOutput)
{
    core::CommandOptions options;
    if (!core::parseCommandLine(options, argc, argv)) {
        errorOutput << core::buildBanner(toolName)
                    << withoutLineFeed(core::errorLine(incorrectArguments, "Incorrect command line arguments", 2));
        printUsage(errorOutput, false);
        return core::exitUsage;
    }
    if (options.help) {
        printUsage(errorOutput, true);
        return core::exitSuccess;
    }
    int status = core::runReportingExceptions(errorOutput, allocationFailed, unknownException,
                                              [&] { return runReport(options, console, errorOutput); });
    console.flush();
    return status;
}

} // namespace Pelk::dressil
