#include "convert_text.hpp"

#include "record_writer.hpp"
#include "text_grammar.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/paged_file.hpp"

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

namespace Pelk::calvio {

namespace {

constexpr std::int64_t echoLength = 80;
constexpr std::int64_t blockSize = 2048;

void reportParseFailure(std::ostream& console, core::PagedFile& file, std::int64_t position)
{
    console << "\n\nERROR[30011] \tParsing failed at or around position " << position << ":\n";
    std::int64_t written = 0;
    for (std::int64_t p = position; p < file.size() && written < echoLength; ++p, ++written)
        console.put(static_cast<char>(file.byteAt(p)));
    if (written == echoLength)
        console << " ... ";
    console << "\n";
}

} // namespace

bool convertText(const std::string& cellName, const std::string& inputPath, std::ostream& output,
                 std::ostream& console)
{
    auto records = std::make_unique<RecordOutput>(&output);
    currentOutput = records.get();
    cellFilter = cellName;
    // Nothing may write through a pointer to a buffer that is gone.
    struct Detach {
        ~Detach() { currentOutput = nullptr; }
    } detach;
    core::PagedFileHolder file = core::openPagedFile(inputPath);
    TextResult result = runTextGrammar({file.get(), 0}, {file.get(), file->size()});
    records->flush();
    if (!result.matched)
        reportParseFailure(console, *file, result.end.offset);
    core::closePagedFile(file);
    return result.matched;
}

void printUsage(std::ostream& err, bool withBanner)
{
    if (withBanner)
        err << core::buildBanner(toolName);
    err << "\n\nUsage: calvio [OPTIONS] <ascii file> <output file>\n"
        << "\n   ------------------------------------"
        << "\n\n   -h\t\t\tshow usage"
        << "\n   -q\t\t\tsuppress logo and information messages"
        << "\n   -cell=cellname\tconvert only cellname cell (default all)\n";
}

std::int64_t getFileSize(const std::string& path)
{
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        return -1;
    return static_cast<std::int64_t>(size);
}

void padTo2048(const std::string& path)
{
    std::int64_t size = getFileSize(path);
    if (size < 0)
        return;
    std::int64_t rest = size % blockSize;
    if (rest == 0)
        return;
    std::ofstream out(path, std::ios::app | std::ios::binary);
    if (!out)
        return;
    const char zeros[blockSize] = {};
    out.write(zeros, blockSize - rest);
}

int runCalvio(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    core::CommandOptions options;
    if (!core::parseCommandLine(options, argc, argv)) {
        err << core::buildBanner(toolName) << core::errorLine(30000, "Incorrect command line arguments.", 2);
        printUsage(err, false);
        return core::exitUsage;
    }
    if (options.help) {
        printUsage(err, true);
        return core::exitSuccess;
    }
    if (options.outputPath.empty()) {
        err << core::buildBanner(toolName) << core::errorLine(30002, "No output file specified.", 2);
        printUsage(err, false);
        return core::exitUsage;
    }
    return core::runReportingExceptions(err, 30007, 30008, [&]() -> int {
        std::string cellName = options.cellName;
        if (!options.quiet)
            err << core::buildBanner(toolName) << "\n";
        if (!core::canOpenInput(options.inputPath)) {
            err << core::errorLine(30005, "Cannot open input file: " + options.inputPath);
            return core::exitFailure;
        }
        std::ofstream output(options.outputPath, std::ios::out | std::ios::binary | std::ios::trunc);
        if (output.fail()) {
            err << core::errorLine(30006, "Cannot create output file: " + options.outputPath);
            return core::exitFailure;
        }
        bool matched = convertText(cellName, options.inputPath, output, out);
        out.flush();
        output.close();
        // A full disk must not pass for a finished conversion.
        if (output.fail())
            throw "output write error";
        padTo2048(options.outputPath);
        return matched ? core::exitSuccess : core::exitFailure;
    });
}

} // namespace Pelk::calvio
