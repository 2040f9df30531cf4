#include "pelk/console_frame.hpp"

#include "pelk/action_nodes.hpp"
#include "pelk/repeat_nodes.hpp"
#include "pelk/sequence_nodes.hpp"
#include "pelk/text_nodes.hpp"

#include <cstdio>

#ifndef PELK_PLATFORM_NAME
#define PELK_PLATFORM_NAME "Linux"
#endif

namespace Pelk::core {

namespace {

const std::string bannerRule(63, '=');
const std::string platformName = PELK_PLATFORM_NAME;
const std::string platformWidth = std::to_string(sizeof(void*) * 8) + "-bit";

std::string numberedLine(const char* kind, int number, std::string_view message, int leadingBreaks)
{
    char head[32];
    std::snprintf(head, sizeof head, "%s[%05d] \t", kind, number);
    std::string line(static_cast<std::size_t>(leadingBreaks), '\n');
    line += head;
    line += message;
    line += '\n';
    return line;
}

// A name is a quoted text of one character or more, or a word.
auto matchFileName(std::string* target)
{
    auto quotedBody = sequence(matchChar('"'), captureString(matchQuotedText(), target));
    auto quotedName = sequence(quotedBody, matchChar('"'));
    return alternative(quotedName, captureString(matchWord(), target));
}

auto matchPathArgument(std::string* target) { return sequence(skipBlanks(), matchFileName(target)); }

} // namespace

std::string concatStrings(const std::string& a, const std::string& b) { return a + b; }

std::string prependBannerRule(const std::string& toolName)
{
    return concatStrings("\n" + bannerRule + "\n" + std::string(5, ' '), toolName);
}

std::string buildVersionLine()
{
    return ", Version " + std::to_string(PELK_VERSION_MAJOR) + "." + std::to_string(PELK_VERSION_MINOR) + "."
         + std::to_string(PELK_VERSION_PATCH) + " "
         + platformName + " " + platformWidth;
}

std::string appendBannerRule(const std::string& text) { return concatStrings(text, "\n" + bannerRule); }

std::string buildBanner(const std::string& toolName)
{
    return appendBannerRule(concatStrings(prependBannerRule(toolName), buildVersionLine()));
}

std::optional<std::string> joinArguments(int argc, const char* const* argv)
{
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        const bool quoted = argument.find_first_of(" \t\n\r") != std::string_view::npos;
        const bool quoteInside = argument.find('"') != std::string_view::npos;
        // Read back, such an argument would be split or moved: never guess.
        if (argument.empty() || (quoted && quoteInside) || (argument.front() == '"' && argument.find('"', 1) != std::string_view::npos))
            return std::nullopt;
        joined += ' ';
        if (quoted) {
            joined += '"';
            joined += argument;
            joined += '"';
        } else {
            joined += argument;
        }
    }
    return joined;
}

bool parseCommandLine(CommandOptions& options, int argc, const char* const* argv)
{
    std::optional<std::string> joined = joinArguments(argc, argv);
    if (!joined) {
        options = CommandOptions{};
        return false;
    }
    return parseOptions(*joined, options);
}

bool parseOptions(const std::string& joined, CommandOptions& options)
{
    return runOptionGrammar(options, joined.data(), joined.data() + joined.size());
}

bool runOptionGrammar(CommandOptions& options, const char* begin, const char* end)
{
    options.outputPath.clear();
    options.inputPath.clear();
    options.cellName.clear();
    options.cellGiven = options.quiet = options.help = false;

    auto matchCellKeyword = sequence(matchFlagLiteral("-cell", &options.cellGiven), skipBlanks(), matchLiteral("="));
    auto matchCellOption = optional(sequence(matchCellKeyword, matchPathArgument(&options.cellName)));
    auto matchOptions = sequence(optional(matchFlagLiteral("-q", &options.quiet)), matchCellOption);
    auto matchOptionalOutput = optional(matchPathArgument(&options.outputPath));
    auto matchArguments = sequence(matchOptions, matchPathArgument(&options.inputPath), matchOptionalOutput);
    auto matchHelpOrArguments = alternative(matchFlagLiteral("-h", &options.help), matchArguments);
    ParseResult<const char*> result = matchHelpOrArguments.parse(begin, end);
    // A word after the output path is refused, not dropped: a pattern that
    // the shell expands to three names would otherwise convert the first
    // into the second. After "-h" nothing more is read.
    return result.matched && (options.help || skipBlanks().parse(result.end, end).end == end);
}

std::string errorLine(int number, std::string_view message, int leadingBreaks)
{
    return numberedLine("ERROR", number, message, leadingBreaks);
}

std::string warningLine(int number, std::string_view message, int leadingBreaks)
{
    return numberedLine("WARNING", number, message, leadingBreaks);
}

} // namespace Pelk::core
