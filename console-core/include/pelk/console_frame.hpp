// What the three console programs share around their work: the banner, the
// joined command line and its option grammar, numbered error lines, the
// stream that discards everything, and the exception frame of main.
#pragma once

#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace Pelk::core {

struct CommandOptions {
    bool help = false;
    bool quiet = false;
    bool cellGiven = false;
    std::string cellName;
    std::string inputPath;
    std::string outputPath;
};

// Exit statuses: a failure must never look like success to a caller.
inline constexpr int exitSuccess = 0;
inline constexpr int exitFailure = 1;
inline constexpr int exitUsage = 2;

std::string concatStrings(const std::string& a, const std::string& b);
std::string prependBannerRule(const std::string& toolName);
std::string buildVersionLine();
std::string appendBannerRule(const std::string& text);
std::string buildBanner(const std::string& toolName);

// Joins the arguments after the program name, quoting those that hold a
// blank, TAB, LF or CR, and runs the option grammar over the result. An
// argument the joined line cannot carry as one name (empty, or needing
// quotes around a double quote) gives no line at all. The grammar must take
// the whole line, unless it began with "-h".
std::optional<std::string> joinArguments(int argc, const char* const* argv);
bool parseCommandLine(CommandOptions& options, int argc, const char* const* argv);
bool parseOptions(const std::string& joined, CommandOptions& options);
bool runOptionGrammar(CommandOptions& options, const char* begin, const char* end);

// "\n" x leadingBreaks, "ERROR[nnnnn] \t", the message, then "\n".
std::string errorLine(int number, std::string_view message, int leadingBreaks = 1);
std::string warningLine(int number, std::string_view message, int leadingBreaks = 1);

// An output stream without a buffer: everything written to it is dropped.
class EmptyStream : public std::ostream {
public:
    EmptyStream() : std::ostream(nullptr) {}
};

// Runs a program's work and reports what escapes it: an allocation failure
// as `allocationError`, anything else (the core's C-string failures
// included) as `unknownError`; both end the run as a failure.
template <class Work>
int runReportingExceptions(std::ostream& err, int allocationError, int unknownError, Work&& work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        err << errorLine(allocationError, "Allocation failed, probably the process ran out of memory.");
    } catch (...) {
        err << errorLine(unknownError, "Unknown exception. No information available.");
    }
    err.flush();
    return exitFailure;
}

} // namespace Pelk::core
