#include "dressil_program.hpp"

#include "counting_grammar.hpp"
#include "hierarchy_analysis.hpp"
#include "report_layout.hpp"

#include "pelk/console_program.hpp"
#include "pelk/paged_file.hpp"

namespace Pelk::dressil {

namespace {

constexpr std::string_view usage = "\n\nUsage: dressil [OPTIONS] <gds file> [<output file>]\n"
                                   "\n   ------------------------------------"
                                   "\n\n   -h\t\tshow usage"
                                   "\n   -q\t\tsuppress logo and information messages\n";

bool writeLibraryReport(const core::CommandOptions& options, std::ostream& output, std::ostream& console)
{
    bool matched = false;
    LibraryReport report = analyzeStream(options.inputPath, console, matched);
    flattenAll(report);
    ReportWriter(output).writeReport(report);
    return matched;
}

const core::ConsoleProgram dressilProgram{
    .toolName = toolName,
    .usage = usage,
    .outputRequired = false,
    .messages = {.incorrectArguments = 10000,
                 .incorrectArgumentsText = "Incorrect command line arguments",
                 .incorrectArgumentsEndsLine = false,
                 .noOutputFile = 0,
                 .cellIgnored = 10003,
                 .cannotOpenInput = 10004,
                 .cannotOpenInputText = "Cannot open gds file: ",
                 .cannotCreateOutput = 10005,
                 .allocationFailed = 10006,
                 .unknownException = 10007},
    .convert = writeLibraryReport,
};

} // namespace

LibraryReport analyzeStream(const std::string& inputPath, std::ostream& console, bool& matched)
{
    LibraryReport report;
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    auto result = runReportGrammar(report, {file.get(), 0}, {file.get(), file->size()});
    matched = result.matched;
    if (!matched)
        console << core::parsingFailedLine(10011, "Parsing failed at or around position ", result.end.offset);
    core::closePagedFile(file);
    return report;
}

int runDressil(int argc, const char* const* argv, std::ostream& console, std::ostream& errorOutput)
{
    return core::runConsoleProgram(dressilProgram, argc, argv, console, errorOutput);
}

} // namespace Pelk::dressil
