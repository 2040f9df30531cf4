#include "file_list.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

const char* const LayoutFilePatterns[7] = {"*.gds", "*.gds2", "*.gdsii", "*.strm", "*.agf", "*.gdsasc", "*.asc"};

// Bytes that are not UTF-8 travel through the wide form as the lone low
// surrogates U+DC80 to U+DCFF, so a file name of any bytes survives the list.
namespace {

constexpr char16_t escapeBase = 0xDC00;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The code point of the well-formed UTF-8 sequence at text[i], with its
// length, or length 0 when the bytes there are no such sequence.
std::pair<char32_t, std::size_t> decodeUtf8(const std::string& text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return {0, 0};
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return {0, 0};
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {0, 0};
    return {cp, length};
}

}  // namespace

std::string ToNarrowString(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text[++i].unicode()));
        } else if (unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF) {
            out += static_cast<char>(unit - escapeBase);
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

QString ToWideString(const std::string& text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size();) {
        const auto [cp, length] = decodeUtf8(text, i);
        if (length == 0) {
            out += QChar(static_cast<char16_t>(escapeBase + static_cast<unsigned char>(text[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return out;
}

std::optional<std::uint64_t> GetFileSize64(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info{};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string withSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() != '/')
        return folder + '/';
    return folder;
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern)
{
    // Iterative wildcard match: remember the last "*" and retry from there.
    std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

namespace {

bool matchesAny(std::string_view name, std::span<const char* const> patterns)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [name](const char* pattern) { return MatchesPattern(name, pattern); });
}

// Adds folder's files to found, then each subfolder's, depth first; false
// once the pump has ended the scan.
bool collectFiles(std::vector<std::string>& found, const std::string& folder, std::span<const char* const> patterns,
                  bool recurse, const ScanPump& pump)
{
    const std::string dir = withSeparator(folder);
    std::vector<std::string> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        std::string name = it->path().filename().string();
        if (it->is_directory(kindError)) {
            // A linked folder is not entered: a link back up the tree would
            // make the scan endless.
            if (recurse && !it->is_symlink(kindError))
                subfolders.push_back(dir + name);
        } else if (matchesAny(name, patterns)) {
            found.push_back(dir + name);
        }
    }
    for (const std::string& sub : subfolders)
        if (!pump() || !collectFiles(found, sub, patterns, true, pump))
            return false;
    return true;
}

}  // namespace

std::vector<std::string> CollectFiles(const std::string& folder, std::span<const char* const> patterns, bool recurse,
                                      const ScanPump& pump)
{
    std::vector<std::string> found;
    collectFiles(found, folder, patterns, recurse, pump);
    return found;
}
